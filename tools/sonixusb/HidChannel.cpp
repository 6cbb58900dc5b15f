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
      abort_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      inputLength_(inputLength),
      outputLength_(outputLength),
      buffer_(inputLength > outputLength ? inputLength : outputLength) {}

HidChannel::~HidChannel() { CloseFile(); }

void HidChannel::CloseFile() {
    if (file_) calls_.Close(file_);
    file_ = nullptr;
}

void HidChannel::Abort() {
    if (abort_) SetEvent(abort_.Get());
}

std::wstring HidChannel::LastError() const {
    std::lock_guard<std::mutex> hold(errorLock_);
    return lastError_;
}

// What Windows answers once a device has been pulled: the two documented
// codes, and what HID class drivers give while the device is torn down.
bool HidChannel::DeviceGone(DWORD code, bool cancelledByUs) {
    switch (code) {
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_GEN_FAILURE:
    case ERROR_BAD_COMMAND:
    case ERROR_INVALID_HANDLE:
        return true;
    case ERROR_OPERATION_ABORTED:
        return !cancelledByUs;
    default:
        return false;
    }
}

std::wstring HidChannel::SystemText(DWORD code) {
    wchar_t text[256] = L"";
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, 256, nullptr);
    // The system's text ends in a line break of its own.
    size_t n = std::wcslen(text);
    while (n > 0 && (text[n - 1] == L'\r' || text[n - 1] == L'\n' || text[n - 1] == L' ')) --n;
    wchar_t head[24];
    std::swprintf(head, 24, L"(0x%08lX)", static_cast<unsigned long>(code));
    return head + std::wstring(n ? L" " : L"") + std::wstring(text, n);
}

std::wstring HidChannel::ErrorText(const wchar_t* operation, DWORD code) {
    return std::wstring(operation) + L": " + SystemText(code);
}

std::wstring HidChannel::ErrorLine(const wchar_t* operation, DWORD code) {
    return L"SonixUSB: " + ErrorText(operation, code) + L"\r\n";
}

void HidChannel::TraceError(const wchar_t* operation, DWORD code) { OutputDebugStringW(ErrorLine(operation, code).c_str()); }

BOOL HidChannel::Fail(const wchar_t* operation, DWORD code, bool cancelledByUs) {
    calls_.Trace(ErrorLine(operation, code).c_str());
    {
        std::lock_guard<std::mutex> hold(errorLock_);
        lastError_ = ErrorText(operation, code);
    }
    // Windows asks that handles of a removed device be closed; without one,
    // every later call fails at once instead of failing and tracing again.
    if (DeviceGone(code, cancelledByUs)) CloseFile();
    SetLastError(code);
    return FALSE;
}

BOOL HidChannel::Transfer(bool write, DWORD length, DWORD* transferred, DWORD timeoutMs) {
    *transferred = 0;
    if (!file_) {
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
    }
    if (!event_ || !abort_ || WaitForSingleObject(abort_.Get(), 0) == WAIT_OBJECT_0) {
        SetLastError(event_ && abort_ ? ERROR_OPERATION_ABORTED : ERROR_INVALID_HANDLE);
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
        const HANDLE waits[2] = {ov.hEvent, abort_.Get()};
        const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, timeoutMs);
        if (woke != WAIT_OBJECT_0) {
            // Timed out or aborted. The driver still holds buffer_ and ov:
            // cancel and wait for the end before either may go. A report
            // that slipped in counts.
            calls_.Cancel(file_);
            if (calls_.Result(file_, &ov, transferred, TRUE)) return TRUE;
            const DWORD late = GetLastError();
            if (woke == WAIT_OBJECT_0 + 1) {
                SetLastError(ERROR_OPERATION_ABORTED);
                return FALSE;
            }
            // A read that simply saw no report is the idle case, not news.
            if (write || DeviceGone(late, true))
                return Fail(write ? L"WriteFile (timed out)" : operation, write && late == ERROR_OPERATION_ABORTED ? ERROR_TIMEOUT : late, true);
            SetLastError(ERROR_TIMEOUT);
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
