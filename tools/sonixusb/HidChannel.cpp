#include "HidChannel.h"

#include <cstring>
#include <cwchar>

BOOL ChannelCalls::Read(HANDLE file, void* buffer, DWORD length, OVERLAPPED* ov) {
    return ReadFile(file, buffer, length, nullptr, ov);
}

BOOL ChannelCalls::Write(HANDLE file, const void* buffer, DWORD length, OVERLAPPED* ov) {
    return WriteFile(file, buffer, length, nullptr, ov);
}

BOOL ChannelCalls::Result(HANDLE file, OVERLAPPED* ov, DWORD* transferred, BOOL wait) {
    return GetOverlappedResult(file, ov, transferred, wait);
}

BOOL ChannelCalls::Cancel(HANDLE file) { return CancelIo(file); }

BOOL ChannelCalls::Close(HANDLE file) { return CloseHandle(file); }

void ChannelCalls::Trace(const wchar_t* line) { OutputDebugStringW(line); }

ChannelCalls& ChannelCalls::System() {
    static ChannelCalls calls;
    return calls;
}

HidChannel::HidChannel(HANDLE file, DWORD inputLength, DWORD outputLength, ChannelCalls& calls)
    : calls_(calls),
      file_(file == INVALID_HANDLE_VALUE ? nullptr : file),
      event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      inputLength_(inputLength),
      outputLength_(outputLength),
      buffer_(inputLength > outputLength ? inputLength : outputLength) {}

HidChannel::~HidChannel() { CloseFile(); }

void HidChannel::CloseFile() {
    if (file_) calls_.Close(file_);
    file_ = nullptr;
}

bool HidChannel::DeviceGone(DWORD code) { return code == ERROR_DEVICE_NOT_CONNECTED || code == ERROR_DEVICE_REMOVED; }

std::wstring HidChannel::SystemText(DWORD code) {
    wchar_t text[256] = L"";
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, 256, nullptr);
    // The system's text ends in a line break of its own.
    size_t n = std::wcslen(text);
    while (n > 0 && (text[n - 1] == L'\r' || text[n - 1] == L'\n' || text[n - 1] == L' ')) --n;
    return std::to_wstring(code) + (n ? L" " : L"") + std::wstring(text, n);
}

std::wstring HidChannel::ErrorLine(const wchar_t* operation, DWORD code) {
    return L"SonixUSB: " + std::wstring(operation) + L" failed: " + SystemText(code) + L"\r\n";
}

void HidChannel::TraceError(const wchar_t* operation, DWORD code) { OutputDebugStringW(ErrorLine(operation, code).c_str()); }

BOOL HidChannel::Fail(const wchar_t* operation, DWORD code) {
    calls_.Trace(ErrorLine(operation, code).c_str());
    // Windows asks that handles of a removed device be closed; without one,
    // every later call fails at once instead of failing and tracing again.
    if (DeviceGone(code)) CloseFile();
    SetLastError(code);
    return FALSE;
}

BOOL HidChannel::Transfer(bool write, DWORD length, DWORD* transferred, DWORD timeoutMs) {
    *transferred = 0;
    if (!file_) {
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
    }
    if (!event_) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const wchar_t* operation = write ? L"WriteFile" : L"ReadFile";
    OVERLAPPED ov{};
    ov.hEvent = event_.Get();
    ResetEvent(ov.hEvent);
    const BOOL started = write ? calls_.Write(file_, buffer_.data(), length, &ov)
                               : calls_.Read(file_, buffer_.data(), length, &ov);
    if (!started) {
        const DWORD code = GetLastError();
        if (code != ERROR_IO_PENDING) return Fail(operation, code);
        if (WaitForSingleObject(ov.hEvent, timeoutMs) != WAIT_OBJECT_0) {
            // The driver still holds buffer_ and ov: cancel and wait for the
            // end before either may go. A report that slipped in counts.
            calls_.Cancel(file_);
            if (calls_.Result(file_, &ov, transferred, TRUE)) return TRUE;
            const DWORD late = GetLastError();
            // A read that simply saw no report is the idle case, not news.
            if (write || DeviceGone(late)) return Fail(write ? L"WriteFile (timed out)" : operation, late);
            SetLastError(late);
            return FALSE;
        }
    }
    if (!calls_.Result(file_, &ov, transferred, FALSE)) return Fail(operation, GetLastError());
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
