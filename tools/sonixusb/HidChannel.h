// Fixed-length reports over an overlapped device handle (a HID interface).
// Reads and writes give up after a time-out, and a timed-out transfer is
// cancelled and finished before its buffer goes away, so no call blocks for
// good and the driver never writes into freed memory.
#pragma once
#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "link/ScopedHandle.h"

// The system calls a channel makes on its file, and its trace output. Tests
// replace them to play a device that goes away.
class ChannelCalls {
public:
    virtual ~ChannelCalls() = default;
    virtual BOOL Read(HANDLE file, void* buffer, DWORD length, OVERLAPPED* ov);
    virtual BOOL Write(HANDLE file, const void* buffer, DWORD length, OVERLAPPED* ov);
    virtual BOOL Result(HANDLE file, OVERLAPPED* ov, DWORD* transferred, BOOL wait);
    virtual BOOL Cancel(HANDLE file);
    virtual BOOL Close(HANDLE file);
    virtual void Trace(const wchar_t* line);

    static ChannelCalls& System();
};

class HidChannel {
public:
    // Takes ownership of file (opened with FILE_FLAG_OVERLAPPED). Lengths
    // include the report id byte.
    HidChannel(HANDLE file, DWORD inputLength, DWORD outputLength, ChannelCalls& calls = ChannelCalls::System());
    ~HidChannel();
    HidChannel(const HidChannel&) = delete;
    HidChannel& operator=(const HidChannel&) = delete;

    DWORD InputLength() const { return inputLength_; }
    DWORD OutputLength() const { return outputLength_; }

    // One input report into buffer (length at least InputLength()). TRUE
    // when a report came within timeoutMs; count gets its length.
    BOOL Read(BYTE* buffer, DWORD length, DWORD* count, DWORD timeoutMs);
    // One output report of exactly OutputLength() bytes (a longer buffer is
    // sent as its first OutputLength() bytes).
    BOOL Write(const BYTE* buffer, DWORD length, DWORD* count, DWORD timeoutMs);

    // From another thread (the library's close): ends a transfer that waits,
    // and every later one, with ERROR_OPERATION_ABORTED.
    void Abort();

    // The last failure, "operation: (0x0000048F) system text"; empty while
    // none failed.
    std::wstring LastError() const;

    // Errors after which the device is gone for good (unplugged, removed,
    // its driver stopped). An abort is one unless we cancelled ourselves.
    static bool DeviceGone(DWORD code, bool cancelledByUs = false);
    // "(0x0000048F) text", the code and the system's words for it.
    static std::wstring SystemText(DWORD code);
    // "operation: (0x0000048F) text", as hidapi keeps its last error.
    static std::wstring ErrorText(const wchar_t* operation, DWORD code);
    // "SonixUSB: " ErrorText, one line.
    static std::wstring ErrorLine(const wchar_t* operation, DWORD code);
    // ErrorLine to the debugger output.
    static void TraceError(const wchar_t* operation, DWORD code);

private:
    BOOL Transfer(bool write, DWORD length, DWORD* transferred, DWORD timeoutMs);
    BOOL Fail(const wchar_t* operation, DWORD code, bool cancelledByUs = false);
    void CloseFile();

    std::mutex lock_;  // one transfer at a time: they share buffer_ and event_
    ChannelCalls& calls_;
    HANDLE file_;      // nullptr once the device is gone
    ScopedHandle event_;
    ScopedHandle abort_;  // set by Abort
    mutable std::mutex errorLock_;
    std::wstring lastError_;
    DWORD inputLength_;
    DWORD outputLength_;
    std::vector<BYTE> buffer_;  // the transfer's own buffer, alive until it ends
};
