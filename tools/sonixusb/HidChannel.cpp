#include "HidChannel.h"

#include <cstring>
#include <cwchar>

HidChannel::HidChannel(HANDLE file, DWORD inputLength, DWORD outputLength)
    : file_(file),
      event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      inputLength_(inputLength),
      outputLength_(outputLength),
      buffer_(inputLength > outputLength ? inputLength : outputLength) {}

void HidChannel::TraceError(const wchar_t* operation, DWORD code) {
    wchar_t text[256] = L"";
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, 256, nullptr);
    wchar_t line[400];
    std::swprintf(line, 400, L"SonixUSB: %ls failed: %lu %ls\r\n", operation, code, text);
    OutputDebugStringW(line);
}

BOOL HidChannel::Transfer(bool write, DWORD length, DWORD* transferred, DWORD timeoutMs) {
    *transferred = 0;
    if (!file_ || !event_) return FALSE;
    OVERLAPPED ov{};
    ov.hEvent = event_.Get();
    ResetEvent(ov.hEvent);
    const BOOL started = write ? WriteFile(file_.Get(), buffer_.data(), length, nullptr, &ov)
                               : ReadFile(file_.Get(), buffer_.data(), length, nullptr, &ov);
    if (!started) {
        const DWORD code = GetLastError();
        if (code != ERROR_IO_PENDING) {
            TraceError(write ? L"WriteFile" : L"ReadFile", code);
            return FALSE;
        }
        if (WaitForSingleObject(ov.hEvent, timeoutMs) != WAIT_OBJECT_0) {
            // The driver still holds buffer_ and ov: cancel and wait for the
            // end before either may go. A report that slipped in counts.
            CancelIo(file_.Get());
            const BOOL late = GetOverlappedResult(file_.Get(), &ov, transferred, TRUE);
            if (!late && write) TraceError(L"WriteFile (timed out)", GetLastError());
            return late;
        }
    }
    if (!GetOverlappedResult(file_.Get(), &ov, transferred, FALSE)) {
        TraceError(write ? L"WriteFile" : L"ReadFile", GetLastError());
        return FALSE;
    }
    return TRUE;
}

BOOL HidChannel::Read(BYTE* buffer, DWORD length, DWORD* count, DWORD timeoutMs) {
    if (!buffer || length < inputLength_ || inputLength_ == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(lock_);
    DWORD got = 0;
    if (!Transfer(false, inputLength_, &got, timeoutMs)) return FALSE;
    if (got > length) got = length;
    std::memcpy(buffer, buffer_.data(), got);
    if (count) *count = got;
    return TRUE;
}

BOOL HidChannel::Write(const BYTE* buffer, DWORD length, DWORD* count, DWORD timeoutMs) {
    if (!buffer || length < outputLength_ || outputLength_ == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(lock_);
    std::memcpy(buffer_.data(), buffer, outputLength_);
    DWORD sent = 0;
    if (!Transfer(true, outputLength_, &sent, timeoutMs)) return FALSE;
    if (count) *count = sent;
    return TRUE;
}
