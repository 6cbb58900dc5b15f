// SkinButton on a real dialog: pictures and their transparent colours read
// back from the screen, pointer tracking under injected mouse input,
// clicks, focus and the standard button messages.
#include <string>

#include "control_fixture.h"
#include "controls/SkinButton.h"

namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kRedKey = RGB(255, 20, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kOverBack = RGB(200, 100, 50);
constexpr COLORREF kRestBack = RGB(50, 60, 70);
constexpr COLORREF kFocusBack = RGB(90, 90, 200);

std::vector<std::wstring> g_opened;
void RecordOpen(HWND, const std::wstring& link) { g_opened.push_back(link); }

class SkinButtonTest : public ControlTest {
protected:
    void Open(const std::function<void()>& setup = nullptr) {
        dialog.init = [this, setup](TestDialog& d) {
            ASSERT_TRUE(image.Attach(d.Hwnd(), IDC_T_IMAGE));
            ASSERT_TRUE(text.Attach(d.Hwnd(), IDC_T_TEXT));
            ASSERT_TRUE(next.Attach(d.Hwnd(), IDC_T_NEXT));
            image.SetColour(SkinButton::kBackOver, kOverBack, false);
            image.SetColour(SkinButton::kBackRest, kRestBack, false);
            image.SetColour(SkinButton::kBackFocus, kFocusBack, false);
            if (setup) setup();
        };
        wnd = dialog.Create(nullptr);
        ASSERT_NE(wnd, nullptr);
        SetForegroundWindow(wnd);
        SetFocus(GetDlgItem(wnd, IDC_T_NEXT));  // the picture button at rest, not focused
        Pump(wnd);
    }
    void TearDown() override {
        ControlTest::TearDown();
        if (wnd) DestroyWindow(wnd);
        Pump(nullptr, 10);
        SkinButton::SetLinkOpener(nullptr);
    }
    HWND Image() const { return GetDlgItem(wnd, IDC_T_IMAGE); }
    // Where the left (opaque) and right (transparent) halves of a 20 x 12
    // picture centred in the picture button lie.
    POINT PicturePoint(bool rightHalf) const {
        RECT r;
        GetClientRect(Image(), &r);
        const int left = (r.right - 20) / 2, top = (r.bottom - 12) / 2;
        return POINT{left + (rightHalf ? 15 : 4), top + 6};
    }
    COLORREF At(bool rightHalf) const {
        POINT p = PicturePoint(rightHalf);
        return ScreenPixel(Image(), p.x, p.y);
    }
    void PointerOntoImage() {
        MovePointerTo(Image(), Centre(Image()));
        Pump(wnd);
    }
    void PointerAway() {
        MovePointerTo(wnd, POINT{2, 2});
        PumpUntil(wnd, [&] { return !image.IsPointerOver(); });
    }

    TestDialog dialog{IDD_T_BUTTONS};
    SkinButton image, text, next;
    HWND wnd = nullptr;
};

TEST_F(SkinButtonTest, OnlyAPointerOverPictureShowsAtRestWithTheBackgroundThroughGreen) {
    Open([&] { EXPECT_EQ(image.SetBitmaps(IDB_T_OVER, kGreen), SkinButton::kBitmapsOk); });
    ASSERT_FALSE(image.IsPointerOver());
    EXPECT_EQ(At(false), kRed) << "the pointer-over picture stands in for the missing resting one";
    EXPECT_EQ(At(true), kRestBack) << "pure green shows the resting background";

    PointerOntoImage();
    ASSERT_TRUE(image.IsPointerOver());
    EXPECT_EQ(At(false), kRed);
    EXPECT_EQ(At(true), kOverBack) << "pure green shows the pointer-over background";
}

TEST_F(SkinButtonTest, PointerSwapsBetweenRestingAndPointerOverPictures) {
    Open([&] { EXPECT_EQ(image.SetBitmaps(IDB_T_OVER, kGreen, IDB_T_REST, kRedKey), SkinButton::kBitmapsOk); });
    EXPECT_EQ(At(false), kBlue) << "resting picture at rest";
    EXPECT_EQ(At(true), kRestBack) << "the resting picture's own transparent colour";

    PointerOntoImage();
    ASSERT_TRUE(image.IsPointerOver());
    EXPECT_EQ(At(false), kRed);

    PointerAway();
    EXPECT_FALSE(image.IsPointerOver()) << "leaving the button ends the pointer-over state";
    EXPECT_EQ(At(false), kBlue);
}

TEST_F(SkinButtonTest, DraggingOntoAFlatButtonDoesNotLightItUp) {
    Open([&] { image.SetBitmaps(IDB_T_OVER, kGreen, IDB_T_REST, kRedKey); });
    MovePointerTo(wnd, POINT{2, 2});
    Pump(wnd);
    LeftButton(true);
    Pump(wnd);
    PointerOntoImage();
    EXPECT_FALSE(image.IsPointerOver());
    EXPECT_EQ(At(false), kBlue);

    LeftButton(false);
    Pump(wnd);
    MovePointerTo(Image(), POINT{Centre(Image()).x + 1, Centre(Image()).y});
    Pump(wnd);
    EXPECT_TRUE(image.IsPointerOver()) << "a plain move after the release does light it";
    EXPECT_TRUE(dialog.commands.empty()) << "a drag that started elsewhere is no click";
}

TEST_F(SkinButtonTest, PointerTrackingOnlyInFlatMode) {
    Open([&] {
        image.SetBitmaps(IDB_T_OVER, kGreen, IDB_T_REST, kRedKey);
        image.SetFlat(false);
    });
    PointerOntoImage();
    EXPECT_FALSE(image.IsPointerOver());
    EXPECT_EQ(At(false), kBlue);
}

// Held down (by keyboard or a click), the button shows its pointer-over
// picture and background even with the pointer elsewhere.
TEST_F(SkinButtonTest, APressedButtonShowsThePointerOverPicture) {
    Open([&] { image.SetBitmaps(IDB_T_OVER, kGreen, IDB_T_REST, kRedKey); });
    ASSERT_FALSE(image.IsPointerOver());
    const struct {
        BOOL pressed;
        COLORREF picture, background;
    } rows[] = {{TRUE, kRed, kOverBack}, {FALSE, kBlue, kRestBack}, {TRUE, kRed, kOverBack}};
    for (const auto& row : rows) {
        SendMessageW(Image(), BM_SETSTATE, row.pressed, 0);
        Pump(wnd);
        EXPECT_EQ(At(false), row.picture) << "pressed " << row.pressed;
        EXPECT_EQ(At(true), row.background) << "pressed " << row.pressed;
    }
    SendMessageW(Image(), BM_SETSTATE, FALSE, 0);
}

TEST_F(SkinButtonTest, FocusedButtonUsesTheFocusBackgroundAndTheAccentRing) {
    Open([&] { image.SetBitmaps(IDB_T_OVER, kGreen); });
    EXPECT_NE(ScreenPixel(Image(), 1, 1), SkinButton::kFocusRingColour) << "a ring without the focus";
    SetFocus(Image());
    Pump(wnd);
    EXPECT_EQ(At(true), kFocusBack);
    EXPECT_EQ(ScreenPixel(Image(), 1, 1), SkinButton::kFocusRingColour);
}

TEST_F(SkinButtonTest, ColourOffsets) {
    Open();
    struct Row {
        const char* name;
        int index;
        COLORREF start;
        int offset;
        int result;
        COLORREF expected;
    } rows[] = {
        {"index 6", 6, RGB(10, 20, 30), 10, 3, RGB(10, 20, 30)},
        {"index -1", -1, RGB(10, 20, 30), 10, 3, RGB(10, 20, 30)},
        {"offset 300", 0, RGB(10, 20, 30), 300, 5, RGB(10, 20, 30)},
        {"offset -256", 0, RGB(10, 20, 30), -256, 5, RGB(10, 20, 30)},
        {"-128 shrinks to the darkest channel", 2, RGB(10, 200, 255), -128, 0, RGB(0, 190, 245)},
        {"+100 shrinks to the brightest channel", 1, RGB(10, 200, 250), 100, 0, RGB(15, 205, 255)},
        {"+40 fits", 5, RGB(10, 20, 30), 40, 0, RGB(50, 60, 70)},
        {"-255 on black stays black", 4, RGB(0, 0, 0), -255, 0, RGB(0, 0, 0)},
    };
    for (const Row& r : rows) {
        const int slot = r.index >= 0 && r.index < 6 ? r.index : 0;
        image.SetColour(slot, r.start, false);
        EXPECT_EQ(image.OffsetColour(r.index, r.offset, false), r.result) << r.name;
        EXPECT_EQ(image.GetColour(slot), r.expected) << r.name;
    }
    EXPECT_EQ(image.SetColour(6, RGB(1, 2, 3)), SkinButton::kBadIndex);
}

TEST_F(SkinButtonTest, LinksAreCutTo260Characters) {
    Open();
    const std::wstring longLink(300, L'x');
    image.SetLink(longLink.c_str());
    EXPECT_EQ(image.Link(), std::wstring(260, L'x'));
    image.SetLink(L"https://example.com/mirvostan");
    EXPECT_EQ(image.Link(), L"https://example.com/mirvostan");
    image.SetLink(L"");
    EXPECT_TRUE(image.Link().empty());
    image.SetLink(L"a");
    image.SetLink(nullptr);
    EXPECT_TRUE(image.Link().empty());
}

TEST_F(SkinButtonTest, AClickOpensTheLinkAndStillReachesTheParent) {
    Open();
    g_opened.clear();
    SkinButton::SetLinkOpener(RecordOpen);
    image.SetLink(L"https://example.com/");
    SendMessageW(Image(), BM_CLICK, 0, 0);
    Pump(wnd);
    ASSERT_EQ(g_opened.size(), 1u);
    EXPECT_EQ(g_opened[0], L"https://example.com/");
    ASSERT_EQ(dialog.commands.size(), 1u);
    EXPECT_EQ(dialog.commands[0].id, IDC_T_IMAGE);
    EXPECT_EQ(dialog.commands[0].code, BN_CLICKED);

    image.SetLink(nullptr);
    SendMessageW(Image(), BM_CLICK, 0, 0);
    Pump(wnd);
    EXPECT_EQ(g_opened.size(), 1u) << "no link, nothing opened";
    EXPECT_EQ(dialog.commands.size(), 2u);
}

TEST_F(SkinButtonTest, ADoubleClickCountsAsTwoClicks) {
    Open();
    const LPARAM at = MAKELPARAM(5, 5);
    SendMessageW(Image(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(Image(), WM_LBUTTONUP, 0, at);
    SendMessageW(Image(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(Image(), WM_LBUTTONUP, 0, at);
    Pump(wnd);
    ASSERT_EQ(dialog.commands.size(), 2u);
    for (const auto& c : dialog.commands) {
        EXPECT_EQ(c.id, IDC_T_IMAGE);
        EXPECT_EQ(c.code, BN_CLICKED);
    }
}

TEST_F(SkinButtonTest, DisablingTheFocusedButtonMovesTheFocusOn) {
    Open([&] { image.SetBitmaps(IDB_T_OVER, kGreen); });
    PointerOntoImage();
    SetFocus(Image());
    ASSERT_TRUE(image.IsPointerOver());
    EnableWindow(Image(), FALSE);
    EXPECT_EQ(GetFocus(), GetDlgItem(wnd, IDC_T_TEXT)) << "focus goes to the next tab stop";
    EXPECT_FALSE(image.IsPointerOver());

    // The last tab stop wraps around to the first enabled one.
    SetFocus(GetDlgItem(wnd, IDC_T_NEXT));
    EnableWindow(GetDlgItem(wnd, IDC_T_NEXT), FALSE);
    EXPECT_EQ(GetFocus(), GetDlgItem(wnd, IDC_T_TEXT));

    // Disabling a button without the focus leaves the focus alone.
    EnableWindow(Image(), TRUE);
    SetFocus(Image());
    EnableWindow(GetDlgItem(wnd, IDC_T_TEXT), FALSE);
    EXPECT_EQ(GetFocus(), Image());
}

TEST_F(SkinButtonTest, ADisabledPictureIsEmbossed) {
    Open([&] { image.SetBitmaps(IDB_T_OVER, kGreen); });
    ASSERT_EQ(At(false), kRed);
    EnableWindow(Image(), FALSE);
    Pump(wnd);
    RECT r;
    GetClientRect(Image(), &r);
    for (COLORREF c : ScreenPixels(Image(), r)) ASSERT_NE(c, kRed) << "the picture keeps its colours while disabled";
    EXPECT_NE(At(false), kRestBack) << "the picture is still drawn";
}

TEST_F(SkinButtonTest, TheStyleDecidesTheDefaultButton) {
    Open();
    HWND go = GetDlgItem(wnd, IDC_T_TEXT);
    EXPECT_TRUE(text.IsDefault()) << "attached to a BS_DEFPUSHBUTTON";
    EXPECT_FALSE(image.IsDefault());
    EXPECT_EQ(GetWindowLongW(go, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_TRUE(SendMessageW(go, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON);
    EXPECT_TRUE(SendMessageW(Image(), WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON);

    SendMessageW(go, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_FALSE(text.IsDefault());
    EXPECT_EQ(GetWindowLongW(go, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW) << "stays owner-drawn";
    const LRESULT code = SendMessageW(go, WM_GETDLGCODE, 0, 0);
    EXPECT_TRUE(code & DLGC_UNDEFPUSHBUTTON);
    EXPECT_FALSE(code & DLGC_DEFPUSHBUTTON);

    SendMessageW(Image(), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_TRUE(image.IsDefault());
    EXPECT_TRUE(SendMessageW(Image(), WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON);
}

TEST_F(SkinButtonTest, SizeToContentTakesThePictureSize) {
    Open([&] { image.SetBitmaps(IDB_T_OVER, kGreen, IDB_T_REST, kRedKey); });
    RECT before;
    GetWindowRect(Image(), &before);
    image.SizeToContent();
    RECT after;
    GetWindowRect(Image(), &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right - after.left, 20);
    EXPECT_EQ(after.bottom - after.top, 12);
}

TEST_F(SkinButtonTest, MissingPictureLeavesTheButtonWithoutImage) {
    Open([&] { EXPECT_EQ(image.SetBitmaps(7777, kGreen, 7778, kGreen), SkinButton::kBitmapsOk); });
    EXPECT_EQ(image.OverImageSize().cx, 0);
    EXPECT_EQ(At(false), kRestBack) << "only the background is painted";
    // A later good call works as usual.
    EXPECT_EQ(image.SetBitmaps(IDB_T_OVER, kGreen), SkinButton::kBitmapsOk);
    EXPECT_EQ(At(false), kRed);
}

TEST_F(SkinButtonTest, TextIsPaintedInTheRestingTextColour) {
    constexpr COLORREF kText = RGB(200, 0, 30);
    Open([&] { text.SetColour(SkinButton::kTextRest, kText); });
    HWND go = GetDlgItem(wnd, IDC_T_TEXT);
    RedrawWindow(go, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT r;
    GetClientRect(go, &r);
    int inText = 0;
    for (COLORREF c : ScreenPixels(go, r)) inText += c == kText;
    EXPECT_GT(inText, 5) << "\"Go\" in the resting text colour";
}

TEST_F(SkinButtonTest, TooltipIsMadeWhenThePointerFirstComesAndUpdatedAfter) {
    Open();
    image.SetTooltipText(L"Apply the settings");
    EXPECT_EQ(image.Tooltip(), nullptr) << "no window before the pointer comes";
    SendMessageW(Image(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    HWND tip = image.Tooltip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0), 400);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);

    auto tipText = [&] {
        wchar_t buf[80] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = Image();
        tool.uId = 1;
        tool.lpszText = buf;
        SendMessageW(tip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
        return std::wstring(buf);
    };
    EXPECT_EQ(tipText(), L"Apply the settings");
    image.SetTooltipText(L"Second", false);
    EXPECT_EQ(image.Tooltip(), tip) << "one tooltip per button";
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(tipText(), L"Second");

    DestroyWindow(wnd);
    wnd = nullptr;
    EXPECT_FALSE(IsWindow(tip)) << "the tooltip goes with the button";
}

TEST_F(SkinButtonTest, SystemColourChangeRestoresTheDefaultColours) {
    Open();
    EXPECT_EQ(next.GetColour(SkinButton::kBackRest), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(next.GetColour(SkinButton::kTextFocus), GetSysColor(COLOR_BTNTEXT));
    SendMessageW(wnd, WM_SYSCOLORCHANGE, 0, 0);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(image.GetColour(i), GetSysColor(i % 2 ? COLOR_BTNTEXT : COLOR_BTNFACE)) << "colour " << i;
}

}  // namespace
