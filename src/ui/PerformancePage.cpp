#include "ui/PerformancePage.h"

#include <algorithm>
#include <string>

#include "i18n/Language.h"
#include "controls/Look.h"
#include "controls/SkinPicture.h"
#include "ui/Layout.h"
#include "ui/PlainPictures.h"

namespace {

const int kTracks[4] = {IDC_PERF_TRACK1, IDC_PERF_TRACK2, IDC_PERF_TRACK3, IDC_PERF_TRACK4};
const int kThumbs[4] = {IDC_PERF_THUMB1, IDC_PERF_THUMB2, IDC_PERF_THUMB3, IDC_PERF_THUMB4};
const int kLabels[4] = {IDC_PERF_LABEL1, IDC_PERF_LABEL2, IDC_PERF_LABEL3, IDC_PERF_LABEL4};
const int kLabelPictures[4][2] = {{IDB_LEVEL1_OVER, IDB_LEVEL1}, {IDB_LEVEL2_OVER, IDB_LEVEL2},
                                  {IDB_LEVEL3_OVER, IDB_LEVEL3}, {IDB_LEVEL4_OVER, IDB_LEVEL4}};
const COLORREF kLabelKey = RGB(0, 255, 0);
const COLORREF kThumbKey = RGB(0, 0, 0);
// A thumb's left edge starts this far into its track.
constexpr int kFirstThumbLeft = 7;
// The track picture's size, in picture pixels.
constexpr SIZE kTrackSize{404, 42};

// Marks painted on a track, and the DPI each stands for.
const PerformancePage::Mark kMarks[7] = {{12, 600},  {75, 1200},  {138, 1800}, {200, 2400},
                                         {265, 3200}, {326, 4800}, {390, 6000}};
// Where a click stops belonging to a mark: the first distance of the next one.
const int kSnapEdges[6] = {75, 140, 200, 260, 320, 380};

// Store report-rate code (poll interval in ms) and its list position.
struct Rate {
    int code;
    const wchar_t* text;
};
const Rate kRates[3] = {{kRate125Hz, L"125HZ"}, {kRate500Hz, L"500HZ"}, {kRate1000Hz, L"1000HZ"}};
const wchar_t* const kLevelCounts[] = {L"1", L"2", L"3", L"4"};

// The page's pictures: its background (the template's control without an
// id) and the four tracks.
const TemplatePicture kPictures[] = {{-1, IDB_PERF_PAGE_BG},
                                     {IDC_PERF_TRACK1, IDB_DPI_TRACK},
                                     {IDC_PERF_TRACK2, IDB_DPI_TRACK},
                                     {IDC_PERF_TRACK3, IDB_DPI_TRACK},
                                     {IDC_PERF_TRACK4, IDB_DPI_TRACK}};

RECT ClientRectOf(HWND parent, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A picture with words: the skin's, or in the plain look the words
// themselves on the system's colours.
void SetPicture(HWND picture, BitmapHandle& owned, int bitmapId, int textId) {
    const UINT dpi = skin::DpiOf(picture);
    // The words' rows only: the DPI caption's picture reaches over the track's rail.
    const SIZE size = skin::PictureSize(bitmapId);
    BitmapHandle bitmap(look::Plain() ? PlainCaption(GetUiText(textId), SIZE{size.cx, std::min<LONG>(size.cy, 30)}, dpi,
                                                     reinterpret_cast<HFONT>(SendMessageW(GetParent(picture), WM_GETFONT, 0, 0)))
                                      : skin::LoadPicture(bitmapId, dpi));
    SetWindowLongPtrW(picture, GWL_STYLE, WS_CHILD | WS_VISIBLE | SS_BITMAP);
    HGDIOBJ previous = reinterpret_cast<HGDIOBJ>(
        SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.Get())));
    // A picture the control made itself (a copy of ours) is ours to free.
    if (previous && previous != owned.Get() && previous != bitmap.Get()) DeleteObject(previous);
    owned = std::move(bitmap);
}

}  // namespace

PerformancePage::PerformancePage(DeviceStore& store, UploadOwner& uploads)
    : Page(IDD_PERFORMANCE_PAGE), store_(store), uploads_(uploads) {}

