#include "cli/Cli.h"

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "config/DeviceStore.h"
#include "files/Profile.h"
#include "i18n/UserMessage.h"
#include "keys/Commands.h"
#include "link/DeviceLock.h"

namespace {

const char kPrefix[] = "mirvostan-cli: ";

// The store shows nothing to a command-line user through boxes; should a
// message reach the box function anyway, it becomes a line on stderr.
std::string* gMessageLines = nullptr;
int MessageToStderr(HWND, const std::wstring& text, UINT) {
    if (gMessageLines) *gMessageLines += kPrefix + Utf8(text) + "\n";
    return IDOK;
}

class MessageSinkScope {
public:
    explicit MessageSinkScope(std::string& err) {
        gMessageLines = &err;
        SetUserMessageSink(MessageToStderr);
    }
    ~MessageSinkScope() {
        SetUserMessageSink(nullptr);
        gMessageLines = nullptr;
    }
    MessageSinkScope(const MessageSinkScope&) = delete;
    MessageSinkScope& operator=(const MessageSinkScope&) = delete;
};

bool Same(const FunctionRecord& a, const FunctionRecord& b) { return std::memcmp(a.bytes, b.bytes, kRecordSize) == 0; }
bool Same(const RecordArray& a, const RecordArray& b) { return std::memcmp(a.data(), b.data(), sizeof a) == 0; }

// Profiles are read and written through the system's XML component.
class ComScope {
public:
    ComScope() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (initialised_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialised_;
};

void Say(std::string& err, const std::string& line) { err += kPrefix + line + "\n"; }

std::string Hex(const FunctionRecord& r) {
    char text[32];
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X %02X %02X %02X %02X %02X", r.bytes[0], r.bytes[1],
                  r.bytes[2], r.bytes[3], r.bytes[4], r.bytes[5], r.bytes[6], r.bytes[7], r.bytes[8]);
    return text;
}

// "left", "button4", "wheel-up", ...; mode 2 (slots 10 to 19) says so.
std::string SlotName(int slot) {
    static const char* const kPositions[kPositionsPerMode] = {
        "left", "middle", "right", "button4", "button5", "position5", "position6", "wheel-up", "wheel-down",
        "report-rate"};
    const std::string name = kPositions[slot % kPositionsPerMode];
    return slot < kPositionsPerMode ? name : "mode2 " + name;
}

bool IsButtonSlot(int slot) { return slot % kPositionsPerMode < 5; }

// A button by its function name, any other slot by its bytes.
std::string Describe(int slot, const FunctionRecord& r) {
    return IsButtonSlot(slot) ? FunctionNameOf(r) + " (" + Hex(r) + ")" : Hex(r);
}

int RateHz(const FunctionRecord& rate) {
    if (rate.bytes[kByteType] != ReportRate) return 0;
    switch (rate.bytes[kByteCode]) {
    case kRate125Hz: return 125;
    case kRate500Hz: return 500;
    case kRate1000Hz: return 1000;
    default: return 0;
    }
}

int RateLetter(int hz) {
    return hz == 125 ? kRateLetter125Hz : hz == 500 ? kRateLetter500Hz : kRateLetter1000Hz;
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", u);
            out += esc;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string ShowText(const DeviceStore& store) {
    const RecordArray& t = store.Table();
    std::string out;
    char line[160];
    for (const ButtonName& b : kButtonNames) {
        std::snprintf(line, sizeof line, "%-11s %s\n", b.name, FunctionNameOf(t[b.slot]).c_str());
        out += line;
    }
    std::snprintf(line, sizeof line, "%-11s %s\n", "swap-wheel", store.IsWheelSwapped() ? "on" : "off");
    out += line;
    std::snprintf(line, sizeof line, "%-11s %d\n", "dpi", static_cast<int>(store.GetDpi()));
    out += line;
    const int hz = RateHz(t[kReportRateSlot]);
    if (hz)
        std::snprintf(line, sizeof line, "%-11s %d Hz\n", "rate", hz);
    else
        std::snprintf(line, sizeof line, "%-11s unknown (%s)\n", "rate", Hex(t[kReportRateSlot]).c_str());
    return out + line;
}

std::string ShowJson(const DeviceStore& store) {
    const RecordArray& t = store.Table();
    std::string out = "{\"format\":1,\"buttons\":{";
    for (size_t i = 0; i < 5; ++i) {
        if (i) out += ",";
        out += JsonString(kButtonNames[i].name) + ":" + JsonString(FunctionNameOf(t[kButtonNames[i].slot]));
    }
    out += "},\"swap_wheel\":";
    out += store.IsWheelSwapped() ? "true" : "false";
    out += ",\"dpi\":" + std::to_string(store.GetDpi());
    const int hz = RateHz(t[kReportRateSlot]);
    out += ",\"rate_hz\":" + (hz ? std::to_string(hz) : std::string("null"));
    out += ",\"records\":[";
    for (size_t s = 0; s < t.size(); ++s) out += (s ? "," : "") + JsonString(Hex(t[s]));
    return out + "]}\n";
}

bool KeepsLeftClick(const RecordArray& records) { return LeftClickSlot(records) >= 0; }

std::string LeftRuleText() {
    return "no button would be left-click, and the mouse needs one to stay usable; nothing was uploaded; "
           "keep left-click on some button (for example left=left-click)";
}

class Session {
public:
    Session(const std::wstring& libraryPath, std::string& out, std::string& err)
        : libraryPath_(libraryPath.empty() ? MouseLink::DefaultLibraryPath() : libraryPath),
          store_(libraryPath_, false),
          out_(out),
          err_(err) {}

    int Run(const CliRequest& request) {
        // Held from the first read to the last read-back: another program's
        // upload between our read and our upload would be lost.
        DeviceLock lock;
        if (!lock.Held()) {
            Say(err_, "busy: another program (the Mirvostan window or another mirvostan-cli) has used the mouse for "
                      "more than 5 seconds; nothing was sent; try again when it is done");
            return kExitBusy;
        }
        switch (request.command) {
        case CliCommand::Show: return Show(request.json);
        case CliCommand::Set: return Set(request);
        case CliCommand::Export: return Export(request.path);
        case CliCommand::Import: return Import(request.path);
        case CliCommand::Verify: return VerifyFile(request.path);
        case CliCommand::Reset: return Reset();
        default: return kExitUsage;
        }
    }

private:
    int ReadMouse() {
        if (store_.ReadConfiguration()) return kExitOk;
        if (GetFileAttributesW(libraryPath_.c_str()) == INVALID_FILE_ATTRIBUTES)
            Say(err_, "the mouse library " + Utf8(libraryPath_) +
                          " is missing; put SonixUSB.DLL beside mirvostan-cli.exe and try again");
        else
            Say(err_, "cannot read the mouse; plug it in (and close other programs that use it), then try again");
        return kExitNoMouse;
    }

    int Show(bool json) {
        if (const int rc = ReadMouse()) return rc;
        out_ += json ? ShowJson(store_) : ShowText(store_);
        return kExitOk;
    }

    void ApplyChange(const ButtonChange& c) {
        switch (c.choice.kind) {
        case FunctionChoice::MouseCode: store_.SetMouseFunction(c.slot, c.choice.mouseCode); break;
        case FunctionChoice::Command: store_.SetCommand(c.slot, c.choice.group, c.choice.number); break;
        case FunctionChoice::Key:
            store_.SetCapturedKey(c.slot, 4, c.choice.modifiers, c.choice.virtualKey);
            break;
        }
    }

    void SetWheel(bool swapped) {
        if (swapped) {
            if (!store_.IsWheelSwapped()) store_.ToggleWheelSwap();
            return;
        }
        // Off means the factory pair, whatever odd pair the mouse held.
        for (int i = 0; i < 2 && !IsWheelNormal(); ++i) store_.ToggleWheelSwap();
    }

    bool IsWheelNormal() const {
        return store_.Table()[7].bytes[kByteCode] == kMouseWheelUp &&
               store_.Table()[8].bytes[kByteCode] == kMouseWheelDown;
    }

    int Set(const CliRequest& r) {
        if (const int rc = ReadMouse()) return rc;
        const RecordArray before = store_.Table();
        for (const ButtonChange& c : r.changes) ApplyChange(c);
        if (r.swapWheel >= 0) SetWheel(r.swapWheel == 1);
        if (r.rateHz) store_.SetMouseFunction(kReportRateSlot, RateLetter(r.rateHz));
        if (r.dpi) store_.ChooseDpi(r.dpi);
        const UploadPolicy policy(store_.Model());
        if (policy.Buttons().verdict != UploadPlan::Verdict::Go) {
            Say(err_, "set refused: " + LeftRuleText());
            return kExitUsage;
        }
        const bool recordsChanged = !Same(store_.Table(), before);
        const bool dpiChanged = r.dpi && r.dpi != store_.GetDpi();
        const int dpi = r.dpi ? r.dpi : static_cast<int>(store_.GetDpi());
        // Only what changed: the records, the DPI (after the records the
        // mouse holds), or both in one upload.
        const UploadPlan plan = !dpiChanged ? policy.Buttons() : recordsChanged ? policy.Everything() : policy.Performance();
        if ((recordsChanged || dpiChanged) && !store_.UploadNow(plan).Ok()) return UploadFailed("the settings");
        if (const int rc = Verify(AddressedRecords(store_.Table()), dpi)) return rc;
        out_ += recordsChanged || dpiChanged ? "set: uploaded and verified\n"
                                             : "set: the mouse already holds this; nothing was uploaded (verified)\n";
        return kExitOk;
    }

    int UploadFailed(const char* what) {
        Say(err_, std::string("upload failed: the mouse stopped answering while ") + what +
                      " were sent and may hold part of the change; plug it in again and repeat the command");
        return kExitDevice;
    }

    // Reads the mouse back with the start-up exchange and compares every
    // byte that was sent, and the DPI when dpi is not 0. sent is a copy:
    // the read-back replaces the store's table.
    int Verify(const RecordArray sent, int dpi) {
        if (!store_.ReadConfiguration()) {
            Say(err_, "verification failed: the mouse did not answer the read-back; plug it in again and repeat "
                      "the command");
            return kExitDevice;
        }
        const RecordArray& held = store_.Table();
        bool same = true;
        for (int s = 0; s < kRecordCount; ++s) {
            if (Same(held[s], sent[s])) continue;
            same = false;
            Say(err_, "verification failed: slot " + std::to_string(s) + " (" + SlotName(s) + ") was sent " +
                          Describe(s, sent[s]) + " but the mouse holds " + Describe(s, held[s]) +
                          "; repeat the command, and if it fails again the mouse does not take this setting");
        }
        const int wantDpi = dpi / kDpiStep * kDpiStep;
        if (dpi && store_.GetDpi() != wantDpi) {
            same = false;
            Say(err_, "verification failed: DPI " + std::to_string(wantDpi) + " was sent but the mouse reports " +
                          std::to_string(store_.GetDpi()) + "; repeat the command");
        }
        return same ? kExitOk : kExitDevice;
    }

    int ReadFile(const std::wstring& path, RecordArray& records) {
        switch (ReadProfileFile(path, records)) {
        case ProfileStatus::Accepted: return kExitOk;
        case ProfileStatus::InvalidFormat:
            Say(err_, Utf8(path) + " is not a valid profile (no Version); nothing was sent; give a file that "
                                   "export or the Mirvostan program saved");
            return kExitFile;
        case ProfileStatus::UnsupportedVersion:
            Say(err_, Utf8(path) + " has a profile version this program does not know; nothing was sent; "
                                   "save it again with this version of Mirvostan");
            return kExitFile;
        default:
            Say(err_, "cannot read " + Utf8(path) + " as a profile (missing, unreadable or not well-formed XML); "
                                                    "nothing was sent; check the file name");
            return kExitFile;
        }
    }

    int Export(const std::wstring& path) {
        if (const int rc = ReadMouse()) return rc;
        if (!store_.SaveProfile(path)) {
            Say(err_, "cannot write " + Utf8(path) + "; check that its folder exists and can be written");
            return kExitFile;
        }
        out_ += "export: saved " + Utf8(path) + "\n";
        return kExitOk;
    }

    int Import(const std::wstring& path) {
        RecordArray records;
        if (const int rc = ReadFile(path, records)) return rc;
        if (!KeepsLeftClick(records)) {
            Say(err_, "import refused: in " + Utf8(path) + " " + LeftRuleText());
            return kExitFile;
        }
        if (const int rc = ReadMouse()) return rc;
        // The file is read once more into the store; it must not have changed meanwhile.
        if (store_.LoadProfile(path) != ProfileStatus::Accepted || !Same(store_.Table(), records)) {
            Say(err_, Utf8(path) + " changed while it was read; nothing was sent; try again");
            return kExitFile;
        }
        if (!store_.UploadNow(UploadPolicy(store_.Model()).Buttons()).Ok()) return UploadFailed("the buttons");
        if (const int rc = Verify(records, 0)) return rc;
        out_ += "import: uploaded and verified\n";
        return kExitOk;
    }

    int VerifyFile(const std::wstring& path) {
        RecordArray records;
        if (const int rc = ReadFile(path, records)) return rc;
        if (const int rc = ReadMouse()) return rc;
        int differences = 0;
        for (int s = 0; s < kRecordCount; ++s) {
            if (Same(store_.Table()[s], records[s])) continue;
            ++differences;
            out_ += "slot " + std::to_string(s) + " (" + SlotName(s) + "): mouse " + Describe(s, store_.Table()[s]) +
                    ", file " + Describe(s, records[s]) + "\n";
        }
        if (differences) {
            Say(err_, "verify: " + std::to_string(differences) + " slot(s) of the mouse differ from " + Utf8(path) +
                          "; import the file to make them equal");
            return kExitDevice;
        }
        out_ += "verify: the mouse matches " + Utf8(path) + "\n";
        return kExitOk;
    }

    int Reset() {
        if (const int rc = ReadMouse()) return rc;
        store_.ResetTableToDefaults();
        // The default table, then the default DPI, in one upload.
        const int dpi = RecordTable::kDefaultDpi;
        store_.ChooseDpi(dpi);
        if (!store_.UploadNow(UploadPolicy(store_.Model()).Everything()).Ok()) return UploadFailed("the defaults");
        if (const int rc = Verify(AddressedRecords(store_.Table()), dpi)) return rc;
        out_ += "reset: factory defaults uploaded and verified\n";
        return kExitOk;
    }

    std::wstring libraryPath_;
    DeviceStore store_;
    std::string& out_;
    std::string& err_;
};

}  // namespace

int RunCli(const std::vector<std::wstring>& args, std::string& out, std::string& err, const std::wstring& libraryPath) {
    CliRequest request;
    std::string error;
    if (!ParseCliArgs(args, request, error)) {
        Say(err, error);
        return kExitUsage;
    }
    if (request.command == CliCommand::Help) {
        out += HelpText(request.helpFor);
        return kExitOk;
    }
    if (request.command == CliCommand::Version) {
        out += VersionText();
        return kExitOk;
    }
    MessageSinkScope sink(err);
    // COM costs start-up time; only the profile commands need it.
    const bool profiles = request.command == CliCommand::Export || request.command == CliCommand::Import ||
                          request.command == CliCommand::Verify;
    std::unique_ptr<ComScope> com(profiles ? new ComScope : nullptr);
    Session session(libraryPath, out, err);
    return session.Run(request);
}
