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
#include <vector>

#include "config/DeviceStore.h"
#include "controls/Window.h"

// Told what the upload owner did; each call runs on the window thread.
class UploadListener {
public:
    virtual ~UploadListener() = default;
    // Nothing runs any more and no question is open.
    virtual void OnUploadsIdle() {}
    // A change the user applied is in the mouse (applied, or kept).
    virtual void OnUserApplied() {}
    // A transfer of ours ended (before the user hears of it).
    virtual void OnTransferEnded(const TransferResult&) {}
};

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
    void AddListener(UploadListener* listener);
    void RemoveListener(UploadListener* listener);

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
    // A profile the user chose (the tray menu): busy and the left-click rule
    // are said in boxes, choices not applied stay pending, and the mouse
    // holding it is all the user needs to see.
    Start ApplyProfile(const RecordArray& records);
    // Reads the mouse again (it came back, the computer woke up): what it
    // tells replaces what was known, never a pending choice. done says
    // whether it differed. False when busy (nothing started).
    bool Refresh(int requests, std::function<void(const TransferResult&, bool changed)> done);

    // The session ends (the system may end the process once this returns):
    // a running upload is finished within ms, and a risky change not kept
    // by the user is undone now. No box is shown. True when something had
    // to be waited for.
    bool EndSession(DWORD ms);
    // An upload runs or a question is open: ending now could lose a change.
    bool Unsettled() const { return running_ != Kind::None || asking_; }

    bool Running() const { return running_ != Kind::None; }
    // How the last apply began.
    Start LastStart() const { return lastStart_; }
    // The message-only window the transfers report to.
    HWND Window() const { return window_.Get(); }

private:
    enum class Kind { None, Buttons, Performance, Switch, ReadFirst, Profile, Refresh };

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
    void TellApplied();
    // Finishes a transfer of ours that ended without its done message.
    TransferResult FinishQuietly(DWORD ms);
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

    DeviceStore& store_;
    HWND main_ = nullptr;
    HiddenWindow window_;
    HWND cursorRoot_ = nullptr;
    Kind running_ = Kind::None;
    Start lastStart_ = Start::Started;
    bool asking_ = false;
    bool sessionEnded_ = false;
    HWND keepDialog_ = nullptr;
    std::function<void()> showStore_;
    std::vector<UploadListener*> listeners_;
    std::function<void()> end_;
    std::function<void(TransferStatus)> switchDone_;
    std::function<void(const TransferResult&, bool)> refreshDone_;
    MouseState beforeRefresh_;
    // The running apply's plan, and what the mouse held before it (its undo).
    UploadPlan plan_;
    MouseState before_;
    UploadPlan askedUndo_;  // the open question's undo
};
