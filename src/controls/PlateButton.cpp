#include "controls/PlateButton.h"

#include <string>

#include "controls/Gdi.h"
#include "controls/Look.h"
#include "controls/SkinPicture.h"

namespace {
constexpr int kPadding = 6;  // picture pixels either side of the text
}

void PlateButton::OnAttached() {
    dpi_ = skin::DpiOf(Hwnd());
    const LONG_PTR style = GetWindowLongPtrW(Hwnd(), GWL_STYLE);
    if ((style & BS_TYPEMASK) == BS_OWNERDRAW) return;
    SetWindowLongPtrW(Hwnd(), GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
    InvalidateRect(Hwnd(), nullptr, TRUE);
}

void PlateButton::OnLayoutDpi(UINT dpi) {
    dpi_ = dpi;
    InvalidateRect(Hwnd(), nullptr, TRUE);
}

paint::Shape PlateButton::Shape() const {
    paint::Shape s;
    s.cutTopLeft = s.cutBottomRight = kCut;
    return s;
}

bool PlateButton::TextArea(RECT& area) const {
    if (!Hwnd()) return false;
    GetClientRect(Hwnd(), &area);
    InflateRect(&area, -look::Px(kPadding, dpi_), 0);
    return true;
}

// The ring shows once the keyboard has been used in the window.
bool PlateButton::FocusShown(UINT state) const {
    if (!(state & ODS_FOCUS) || (state & ODS_NOFOCUSRECT)) return false;
    return !(SendMessageW(Hwnd(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

bool PlateButton::OnReflectedDrawItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    SavedDCState saved(dc);
    const RECT r = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool focus = FocusShown(item.itemState);
    const bool plain = look::Plain();
    COLORREF text = look::Colour(disabled ? look::kGrayText : look::kFaceText);
    if (plain) {
        const bool lit = (pressed || over_.IsOver()) && !disabled;
        paint::Fill(dc, r, look::Colour(lit ? look::kFaceOver : look::kFace));
        if (lit) text = GetSysColor(COLOR_HIGHLIGHTTEXT);
        paint::Frame(dc, r, look::Colour(look::kFaceText));
        if (focus) {
            RECT f = r;
            InflateRect(&f, -1, -1);
            paint::Frame(dc, f, look::Colour(look::kFaceText));
            InflateRect(&f, -2, -2);
            DrawFocusRect(dc, &f);
        }
    } else {
        // The corners cut away show the plate the button sits on.
        paint::Fill(dc, r, look::Colour(look::kCard));
        const paint::Shape shape = Shape();
        if (disabled) {
            paint::Plate(dc, r, shape, dpi_, look::Colour(look::kCard), look::Colour(look::kFaceLow));
            paint::Outline(dc, r, shape, dpi_, look::Colour(look::kEdge), 1);
        } else if (pressed) {
            paint::Plate(dc, r, shape, dpi_, look::Colour(look::kFacePressed), look::Colour(look::kFacePressed));
            paint::Outline(dc, r, shape, dpi_, look::Colour(look::kAccent), 1);
        } else if (over_.IsOver()) {
            paint::Plate(dc, r, shape, dpi_, look::Colour(look::kFaceOver), look::Colour(look::kFacePressed));
            paint::Outline(dc, r, shape, dpi_, RGB(150, 235, 255), 1);
            text = RGB(255, 255, 255);
        } else {
            paint::Plate(dc, r, shape, dpi_, look::Colour(look::kFace), look::Colour(look::kFaceLow));
            paint::Outline(dc, r, shape, dpi_, RGB(84, 95, 112), 1);
        }
        if (focus) paint::Outline(dc, r, shape, dpi_, look::Colour(look::kAccent), look::Px(2, dpi_));
    }
    const int n = GetWindowTextLengthW(Hwnd());
    std::wstring caption(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(Hwnd(), &caption[0], n + 1);
    RECT area{};
    TextArea(area);
    if (pressed) OffsetRect(&area, look::Px(1, dpi_), look::Px(1, dpi_));
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(Hwnd(), WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    DrawTextW(dc, caption.c_str(), n, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    return true;
}

LRESULT PlateButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    over_.Follow(Hwnd(), msg, wp);
    switch (msg) {
    case WM_LBUTTONDBLCLK:
        // Fast repeated clicks each count as a click.
        return Default(WM_LBUTTONDOWN, wp, lp);
    case WM_GETDLGCODE:
        // Enter presses it too, as any push button.
        return Default(msg, wp, lp) | (isDefault_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_SETSTYLE:
        // The dialog manager makes the focused push button the default one;
        // the button stays drawn by us.
        isDefault_ = (wp & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        return Default(msg, (wp & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW, lp);
    case WM_UPDATEUISTATE:
    case WM_SYSCOLORCHANGE: {
        const LRESULT r = Default(msg, wp, lp);
        InvalidateRect(Hwnd(), nullptr, FALSE);
        return r;
    }
    default:
        return Default(msg, wp, lp);
    }
}
