// The one owner of uploads in the window program. Apply and OK on either
// page, the undo of a risky apply and the profile follower's switches all
// start here: the busy test, the left-click rule, the wait cursor, the
// question whether to keep a risky change, and the outcome the user sees.
// Pages only edit the store and show it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

#include "config/DeviceStore.h"

class UploadOwner {
public:
    enum class Start {
        Started,  // the outcome comes later
        Busy,     // an upload runs; "System Busy!!!" was shown
        Refused,  // the left-click rule; its text was shown
        Failed,   // could not start; "Operation fail" was shown
    };
    // A profile switch that was not started, and why.
    enum class Switch { Started, Busy, NoLeftClick, UnappliedEdits, Same, Failed };

    explicit UploadOwner(DeviceStore& store);
    ~UploadOwner();
    UploadOwner(const UploadOwner&) = delete;
    UploadOwner& operator=(const UploadOwner&) = delete;

    DeviceStore& Store() { return store_; }
    // Owns the message boxes and the keep dialog; shows the wait cursor.
    void SetWindow(HWND main) { main_ = main; }
    // Shows the store on every page again (after an undo or a switch).
    void SetShowStore(std::function<void()> show) { showStore_ = std::move(show); }

    // Apply's first step: while an upload runs (or the keep question is
    // open) shows "System Busy!!!" and returns true.
    bool RefuseWhenBusy();
    // The user's applies: the button table, or the performance settings
    // (the rate already in the table's slot 9) with this DPI.
    Start ApplyButtons();
    Start ApplyPerformance(uint32_t dpi);
    // OK: after the next apply's outcome, end is called when it succeeded,
    // or its change was kept or undone; a failure keeps the window.
    // Also resets LastStart.
    void EndAfterApply(std::function<void()> end) {
        end_ = std::move(end);
        lastStart_ = Start::Started;
    }
    void CancelEnd() { end_ = nullptr; }

    // A profile switch: the table becomes records and is uploaded quietly
    // (no boxes, no wait cursor). done(ok) follows a Started switch.
    Switch SwitchProfile(const RecordArray& records, std::function<void(bool ok)> done);
    // The caller of a running switch goes away: its done is not called.
    void ForgetSwitch() { switchDone_ = nullptr; }

    bool Running() const { return running_ != Kind::None; }
    // How the last apply began.
    Start LastStart() const { return lastStart_; }
    // The message-only window the transfers report to.
    HWND Window() const { return window_; }

private:
    enum class Kind { None, Buttons, Performance, Switch };

    Start Begin(Kind kind, UploadStart start);
    void Done(WPARAM result);
    void AfterApply(Kind kind, WPARAM result);
    bool AskToKeepIfRisky(Kind kind);
    void ShowWaitCursor(bool on);
    void Finish(bool end);
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

    DeviceStore& store_;
    HWND main_ = nullptr;
    HWND window_ = nullptr;
    HWND cursorRoot_ = nullptr;
    Kind running_ = Kind::None;
    Start lastStart_ = Start::Started;
    bool asking_ = false;
    std::function<void()> showStore_;
    std::function<void()> end_;
    std::function<void(bool)> switchDone_;
    // What the mouse held before the running apply, for its undo.
    RecordArray before_{};
    SlotMask beforeKnown_ = 0;
    uint32_t beforeDpi_ = 0;
    uint32_t newDpi_ = 0;
};