PerformancePage::Mark PerformancePage::SnapToMark(int distance) {
    int i = 0;
    while (i < 6 && distance >= kSnapEdges[i]) ++i;
    return kMarks[i];
}

PerformancePage::Mark PerformancePage::MarkOfDpi(int32_t dpi) {
    for (const Mark& m : kMarks)
        if (m.dpi == dpi) return m;
    return kMarks[0];
}

LRESULT DpiThumb::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    // The dialog would move the focus with the arrows; the slider keeps them.
    if (msg == WM_GETDLGCODE) return SkinButton::WndProc(msg, wp, lp) | DLGC_WANTARROWS;
    if (msg == WM_KEYDOWN && page_ && page_->SliderKey(level_, static_cast<UINT>(wp))) return 0;
    return SkinButton::WndProc(msg, wp, lp);
}

bool PerformancePage::SliderKey(int level, UINT vk) {
    constexpr int kLast = 6, kPage = 2;
    int index = 0;
    const int32_t shown = MarkOfDpi(levelDpi_[level]).dpi;  // where the thumb sits
    while (index < kLast && kMarks[index].dpi != shown) ++index;
    // Unknown: the thumb is left of the first mark.
    if (!levelDpi_[level]) index = -1;
    // As a slider of the system: right and down go up, left and up go down.
    switch (vk) {
    case VK_RIGHT: case VK_DOWN: ++index; break;
    case VK_LEFT: case VK_UP: --index; break;
    case VK_NEXT: index += kPage; break;
    case VK_PRIOR: index -= kPage; break;
    case VK_HOME: index = 0; break;
    case VK_END: index = kLast; break;
    default: return false;
    }
    const Mark& mark = kMarks[index < 0 ? 0 : index > kLast ? kLast : index];
    SetLevelDpi(level, mark.dpi, mark.offset);
    return true;
}

// The user's choice: the store has it at once.
void PerformancePage::SetLevelDpi(int level, int32_t dpi, int markOffset) {
    if (level == 0) store_.ChooseDpi(dpi);
    levelDpi_[level] = dpi;
    PlaceThumb(level, markOffset);
    ShowDpi(level, dpi);
}

// The thumb's name says its DPI; an unknown one has none.
void PerformancePage::ShowDpi(int level, int32_t dpi) {
    const std::wstring name = dpi ? L"DPI/CPI " + std::to_wstring(dpi) : std::wstring(L"DPI/CPI");
    HWND thumb = thumbs_[level].Hwnd();
    SetWindowTextW(thumb, name.c_str());
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, thumb, OBJID_CLIENT, CHILDID_SELF);
    if (level == 0) SetDpiNumber(dpi);
}

void PerformancePage::SetDpiNumber(int dpi) {
    dpiNumber_ = dpi;
    HWND number = Item(IDC_PERF_DPI_NUMBER);
    const std::wstring text = dpi > 0 ? FillText(GetUiText(STR_ID_DPI_NUMBER), std::to_wstring(dpi)) : std::wstring();
    SetWindowTextW(number, text.c_str());
    InvalidateRect(number, nullptr, TRUE);
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, number, OBJID_CLIENT, CHILDID_SELF);
}

// The number lies on a plain stretch of its plate: an opaque plate colour
// repaints it cleanly as it changes.
HBRUSH PerformancePage::OnCtlColor(HDC dc, HWND control, UINT message) {
    if (look::Plain()) return look::PlainCtlColor(dc, message);
    if (control != Item(IDC_PERF_DPI_NUMBER)) return nullptr;
    SetTextColor(dc, look::Colour(look::kText));
    SetBkColor(dc, look::Colour(look::kCard));
    return look::Brush(look::kCard);
}

