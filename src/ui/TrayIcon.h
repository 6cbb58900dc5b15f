// The program's icon in the notification area while the main window is
// hidden there: the menu on a right click, "Config" on a double click.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

class CTrayIcon {
public:
    // Every request to the shell goes through this; tests record them.
    using ShellNotify = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAW data);

    // menuId is both the tray menu's resource and the icon's identifier.
    explicit CTrayIcon(UINT menuId, ShellNotify shell = nullptr);
    virtual ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    void SetNotifyTarget(HWND owner, UINT callbackMessage);
    // The menu shown on a right click, made afresh each time; without one
    // the menu resource's first popup. Its first item is the double click's.
    void SetMenuBuilder(std::function<HMENU()> builder) { builder_ = std::move(builder); }
    // Shows the icon and tip of a resource id (0: removes the icon).
    // The tip always reads "Mirvostan".
    int SetTrayIconById(UINT id);
    // icon nullptr removes it; tip nullptr keeps the current tip.
    int SetTrayIcon(HICON icon, const wchar_t* tip);
    // The callback message's wParam and lParam. 1 when acted on.
    virtual int HandleTrayNotification(WPARAM wp, LPARAM lp);
    // The shell's task bar came back (Explorer restarted): a shown icon is
    // added again, so a hidden window can still be brought back.
    int OnTaskbarCreated();

    bool IsShown() const { return data_.hIcon != nullptr; }
    const NOTIFYICONDATAW& Record() const { return data_; }

private:
    void SetTip(const wchar_t* tip);

    ShellNotify shell_;
    NOTIFYICONDATAW data_;
    std::function<HMENU()> builder_;
};

// The message id the shell broadcasts when its task bar is (re)created.
UINT TaskbarCreatedMessage();
