// Follows the program in front and switches the mouse to its profile. The
// system reports foreground changes through an out-of-context event hook
// (no DLL in other programs); where it reports none from other programs
// (Wine), a look at the window in front every half second finds them. Once
// a program has stayed in front for the settle time, its profile (or the
// default) is read once and handed to the upload owner, which uploads it
// when it differs from what the mouse holds. A switch waits while the user
// has choices that are not applied or the mouse is busy, and goes ahead
// when the owner is idle again; a profile without a left click is never
// used. What the user applies while Mirvostan is in front cancels a switch
// still waiting. Never shows a message box: the outcome goes to a status sink.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "config/ProgramProfiles.h"
#include "link/Transfers.h"
#include "ui/Uploads.h"

class ProfileFollower : public UploadListener {
public:
    // failed: the switch could not be made. text: "profile game.mvf" or
    // "profile switch failed", in the UI language.
    using StatusSink = std::function<void(const std::wstring& text, bool failed)>;
    explicit ProfileFollower(UploadOwner& uploads);
    ~ProfileFollower() override;
    ProfileFollower(const ProfileFollower&) = delete;
    ProfileFollower& operator=(const ProfileFollower&) = delete;

    // The rules to follow; following runs while profiles.Follow() is set.
    // 1 when the state asked for holds (hook installed, or off).
    int SetProfiles(const ProgramProfiles& profiles);
    bool Following() const { return hook_ != nullptr; }
    void SetStatusSink(StatusSink sink) { status_ = std::move(sink); }

    // The seam between the hook and the decisions: a window came to the
    // front (tick count, its program's file name, whether it is ours).
    void OnForeground(uint32_t now, const std::wstring& program, bool ownWindow);
    // What the hook does with the window it reports: finds its program and
    // whether it is one of ours, then OnForeground.
    void OnWindowInFront(HWND window);
    // The look at the window in front: a window other than the last one seen
    // counts as a change.
    void PollForeground();
    // The mouse came back: the program in front counts as new, so its
    // profile goes to the mouse if it does not hold it.
    void Reconsider();
    // Foreground events the system delivered to the hook so far. (Wine 8
    // delivers none from other processes; see the README.)
    int HookEvents() const { return hookEvents_; }
    // Uploads started by switches so far (for tests and the page).
    int UploadsStarted() const { return uploadsStarted_; }
    const std::wstring& LastStatus() const { return lastStatus_; }
    // The message-only window that receives the timers and the done message.
    HWND Window() const { return window_.Get(); }

    // File name of the executable that owns a window; "" when unknown.
    static std::wstring ProgramOfWindow(HWND window);

private:
    static void CALLBACK HookProc(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child, DWORD thread,
                                  DWORD time);
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    void ArmSettleTimer(uint32_t now);
    void OnSettleTimer();
    void Want(const std::wstring& profile);
    void TrySwitch();
    void SwitchDone(TransferStatus status);
    void OnUploadsIdle() override { TrySwitch(); }
    void OnUserApplied() override;
    void Report(bool failed);
    void ReportText(const std::wstring& text, bool failed);

    UploadOwner& uploads_;
    ProgramProfiles profiles_;
    ForegroundSettle settle_;
    HiddenWindow window_;
    HWINEVENTHOOK hook_ = nullptr;
    HWND lastFront_ = nullptr;
    // The profile waiting for the mouse (busy) or the user (edits), read once.
    struct Wanted {
        std::wstring profile;
        RecordArray records{};
    };
    Wanted wanted_;
    Wanted active_;  // the last switch, running or done
    int uploadsStarted_ = 0;
    int hookEvents_ = 0;
    std::wstring lastStatus_;
    StatusSink status_;
};
