#include "ui/MainWindow.h"

#include <commctrl.h>

#include <vector>

#include "config/DeviceStore.h"
#include "controls/Look.h"
#include "i18n/Language.h"
#include "resources/resource.h"
#include "ui/AboutDialog.h"
#include "ui/ButtonsPage.h"
#include "controls/SkinPicture.h"
#include "ui/Layout.h"
#include "ui/Messages.h"
#include "ui/PerformancePage.h"
#include "ui/ProfilesPage.h"

namespace {
constexpr COLORREF kKey = RGB(20, 255, 12);
constexpr COLORREF kButtonGreen = RGB(0, 255, 0);
constexpr UINT kAboutCommand = 0x0010;
constexpr UINT_PTR kFrameSubclass = 0x4D57;

// The order of the window's skinned buttons.
constexpr int kButtonIds[MainWindow::kButtonCount] = {
    IDC_FLAG_ITALIAN, IDC_FLAG_GERMANY, IDC_FLAG_FRANCE, IDC_FLAG_ENGLISH, IDC_FLAG_DUTCH, IDC_FLAG_CHINESE,
    IDC_MAIN_CLOSE,   IDC_MAIN_MINIMIZE, IDC_MAIN_TRAY,  IDC_MAIN_APPLY,   IDC_MAIN_CANCEL, IDC_MAIN_OK,
    IDC_MAIN_BANNER,  IDC_MAIN_PAGE_BUTTONS, IDC_MAIN_PAGE_THIRD, IDC_MAIN_PAGE_PERF};

struct Flag {
    int control;
    int picture;
    int language;
    const wchar_t* name;  // in its own language, so anyone finds theirs
};
constexpr Flag kFlags[] = {
    {IDC_FLAG_ITALIAN, IDB_FLAG_ITALIAN, Italian, L"Italiano"},
    {IDC_FLAG_GERMANY, IDB_FLAG_GERMANY, German, L"Deutsch"},
    {IDC_FLAG_FRANCE, IDB_FLAG_FRANCE, French, L"Fran\u00e7ais"},
    {IDC_FLAG_ENGLISH, IDB_FLAG_ENGLISH, English, L"English"},
    {IDC_FLAG_DUTCH, IDB_FLAG_DUTCH, Dutch, L"Nederlands"},
    {IDC_FLAG_CHINESE, IDB_FLAG_CHINESE, Chinese, L"\u4e2d\u6587"},
};

// The flags' faces in the plain look, which shows no pictures.
constexpr const wchar_t* kPlainFlags[] = {L"IT", L"DE", L"FR", L"EN", L"NL", L"\u4e2d"};

struct TitleButton {
    int control;
    int picture;
    int tip;  // text id: tooltip and name
    SkinButton::Glyph glyph;  // its face in the plain look
};
constexpr TitleButton kTitleButtons[] = {
    {IDC_MAIN_CLOSE, IDB_TITLE_CLOSE, STR_ID_CLOSE_PROGRAM, SkinButton::Glyph::Close},
    {IDC_MAIN_MINIMIZE, IDB_TITLE_MIN, STR_ID_MINIMIZE_PROGRAM, SkinButton::Glyph::Minimise},
    {IDC_MAIN_TRAY, IDB_TITLE_TRAY, STR_ID_HIDE_TO_TRAY, SkinButton::Glyph::Down},
};

// The plates' outlines in their pictures (picture pixels): focus rings and
// pressed edges follow them.
constexpr paint::Shape kTitleShape{5, 5, 0};
constexpr paint::Shape kCommandShape{8, 8, 0};
constexpr paint::Shape kTabShape{0, 0, 9};

// [General] Look=plain in AppCfg.ini asks for the plain look.
bool PlainChosen() {
    const std::wstring path = AppSettingsPath();
    if (path.empty()) return false;
    wchar_t value[32] = {};
    GetPrivateProfileStringW(L"General", L"Look", L"", value, 32, path.c_str());
    return lstrcmpiW(value, L"plain") == 0;
}

// The page buttons' names: the page names.
struct PageName {
    int control;
    int text;
};
constexpr PageName kPageNames[] = {
    {IDC_MAIN_PAGE_BUTTONS, STR_ID_BUTTONS}, {IDC_MAIN_PAGE_PERF, STR_ID_PERFORMANCE}, {IDC_MAIN_PAGE_THIRD, STR_ID_PROFILES}};

// Pictures of the page buttons per shown page: pointer-over / resting
// (0: the pointer-over picture at rest too).
struct PageButtonPictures {
    int over;
    int resting;
};
struct PageSelection {
    MainWindow::PageId page;
    PageButtonPictures buttons, profiles, performance;
};
constexpr PageSelection kSelections[] = {
    {MainWindow::PageId::Buttons, {IDB_PAGE_BUTTONS_SEL_OVER, IDB_PAGE_BUTTONS_SEL}, {IDB_PAGE3, 0},
     {IDB_PAGE_PERF_OVER, IDB_PAGE_PERF}},
    {MainWindow::PageId::Profiles, {IDB_PAGE_BUTTONS, 0}, {IDB_PAGE3_SELECTED, 0}, {IDB_PAGE_PERF_OVER, IDB_PAGE_PERF}},
    {MainWindow::PageId::Performance, {IDB_PAGE_BUTTONS_OVER, IDB_PAGE_BUTTONS}, {IDB_PAGE3, 0},
     {IDB_PAGE_PERF_SEL_OVER, IDB_PAGE_PERF_SEL}},
};

// The icon's size at the window's DPI where the system tells it.
int IconSize(int sizeMetric, UINT dpi) {
    using ForDpi = int(WINAPI*)(int, UINT);
    static const auto forDpi = reinterpret_cast<ForDpi>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    return forDpi ? forDpi(sizeMetric, dpi) : GetSystemMetrics(sizeMetric);
}

HICON LoadAppIcon(int sizeMetric, UINT dpi) {
    const int size = IconSize(sizeMetric, dpi);
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, LR_SHARED));
}

