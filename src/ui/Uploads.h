// The one owner of uploads in the window program. Apply and OK on either
// page, the undo of a risky apply and the profile follower's switches all
// start here. What is sent is the upload policy's decision; this owner
// keeps the boxes, the wait cursor and the question whether to keep a
// risky change, and it is the one answer to "is the mouse busy?". Pages
// only edit the store and show it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

#include "config/DeviceStore.h"

class UploadOwner {
public:
    enum class Start {
        Started,  // the outcome comes later
        Busy,     // busy; "System Busy!!!" was shown
        Refused,  // the left-click rule; its text was shown
        Failed,   // could not start; "Operation fail" was shown
    };
    // A profile switch that was not started, and why.
    enum class Switch { Started, Busy, NoLeftClick, UnappliedEdits, Same, Failed };

    explicit UploadOwner(DeviceStore& store);
    ~UploadOwner();
    UploadOwner(const UploadOwner&) = delete;
    UploadOwner& operator=(const UploadOwner&) = delete;

    // Owns the message boxes and the keep dialog; shows the wait cursor.
    void SetWindow(HWND main) { main_ = main; }
    // Shows the store on every page again (after a read, an undo or a switch).
    void SetShowStore(std::function<void()> show) { showStore_ = std::move(show); }
    // Told when nothing runs any more and no question is open.
    void SetIdleSink(std::function<void()> sink) { idleSink_ = std::move(sink); }
    // Told when a change the user applied is in the mouse (applied, or kept).
    void SetAppliedSink(std::function<void()> sink) { appliedSink_ = std::move(sink); }

    // The one busy test: an upload, read or switch of ours runs, the keep
    // question is open, or another program holds the mouse.
    bool IsBusy() const;
    // Apply's first step: when busy shows "System Busy!!!" and returns true.
    bool RefuseWhenBusy();
    // The user's applies: the button table, or the performance settings
    // (rate and DPI as chosen in the store).
    Start ApplyButtons();
    Start ApplyPerformance();
    // OK: after the next apply's outcome, end is called when it succeeded,
    // or its change was kept or undone; a failure keeps the window.
    // Also resets LastStart.
    void EndAfterApply(std::function<void()> end) {
        end_ = std::move(end);
        lastStart_ = Start::Started;
    }
    void CancelEnd() { end_ = nullptr; }

    // A profile switch: the profile's records are uploaded quietly (no
    // boxes, no wait cursor) and become the pages' once the mouse has them.
    // done follows a Started switch.
    Switch SwitchProfile(const RecordArray& records, std::function<void(TransferStatus)> done);
    // The caller of a running switch goes away: its done is not called.
    void ForgetSwitch() { switchDone_ = nullptr; }

    bool Running() const { return running_ != Kind::None; }
    // How the last apply began.
    Start LastStart() const { return lastStart_; }
    // The message-only window the transfers report to.
    HWND Window() const { return window_; }

private:
    enum class Kind { None, Buttons, Performance, Switch, ReadFirst };

    Start Apply(Kind kind, const UploadPlan& plan);
    Start Begin(Kind kind, UploadStart start);
    void Done();
    void AfterRead(const TransferResult& read);
    void AfterApply(Kind kind, const TransferResult& result);
    void AskToKeep(Kind kind);
    void ShowFailure(const TransferResult& result);
    void ShowWaitCursor(bool on);
    void Finish(bool end);
    void TellIdle();
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

    DeviceStore& store_;
    HWND main_ = nullptr;
    HWND window_ = nullptr;
    HWND cursorRoot_ = nullptr;
    Kind running_ = Kind::None;
    Start lastStart_ = Start::Started;
    bool asking_ = false;
    std::function<void()> showStore_;
    std::function<void()> idleSink_;
    std::function<void()> appliedSink_;
    std::function<void()> end_;
    std::function<void(TransferStatus)> switchDone_;
    // The running apply's plan, and what the mouse held before it (its undo).
    UploadPlan plan_;
    MouseState before_;
};
