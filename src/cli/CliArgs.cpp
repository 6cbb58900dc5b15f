#include "cli/CliArgs.h"

#include <windows.h>

#include "files/SafeReplace.h"

#ifndef MV_VERSION
#define MV_VERSION "0.0.0"
#endif

const ButtonName kButtonNames[5] = {
    {"left", 0}, {"right", 2}, {"middle", 1}, {"button4", 3}, {"button5", 4},
};

namespace {

struct CommandName {
    const char* name;
    CliCommand command;
};
const CommandName kCommands[] = {
    {"show", CliCommand::Show},     {"set", CliCommand::Set},       {"export", CliCommand::Export},
    {"import", CliCommand::Import}, {"verify", CliCommand::Verify}, {"reset", CliCommand::Reset},
};

const char kSeeHelp[] = "; see mirvostan-cli --help";

// Names are ASCII; anything else cannot match one and is reported as given.
std::string Narrow(const std::wstring& text) { return Utf8(text); }

bool Fail(std::string& error, const std::string& text) {
    error = text;
    return false;
}

// "--name value" or "--name=value"; i moves past what was used.
bool OptionValue(const std::vector<std::wstring>& args, size_t& i, const std::string& name, std::string& value,
                 bool& matched, std::string& error) {
    const std::string arg = Narrow(args[i]);
    matched = false;
    if (arg == name) {
        matched = true;
        if (i + 1 >= args.size()) return Fail(error, name + " needs a value" + kSeeHelp);
        value = Narrow(args[++i]);
        return true;
    }
    if (arg.compare(0, name.size() + 1, name + "=") == 0) {
        matched = true;
        value = arg.substr(name.size() + 1);
        return true;
    }
    return true;
}


bool ParseNumber(const std::string& text, int& value) {
    if (text.empty() || text.size() > 6) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

// A list of names after a title, in lines of at most 100 characters.
std::string Wrapped(const std::string& title, const std::vector<const char*>& names) {
    std::string text, line = title;
    for (const char* name : names) {
        if (line.size() + 1 + std::string(name).size() > 100) {
            text += line + "\n";
            line = "   ";
        }
        line += std::string(" ") + name;
    }
    return text + line + "\n";
}

bool ParseSet(const std::vector<std::wstring>& args, CliRequest& request, std::string& error) {
    for (size_t i = 1; i < args.size(); ++i) {
        std::string value;
        bool matched = false;
        if (!OptionValue(args, i, "--swap-wheel", value, matched, error)) return false;
        if (matched) {
            if (value != "on" && value != "off") return Fail(error, "--swap-wheel takes on or off, not \"" + value + "\"");
            request.swapWheel = value == "on" ? 1 : 0;
            continue;
        }
        if (!OptionValue(args, i, "--dpi", value, matched, error)) return false;
        if (matched) {
            int dpi = 0;
            if (!ParseNumber(value, dpi) || dpi < kMinDpi || dpi > kMaxDpi || dpi % kDpiStep != 0)
                return Fail(error, "--dpi takes a multiple of 200 from 600 to 6000, not \"" + value + "\"");
            request.dpi = dpi;
            continue;
        }
        if (!OptionValue(args, i, "--rate", value, matched, error)) return false;
        if (matched) {
            int rate = 0;
            if (!ParseNumber(value, rate) || (rate != 125 && rate != 500 && rate != 1000))
                return Fail(error, "--rate takes 125, 500 or 1000, not \"" + value + "\"");
            request.rateHz = rate;
            continue;
        }
        const std::string arg = Narrow(args[i]);
        const size_t equals = arg.find('=');
        if (arg.compare(0, 2, "--") == 0 || equals == std::string::npos)
            return Fail(error, "set does not understand \"" + arg + "\"; give BUTTON=FUNCTION" + kSeeHelp);
        const std::string button = arg.substr(0, equals);
        ButtonChange change;
        change.slot = -1;
        for (const ButtonName& b : kButtonNames)
            if (button == b.name) change.slot = b.slot;
        if (change.slot < 0)
            return Fail(error, "unknown button \"" + button + "\"; buttons are left, right, middle, button4, button5");
        for (const ButtonChange& c : request.changes)
            if (c.slot == change.slot) return Fail(error, "button " + button + " is named twice");
        change.function = arg.substr(equals + 1);
        std::string why;
        if (!ParseFunctionName(change.function, change.choice, why))
            return Fail(error, button + ": " + why + "; see mirvostan-cli set --help");
        request.changes.push_back(change);
    }
    if (request.changes.empty() && request.swapWheel < 0 && request.dpi == 0 && request.rateHz == 0)
        return Fail(error, std::string("set needs at least one change") + kSeeHelp);
    return true;
}

}  // namespace

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

bool ParseCliArgs(const std::vector<std::wstring>& args, CliRequest& request, std::string& error) {
    request = CliRequest();
    if (args.empty()) return Fail(error, std::string("no command given") + kSeeHelp);
    const std::string first = Narrow(args[0]);
    if (first == "--help" || first == "-h") {
        request.command = CliCommand::Help;
        return true;
    }
    if (first == "--version") {
        request.command = CliCommand::Version;
        return true;
    }
    for (const CommandName& c : kCommands)
        if (first == c.name) request.command = c.command;
    if (request.command == CliCommand::None) return Fail(error, "unknown command \"" + first + "\"" + kSeeHelp);
    // Only right after the command: later, "--help" is what it is (a file
    // name, a typo), never a reason to skip the work asked for.
    if (args.size() >= 2 && (args[1] == L"--help" || args[1] == L"-h")) {
        request.helpFor = request.command;
        request.command = CliCommand::Help;
        return true;
    }

    switch (request.command) {
    case CliCommand::Show:
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i] != L"--json") return Fail(error, "show does not understand \"" + Narrow(args[i]) + "\"" + kSeeHelp);
            request.json = true;
        }
        return true;
    case CliCommand::Set:
        return ParseSet(args, request, error);
    case CliCommand::Export:
    case CliCommand::Import:
    case CliCommand::Verify:
        if (args.size() != 2 || args[1].empty() || args[1].compare(0, 2, L"--") == 0)
            return Fail(error, first + " needs exactly one FILE.mvf" + kSeeHelp);
        request.path = FullPath(args[1]);
        return true;
    case CliCommand::Reset:
        if (args.size() != 1) return Fail(error, "reset takes no arguments" + std::string(kSeeHelp));
        return true;
    default:
        return true;
    }
}