std::wstring ResourceString(UINT id) {
    const wchar_t* text = nullptr;
    const int n = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    return n > 0 && text ? std::wstring(text, static_cast<size_t>(n)) : std::wstring();
}
}  // namespace

const wchar_t MainWindow::kBannerLink[] = L"https://www.mirvostan.example/";

HRGN RegionFromPicture(HBITMAP picture, COLORREF key) {
    BITMAP info{};
    if (!picture || !GetObjectW(picture, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return nullptr;
    // Only whole groups of four columns count; the picture is fetched in
    // full (padded rows) and the rest of each row ignored.
    const int width = info.bmWidth & ~3;
    const int height = info.bmHeight;
    const int stride = (info.bmWidth * 3 + 3) & ~3;
    std::vector<unsigned char> pixels;
    try {
        pixels.resize(static_cast<size_t>(stride) * height);
    } catch (...) {
        return nullptr;
    }
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = info.bmWidth;
    bmi.bmiHeader.biHeight = -height;  // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    {
        WindowDC screen(nullptr);
        if (GetDIBits(screen.Get(), picture, 0, static_cast<UINT>(height), pixels.data(), &bmi, DIB_RGB_COLORS) != height)
            return nullptr;
    }
    // The rectangle without every key pixel, collected as the runs of the
    // other pixels and built in one call instead of one combine per pixel.
    const unsigned char kb = GetBValue(key), kg = GetGValue(key), kr = GetRValue(key);
    std::vector<RECT> runs;
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = pixels.data() + static_cast<size_t>(y) * stride;
        int x = 0;
        while (x < width) {
            while (x < width && row[x * 3] == kb && row[x * 3 + 1] == kg && row[x * 3 + 2] == kr) ++x;
            const int start = x;
            while (x < width && !(row[x * 3] == kb && row[x * 3 + 1] == kg && row[x * 3 + 2] == kr)) ++x;
            if (x > start) runs.push_back(RECT{start, y, x, y + 1});
        }
    }
    std::vector<unsigned char> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
    auto* rgn = reinterpret_cast<RGNDATA*>(data.data());
    rgn->rdh.dwSize = sizeof(RGNDATAHEADER);
    rgn->rdh.iType = RDH_RECTANGLES;
    rgn->rdh.nCount = static_cast<DWORD>(runs.size());
    rgn->rdh.nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
    rgn->rdh.rcBound = RECT{0, 0, width, height};
    if (!runs.empty()) memcpy(rgn->Buffer, runs.data(), runs.size() * sizeof(RECT));
    return ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), rgn);
}