void PerformancePage::LoadPlainTracks(UINT dpi) {
    if (!look::Plain()) {
        for (BitmapHandle& b : plainTracks_) b.Reset();
        return;
    }
    int offsets[7], values[7];
    for (int i = 0; i < 7; ++i) offsets[i] = kMarks[i].offset, values[i] = kMarks[i].dpi;
    for (int i = 0; i < 4; ++i) {
        BitmapHandle track(PlainTrack(kTrackSize, offsets, values, 7, dpi,
                                      reinterpret_cast<HFONT>(SendMessageW(Hwnd(), WM_GETFONT, 0, 0))));
        SendMessageW(Item(kTracks[i]), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(track.Get()));
        plainTracks_[i] = std::move(track);
    }
}

BOOL PerformancePage::OnInitDialog() {
    for (int i = 0; i < 4; ++i) {
        labels_[i].Attach(Hwnd(), kLabels[i]);
        labels_[i].SetBitmaps(kLabelPictures[i][0], kLabelKey, kLabelPictures[i][1], kLabelKey);
        labels_[i].SizeToContent();
    }
    for (int i = 0; i < 4; ++i) {
        labels_[i].SetDrawBorder(false, false);
        labels_[i].SetShape(paint::Shape{5, 5, 0});
        // What a pressed picture, moved by a pixel, leaves uncovered: the plate.
        for (int c : {SkinButton::kBackOver, SkinButton::kBackRest, SkinButton::kBackFocus}) {
            labels_[i].SetColour(c, look::Colour(look::kCard), false);
            thumbs_[i].SetColour(c, look::Colour(look::kCard), false);
        }
        thumbs_[i].Attach(Hwnd(), kThumbs[i]);
        thumbs_[i].SetPage(this, i);
        thumbs_[i].SetDrawBorder(false, false);
        thumbs_[i].SetPlainFace(L"", SkinButton::Glyph::Thumb);
        thumbs_[i].SetTextPainted(false, false);  // the text names it
        thumbs_[i].SetBitmaps(IDB_DPI_THUMB, kThumbKey);
        thumbs_[i].SizeToContent();
    }
    HWND levels = Item(IDC_PERF_LEVELS);
    for (const wchar_t* text : kLevelCounts) SendMessageW(levels, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendMessageW(levels, CB_SETCURSEL, 0, 0);
    // One level: only the first track and its thumb.
    for (int i = 1; i < 4; ++i) {
        ShowWindow(Item(kTracks[i]), SW_HIDE);
        ShowWindow(Item(kThumbs[i]), SW_HIDE);
        ShowWindow(Item(kLabels[i]), SW_HIDE);
    }
    ShowWindow(Item(kLabels[0]), SW_HIDE);

    rate_.Attach(Hwnd(), IDC_PERF_RATE);
    HWND rate = Item(IDC_PERF_RATE);
    for (const Rate& r : kRates) SendMessageW(rate, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(r.text));

    LayOutOnPictures(Hwnd(), IDD_PERFORMANCE_PAGE, skin::DpiOf(Hwnd()), kPictures);
    LoadPlainTracks(skin::DpiOf(Hwnd()));
    LoadCaptions();
    // The thumbs sit on the tracks the layout placed.
    for (int i = 0; i < 4; ++i) MoveThumb(i, skin::Scale(kFirstThumbLeft, skin::DpiOf(Hwnd())));
    for (int i = 1; i < 4; ++i) PlaceThumb(i, MarkOfDpi(levelDpi_[i]).offset);
    ShowStoreSettings();
    return TRUE;
}

void PerformancePage::OnDpiChanged(UINT dpi) {
    SetDialogFontAt(Hwnd(), IDD_PERFORMANCE_PAGE, dpi);
    for (int i = 0; i < 4; ++i) {
        labels_[i].SetBitmaps(kLabelPictures[i][0], kLabelKey, kLabelPictures[i][1], kLabelKey);
        labels_[i].SizeToContent();
        thumbs_[i].SetBitmaps(IDB_DPI_THUMB, kThumbKey);
        thumbs_[i].SizeToContent();
    }
    LayOutOnPictures(Hwnd(), IDD_PERFORMANCE_PAGE, dpi, kPictures);
    LoadPlainTracks(dpi);
    LoadCaptions();
    for (int i = 0; i < 4; ++i) PlaceThumb(i, levelDpi_[i] ? MarkOfDpi(levelDpi_[i]).offset : kNoMark);
    InvalidateRect(Hwnd(), nullptr, TRUE);
}

void PerformancePage::MoveThumb(int level, int left) {
    HWND thumb = Item(kThumbs[level]);
    const RECT track = ClientRectOf(Hwnd(), Item(kTracks[level]));
    const int above = skin::Scale(1, skin::DpiOf(Hwnd()));
    SetWindowPos(thumb, nullptr, track.left + left, track.top - above, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(thumb, nullptr, TRUE);
}

// The thumb's centre on the mark; for no mark, just left of the track.
void PerformancePage::PlaceThumb(int level, int markOffset) {
    RECT t;
    GetWindowRect(Item(kThumbs[level]), &t);
    const int width = t.right - t.left;
    const int dpi = static_cast<int>(skin::DpiOf(Hwnd()));
    MoveThumb(level, markOffset == kNoMark ? -width - skin::Scale(2, dpi) : skin::Scale(markOffset, dpi) - width / 2);
}

void PerformancePage::LoadCaptions() {
    // The report-rate list is named by the invisible label before it.
    SetDlgItemTextW(Hwnd(), IDC_PERF_RATE_NAME, GetUiText(STR_ID_USB_REPORT_RATE).c_str());
    SetPicture(Item(IDC_PERF_CAPTION_DPI), captionDpi_, GetLanguageBitmap(IDB_CAPTION_DPI), STR_ID_DPI_CPI_CFG);
    SetPicture(Item(IDC_PERF_CAPTION_RATE), captionRate_, GetLanguageBitmap(IDB_CAPTION_RATE), STR_ID_USB_REPORT_RATE);
}

void PerformancePage::RefreshPageTexts() {
    LoadCaptions();
    SetDpiNumber(dpiNumber_);
    for (int id : {IDC_PERF_CAPTION_DPI, IDC_PERF_CAPTION_RATE}) {
        ShowWindow(Item(id), SW_HIDE);
        ShowWindow(Item(id), SW_SHOW);
    }
}

void PerformancePage::ShowStoreSettings() {
    // As it is, also when it is no mark's; 0 while nobody knows it.
    const int32_t dpi = store_.Model().ShownDpi();
    levelDpi_[0] = dpi;
    PlaceThumb(0, dpi ? MarkOfDpi(dpi).offset : kNoMark);
    ShowDpi(0, dpi);
    const int32_t code = store_.Model().ShownReportRateCode();
    int selected = -1;
    for (int i = 0; i < 3; ++i)
        if (kRates[i].code == code) selected = i;
    SendMessageW(Item(IDC_PERF_RATE), CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int PerformancePage::RateIndex() const { return static_cast<int>(SendMessageW(Item(IDC_PERF_RATE), CB_GETCURSEL, 0, 0)); }

int PerformancePage::ApplyPage() { return uploads_.ApplyPerformance() == UploadOwner::Start::Started ? 1 : 0; }

void PerformancePage::Click(POINT client) {
    POINT screen = client;
    ClientToScreen(Hwnd(), &screen);
    for (int level = 0; level < 4; ++level) {
        HWND track = Item(kTracks[level]);
        RECT r;
        if (!IsWindowVisible(track) || !GetWindowRect(track, &r) || !PtInRect(&r, screen)) continue;
        // Marks are in picture pixels; the track is drawn at the window's scale.
        const Mark mark = SnapToMark(MulDiv(screen.x - r.left, skin::kBaseDpi, skin::DpiOf(Hwnd())));
        SetLevelDpi(level, mark.dpi, mark.offset);
        return;
    }
}

bool PerformancePage::OnCommand(int id, int code, HWND control) {
    if (id == IDC_PERF_RATE) {
        if (code == CBN_SELCHANGE) store_.ChooseReportRate(static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0)));
        return true;
    }
    return Page::OnCommand(id, code, control);
}

bool PerformancePage::HandleMessage(UINT msg, WPARAM, LPARAM lp, LRESULT&) {
    // A quick second click arrives as a double click; it moves the thumb too.
    // The default handling of the click follows (not handled here).
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) Click(POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
    return false;
}
