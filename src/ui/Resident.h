// What runs from start to end, window or not: the hidden window that a
// second start and an installer find, the tray icon and its menu, the
// upload owner, the follower of the program in front, the watch for the
// mouse coming and going, waking up, and the end of the session. The main
// window is made when the user wants it and freed when it is hidden.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "config/ProgramProfiles.h"
#include "controls/Window.h"
#include "ui/ProfileFollower.h"
#include "ui/TrayIcon.h"
#include "ui/Uploads.h"

class DeviceStore;
class MainWindow;
class StartupRead;

class Resident : public UploadListener {
public:
    // hidden: started with --tray (only the tray icon, no start-up boxes,
    // and closing the window goes back to the tray).
    Resident(DeviceStore& store, bool hidden, CTrayIcon::ShellNotify shell = nullptr);
    ~Resident() override;
    Resident(const Resident&) = delete;
    Resident& operator=(const Resident&) = delete;

    // The hidden window, the rules and the tray icon; then the main window
    // unless hidden. read: the start-up read, joined before anything shows
    // the store. False when the hidden window could not be made.
    bool Start(StartupRead* read);
    // The message loop, until Exit (or, started plainly, until the main
    // window is closed: IDOK or IDCANCEL, as the window was closed).
    int Run();

    // The tray menu's commands besides Config (32805) and Exit (32804).
    static constexpr int kFollowCommand = 32806;
    static constexpr int kStartWithWindowsCommand = 32807;
    static constexpr int kFirstProfileCommand = 32810;  // the default, then each rule's
    // How often a missing mouse is looked for.
    static constexpr UINT kLookForMouseMs = 2000;
    // How long the end of a session waits for an upload.
    static constexpr DWORD kSessionEndWaitMs = 2000;

private:
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void OnCommand(int id);
    void JoinStartupRead();
    void ShowConfig();
    void FreeMainWindow();
    HMENU BuildTrayMenu();
    const RecordArray* ProfileRecords(const std::wstring& path);
    // The profile among the user's choices that the mouse holds, or -1.
    int HeldProfile();
    void ChooseProfile(size_t index);
    void ShowTrayIcon();
    void UpdateTrayTip();
    void OnFollowerStatus(const std::wstring& text, bool failed);
    void MouseGone();
    void MouseBack();
    void WatchForMouse(bool on);
    void LookForMouse();
    void TryRefresh();
    void OnQueryEndSession();
    void OnEndSession(bool ending);
    // Ends the message loop; code is the program's exit code.
    void Exit(int code);

    // UploadListener
    void OnUploadsIdle() override;
    void OnTransferEnded(const TransferResult& result) override;

    DeviceStore& store_;
    bool hidden_;
    HiddenWindow residentWindow_;
    HWND window_ = nullptr;  // residentWindow_'s
    UploadOwner uploads_;
    ProgramProfiles profiles_;
    ProfileFollower follower_;
    CTrayIcon tray_;
    std::unique_ptr<MainWindow> main_;
    StartupRead* read_ = nullptr;
    bool readJoined_ = false;
    bool mouseAbsent_ = false;
    bool refreshWanted_ = false;  // after a wake-up, once the owner is idle
    bool blockingShutdown_ = false;
    std::wstring status_;  // the follower's last word
    bool statusFailed_ = false;
    HDEVNOTIFY devices_ = nullptr;
    struct ReadProfile {
        std::wstring path;
        FILETIME stamp;
        RecordArray records;
        bool ok;
    };
    std::vector<ReadProfile> profileCache_;
};