MainWindow::MainWindow(DeviceStore& store, UploadOwner& uploads, ProgramProfiles& profiles, ProfileFollower& follower)
    : Dialog(IDD_MAIN), store_(store), uploads_(uploads), profiles_(profiles), follower_(follower) {}

// The pages go first: their windows are children of this one. The upload
// owner outlives the window and must not reach it any more.
MainWindow::~MainWindow() {
    uploads_.CancelEnd();
    uploads_.SetShowStore(nullptr);
    uploads_.SetWindow(nullptr);
    performancePage_.reset();
    profilesPage_.reset();
    buttonsPage_.reset();
}

void MainWindow::ShowProfilesStatus(const std::wstring& text, bool failed) {
    status_ = text;
    statusFailed_ = failed;
    if (profilesPage_ && profilesPage_->Hwnd()) profilesPage_->ShowStatus(text, failed);
}

void MainWindow::RefreshProfiles() {
    if (profilesPage_ && profilesPage_->Hwnd()) profilesPage_->RefreshPageTexts();
}

void MainWindow::Close(int result) {
    if (closed_) closed_(result);
}

void MainWindow::OnClose() { Close(IDCANCEL); }

SkinButton& MainWindow::Button(int id) {
    for (int i = 0; i < kButtonCount; ++i)
        if (kButtonIds[i] == id) return buttons_[i];
    return buttons_[0];  // never reached: every caller names one of the ids above
}

Page* MainWindow::PageOf(PageId id) const {
    switch (id) {
    case PageId::Buttons: return buttonsPage_.get();
    case PageId::Profiles: return profilesPage_.get();
    case PageId::Performance: return performancePage_.get();
    }
    return nullptr;
}