std::string VersionText() { return std::string("mirvostan-cli ") + MV_VERSION + "\n"; }

std::string HelpText(CliCommand command) {
    switch (command) {
    case CliCommand::Show:
        return "usage: mirvostan-cli show [--json]\n"
               "Reads the mouse and prints the five buttons, the wheel swap, DPI and report rate.\n"
               "--json prints one object: {\"format\":1, \"buttons\":{\"left\":NAME, \"right\":..., \"middle\":...,\n"
               "\"button4\":..., \"button5\":...}, \"swap_wheel\":BOOL, \"dpi\":N, \"rate_hz\":N or null,\n"
               "\"records\":[20 strings of nine hex bytes]}.\n"
               "A button whose record no function name writes shows as raw:TT-CC-RR-UU-XX-YY (bytes 3 to 8);\n"
               "set cannot write such a record, import can.\n";
    case CliCommand::Set: {
        std::string text =
            "usage: mirvostan-cli set BUTTON=FUNCTION ... [--swap-wheel on|off] [--dpi N] [--rate 125|500|1000]\n"
            "Reads the mouse, changes what is named, uploads it and reads it back to verify it.\n"
            "BUTTON: left, right, middle, button4, button5. Some button must stay left-click.\n"
            "DPI: a multiple of 200 from 600 to 6000.\n";
        std::vector<const char*> names;
        for (int i = 0; i < FunctionNameCount(); ++i) names.push_back(FunctionNameAt(i));
        text += Wrapped("FUNCTION:", names);
        names.clear();
        for (int i = 0; i < ModifierNameCount(); ++i) names.push_back(ModifierNameAt(i));
        text += Wrapped("  or keys:MODIFIER+...+KEY, MODIFIER:", names);
        names.clear();
        for (int i = 0; i < KeyNameCount(); ++i) names.push_back(KeyNameAt(i));
        text += Wrapped("  KEY:", names);
        text += "example: mirvostan-cli set left=copy button4=keys:ctrl+shift+f5 --dpi 1600\n";
        return text;
    }
    case CliCommand::Export:
        return "usage: mirvostan-cli export FILE.mvf\n"
               "Reads the mouse and saves its buttons (both modes and the report rate) as a profile.\n";
    case CliCommand::Import:
        return "usage: mirvostan-cli import FILE.mvf\n"
               "Loads a profile, uploads it to the mouse and reads it back to verify it.\n";
    case CliCommand::Verify:
        return "usage: mirvostan-cli verify FILE.mvf\n"
               "Compares the mouse with a profile and lists every difference (exit 3 if there is one).\n";
    case CliCommand::Reset:
        return "usage: mirvostan-cli reset\n"
               "Uploads the factory defaults, 600 DPI and 500 Hz, and verifies them.\n";
    default:
        return "usage: mirvostan-cli COMMAND [ARGS]\n"
               "Configures the Mirvostan mouse from the command line; every change is read back and verified.\n"
               "commands:\n"
               "  show [--json]             print the buttons, wheel swap, DPI and report rate\n"
               "  set BUTTON=FUNCTION ...   change buttons [--swap-wheel on|off] [--dpi N] [--rate 125|500|1000]\n"
               "  export FILE.mvf           save the mouse's buttons as a profile\n"
               "  import FILE.mvf           upload a profile\n"
               "  verify FILE.mvf           compare the mouse with a profile\n"
               "  reset                     upload the factory defaults\n"
               "  COMMAND --help            help on one command; --version prints the version\n"
               "exit codes: 0 done, 1 bad command line, 2 no mouse or no library,\n"
               "  3 upload or verification failed, 4 the file could not be read or is not a valid profile,\n"
               "  5 busy: another program used the mouse for more than 5 seconds\n";
    }
}
