// The program's one top-level window: a frameless dialog cut to the shape
// of its picture, hosting the buttons page, the performance page and an
// empty third page, with OK / Cancel / Apply, the title buttons, the
// language flags, the banner and the tray icon.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "controls/Gdi.h"
#include "controls/SkinButton.h"
#include "controls/Window.h"
#include "ui/TrayIcon.h"
#include "ui/Uploads.h"

class DeviceStore;
class ButtonsPage;
class PerformancePage;
class ProfilesPage;
class Page;
class StartupRead;

class MainWindow : public Dialog {
public:
    enum class PageId { Buttons, Third, Performance };
    static constexpr int kButtonCount = 16;
    // Where the banner leads; also its tooltip.
    static const wchar_t kBannerLink[];

    explicit MainWindow(DeviceStore& store, CTrayIcon::ShellNotify shell = nullptr);
    ~MainWindow() override;

    PageId CurrentPage() const { return current_; }
    // The start-up read of the mouse, running since before the window; the
    // window joins it before the pages show the store. Without one the
    // window reads the mouse itself.
    void SetStartupRead(StartupRead* read) { startupRead_ = read; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    SkinButton& Button(int id);
    Page* PageOf(PageId id) const;
    // The page's window, made when the page is first needed.
    Page* MadePage(PageId id);
    void PlacePages();
    void SetupButtons();
    void NameButtons();
    void LoadOkCancelApply();
    void SetPageButton(int id, int overId, int restingId);
    void SelectPage(PageId id);
    void Apply();
    void Ok();
    void SwitchLanguage(int code);
    void HideToTray();
    void ShowFromTray();
    bool PaintMinimised();
    static BOOL CALLBACK LeaveHover(HWND child, LPARAM);
    // Picture, size and shape at `dpi`, the window's top-left corner at `at`.
    void ShapeAt(UINT dpi, POINT at);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    // The skin or the plain look, as AppCfg.ini and the system say now:
    // every control again in the look that holds, the layout unchanged.
    void FollowLook();
    // The made pages' fonts, places and pictures again at the window's scale.
    void LayOutPagesAgain();
    static LRESULT CALLBACK FrameProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);

    DeviceStore& store_;
    StartupRead* startupRead_ = nullptr;
    // Before the pages, which use it, and after them in destruction.
    UploadOwner uploads_;
    SkinButton buttons_[kButtonCount];
    HWND tab_ = nullptr;
    POINT pageOrigin_{0, 0};
    BitmapHandle background_;
    SIZE backgroundSize_{0, 0};
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    std::unique_ptr<ButtonsPage> buttonsPage_;
    std::unique_ptr<ProfilesPage> thirdPage_;
    std::unique_ptr<PerformancePage> performancePage_;
    PageId current_ = PageId::Buttons;
    CTrayIcon tray_;
    // The tray tip after a profile switch; "Mirvostan" until one happened.
    std::wstring trayTip_;
};

// The region of a picture without its key-coloured pixels, over a width
// rounded down to a multiple of 4. nullptr when it cannot be built.
HRGN RegionFromPicture(HBITMAP picture, COLORREF key);
