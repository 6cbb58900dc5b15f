#include "files/LogFile.h"

#include <algorithm>
#include <cwchar>

namespace {

SYSTEMTIME LocalNow() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t;
}

// Held for the lifetime of a scope.
class Hold {
public:
    explicit Hold(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    ~Hold() { LeaveCriticalSection(&cs_); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

private:
    CRITICAL_SECTION& cs_;
};

bool WriteAll(HANDLE file, const void* data, DWORD bytes, DWORD* written) {
    *written = 0;
    return WriteFile(file, data, bytes, written, nullptr) && *written == bytes;
}

}  // namespace

// The lock lives as long as the object: open and close may repeat, and a
// lock set up per open and torn down per close would be initialised twice or
// used after deletion by a flush that races a close.
LogFile::LogFile() : buffer_{}, clock_(LocalNow) { InitializeCriticalSection(&lock_); }

LogFile::~LogFile() {
    Close();
    DeleteCriticalSection(&lock_);
}

void LogFile::SetClock(Clock clock) { clock_ = clock ? clock : LocalNow; }

std::wstring LogFile::RunHeader(const SYSTEMTIME& t) {
    wchar_t text[96];
    int n = swprintf(text, sizeof(text) / sizeof(text[0]),
                     L"\r\n[\u65E5\u5FD7]===========%04d-%02d-%02d %02d:%02d:%02d %03d \r\n", t.wYear,
                     t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    return n > 0 ? std::wstring(text, n) : std::wstring();
}

int LogFile::Open(const std::wstring& name, uint32_t cap) {
    Hold hold(lock_);
    if (IsOpen()) return 0;
    HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    handle_ = file;

    cap_ = cap;
    size_ = SetFilePointer(handle_, 0, nullptr, FILE_END);
    if (size_ == INVALID_SET_FILE_POINTER) size_ = 0;
    if (cap_ != 0 && size_ >= cap_) Truncate();
    name_ = name;

    // The header goes straight to the file and is not counted against the cap.
    std::wstring header = RunHeader(clock_());
    size_t chars = std::min(header.size(), kBufferChars);
    std::copy(header.begin(), header.begin() + chars, buffer_);
    const unsigned char bom[2] = {0xFF, 0xFE};
    DWORD written = 0;
    WriteAll(handle_, bom, sizeof(bom), &written);
    WriteAll(handle_, buffer_, static_cast<DWORD>(chars * sizeof(wchar_t)), &written);

    std::fill(buffer_, buffer_ + kBufferChars, L'\0');
    used_ = 0;
    return 1;
}

void LogFile::Truncate() {
    SetFilePointer(handle_, 0, nullptr, FILE_BEGIN);
    SetEndOfFile(handle_);
    size_ = 0;
}

void LogFile::Flush() {
    Hold hold(lock_);
    if (!IsOpen()) return;
    DWORD bytes = static_cast<DWORD>(used_ * sizeof(wchar_t)) & ~1u;
    DWORD written = 0;
    if (bytes > 0) {
        WriteAll(handle_, buffer_, bytes, &written);
        FlushFileBuffers(handle_);
    }
    size_ += written;
    if (cap_ != 0 && size_ >= cap_) Truncate();
    used_ = 0;
}

int LogFile::Write(const std::wstring& text) {
    Hold hold(lock_);
    if (!IsOpen()) return 0;
    size_t done = 0;
    while (done < text.size()) {
        if (used_ == kBufferChars) Flush();
        size_t n = std::min(text.size() - done, kBufferChars - used_);
        std::copy(text.begin() + done, text.begin() + done + n, buffer_ + used_);
        used_ += n;
        done += n;
    }
    return 1;
}

LogFile* LogFile::Close() {
    Hold hold(lock_);
    if (!IsOpen()) return nullptr;
    Flush();
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return this;
}

bool LogFile::IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

uint32_t LogFile::Size() const { return size_; }

LogFile& TheLogFile() {
    // Built on first use, so it exists before the device store that opens it
    // and outlives it.
    static LogFile log;
    return log;
}