BOOL MainWindow::OnInitDialog() {
    look::ChoosePlain(PlainChosen());
    for (int i = 0; i < kButtonCount; ++i) buttons_[i].Attach(Hwnd(), kButtonIds[i]);
    tab_ = Item(IDC_MAIN_TAB);
    SetWindowSubclass(Hwnd(), FrameProc, kFrameSubclass, reinterpret_cast<DWORD_PTR>(this));

    if (HMENU system = GetSystemMenu(Hwnd(), FALSE)) {
        const std::wstring about = ResourceString(IDS_ABOUT);
        if (!about.empty()) {
            AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(system, MF_STRING, kAboutCommand, about.c_str());
        }
    }
    icon_ = LoadAppIcon(SM_CXICON, skin::DpiOf(Hwnd()));
    smallIcon_ = LoadAppIcon(SM_CXSMICON, skin::DpiOf(Hwnd()));
    SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_ ? smallIcon_ : icon_));

    const UINT dpi = skin::DpiOf(Hwnd());
    RECT r{};
    GetWindowRect(Hwnd(), &r);
    ShapeAt(dpi, POINT{r.left, r.top});
    LayOutOnPictures(Hwnd(), IDD_MAIN, dpi);
    // The pages show what the mouse holds: the read ends before they exist.
    if (beforePages_) beforePages_();
    PlacePages();
    SetupButtons();
    SelectPage(PageId::Buttons);
    // Focus rings stay hidden until the keyboard is used (the dialog manager
    // clears this at the first Tab or arrow), unless the user wants them always.
    BOOL alwaysCues = FALSE;
    SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &alwaysCues, 0);
    if (!alwaysCues) SendMessageW(Hwnd(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    // The first focus is the left button's list, where the work starts (not
    // the title bar's first button).
    if (HWND first = GetDlgItem(buttonsPage_->Hwnd(), IDC_BTN_LIST_LEFT)) {
        SetFocus(first);
        return FALSE;
    }
    return TRUE;
}

void MainWindow::ShapeAt(UINT dpi, POINT at) {
    background_.Reset(skin::LoadPicture(IDB_MAIN_BG, dpi, kKey));
    BITMAP bm{};
    if (background_ && GetObjectW(background_.Get(), sizeof bm, &bm)) backgroundSize_ = SIZE{bm.bmWidth, bm.bmHeight};
    // The window covers its whole picture whatever the dialog font makes
    // of the template's size; the region then cuts it to shape.
    if (backgroundSize_.cx > 0)
        SetWindowPos(Hwnd(), nullptr, at.x, at.y, backgroundSize_.cx, backgroundSize_.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(Hwnd(), nullptr, TRUE);
    // The system owns the region once the window has it.
    if (HRGN shape = RegionFromPicture(background_.Get(), kKey)) {
        if (!SetWindowRgn(Hwnd(), shape, TRUE)) DeleteObject(shape);
    }
}

// Moved to a monitor of another scale: everything again at its DPI, the
// window where the system suggests.
void MainWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
    ShapeAt(dpi, POINT{suggested.left, suggested.top});
    LayOutOnPictures(Hwnd(), IDD_MAIN, dpi);
    RECT area{};
    GetWindowRect(tab_, &area);
    MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&area), 2);
    pageOrigin_ = POINT{area.left, area.top};
    SetupButtons();
    SelectPage(current_);
    for (PageId id : {PageId::Buttons, PageId::Profiles, PageId::Performance}) {
        Page* page = PageOf(id);
        if (!page || !page->Hwnd()) continue;
        SetWindowPos(page->Hwnd(), nullptr, pageOrigin_.x, pageOrigin_.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    LayOutPagesAgain();
}

void MainWindow::LayOutPagesAgain() {
    const UINT dpi = skin::DpiOf(Hwnd());
    for (PageId id : {PageId::Buttons, PageId::Profiles, PageId::Performance}) {
        Page* page = PageOf(id);
        if (page && page->Hwnd()) page->OnDpiChanged(dpi);
    }
    RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainWindow::FollowLook() {
    const bool wasPlain = look::Plain();
    look::ChoosePlain(PlainChosen());
    look::Refresh();
    // The skin keeps its own colours whatever the system's; the plain look
    // takes new ones too.
    if (wasPlain == look::Plain() && !look::Plain()) return;
    SetupButtons();
    SelectPage(current_);
    LayOutPagesAgain();
}

void MainWindow::PlacePages() {
    uploads_.SetWindow(Hwnd());
    buttonsPage_ = std::make_unique<ButtonsPage>(store_, uploads_);
    profilesPage_ = std::make_unique<ProfilesPage>(profiles_, follower_);
    performancePage_ = std::make_unique<PerformancePage>(store_, uploads_);
    RECT area{};
    GetWindowRect(tab_, &area);
    MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&area), 2);
    pageOrigin_ = POINT{area.left, area.top};
    // It only marks where the pages go; painted, it would show beside them.
    ShowWindow(tab_, SW_HIDE);
    // Only the buttons page is made now; the others when first shown. The
    // profile follower works without its page's window.
    MadePage(PageId::Buttons);
    // After an undo, a read or a profile switch the pages show the store again.
    uploads_.SetShowStore([this] {
        buttonsPage_->ShowStoreConfiguration();
        if (performancePage_->Hwnd()) performancePage_->ShowStoreSettings();
    });
    ShowWindow(buttonsPage_->Hwnd(), SW_SHOW);
}

