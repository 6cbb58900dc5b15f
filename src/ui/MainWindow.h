// The program's window: a frameless dialog cut to the shape of its picture,
// hosting the buttons, performance and profiles pages, with OK / Cancel /
// Apply, the title buttons, the language flags and the banner. The
// resident makes it when the user wants it and frees it when it is closed
// or hidden in the tray.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "controls/Gdi.h"
#include "controls/SkinButton.h"
#include "controls/Window.h"
#include "ui/Uploads.h"

class DeviceStore;
class ButtonsPage;
class PerformancePage;
class ProfilesPage;
class ProfileFollower;
class ProgramProfiles;
class Page;

class MainWindow : public Dialog {
public:
    enum class PageId { Buttons, Profiles, Performance };
    static constexpr int kButtonCount = 16;
    // Where the banner leads; also its tooltip.
    static const wchar_t kBannerLink[];

    MainWindow(DeviceStore& store, UploadOwner& uploads, ProgramProfiles& profiles, ProfileFollower& follower);
    ~MainWindow() override;

    PageId CurrentPage() const { return current_; }
    // Called before the pages show the store (the start-up read, running
    // since before the window, is joined there).
    void SetBeforePages(std::function<void()> before) { beforePages_ = std::move(before); }
    // The user closed the window: IDOK for OK, IDCANCEL for Cancel, Close
    // and Esc, 0 for hiding it in the tray. The window stays until its
    // owner frees it.
    void SetClosed(std::function<void(int result)> closed) { closed_ = std::move(closed); }
    // The follower's last word, for the Profiles page's status line.
    void ShowProfilesStatus(const std::wstring& text, bool failed);
    // The rules changed elsewhere (the tray menu).
    void RefreshProfiles();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnClose() override;
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
    void Close(int result);
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
    UploadOwner& uploads_;
    ProgramProfiles& profiles_;
    ProfileFollower& follower_;
    std::function<void()> beforePages_;
    std::function<void(int)> closed_;
    SkinButton buttons_[kButtonCount];
    HWND tab_ = nullptr;
    POINT pageOrigin_{0, 0};
    BitmapHandle background_;
    SIZE backgroundSize_{0, 0};
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    std::unique_ptr<ButtonsPage> buttonsPage_;
    std::unique_ptr<ProfilesPage> profilesPage_;
    std::unique_ptr<PerformancePage> performancePage_;
    PageId current_ = PageId::Buttons;
    std::wstring status_;
    bool statusFailed_ = false;
};

// The region of a picture without its key-coloured pixels, over a width
// rounded down to a multiple of 4. nullptr when it cannot be built.
HRGN RegionFromPicture(HBITMAP picture, COLORREF key);
