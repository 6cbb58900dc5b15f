// mirvostan-cli against the virtual mouse beside this program: the command
// layer in-process for the many cases, the real console program as a child
// process for exit codes, streams and the JSON that Python checks.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "FileBytes.h"
#include "VirtualMouseFiles.h"
#include "cli/Cli.h"
#include "config/DeviceStore.h"
#include "config/RecordTable.h"
#include "keys/FunctionNames.h"
#include "link/Busy.h"
#include "link/DeviceLock.h"

namespace {

struct Result {
    int code = -1;
    std::string out, err;
};

Result Cli(const std::vector<std::wstring>& args, const std::wstring& library = std::wstring()) {
    Result r;
    r.code = RunCli(args, r.out, r.err, library);
    return r;
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// Reports that change the mouse: records and the DPI (not the read request).
int Writes(const vmouse::Transcript& t) {
    int n = 0;
    for (const vmouse::Bytes& b : t.Reports("out"))
        if (b[2] != 0xAA) ++n;
    return n;
}

// "left   copy" lines of `show` as button -> name.
std::string ShownName(const std::string& show, const std::string& button) {
    size_t at = 0;
    while (at < show.size()) {
        const size_t end = show.find('\n', at);
        const std::string line = show.substr(at, end - at);
        const size_t space = line.find(' ');
        if (line.substr(0, space) == button) return line.substr(line.find_first_not_of(' ', space));
        at = end == std::string::npos ? show.size() : end + 1;
    }
    return "(not shown)";
}

std::string ProfileXml(const vmouse::Memory& m, const std::string& version = "1") {
    std::string x = "<?xml version=\"1.0\"?><Mirvostan><Version>" + version + "</Version><MouseFun>";
    for (int s = 0; s < 20; ++s) {
        x += "<Button" + std::to_string(s) + ">";
        for (int j = 0; j < 9; ++j)
            x += "<Byte" + std::to_string(j) + ">" + std::to_string(m.records[s][j]) + "</Byte" + std::to_string(j) + ">";
        x += "</Button" + std::to_string(s) + ">";
    }
    return x + "</MouseFun></Mirvostan>";
}

void WriteText(const std::wstring& path, const std::string& text) {
    std::ofstream(path.c_str(), std::ios::binary | std::ios::trunc) << text;
}

vmouse::Bytes Rec(int slot, int type, int code, int usage = 0) {
    return vmouse::Bytes{0, 4, uint8_t(slot), uint8_t(type), uint8_t(code), 0, uint8_t(usage), 0, 0};
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(vmouse::FactoryMemory()); }
    void Reset(const vmouse::Memory& m, const vmouse::Faults& f = vmouse::Faults()) { vmouse::Write(m, f); }
};

// Every plain name with the record it must give (type, byte 4, byte 6).
struct Expected {
    const char* name;
    int type, code, usage;
};
const Expected kPlainNames[] = {
    {"left-click", 0, 1, 0},       {"right-click", 0, 2, 0},        {"middle-click", 0, 4, 0},
    {"back", 0, 8, 0},             {"forward", 0, 16, 0},           {"double-click", 0, 128, 0},
    {"cut", 1, 0x01, 0x1B},        {"copy", 1, 0x01, 0x06},         {"paste", 1, 0x01, 0x19},
    {"delete", 1, 0x00, 0x4C},     {"select-all", 1, 0x01, 0x04},   {"new", 1, 0x01, 0x11},
    {"print", 1, 0x01, 0x13},      {"find", 1, 0x01, 0x09},         {"save", 1, 0x01, 0x16},
    {"switch-window", 1, 0x04, 0x2B}, {"close-window", 1, 0x01, 0x1A}, {"explorer", 1, 0x08, 0x08},
    {"run", 1, 0x08, 0x15},        {"desktop", 1, 0x08, 0x07},      {"minimize-window", 1, 0x08, 0x10},
    {"media:mute", 2, 0x40, 0},    {"media:next", 2, 0x08, 0},      {"media:prev", 2, 0x04, 0},
    {"media:play-pause", 2, 0x01, 0}, {"media:stop", 2, 0x02, 0},   {"media:volume-down", 2, 0x20, 0},
    {"media:volume-up", 2, 0x10, 0},
    {"keys:ctrl+shift+f5", 1, 0x03, 0x3E}, {"keys:ralt+rwin+menu", 1, 0xC0, 0x65},
    {"keys:win+rctrl+rshift+space", 1, 0x38, 0x2C}, {"keys:alt+num-period", 1, 0x04, 0x63},
};

TEST_F(CliTest, EveryFunctionNameIsWrittenAndShownBack) {
    // The plain names with their records, then every key under a rotating
    // set of modifiers (a record equal to a command shows as that command).
    struct Case {
        std::string name;
        bool checkBytes;
        vmouse::Bytes bytes;  // slot byte filled in per button
    };
    std::vector<Case> cases;
    for (const Expected& e : kPlainNames) cases.push_back({e.name, true, Rec(0, e.type, e.code, e.usage)});
    EXPECT_EQ(size_t(FunctionNameCount()) + 4, sizeof kPlainNames / sizeof kPlainNames[0]) << "a name has no row";
    const char* const mods[] = {"", "ralt+", "ctrl+alt+", "shift+win+", "rctrl+rshift+rwin+"};
    for (int k = 0; k < KeyNameCount(); ++k)
        cases.push_back({std::string("keys:") + mods[k % 5] + KeyNameAt(k), false, {}});
    // Four buttons take names; button5 keeps the left click.
    const char* const buttons[] = {"left", "right", "middle", "button4"};
    const int slots[] = {0, 2, 1, 3};
    for (size_t first = 0; first < cases.size(); first += 4) {
        std::vector<std::wstring> args = {L"set", L"button5=left-click"};
        for (size_t i = first; i < first + 4 && i < cases.size(); ++i)
            args.push_back(Wide(std::string(buttons[i - first]) + "=" + cases[i].name));
        const Result set = Cli(args);
        ASSERT_EQ(set.code, 0) << cases[first].name << ": " << set.err;
        const Result show = Cli({L"show"});
        ASSERT_EQ(show.code, 0) << show.err;
        const vmouse::Memory mouse = vmouse::ReadMemory();
        for (size_t i = first; i < first + 4 && i < cases.size(); ++i) {
            const int slot = slots[i - first];
            FunctionChoice choice;
            std::string error;
            ASSERT_TRUE(ParseFunctionName(cases[i].name, choice, error)) << cases[i].name;
            const std::string shown = ShownName(show.out, buttons[i - first]);
            const bool isCommand = shown.compare(0, 5, "keys:") != 0;
            if (!cases[i].checkBytes && isCommand) {
                // Only the command's own combination may show as the command.
                FunctionChoice command;
                ASSERT_TRUE(ParseFunctionName(shown, command, error)) << cases[i].name << " shown as " << shown;
                EXPECT_EQ(vmouse::ToBytes(EncodeChoice(command, slot)), mouse.records[slot]) << cases[i].name;
            } else {
                EXPECT_EQ(shown, cases[i].name) << "slot " << slot;
            }
            vmouse::Bytes want = cases[i].checkBytes ? cases[i].bytes : vmouse::ToBytes(EncodeChoice(choice, slot));
            want[2] = uint8_t(slot);
            EXPECT_EQ(vmouse::Hex(mouse.records[slot]), vmouse::Hex(want)) << cases[i].name;
        }
    }
}

TEST(FunctionNames, KeysAreDistinctAndBadNamesAreRefused) {
    std::set<std::string> names;
    std::set<int> usages;
    for (int k = 0; k < KeyNameCount(); ++k) {
        FunctionChoice c;
        std::string error;
        ASSERT_TRUE(ParseFunctionName(std::string("keys:") + KeyNameAt(k), c, error)) << KeyNameAt(k);
        EXPECT_TRUE(usages.insert(c.usage).second) << KeyNameAt(k) << " shares a usage";
        EXPECT_TRUE(names.insert(KeyNameAt(k)).second) << KeyNameAt(k);
    }
    const char* const bad[] = {"", "copy2", "keys:", "keys:ctrl", "keys:ctrl+", "keys:f5+ctrl", "keys:ctrl+ctrl+a",
                               "keys:hyper+a", "keys:a+b", "media:", "media:loud", "raw:01-01-00-06-00-00"};
    for (const char* name : bad) {
        FunctionChoice c;
        std::string error;
        EXPECT_FALSE(ParseFunctionName(name, c, error)) << name;
        EXPECT_FALSE(error.empty()) << name;
    }
    // Case does not matter on input; names come out in lower case.
    FunctionChoice c;
    std::string error;
    ASSERT_TRUE(ParseFunctionName("KEYS:Ctrl+Shift+F5", c, error));
    EXPECT_EQ(FunctionNameOf(EncodeChoice(c, 3)), "keys:ctrl+shift+f5");
    // Records no name writes back are shown raw.
    EXPECT_EQ(FunctionNameOf(FunctionRecord{{0, 4, 5, 2, 0x80, 0, 0, 0, 0}}), "raw:02-80-00-00-00-00");
    EXPECT_EQ(FunctionNameOf(FunctionRecord{{0, 4, 1, 1, 0x02, 0, 0x68, 0, 0}}), "raw:01-02-00-68-00-00");
    EXPECT_EQ(FunctionNameOf(FunctionRecord{{0, 4, 1, 0, 0x01, 0, 0, 0, 7}}), "raw:00-01-00-00-00-07");
}

TEST_F(CliTest, BadCommandLinesSendNothing) {
    struct Row {
        std::vector<std::wstring> args;
        const char* says;
    };
    const Row rows[] = {
        {{}, "no command"},
        {{L"frobnicate"}, "unknown command"},
        {{L"show", L"--xml"}, "--xml"},
        {{L"set"}, "at least one change"},
        {{L"set", L"thumb=copy"}, "unknown button"},
        {{L"set", L"left=teleport"}, "unknown function"},
        {{L"set", L"left=copy", L"left=paste"}, "twice"},
        {{L"set", L"--dpi", L"650"}, "multiple of 200"},
        {{L"set", L"--dpi=6200"}, "multiple of 200"},
        {{L"set", L"--dpi"}, "needs a value"},
        {{L"set", L"--rate", L"250"}, "125, 500 or 1000"},
        {{L"set", L"--swap-wheel", L"maybe"}, "on or off"},
        {{L"set", L"copy"}, "BUTTON=FUNCTION"},
        {{L"import"}, "exactly one"},
        {{L"export", L"a.mvf", L"b.mvf"}, "exactly one"},
        {{L"reset", L"now"}, "no arguments"},
    };
    for (const Row& row : rows) {
        vmouse::Transcript t;
        const Result r = Cli(row.args);
        EXPECT_EQ(r.code, 1) << row.says;
        EXPECT_NE(r.err.find(row.says), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_TRUE(t.Events().empty()) << row.says << ": the mouse was opened";
    }
    // Help only right after the command, for every command; later it is a
    // bad argument like any.
    vmouse::Transcript t;
    for (const wchar_t* command : {L"show", L"set", L"export", L"import", L"verify", L"reset"}) {
        const Result help = Cli({command, L"--help", L"left=nonsense"});
        EXPECT_EQ(help.code, 0);
        const std::string usage = "usage: mirvostan-cli " + Utf8(command);
        EXPECT_EQ(help.out.compare(0, usage.size(), usage), 0) << help.out;
    }
    EXPECT_TRUE(t.Events().empty()) << "help opened the mouse";
    const Result late = Cli({L"set", L"left=copy", L"button5=left-click", L"--help"});
    EXPECT_EQ(late.code, 1) << late.out;
}

TEST_F(CliTest, SetUploadsVerifiesAndKeepsWhatWasNotNamed) {
    vmouse::Transcript t;
    const Result r = Cli({L"set", L"right=copy", L"--swap-wheel", L"on", L"--dpi", L"1600", L"--rate", L"1000"});
    ASSERT_EQ(r.code, 0) << r.err;
    vmouse::Memory want = vmouse::FactoryMemory();
    want.records[2] = Rec(2, 1, 0x01, 0x06);
    want.records[7][4] = 64;
    want.records[8][4] = 32;
    want.records[9] = Rec(9, 4, 1);
    want.dpi = 8;
    const vmouse::Memory got = vmouse::ReadMemory();
    for (int s = 0; s < 20; ++s) EXPECT_EQ(vmouse::Hex(got.records[s]), vmouse::Hex(want.records[s])) << "slot " << s;
    EXPECT_EQ(got.dpi, 8u);
    // Read, one upload (records, then the DPI), read-back.
    EXPECT_EQ(t.Reports("out").size(), 1u + 21 + 1);
    EXPECT_EQ(Cli({L"show"}).out.find("swap-wheel  on\ndpi         1600\nrate        1000 Hz\n") != std::string::npos, true);
}

TEST_F(CliTest, LeftKeyRuleRefusesAndWritesNothing) {
    vmouse::Transcript t;
    const Result set = Cli({L"set", L"left=copy"});
    EXPECT_EQ(set.code, 1);
    EXPECT_NE(set.err.find("left-click"), std::string::npos) << set.err;
    EXPECT_EQ(Writes(t), 0);
    vmouse::Memory m = vmouse::FactoryMemory();
    m.records[0] = Rec(0, 1, 0x01, 0x06);
    WriteText(vmouse::Dir() + L"noleft.mvf", ProfileXml(m));
    vmouse::Transcript t2;
    const Result import = Cli({L"import", L"noleft.mvf"});
    EXPECT_EQ(import.code, 4);
    EXPECT_NE(import.err.find("left-click"), std::string::npos) << import.err;
    EXPECT_TRUE(t2.Events().empty());
    EXPECT_EQ(vmouse::Hex(vmouse::ReadMemory().records[0]), vmouse::Hex(Rec(0, 0, 1)));
    // Moving the left click elsewhere is fine.
    EXPECT_EQ(Cli({L"set", L"left=copy", L"button5=left-click"}).code, 0);
}

TEST_F(CliTest, ExportImportAndVerifyRoundTrip) {
    vmouse::Memory custom = vmouse::FactoryMemory();
    custom.records[1] = Rec(1, 2, 0x40);
    custom.records[4] = Rec(4, 1, 0x03, 0x3E);
    custom.records[13] = Rec(13, 1, 0x10, 0x1B);  // mode 2 travels too
    custom.records[16] = Rec(16, 3, 0x12, 0x34);  // carried unchanged
    Reset(custom);
    ASSERT_EQ(Cli({L"export", L"saved.mvf"}).code, 0);
    Reset(vmouse::FactoryMemory());
    const Result diff = Cli({L"verify", L"saved.mvf"});
    EXPECT_EQ(diff.code, 3);
    for (const char* slot : {"slot 1 (middle)", "slot 4 (button5)", "slot 13 (mode2 button4)", "slot 16"})
        EXPECT_NE(diff.out.find(slot), std::string::npos) << slot << " not listed:\n" << diff.out;
    EXPECT_EQ(std::count(diff.out.begin(), diff.out.end(), '\n'), 4) << diff.out;
    const Result import = Cli({L"import", L"saved.mvf"});
    ASSERT_EQ(import.code, 0) << import.err;
    const vmouse::Memory got = vmouse::ReadMemory();
    for (int s = 0; s < 20; ++s) EXPECT_EQ(vmouse::Hex(got.records[s]), vmouse::Hex(custom.records[s])) << "slot " << s;
    EXPECT_EQ(Cli({L"verify", L"saved.mvf"}).code, 0);
}

TEST_F(CliTest, ResetUploadsFactoryDefaults) {
    vmouse::Memory custom = vmouse::FactoryMemory();
    custom.records[0] = Rec(0, 0, 2);
    custom.records[2] = Rec(2, 0, 1);
    custom.records[9] = Rec(9, 4, 8);
    custom.records[19] = Rec(19, 4, 1);
    custom.dpi = 20;
    Reset(custom);
    const Result r = Cli({L"reset"});
    ASSERT_EQ(r.code, 0) << r.err;
    const vmouse::Memory got = vmouse::ReadMemory();
    const vmouse::Memory factory = vmouse::FactoryMemory();
    for (int s = 0; s < 20; ++s) EXPECT_EQ(vmouse::Hex(got.records[s]), vmouse::Hex(factory.records[s])) << s;
    EXPECT_EQ(got.dpi, 3u);
}

TEST_F(CliTest, FaultsGiveTheirExitCodes) {
    vmouse::Faults unplugged;
    unplugged.failWritesFrom = 4;  // the third record of the upload
    Reset(vmouse::FactoryMemory(), unplugged);
    Result r = Cli({L"set", L"right=copy", L"middle=paste"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("upload failed"), std::string::npos) << r.err;

    vmouse::Faults absent;
    absent.absent = 1;
    Reset(vmouse::FactoryMemory(), absent);
    WriteText(vmouse::Dir() + L"good.mvf", ProfileXml(vmouse::FactoryMemory()));
    for (const std::vector<std::wstring>& args : std::vector<std::vector<std::wstring>>{
             {L"show"}, {L"set", L"right=copy"}, {L"export", L"x.mvf"}, {L"import", L"good.mvf"}, {L"reset"}}) {
        r = Cli(args);
        EXPECT_EQ(r.code, 2) << Utf8(args[0]);
        EXPECT_NE(r.err.find("plug it in"), std::string::npos) << r.err;
    }
    Reset(vmouse::FactoryMemory());
    r = Cli({L"show"}, vmouse::Dir() + L"nowhere\\SonixUSB.DLL");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("missing"), std::string::npos) << r.err;
}

TEST_F(CliTest, WrongReadBackGivesThreeAndNamesTheSlot) {
    vmouse::Faults corrupt;
    corrupt.corruptSlot = 3;  // button4 keeps a wrong byte 4; its echo is right
    Reset(vmouse::FactoryMemory(), corrupt);
    const Result r = Cli({L"set", L"button4=copy"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("slot 3 (button4) was sent copy"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "only slot 3 differs:\n" << r.err;
    // reset sends every slot, so the same fault fails it too.
    EXPECT_EQ(Cli({L"reset"}).code, 3);
}

TEST_F(CliTest, MissingOrHostileFilesGiveFourAndSendNothing) {
    std::string laughs = "<!ENTITY l0 \"lol\">";
    for (int k = 1; k < 10; ++k) {
        laughs += "<!ENTITY l" + std::to_string(k) + " \"";
        for (int i = 0; i < 10; ++i) laughs += "&l" + std::to_string(k - 1) + ";";
        laughs += "\">";
    }
    vmouse::Memory m = vmouse::FactoryMemory();
    struct Row {
        const char* name;
        std::string text;  // empty: the file does not exist
    };
    const Row rows[] = {
        {"missing", ""},
        {"not xml", "this is not a profile"},
        {"truncated", ProfileXml(m).substr(0, 200)},
        {"no version", "<?xml version=\"1.0\"?><Mirvostan><MouseFun/></Mirvostan>"},
        {"version 2", ProfileXml(m, "2")},
        {"billion laughs", "<?xml version=\"1.0\"?><!DOCTYPE Mirvostan [" + laughs + "]><Mirvostan><Version>&l9;</Version></Mirvostan>"},
    };
    for (const Row& row : rows) {
        const std::wstring path = vmouse::Dir() + L"hostile.mvf";
        DeleteFileW(path.c_str());
        if (!row.text.empty()) WriteText(path, row.text);
        for (const wchar_t* command : {L"import", L"verify"}) {
            vmouse::Transcript t;
            const Result r = Cli({command, path});
            EXPECT_EQ(r.code, 4) << row.name << " " << Utf8(command);
            EXPECT_NE(r.err.find("nothing was sent"), std::string::npos) << r.err;
            EXPECT_TRUE(t.Events().empty()) << row.name << ": the mouse was opened";
        }
    }
    const Result r = Cli({L"export", vmouse::Dir() + L"no\\such\\folder\\x.mvf"});
    EXPECT_EQ(r.code, 4);
}

// The console program itself, as a child process with files for its streams.
class Child {
public:
    explicit Child(const std::wstring& arguments);
    Result Finish();
    HANDLE Process() const { return pi_.hProcess; }

private:
    PROCESS_INFORMATION pi_{};
    HANDLE out_ = INVALID_HANDLE_VALUE, err_ = INVALID_HANDLE_VALUE;
    bool started_ = false;
};

Result RunProgram(const std::wstring& arguments) { return Child(arguments).Finish(); }

Child::Child(const std::wstring& arguments) {
    const std::wstring dir = vmouse::Dir();
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const std::wstring outPath = dir + L"child.out", errPath = dir + L"child.err";
    out_ = CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    err_ = CreateFileW(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out_;
    si.hStdError = err_;
    std::wstring command = L"\"" + dir + L"mirvostan-cli.exe\" " + arguments;
    started_ = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(), &si, &pi_) != 0;
}

Result Child::Finish() {
    const std::wstring dir = vmouse::Dir();
    const std::wstring outPath = dir + L"child.out", errPath = dir + L"child.err";
    Result r;
    if (started_) {
        WaitForSingleObject(pi_.hProcess, 60000);
        DWORD code = 0;
        GetExitCodeProcess(pi_.hProcess, &code);
        r.code = static_cast<int>(code);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    CloseHandle(out_);
    CloseHandle(err_);
    const std::vector<unsigned char> o = ReadBytes(outPath), e = ReadBytes(errPath);
    r.out.assign(o.begin(), o.end());
    r.err.assign(e.begin(), e.end());
    return r;
}

TEST_F(CliTest, ConsoleProgramStreamsExitCodesAndJson) {
    vmouse::Memory m = vmouse::FactoryMemory();
    m.records[2] = Rec(2, 1, 0x01, 0x06);
    m.records[3] = Rec(3, 1, 0x22, 0x3E);
    m.records[7][4] = 64;
    m.records[8][4] = 32;
    m.records[9] = Rec(9, 4, 8);
    m.dpi = 24;
    Reset(m);
    DeleteFileW((vmouse::Dir() + L"Mirvostan.log").c_str());
    const Result json = RunProgram(L"show --json");
    ASSERT_EQ(json.code, 0) << json.err;
    EXPECT_TRUE(json.err.empty()) << json.err;
    EXPECT_NE(json.out.find("\"button4\":\"keys:shift+rshift+f5\""), std::string::npos) << json.out;
    // Python's json module checks it against the memory file (a test of its own).
    WriteText(vmouse::Dir() + L"show.json", json.out);
    CopyFileW(vmouse::MemoryPath().c_str(), (vmouse::Dir() + L"show-memory.txt").c_str(), FALSE);

    const Result bad = RunProgram(L"set left=teleport");
    EXPECT_EQ(bad.code, 1);
    EXPECT_TRUE(bad.out.empty());
    EXPECT_NE(bad.err.find("mirvostan-cli: left: unknown function \"teleport\""), std::string::npos) << bad.err;
    const Result version = RunProgram(L"--version");
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.compare(0, 14, "mirvostan-cli "), 0) << version.out;
    vmouse::Faults absent;
    absent.absent = 1;
    Reset(m, absent);
    const Result none = RunProgram(L"show");
    EXPECT_EQ(none.code, 2);
    EXPECT_EQ(std::count(none.err.begin(), none.err.end(), '\n'), 1) << none.err;
    EXPECT_FALSE(GetFileAttributesW((vmouse::Dir() + L"Mirvostan.log").c_str()) != INVALID_FILE_ATTRIBUTES)
        << "the console program wrote the window program's log";
}

// USER32, ole32 and OLEAUT32 cost a start tens of milliseconds: show, caught
// while it reads the mouse, has loaded none of them.
TEST_F(CliTest, ShowLoadsNoWindowOrComLibrary) {
    vmouse::Faults slow;
    slow.latencyMs = 30;  // over half a second of reading to look in
    Reset(vmouse::FactoryMemory(), slow);
    vmouse::Transcript t;
    Child cli(L"show");
    for (int waited = 0; t.Reports("in").empty() && waited < 20000; waited += 5) Sleep(5);
    HMODULE modules[512];
    DWORD bytes = 0;
    std::set<std::wstring> loaded;
    if (EnumProcessModules(cli.Process(), modules, sizeof modules, &bytes))
        for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
            wchar_t name[MAX_PATH] = L"";
            GetModuleBaseNameW(cli.Process(), modules[i], name, MAX_PATH);
            loaded.insert(CharLowerW(name));
        }
    EXPECT_EQ(loaded.count(L"sonixusb.dll"), 1u) << "not looked at while it read the mouse";
    for (const wchar_t* dll : {L"user32.dll", L"ole32.dll", L"oleaut32.dll"})
        EXPECT_EQ(loaded.count(dll), 0u) << Utf8(dll);
    EXPECT_EQ(cli.Finish().code, 0);
}

// Item by item: what a set that changes nothing says, the DPI bound, and
// names in any case.
TEST_F(CliTest, SetEdgesUploadOnlyWhatChanges) {
    const struct {
        std::vector<std::wstring> args;
        const char* says;
        int writes;  // reports that change the mouse
        int slot;    // slot to check afterwards, -1 none
        vmouse::Bytes record;
        unsigned dpi;
    } rows[] = {
        {{L"set", L"right=right-click"}, "already holds", 0, 2, Rec(2, 0, 2), 3},
        {{L"set", L"--dpi", L"600", L"left=LEFT-click"}, "already holds", 0, 0, Rec(0, 0, 1), 3},
        {{L"set", L"--dpi", L"6000"}, "uploaded and verified", 21, -1, {}, 30},
        {{L"set", L"left=Copy", L"button5=Left-Click"}, "uploaded and verified", 20, 0, Rec(0, 1, 0x01, 0x06), 3},
    };
    for (const auto& row : rows) {
        Reset(vmouse::FactoryMemory());
        vmouse::Transcript t;
        const Result r = Cli(row.args);
        const std::string what = Utf8(row.args.back());
        EXPECT_EQ(r.code, 0) << what << ": " << r.err;
        EXPECT_NE(r.out.find(row.says), std::string::npos) << what << ": " << r.out;
        EXPECT_EQ(Writes(t), row.writes) << what;
        const vmouse::Memory m = vmouse::ReadMemory();
        if (row.slot >= 0) {
            EXPECT_EQ(vmouse::Hex(m.records[row.slot]), vmouse::Hex(row.record)) << what;
        }
        EXPECT_EQ(m.dpi, row.dpi) << what;
    }
}

// The window program's upload started 0..200 ms into a command line's
// exchange (3 ms a report, so each takes a few hundred): they take turns on
// the one mouse, and neither's change is lost.
TEST_F(CliTest, TwoProgramsTakeTurnsAndNeitherChangeIsLost) {
    vmouse::Faults slow;
    slow.latencyMs = 3;
    for (int delay = 0; delay <= 200; delay += 50) {
        SCOPED_TRACE("delay " + std::to_string(delay));
        Reset(vmouse::FactoryMemory(), slow);
        DeviceStore window(std::wstring(), false);
        ASSERT_EQ(window.LoadFromDevice(), 1);
        window.SetCommand(3, 1, 2);  // button 4: Copy
        vmouse::Transcript t;
        Child cli(L"set right=paste");
        for (int waited = 0; t.Reports("out").empty() && waited < 20000; waited += 5) Sleep(5);
        Sleep(static_cast<DWORD>(delay));
        ASSERT_EQ(window.StartUpload(UploadPolicy(window.Model()).Buttons(), nullptr, 0), UploadStart::Started);
        const Result r = cli.Finish();
        ASSERT_TRUE(TheBusyEvent().WaitIdle(20000));
        WaitForSingleObject(window.TransferThread(), 5000);
        EXPECT_TRUE(window.FinishTransfer().Ok());
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(vmouse::Hex(vmouse::ToBytes(window.DeviceImage()[3])), vmouse::Hex(Rec(3, 1, 0x01, 0x06))) << "the window's upload succeeded";
        EXPECT_EQ(vmouse::Hex(vmouse::ReadMemory().records[3]), vmouse::Hex(Rec(3, 1, 0x01, 0x06)))
            << "the window said ok, so its change is in the mouse";
        // Every upload is one run of slots 0..19, never two mixed.
        std::vector<int> slots;
        for (const vmouse::Bytes& b : t.Reports("out"))
            if (b[2] < 20) slots.push_back(b[2]);
        ASSERT_EQ(slots.size() % 20, 0u);
        for (size_t i = 0; i < slots.size(); ++i) ASSERT_EQ(slots[i], static_cast<int>(i % 20)) << "report " << i;
    }
}

// Another program's hold on the mouse, on a thread of its own: for good,
// for a while, or left behind by a program that died holding it.
DWORD WINAPI HoldTheMouse(void* ms) {
    const DWORD hold = static_cast<DWORD>(reinterpret_cast<uintptr_t>(ms));
    HANDLE mutex = CreateMutexW(nullptr, FALSE, DeviceLock::Name().c_str());
    WaitForSingleObject(mutex, 0);
    if (hold == 0) return 0;  // ends owning it: the mutex is abandoned
    Sleep(hold);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return 0;
}

// While another program holds the mouse, the command line waits 5 seconds
// for it, then gives up with 5 and sends nothing; a hold left by a program
// that died is free.
TEST_F(CliTest, BusyMouseWaitsFiveSecondsThenGivesFive) {
    const struct {
        const char* name;
        DWORD holdMs;  // 0: abandoned
        int code;
    } rows[] = {{"held throughout", 7000, 5}, {"released after 2 s", 2000, 0}, {"abandoned", 0, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Reset(vmouse::FactoryMemory(), vmouse::Faults{});
        HANDLE holder = CreateThread(nullptr, 0, HoldTheMouse, reinterpret_cast<void*>(uintptr_t{row.holdMs}), 0, nullptr);
        ASSERT_NE(holder, nullptr);
        Sleep(100);
        vmouse::Transcript t;
        const Result r = RunProgram(L"set left=left-click right=copy");
        EXPECT_EQ(r.code, row.code) << r.err;
        if (row.code == 5) {
            EXPECT_NE(r.err.find("busy"), std::string::npos) << r.err;
            EXPECT_TRUE(t.Events().empty());
        }
        WaitForSingleObject(holder, 15000);
        CloseHandle(holder);
    }
}

}  // namespace
