#include "controls/SkinCheckBox.h"

#include <algorithm>
#include <string>

#include "controls/Gdi.h"
#include "controls/Plate.h"
#include "controls/SkinPicture.h"

void SkinCheckBox::OnAttached() { dpi_ = skin::DpiOf(Hwnd()); }

void SkinCheckBox::OnLayoutDpi(UINT dpi) {
    dpi_ = dpi;
    InvalidateRect(Hwnd(), nullptr, FALSE);
}

RECT SkinCheckBox::Box() const {
    RECT c{};
    GetClientRect(Hwnd(), &c);
    const int fits = std::min(c.right, c.bottom);
    const int side = paintText_ ? std::min<int>(look::Px(kBox, dpi_), fits) : fits;
    // Alone, the box fills its control's middle; with text, it leads it.
    const int x = paintText_ ? 0 : (c.right - side) / 2;
    const int y = (c.bottom - side) / 2;
    return RECT{x, y, x + side, y + side};
}

bool SkinCheckBox::TextArea(RECT& area) const {
    if (!Hwnd() || !paintText_) return false;
    GetClientRect(Hwnd(), &area);
    area.left = Box().right + look::Px(6, dpi_);
    return true;
}

void SkinCheckBox::Paint(HDC dc) {
    RECT c{};
    GetClientRect(Hwnd(), &c);
    const LRESULT state = SendMessageW(Hwnd(), BM_GETSTATE, 0, 0);
    const bool checked = (state & BST_CHECKED) != 0;
    const bool enabled = IsWindowEnabled(Hwnd()) != FALSE;
    const bool focus = GetFocus() == Hwnd() && !(SendMessageW(Hwnd(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
    paint::Fill(dc, c, look::Colour(look::Plain() ? look::kPage : background_));
    const RECT box = Box();
    paint::Fill(dc, box, look::Colour((state & BST_PUSHED) ? look::kSelection : look::kField));
    const COLORREF edge =
        look::Colour(focus ? look::kAccent : over_.IsOver() && !look::Plain() ? look::kTextDim : look::kEdge);
    paint::Frame(dc, box, edge);
    if (focus) {
        RECT inner = box;
        InflateRect(&inner, -1, -1);
        paint::Frame(dc, inner, edge);
    }
    if (checked) {
        RECT tick = box;
        InflateRect(&tick, -look::Px(2, dpi_), -look::Px(2, dpi_));
        paint::Tick(dc, tick, dpi_, look::Colour(!enabled ? look::kGrayText : look::Plain() ? look::kFieldText : look::kAccent));
    }
    RECT area{};
    if (!TextArea(area)) return;
    const int n = GetWindowTextLengthW(Hwnd());
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(Hwnd(), &text[0], n + 1);
    SavedDCState saved(dc);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(Hwnd(), WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, look::Colour(enabled ? look::kText : look::kGrayText));
    DrawTextW(dc, text.c_str(), n, &area, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

LRESULT SkinCheckBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (PaintMessage(Hwnd(), msg, wp, [this](HDC dc) { Paint(dc); })) return 0;
    over_.Follow(Hwnd(), msg, wp);
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_UPDATEUISTATE:
    case WM_SYSCOLORCHANGE: {
        // The control draws these changes at once in its own look; ours
        // goes over it straight away.
        const LRESULT r = Default(msg, wp, lp);
        RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return r;
    }
    default:
        return Default(msg, wp, lp);
    }
}
