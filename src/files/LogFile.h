// Diagnostic log: a UTF-16LE file that starts each run with a stamped header.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

class LogFile {
public:
    static constexpr size_t kBufferBytes = 4096;
    static constexpr size_t kBufferChars = kBufferBytes / sizeof(wchar_t);

    // Local time source of the run header; replaceable so a test can fix it.
    using Clock = SYSTEMTIME (*)();

    LogFile();
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Replaces any file of that name with a new one holding the byte-order
    // mark and the run header. cap: size in bytes at which the file is
    // emptied, 0 for none. 1 opened; 0 when already open or not creatable.
    int Open(const std::wstring& name, uint32_t cap);
    // Writes the buffered text under the lock and applies the cap.
    void Flush();
    // Flushes and closes; returns this object, or nullptr when it was not open.
    LogFile* Close();
    bool IsOpen() const;

    // Appends text to the buffer, flushing when it fills; 0 when not open.
    int Write(const std::wstring& text);

    // Bytes counted as written since the file was last emptied.
    uint32_t Size() const;
    const std::wstring& Name() const { return name_; }

    void SetClock(Clock clock);

    // The header line for a time, as written after the byte-order mark.
    static std::wstring RunHeader(const SYSTEMTIME& t);

private:
    void Truncate();

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    uint32_t size_ = 0;
    uint32_t cap_ = 0;
    std::wstring name_;
    wchar_t buffer_[kBufferChars];
    size_t used_ = 0;  // write position, in characters
    CRITICAL_SECTION lock_;
    Clock clock_;
};

// The process-wide log.
LogFile& TheLogFile();