Page* MainWindow::MadePage(PageId id) {
    Page* page = PageOf(id);
    if (!page || page->Hwnd()) return page;
    if (!page->Create(Hwnd())) return page;
    if (id == PageId::Profiles) profilesPage_->ShowStatus(status_, statusFailed_);
    // Right after the page buttons in z-order, so that Tab reaches the page
    // between them and OK, as a reader would; hidden until selected.
    SetWindowPos(page->Hwnd(), Item(IDC_MAIN_PAGE_THIRD), pageOrigin_.x, pageOrigin_.y, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(page->Hwnd(), SW_HIDE);
    return page;
}

void MainWindow::SetupButtons() {
    // Every picture button carries its name as window text for screen
    // readers; the picture says it to the eye, so the text is not painted.
    // Pressed, it shows its pointer-over picture, without the system's edge.
    for (SkinButton& b : buttons_) {
        b.SetTextPainted(false, false);
        b.SetDrawBorder(false, false);
        // What a pressed picture, moved by a pixel, leaves uncovered.
        for (int c : {SkinButton::kBackOver, SkinButton::kBackRest, SkinButton::kBackFocus})
            b.SetColour(c, look::Colour(look::kPage), false);
    }
    for (const TitleButton& b : kTitleButtons) {
        Button(b.control).SetBitmaps(b.picture, kKey);
        Button(b.control).SizeToContent();
        // Its picture's plate is drawn a pixel inside the picture.
        Button(b.control).SetShape(kTitleShape);
        Button(b.control).SetPlainFace(L"", b.glyph);
    }
    for (int id : {IDC_MAIN_OK, IDC_MAIN_CANCEL, IDC_MAIN_APPLY}) Button(id).SetShape(kCommandShape);
    for (int id : {IDC_MAIN_PAGE_BUTTONS, IDC_MAIN_PAGE_PERF, IDC_MAIN_PAGE_THIRD}) Button(id).SetShape(kTabShape);
    NameButtons();
    LoadOkCancelApply();
    SetPageButton(IDC_MAIN_PAGE_BUTTONS, IDB_PAGE_BUTTONS, 0);
    SetPageButton(IDC_MAIN_PAGE_THIRD, IDB_PAGE3, 0);
    SetPageButton(IDC_MAIN_PAGE_PERF, IDB_PAGE_PERF, 0);
    ShowWindow(Item(IDC_MAIN_PAGE_THIRD), SW_SHOW);  // the profiles page

    SkinButton& banner = Button(IDC_MAIN_BANNER);
    banner.SetBitmaps(IDB_BANNER, kKey);
    banner.SizeToContent();
    banner.SetLink(kBannerLink);
    banner.SetTooltipText(kBannerLink);
    SetWindowTextW(banner.Hwnd(), kBannerLink);
    InvalidateRect(banner.Hwnd(), nullptr, TRUE);

    for (size_t i = 0; i < sizeof kFlags / sizeof kFlags[0]; ++i) {
        const Flag& f = kFlags[i];
        Button(f.control).SetBitmaps(f.picture, kKey);
        Button(f.control).SizeToContent();
        Button(f.control).SetTooltipText(f.name);
        Button(f.control).SetPlainFace(kPlainFlags[i], SkinButton::Glyph::None, false);
        SetWindowTextW(Button(f.control).Hwnd(), f.name);
    }
    // The banner says the maker's name in the plain look.
    banner.SetPlainFace(L"MIRVOSTAN", SkinButton::Glyph::None, false);
}

// Names (and tooltips) that follow the language.
void MainWindow::NameButtons() {
    for (const TitleButton& b : kTitleButtons) {
        const std::wstring tip = GetUiText(b.tip);
        Button(b.control).SetTooltipText(tip);
        SetWindowTextW(Button(b.control).Hwnd(), tip.c_str());
    }
    for (const PageName& p : kPageNames) SetWindowTextW(Item(p.control), GetUiText(p.text).c_str());
    const struct {
        int control, text;
    } commands[] = {{IDC_MAIN_OK, STR_ID_OK}, {IDC_MAIN_CANCEL, STR_ID_CANCEL}, {IDC_MAIN_APPLY, STR_ID_APPLY}};
    for (const auto& c : commands) SetWindowTextW(Item(c.control), GetUiText(c.text).c_str());
}

void MainWindow::LoadOkCancelApply() {
    struct {
        int control, over, resting;
    } const rows[] = {{IDC_MAIN_OK, IDB_OK_OVER, IDB_OK},
                      {IDC_MAIN_CANCEL, IDB_CANCEL_OVER, IDB_CANCEL},
                      {IDC_MAIN_APPLY, IDB_APPLY_OVER, IDB_APPLY}};
    for (const auto& r : rows) {
        SkinButton& b = Button(r.control);
        b.SetBitmaps(GetLanguageBitmap(r.over), kButtonGreen, GetLanguageBitmap(r.resting), kButtonGreen);
        b.SizeToContent();
    }
}

void MainWindow::SetPageButton(int id, int overId, int restingId) {
    SkinButton& b = Button(id);
    b.SetBitmaps(GetLanguageBitmap(overId), kKey, restingId ? GetLanguageBitmap(restingId) : 0, kKey);
    b.SizeToContent();
    InvalidateRect(b.Hwnd(), nullptr, TRUE);
}

void MainWindow::SelectPage(PageId id) {
    for (const PageSelection& s : kSelections) {
        if (s.page != id) continue;
        MadePage(id);
        for (PageId other : {PageId::Buttons, PageId::Profiles, PageId::Performance}) {
            Page* page = PageOf(other);
            if (page && page->Hwnd()) ShowWindow(page->Hwnd(), other == id ? SW_SHOW : SW_HIDE);
        }
        SetPageButton(IDC_MAIN_PAGE_BUTTONS, s.buttons.over, s.buttons.resting);
        SetPageButton(IDC_MAIN_PAGE_THIRD, s.profiles.over, s.profiles.resting);
        SetPageButton(IDC_MAIN_PAGE_PERF, s.performance.over, s.performance.resting);
        Button(IDC_MAIN_PAGE_BUTTONS).SetSelected(id == PageId::Buttons);
        Button(IDC_MAIN_PAGE_THIRD).SetSelected(id == PageId::Profiles);
        Button(IDC_MAIN_PAGE_PERF).SetSelected(id == PageId::Performance);
        current_ = id;
    }
}

void MainWindow::Apply() {
    if (uploads_.RefuseWhenBusy()) return;
    if (Page* page = PageOf(current_)) page->ApplyPage();
}

// OK applies and ends once the mouse has it (the upload owner ends the
// window then). An apply refused as busy or by the left-click rule ends at
// once; one that failed to start keeps the window and the user's choices.
void MainWindow::Ok() {
    uploads_.EndAfterApply([this] { Close(IDOK); });
    Apply();
    if (uploads_.Running()) return;
    uploads_.CancelEnd();
    if (uploads_.LastStart() != UploadOwner::Start::Failed) Close(IDOK);
}

void MainWindow::SwitchLanguage(int code) {
    // Chinese takes a font of its own (see SetDialogFontAt).
    const bool fontChanges = (GetUiLanguage() == Chinese) != (code == Chinese);
    SetUiLanguage(code);
    NameButtons();
    LoadOkCancelApply();
    SetPageButton(IDC_MAIN_PAGE_BUTTONS, IDB_PAGE_BUTTONS, 0);
    SetPageButton(IDC_MAIN_PAGE_THIRD, IDB_PAGE3, 0);
    SetPageButton(IDC_MAIN_PAGE_PERF, IDB_PAGE_PERF, 0);
    SelectPage(current_);
    buttonsPage_->RefreshPageTexts();
    if (performancePage_->Hwnd()) performancePage_->RefreshPageTexts();
    if (profilesPage_->Hwnd()) profilesPage_->RefreshPageTexts();
    if (fontChanges) {
        SetDialogFontAt(Hwnd(), IDD_MAIN, skin::DpiOf(Hwnd()));
        LayOutPagesAgain();
    }
}

bool MainWindow::OnCommand(int id, int code, HWND control) {
    if (control && code != BN_CLICKED) return false;
    switch (id) {
    case IDC_MAIN_OK:
        Ok();
        return true;
    case IDC_MAIN_APPLY:
        Apply();
        return true;
    case IDC_MAIN_CANCEL:
    case IDC_MAIN_CLOSE:
    case IDCANCEL:
        Close(IDCANCEL);
        return true;
    case IDOK:
        // Enter with no button of ours focused: neither applies nor closes,
        // so a stray key press loses no choice.
        return true;
    case IDC_MAIN_MINIMIZE:
        SendMessageW(Hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return true;
    case IDC_MAIN_PAGE_BUTTONS:
        SelectPage(PageId::Buttons);
        return true;
    case IDC_MAIN_PAGE_THIRD:
        SelectPage(PageId::Profiles);
        return true;
    case IDC_MAIN_PAGE_PERF:
        SelectPage(PageId::Performance);
        return true;
    case IDC_MAIN_TRAY:
        Close(0);
        return true;
    default:
        for (const Flag& f : kFlags) {
            if (f.control == id) {
                SwitchLanguage(f.language);
                return true;
            }
        }
        return false;
    }
}

bool MainWindow::PaintMinimised() {
    if (!IsIconic(Hwnd())) return false;
    PaintDC dc(Hwnd());
    SendMessageW(Hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0);
    RECT client{};
    GetClientRect(Hwnd(), &client);
    const int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
    DrawIcon(dc.Get(), (client.right - cx + 1) / 2, (client.bottom - cy + 1) / 2, icon_);
    return true;
}

bool MainWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_SYSCOMMAND:
        if ((wp & 0xFFF0) == kAboutCommand) {
            AboutDialog about;
            about.DoModal(Hwnd());
            result = 0;
            return true;
        }
        return false;
    case WM_PAINT:
        result = 0;
        return PaintMinimised();
    case WM_ERASEBKGND: {
        HDC dc = reinterpret_cast<HDC>(wp);
        MemoryDC memory(dc);
        if (look::Plain()) {
            RECT all{};
            GetClientRect(Hwnd(), &all);
            FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
        } else if (background_ && memory) {
            SelectObjectScope keep(memory.Get(), background_.Get());
            BitBlt(dc, 0, 0, backgroundSize_.cx, backgroundSize_.cy, memory.Get(), 0, 0, SRCCOPY);
        }
        result = 1;
        return true;
    }
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
        result = 0;
        return true;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
        // High contrast turned on or off (or its colours changed): the look
        // follows at once. AppCfg.ini's choice is read again with it.
        if (msg == WM_SYSCOLORCHANGE || wp == SPI_SETHIGHCONTRAST) FollowLook();
        return false;
    case WM_NCHITTEST: {
        // Dragging anywhere on the window's own background moves it.
        const LRESULT hit = DefWindowProcW(Hwnd(), msg, wp, lp);
        // The physical key of the primary button: the right one when the
        // user swapped them.
        const int primary = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
        result = hit == HTCLIENT && (GetAsyncKeyState(primary) & 0x8000) ? HTCAPTION : hit;
        return true;
    }
    case WM_ACTIVATE:
        // Alt+Tab away: no picture may stay lit; the buttons never hear of it.
        if (LOWORD(wp) == WA_INACTIVE) EnumChildWindows(Hwnd(), LeaveHover, 0);
        return false;
    default:
        return false;
    }
}

BOOL CALLBACK MainWindow::LeaveHover(HWND child, LPARAM) {
    if (auto* button = dynamic_cast<SkinButton*>(SubclassedControl::FromHandle(child))) button->LeavePointerOver();
    return TRUE;
}

LRESULT CALLBACK MainWindow::FrameProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    // A dialog procedure cannot hand back an icon handle, so this one
    // message is answered in front of it.
    if (msg == WM_QUERYDRAGICON) return reinterpret_cast<LRESULT>(reinterpret_cast<MainWindow*>(ref)->icon_);
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(wnd, FrameProc, kFrameSubclass);
    return DefSubclassProc(wnd, msg, wp, lp);
}
