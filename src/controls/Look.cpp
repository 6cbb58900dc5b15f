#include "controls/Look.h"

#include <algorithm>

namespace look {
namespace {

// The artwork's palette (tools/artwork/generate.py).
constexpr COLORREF kSkin[kRoleCount] = {
    RGB(17, 20, 25),     // kPage: PANEL
    RGB(25, 29, 36),     // kCard: CARD
    RGB(228, 234, 242),  // kText
    RGB(138, 148, 162),  // kTextDim
    RGB(10, 12, 16),     // kField
    RGB(228, 234, 242),  // kFieldText
    RGB(74, 84, 99),     // kEdge: LINE_HI
    RGB(0, 196, 255),    // kAccent
    RGB(0, 72, 102),     // kSelection: ACCENT_LO
    RGB(255, 255, 255),  // kSelectionText
    RGB(48, 54, 65),     // kFace: the OK button's plate, top
    RGB(28, 31, 38),     // kFaceLow: ... and bottom
    RGB(0, 118, 160),    // kFaceOver
    RGB(0, 56, 82),      // kFacePressed
    RGB(228, 234, 242),  // kFaceText
    RGB(96, 104, 118),   // kGrayText
};

constexpr int kSystem[kRoleCount] = {
    COLOR_BTNFACE, COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_BTNTEXT,  COLOR_WINDOW,    COLOR_WINDOWTEXT,
    COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_BTNFACE, COLOR_BTNFACE,
    COLOR_HIGHLIGHT, COLOR_HIGHLIGHT, COLOR_BTNTEXT, COLOR_GRAYTEXT,
};

bool g_chosen = false;
bool g_highContrast = false;
bool g_asked = false;

struct CachedBrush {
    HBRUSH brush = nullptr;
    COLORREF colour = CLR_INVALID;
};
CachedBrush g_brushes[kRoleCount];

bool HighContrastOn() {
    HIGHCONTRASTW hc{};
    hc.cbSize = sizeof hc;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
}

}  // namespace

bool Plain() {
    if (!g_asked) {
        g_asked = true;
        g_highContrast = HighContrastOn();
    }
    return g_chosen || g_highContrast;
}

void ChoosePlain(bool chosen) { g_chosen = chosen; }

bool Refresh() {
    const bool before = Plain();
    g_highContrast = HighContrastOn();
    return Plain() != before;
}

COLORREF Colour(Role role) { return Plain() ? GetSysColor(kSystem[role]) : kSkin[role]; }

HBRUSH Brush(Role role) {
    CachedBrush& c = g_brushes[role];
    const COLORREF want = Colour(role);
    // A colour that changed (the other look, new system colours) gets a new brush.
    if (c.brush && c.colour != want) {
        DeleteObject(c.brush);
        c.brush = nullptr;
    }
    if (!c.brush) {
        c.brush = CreateSolidBrush(want);
        c.colour = want;
    }
    return c.brush;
}

HBRUSH PlainCtlColor(HDC dc, UINT message) {
    const bool field = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
    SetTextColor(dc, GetSysColor(field ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(field ? COLOR_WINDOW : COLOR_BTNFACE));
    SetBkMode(dc, OPAQUE);
    return GetSysColorBrush(field ? COLOR_WINDOW : COLOR_BTNFACE);
}

int Px(int v, UINT dpi) { return std::max(1, MulDiv(v, static_cast<int>(dpi), 96)); }

}  // namespace look
