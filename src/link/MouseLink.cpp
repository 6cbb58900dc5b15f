#include "link/MouseLink.h"

#include <cwchar>

namespace {
constexpr uint32_t kReportSize = 9;

template <typename Fn>
bool BindOrdinal(HMODULE lib, WORD ordinal, Fn& fn) {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(lib, MAKEINTRESOURCEA(ordinal))));
    return fn != nullptr;
}
}  // namespace

MouseLink::MouseLink(std::wstring libraryPath) : libraryPath_(std::move(libraryPath)) {}

MouseLink::~MouseLink() {
    CloseMouse();
    if (library_) FreeLibrary(library_);
}

std::wstring MouseLink::DefaultLibraryPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    path.erase(path.find_last_of(L'\\') + 1);
    return path + L"SonixUSB.DLL";
}

// Loaded once, by full path only: the DLL search path (current folder, PATH)
// never supplies the library.
bool MouseLink::Bind() {
    if (library_) return open_ != nullptr;
    std::wstring path = libraryPath_.empty() ? DefaultLibraryPath() : libraryPath_;
    if (path.empty() || path.find(L'\\') == std::wstring::npos) return false;
    library_ = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!library_) {
        wchar_t line[64];
        std::swprintf(line, 64, L"SonixUSB.DLL not loaded (%lu)\r\n", GetLastError());
        OutputDebugStringW(line);
        return false;
    }
    sonix::OpenFn open = nullptr;
    bool all = BindOrdinal(library_, sonix::kOpen, open) && BindOrdinal(library_, sonix::kClose, close_) &&
               BindOrdinal(library_, sonix::kReadInput, read_) && BindOrdinal(library_, sonix::kWriteOutput, write_) &&
               BindOrdinal(library_, sonix::kInputLength, inputLengthFn_) &&
               BindOrdinal(library_, sonix::kOutputLength, outputLengthFn_);
    if (!all) {
        OutputDebugStringW(L"SonixUSB.DLL lacks an ordinal\r\n");
        return false;  // open_ stays null: the mouse never opens
    }
    open_ = open;
    return true;
}

int MouseLink::OpenMouse() {
    // Every transfer opens afresh; the old handle would leak otherwise.
    CloseMouse();
    if (!Bind()) return 0;
    HANDLE h = open_(sonix::kVendorId, sonix::kProductId);
    if (h == INVALID_HANDLE_VALUE || h == nullptr) return 0;
    const uint32_t out = outputLengthFn_(h) & 0xFFFF;
    const uint32_t in = inputLengthFn_(h) & 0xFFFF;
    if (out == 0 || out > kReportSize || in == 0 || in > kReportSize) {
        // Our buffers hold 9 bytes; a longer report would overrun them.
        OutputDebugStringW(L"SonixUSB: report lengths do not fit 9 bytes\r\n");
        close_(h);
        return 0;
    }
    handle_ = h;
    outputLength_ = out;
    inputLength_ = in;
    return 1;
}

void MouseLink::CloseMouse() {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    close_(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

void MouseLink::TraceReport(const uint8_t (&r)[9]) {
    wchar_t line[64];
    std::swprintf(line, 64, L"%02x, %02x, %02x, %02x, %02x, %02x, %02x, %02x, %02x\r\n", r[0], r[1], r[2], r[3], r[4], r[5],
                  r[6], r[7], r[8]);
    OutputDebugStringW(line);
}

int MouseLink::Write(const uint8_t (&report)[9]) {
    if (!IsOpen()) return 0;
    DWORD count = 0;
    return write_(handle_, report, outputLength_, &count) ? 1 : 0;
}

int MouseLink::SendReport(const uint8_t (&report)[9]) {
    TraceReport(report);
    return Write(report);
}

int MouseLink::SendReportChecked(const uint8_t (&report)[9]) {
    TraceReport(report);
    const int written = Write(report);
    // The answer is consumed but not judged: mice that do not echo a record
    // must not fail an upload.
    uint8_t answer[9] = {};
    ReadReport(answer);
    return written;
}

int MouseLink::ReadReport(uint8_t (&buffer)[9]) {
    if (!IsOpen()) return 0;
    DWORD count = 0;
    return read_(handle_, buffer, inputLength_, &count) ? 1 : 0;
}
