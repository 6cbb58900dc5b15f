// LinkLabel: transparent drawing onto the parent's picture (read back from
// the screen), its font, and text layout by static style (rendered through
// WM_PRINTCLIENT into a memory bitmap).
#include <string>

#include "control_fixture.h"
#include "controls/Gdi.h"
#include "controls/LinkLabel.h"

namespace {

constexpr COLORREF kPicture = RGB(30, 140, 90);

bool IsInk(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 200; }

struct PixelCount {
    int picture = 0, ink = 0, face = 0, total = 0;
};

PixelCount Count(const std::vector<COLORREF>& pixels) {
    PixelCount n;
    for (COLORREF c : pixels) {
        ++n.total;
        if (c == kPicture) ++n.picture;
        else if (IsInk(c)) ++n.ink;
        else if (c == GetSysColor(COLOR_BTNFACE)) ++n.face;
    }
    return n;
}

// The inked box of a control's own painting.
struct Ink {
    bool any = false;
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

Ink RenderInk(HWND control) {
    RECT r;
    GetClientRect(control, &r);
    WindowDC screen(nullptr);
    MemoryDC mem(screen.Get());
    BitmapHandle bmp(CreateCompatibleBitmap(screen.Get(), r.right, r.bottom));
    SelectObjectScope sel(mem.Get(), bmp.Get());
    FillRect(mem.Get(), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem.Get()), PRF_CLIENT);
    Ink ink;
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x)
            if (IsInk(GetPixel(mem.Get(), x, y))) {
                ink.any = true;
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
            }
    return ink;
}

class LinkLabelTest : public ControlTest {
protected:
    HWND Open(int dialogId, const std::function<void(TestDialog&)>& init) {
        dialog = std::make_unique<TestDialog>(dialogId);
        dialog->init = init;
        wnd = dialog->Create(nullptr);
        EXPECT_NE(wnd, nullptr);
        SetForegroundWindow(wnd);
        Pump(wnd);
        return wnd;
    }
    void TearDown() override {
        if (wnd) DestroyWindow(wnd);
        Pump(nullptr, 10);
    }
    std::vector<COLORREF> LabelPixels(int id) {
        HWND label = GetDlgItem(wnd, id);
        RECT r;
        GetClientRect(label, &r);
        return ScreenPixels(label, r);
    }

    std::unique_ptr<TestDialog> dialog;
    HWND wnd = nullptr;
};

