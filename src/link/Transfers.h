// The background reader (DrainReader) that consumes the mouse's input
// reports between transfers, and the runner of uploads on a TransferThread.
// Neither knows the store or any window message: the caller hands in what
// to run, the window to notify and the message to post.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "link/MouseLink.h"
#include "link/ScopedHandle.h"

// A stop closes the reader's pending read and wakes its pause, so a healthy
// reader ends at once; this bounds a library that ignores the close.
constexpr DWORD kDrainStopWaitMs = 1000;
// How long a start waits for the previous upload thread's last steps.
constexpr DWORD kTransferEndWaitMs = 2000;

// The stack each of these threads reserves: they call the mouse's library
// and little else, and a resident should not carry megabytes of stack.
constexpr SIZE_T kLinkThreadStack = 128 * 1024;

// How a transfer ended; also the done message's wParam. Busy: another
// program had the mouse, and nothing was sent. NoMouse: it could not be opened.
enum class TransferStatus : WPARAM { Failed = 0, Ok = 1, Busy = 2, NoMouse = 3 };

// How a transfer ended, with what the mouse library said last when it failed.
struct TransferResult {
    TransferStatus status = TransferStatus::Failed;
    std::wstring error;
    bool Ok() const { return status == TransferStatus::Ok; }
};

// The reader's pauses. It reads at full speed while reports come; after
// kDrainIdleReads time-outs in a row nothing is expected and it rests
// between reads. A read that fails at once (closed or dead channel) doubles
// its pause, from kDrainFailPauseMs up to kDrainMaxPauseMs.
constexpr int kDrainIdleReads = 3;
constexpr DWORD kDrainIdlePauseMs = 1900;
constexpr DWORD kDrainFailPauseMs = 30;
constexpr DWORD kDrainMaxPauseMs = 2000;

// The pause before the next read, given the last read's outcome.
struct DrainPace {
    int timeoutsInARow = 0;
    DWORD failPause = 0;  // 0 while the channel works
    // read: 1 a report came; 0 no report. spentMs: how long the read took.
    DWORD Next(int read, DWORD spentMs);
};

enum class UploadStart {
    Started,  // one done message will be posted
    Busy,     // an upload runs (BusyEvent reset); the window says so
    Failed,   // could not start; nothing was posted and nothing will be
};

class DrainReader {
public:
    explicit DrainReader(MouseLink& link);
    ~DrainReader() { Stop(); }
    DrainReader(const DrainReader&) = delete;
    DrainReader& operator=(const DrainReader&) = delete;

    // Starts a reader (stopping a running one first). 1 started, 0 not.
    int Start();
    // Asks the reader to end and waits at most kDrainStopWaitMs. 1 when no
    // reader runs any more; 0 when it still does (its handle is kept).
    int Stop();
    // Once per reader started: message posted to window when its reads find
    // the mouse gone (unplugged). nullptr: nobody is told.
    void SetGoneNotify(HWND window, UINT message) {
        goneWindow_ = window;
        goneMessage_ = message;
    }
    bool Running() const;
    HANDLE Thread() const { return thread_.Get(); }

private:
    static DWORD WINAPI Proc(void* arg);

    MouseLink& link_;
    std::atomic<int> stop_{0};
    HWND goneWindow_ = nullptr;
    UINT goneMessage_ = 0;
    ScopedHandle wake_;  // set by Stop: ends the reader's pause
    ScopedHandle thread_;
};

class TransferRunner {
public:
    // Runs on the TransferThread; its status becomes the done message's
    // wParam. A body shows nothing: the window thread tells the user.
    using Body = std::function<TransferResult()>;

    explicit TransferRunner(DrainReader& reader) : reader_(reader) {}
    TransferRunner(const TransferRunner&) = delete;
    TransferRunner& operator=(const TransferRunner&) = delete;

    // Refuses while BusyEvent is reset, lets the previous thread finish,
    // stops the reader, resets BusyEvent and starts the thread. The thread
    // runs the body, restarts the reader, signals BusyEvent and then posts
    // doneMessage (wParam the body's result, lParam 0) to notify.
    UploadStart Start(Body body, HWND notify, UINT doneMessage);
    // 1 when no transfer thread runs, after waiting at most ms for it.
    int Wait(DWORD ms) const;
    HANDLE Thread() const { return thread_.Get(); }
    // The result of the last body that ended, once; Failed with no text
    // when none is waiting.
    TransferResult TakeResult();

private:
    static DWORD WINAPI Proc(void* arg);

    DrainReader& reader_;
    ScopedHandle thread_;
    // Written by the thread before it posts, read by the window thread after.
    TransferResult result_;
    std::atomic<int> resultReady_{0};
};
