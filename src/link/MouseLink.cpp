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

MouseLink::MouseLink(std::wstring libraryPath) : libraryPath_(std::move(libraryPath)) {
    InitializeCriticalSection(&errorLock_);
}

MouseLink::~MouseLink() {
    CloseMouse();
    if (library_) FreeLibrary(library_);
    DeleteCriticalSection(&errorLock_);
}

void MouseLink::NoteError(const wchar_t* operation, DWORD code) {
    wchar_t text[256] = L"";
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, 256, nullptr);
    size_t n = std::wcslen(text);
    while (n > 0 && (text[n - 1] == L'\r' || text[n - 1] == L'\n' || text[n - 1] == L' ')) --n;
    wchar_t head[96];
    std::swprintf(head, 96, L"%ls: (0x%08lX) ", operation, static_cast<unsigned long>(code));
    EnterCriticalSection(&errorLock_);
    lastError_ = head + std::wstring(text, n);
    LeaveCriticalSection(&errorLock_);
}

void MouseLink::ClearError() {
    EnterCriticalSection(&errorLock_);
    lastError_.clear();
    LeaveCriticalSection(&errorLock_);
}

std::wstring MouseLink::LastError() const {
    EnterCriticalSection(&errorLock_);
    std::wstring text = lastError_;
    LeaveCriticalSection(&errorLock_);
    return text;
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
    ClearError();
    // Every transfer opens afresh; the old handle would leak otherwise.
    CloseMouse();
    if (!Bind()) {
        NoteError(L"load SonixUSB.DLL", library_ ? ERROR_PROC_NOT_FOUND : ERROR_MOD_NOT_FOUND);
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    HANDLE h = open_(sonix::kVendorId, sonix::kProductId);
    if (h == INVALID_HANDLE_VALUE || h == nullptr) {
        const DWORD code = GetLastError();
        NoteError(L"open", code ? code : ERROR_DEVICE_NOT_CONNECTED);
        return 0;
    }
    const uint32_t out = outputLengthFn_(h) & 0xFFFF;
    const uint32_t in = inputLengthFn_(h) & 0xFFFF;
    if (out == 0 || out > kReportSize || in == 0 || in > kReportSize) {
        // Our buffers hold 9 bytes; a longer report would overrun them.
        OutputDebugStringW(L"SonixUSB: report lengths do not fit 9 bytes\r\n");
        NoteError(L"report lengths", ERROR_INVALID_DATA);
        close_(h);
        return 0;
    }
    outputLength_ = out;
    inputLength_ = in;
    handle_.store(h);
    return 1;
}

void MouseLink::CloseMouse() {
    const HANDLE h = handle_.exchange(INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE) close_(h);
}

// The exchange makes the handle the reader's or ours, never both: whoever
// takes it closes it. A read that loaded it just before gets a failure
// from the library for the closed token.
void MouseLink::InterruptRead() { CloseMouse(); }

void MouseLink::TraceReport(const uint8_t (&r)[9]) {
    wchar_t line[64];
    std::swprintf(line, 64, L"%02x, %02x, %02x, %02x, %02x, %02x, %02x, %02x, %02x\r\n", r[0], r[1], r[2], r[3], r[4], r[5],
                  r[6], r[7], r[8]);
    OutputDebugStringW(line);
}

int MouseLink::Write(const uint8_t (&report)[9]) {
    const HANDLE h = handle_.load();
    if (h == INVALID_HANDLE_VALUE) return 0;
    DWORD count = 0;
    if (write_(h, report, outputLength_, &count)) return 1;
    NoteError(L"write", GetLastError());
    return 0;
}

int MouseLink::SendReport(const uint8_t (&report)[9]) {
    ClearError();
    TraceReport(report);
    return Write(report);
}

int MouseLink::SendReportChecked(const uint8_t (&report)[9]) {
    ClearError();
    TraceReport(report);
    const int written = Write(report);
    // The answer is consumed but not judged: mice that do not echo a record
    // must not fail an upload.
    uint8_t answer[9] = {};
    if (written && !ReadReport(answer) && Gone(GetLastError())) {
        // Unplugged right after the write: whether the mouse kept the
        // record is unknown, so the upload does not count as done.
        return 0;
    }
    return written;
}

bool MouseLink::Gone(DWORD code) {
    return code == ERROR_DEVICE_NOT_CONNECTED || code == ERROR_DEVICE_REMOVED || code == ERROR_GEN_FAILURE ||
           code == ERROR_BAD_COMMAND || code == ERROR_INVALID_HANDLE || code == ERROR_OPERATION_ABORTED;
}

int MouseLink::ReadReport(uint8_t (&buffer)[9]) {
    ClearError();
    const HANDLE h = handle_.load();
    if (h == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);  // no mouse open
        return 0;
    }
    DWORD count = 0;
    if (read_(h, buffer, inputLength_, &count)) return 1;
    // Waiting out the time-out is the idle case, not an error worth keeping.
    const DWORD code = GetLastError();
    if (code != ERROR_TIMEOUT && code != ERROR_SEM_TIMEOUT) NoteError(L"read", code);
    SetLastError(code);
    return 0;
}
