// The background reader (DrainReader) that consumes the mouse's input
// reports between transfers, and the runner of uploads on a TransferThread.
// Neither knows the store or any window message: the caller hands in what
// to run, the window to notify and the message to post.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>

#include "link/MouseLink.h"
#include "link/ScopedHandle.h"

// Longer than the library's read time-out (about 100 ms) plus the reader's
// 30 ms pause after a failed read, so a healthy reader always ends within it.
constexpr DWORD kDrainStopWaitMs = 1000;
// How long a start waits for the previous upload thread's last steps.
constexpr DWORD kTransferEndWaitMs = 2000;

// The done message's wParam: how an upload ended. Busy: another program
// had the mouse, and nothing was sent.
constexpr WPARAM kTransferFailed = 0;
constexpr WPARAM kTransferSucceeded = 1;
constexpr WPARAM kTransferBusy = 2;

enum class UploadStart {
    Started,  // one done message will be posted
    Busy,     // an upload runs (BusyEvent reset); the window says so
    Failed,   // could not start; nothing was posted and nothing will be
};

class DrainReader {
public:
    explicit DrainReader(MouseLink& link) : link_(link) {}
    ~DrainReader() { Stop(); }
    DrainReader(const DrainReader&) = delete;
    DrainReader& operator=(const DrainReader&) = delete;

    // Starts a reader (stopping a running one first). 1 started, 0 not.
    int Start();
    // Asks the reader to end and waits at most kDrainStopWaitMs. 1 when no
    // reader runs any more; 0 when it still does (its handle is kept).
    int Stop();
    bool Running() const;
    HANDLE Thread() const { return thread_.Get(); }

private:
    static DWORD WINAPI Proc(void* arg);

    MouseLink& link_;
    std::atomic<int> stop_{0};
    ScopedHandle thread_;
};

class TransferRunner {
public:
    // Runs on the TransferThread; its result (1 success, 0 failure) becomes
    // the done message's wParam. A body shows its own message boxes.
    using Body = std::function<int()>;

    explicit TransferRunner(DrainReader& reader) : reader_(reader) {}
    TransferRunner(const TransferRunner&) = delete;
    TransferRunner& operator=(const TransferRunner&) = delete;

    // Refuses while BusyEvent is reset, lets the previous thread finish,
    // stops the reader, resets BusyEvent and starts the thread. The thread
    // runs the body, restarts the reader, signals BusyEvent and then posts
    // doneMessage (wParam 1/0, lParam 0) to notify.
    UploadStart Start(Body body, HWND notify, UINT doneMessage);
    // 1 when no transfer thread runs, after waiting at most ms for it.
    int Wait(DWORD ms) const;
    HANDLE Thread() const { return thread_.Get(); }

private:
    static DWORD WINAPI Proc(void* arg);

    DrainReader& reader_;
    ScopedHandle thread_;
};
