// Fixed-length reports over an overlapped device handle (a HID interface).
// Reads and writes give up after a time-out, and a timed-out transfer is
// cancelled and finished before its buffer goes away, so no call blocks for
// good and the driver never writes into freed memory.
#pragma once
#include <windows.h>

#include <mutex>
#include <vector>

#include "link/ScopedHandle.h"

class HidChannel {
public:
    // Takes ownership of file (opened with FILE_FLAG_OVERLAPPED). Lengths
    // include the report id byte.
    HidChannel(HANDLE file, DWORD inputLength, DWORD outputLength);
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

    // "operation failed: code text" to the debugger output.
    static void TraceError(const wchar_t* operation, DWORD code);

private:
    BOOL Transfer(bool write, DWORD length, DWORD* transferred, DWORD timeoutMs);

    std::mutex lock_;  // one transfer at a time: they share buffer_ and event_
    ScopedHandle file_;
    ScopedHandle event_;
    DWORD inputLength_;
    DWORD outputLength_;
    std::vector<BYTE> buffer_;  // the transfer's own buffer, alive until it ends
};