TEST_F(LinkLabelTest, ATransparentLabelShowsThePictureBetweenItsLetters) {
    LinkLabel label, opaque;
    Open(IDD_T_BUTTONS, [&](TestDialog& d) {
        ASSERT_TRUE(label.Attach(d.Hwnd(), IDC_T_LABEL));
        ASSERT_TRUE(opaque.Attach(d.Hwnd(), IDC_T_OPAQUE));
        label.SetTransparent(true);
    });
    EXPECT_TRUE(GetWindowLongW(GetDlgItem(wnd, IDC_T_LABEL), GWL_EXSTYLE) & WS_EX_TRANSPARENT);

    PixelCount n = Count(LabelPixels(IDC_T_LABEL));
    EXPECT_GT(n.ink, 10) << "the letters are drawn";
    EXPECT_GT(n.picture, n.total / 2) << "the picture shows between the letters";
    EXPECT_EQ(n.face, 0) << "no background is filled";

    PixelCount o = Count(LabelPixels(IDC_T_OPAQUE));
    EXPECT_GT(o.ink, 10);
    EXPECT_GT(o.face, o.total / 2) << "an opaque label fills with the button face";

    // Cover the dialog, uncover it and let it repaint as after an expose.
    RECT dr;
    GetWindowRect(wnd, &dr);
    HWND cover = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE | SS_BLACKRECT, dr.left, dr.top,
                                 dr.right - dr.left, dr.bottom - dr.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(cover, nullptr);
    Pump(wnd);
    DestroyWindow(cover);
    InvalidateRect(wnd, nullptr, TRUE);
    Pump(wnd, 100);
    n = Count(LabelPixels(IDC_T_LABEL));
    EXPECT_GT(n.ink, 10) << "after uncovering";
    EXPECT_GT(n.picture, n.total / 2) << "after uncovering";
    EXPECT_EQ(n.face, 0) << "after uncovering";

    label.SetTransparent(false);
    EXPECT_FALSE(GetWindowLongW(GetDlgItem(wnd, IDC_T_LABEL), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    Pump(wnd);
    RedrawWindow(GetDlgItem(wnd, IDC_T_LABEL), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    n = Count(LabelPixels(IDC_T_LABEL));
    EXPECT_EQ(n.picture, 0) << "opaque again";
}

// Made transparent before it is attached, as a page may set it up first.
TEST_F(LinkLabelTest, TransparentBeforeAttachingTakesEffectOnAttach) {
    LinkLabel label;
    label.SetTransparent(true);
    Open(IDD_T_BUTTONS, [&](TestDialog& d) { ASSERT_TRUE(label.Attach(d.Hwnd(), IDC_T_LABEL)); });
    InvalidateRect(wnd, nullptr, TRUE);
    Pump(wnd, 100);
    const PixelCount n = Count(LabelPixels(IDC_T_LABEL));
    EXPECT_GT(n.ink, 10) << "the letters are drawn";
    EXPECT_GT(n.picture, n.total / 2) << "the picture shows between the letters";
    EXPECT_EQ(n.face, 0) << "no background is filled";
}

TEST_F(LinkLabelTest, ALabelWithoutFontDrawsWithTheSystemFont) {
    const wchar_t text[] = L"MMMMMMMM";
    auto extent = [&](HGDIOBJ font) {
        WindowDC screen(nullptr);
        SelectObjectScope sel(screen.Get(), font);
        SIZE s{};
        GetTextExtentPoint32W(screen.Get(), text, 8, &s);
        return s.cx;
    };
    const int system = extent(GetStockObject(SYSTEM_FONT));
    const int gui = extent(GetStockObject(DEFAULT_GUI_FONT));
    ASSERT_GT(std::abs(system - gui), 6) << "the two fonts must be told apart by width";

    LinkLabel label;
    Open(IDD_T_NOFONT, [&](TestDialog& d) {
        ASSERT_EQ(SendMessageW(GetDlgItem(d.Hwnd(), IDC_T_LABEL), WM_GETFONT, 0, 0), 0) << "precondition: no font";
        ASSERT_TRUE(label.Attach(d.Hwnd(), IDC_T_LABEL));
    });
    // A font given to the control later does not change the label's copy.
    SendMessageW(GetDlgItem(wnd, IDC_T_LABEL), WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    Ink ink = RenderInk(GetDlgItem(wnd, IDC_T_LABEL));
    ASSERT_TRUE(ink.any);
    // The ink is the advance width less the outer bearings of the letters.
    EXPECT_NEAR(ink.right - ink.left + 1, system, std::abs(system - gui) / 3)
        << "system font width " << system << ", GUI font " << gui;
}

struct LayoutRow {
    const char* name;
    DWORD style;
    const wchar_t* text;
    enum { Left, Centre, Right } horizontal;
    bool verticallyCentred;
    bool wraps;  // more than one line of ink
};

class LabelLayout : public LinkLabelTest, public ::testing::WithParamInterface<LayoutRow> {};

TEST_P(LabelLayout, FollowsTheStaticStyle) {
    const LayoutRow& row = GetParam();
    LinkLabel label;
    Open(IDD_T_BUTTONS, [&](TestDialog& d) {
        HWND c = CreateWindowW(L"STATIC", row.text, WS_CHILD | WS_VISIBLE | row.style, 10, 100, 120, 60, d.Hwnd(),
                               reinterpret_cast<HMENU>(9300), nullptr, nullptr);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
        ASSERT_TRUE(label.Attach(d.Hwnd(), 9300));
    });
    Ink ink = RenderInk(GetDlgItem(wnd, 9300));
    ASSERT_TRUE(ink.any) << row.name;
    const int centreX = (ink.left + ink.right) / 2, centreY = (ink.top + ink.bottom) / 2;
    switch (row.horizontal) {
    case LayoutRow::Left: EXPECT_LE(ink.left, 2) << row.name; break;
    case LayoutRow::Centre: EXPECT_NEAR(centreX, 60, 3) << row.name; break;
    case LayoutRow::Right: EXPECT_GE(ink.right, 110) << row.name; EXPECT_GT(ink.left, 70) << row.name; break;
    }
    if (row.verticallyCentred) EXPECT_NEAR(centreY, 30, 3) << row.name;
    else EXPECT_LE(ink.top, 6) << row.name;
    const int lineHeight = 16;
    EXPECT_EQ(ink.bottom - ink.top > lineHeight, row.wraps) << row.name << ": ink from " << ink.top << " to " << ink.bottom;
}

const wchar_t kLong[] = L"Press the key you want on this button";
const LayoutRow kLayouts[] = {
    {"left wraps", SS_LEFT, kLong, LayoutRow::Left, false, true},
    {"centre wraps", SS_CENTER, L"Key", LayoutRow::Centre, false, false},
    {"centre long wraps", SS_CENTER, kLong, LayoutRow::Centre, false, true},
    {"right", SS_RIGHT, L"Key", LayoutRow::Right, false, false},
    {"left without word wrap", SS_LEFTNOWORDWRAP, kLong, LayoutRow::Left, false, false},
    {"centre image: one centred line", SS_LEFT | SS_CENTERIMAGE, L"Key", LayoutRow::Centre, true, false},
    {"centre image with a line break stays at the top", SS_LEFT | SS_CENTERIMAGE, L"Key\r\nTwo", LayoutRow::Centre,
     false, true},
};

INSTANTIATE_TEST_SUITE_P(Styles, LabelLayout, ::testing::ValuesIn(kLayouts), [](const auto& info) {
    std::string n;
    for (const char* c = info.param.name; *c; ++c) n += isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return n;
});

}  // namespace
