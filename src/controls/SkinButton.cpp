#include "controls/SkinButton.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "controls/Look.h"
#include "controls/SkinPicture.h"

namespace {
void OpenWithShell(HWND, const std::wstring& link) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = link.c_str();
    info.nShow = SW_SHOWMAXIMIZED;
    ShellExecuteExW(&info);
}

SkinButton::LinkOpener g_linkOpener = OpenWithShell;

void FillSolid(HDC dc, const RECT& r, COLORREF colour) {
    BrushHandle brush(CreateSolidBrush(colour));
    FillRect(dc, &r, brush.Get());
}

// Two-colour frame one pixel wide: top-left in one colour, bottom-right in the other.
void Frame3d(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    FillSolid(dc, RECT{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
    FillSolid(dc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
    FillSolid(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    FillSolid(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
}

}  // namespace

void SkinButton::SetLinkOpener(LinkOpener opener) { g_linkOpener = opener ? opener : OpenWithShell; }

SkinButton::SkinButton() { SetDefaultColours(false); }

SkinButton::~SkinButton() {
    Detach();
    ReleaseImages();
}

void SkinButton::OnAttached() {
    const LONG_PTR style = GetWindowLongPtrW(Hwnd(), GWL_STYLE);
    isDefault_ = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    // Owner-drawn in its template already: nothing to change or recalculate.
    if ((style & BS_TYPEMASK) == BS_OWNERDRAW) return;
    SetWindowLongPtrW(Hwnd(), GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
    SetWindowPos(Hwnd(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    InvalidateRect(Hwnd(), nullptr, TRUE);
}

void SkinButton::OnDetaching() {
    if (tooltip_) {
        DestroyWindow(tooltip_);
        tooltip_ = nullptr;
    }
}

// ---- Options ---------------------------------------------------------------------

void SkinButton::Repaint(bool repaint) {
    if (repaint && Hwnd()) InvalidateRect(Hwnd(), nullptr, TRUE);
}

void SkinButton::SetFlat(bool flat, bool repaint) {
    flat_ = flat;
    Repaint(repaint);
}

void SkinButton::SetDrawBorder(bool draw, bool repaint) {
    drawBorder_ = draw;
    Repaint(repaint);
}

void SkinButton::SetDefaultColours(bool repaint) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF text = GetSysColor(COLOR_BTNTEXT);
    for (int i = 0; i < kColourCount; i += 2) {
        colours_[i] = face;
        colours_[i + 1] = text;
    }
    Repaint(repaint);
}

int SkinButton::SetColour(int index, COLORREF colour, bool repaint) {
    if (index < 0 || index >= kColourCount) return kBadIndex;
    colours_[index] = colour;
    Repaint(repaint);
    return kColourOk;
}

int SkinButton::OffsetColour(int index, int offset, bool repaint) {
    if (index < 0 || index >= kColourCount) return kBadIndex;
    if (offset < -255 || offset > 255) return kBadOffset;
    const COLORREF c = colours_[index];
    const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    // One offset for all three channels keeps the hue: shrink it until the
    // channel nearest the limit just reaches it.
    if (offset > 0) offset = std::min(offset, 255 - std::max({r, g, b}));
    else offset = std::max(offset, -std::min({r, g, b}));
    colours_[index] = RGB(r + offset, g + offset, b + offset);
    Repaint(repaint);
    return kColourOk;
}

COLORREF SkinButton::GetColour(int index) const {
    return index >= 0 && index < kColourCount ? colours_[index] : CLR_INVALID;
}

void SkinButton::SetLink(const wchar_t* link) {
    if (!link) {
        link_.clear();
        return;
    }
    link_.assign(link, std::min(wcslen(link), kMaxLink));
}

void SkinButton::SetTextPainted(bool painted, bool repaint) {
    paintText_ = painted;
    Repaint(repaint);
}

void SkinButton::SetTooltipText(const std::wstring& text, bool activate) {
    if (!Hwnd()) return;
    tipText_ = text;
    tipActive_ = activate;
    // A tooltip is a top-level window, slow to make: it comes when the
    // pointer first does.
    if (tooltip_) UpdateTooltip();
}

void SkinButton::MakeTooltip() {
    if (tooltip_ || tipText_.empty() || !Hwnd()) return;
    tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, Hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!tooltip_) return;
    SendMessageW(tooltip_, TTM_ACTIVATE, FALSE, 0);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
    UpdateTooltip();
}

void SkinButton::UpdateTooltip() {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = Hwnd();
    tool.uId = 1;
    tool.lpszText = const_cast<wchar_t*>(tipText_.c_str());
    if (SendMessageW(tooltip_, TTM_GETTOOLCOUNT, 0, 0) == 0) {
        tool.uFlags = 0;
        GetClientRect(Hwnd(), &tool.rect);
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    } else {
        SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    SendMessageW(tooltip_, TTM_ACTIVATE, tipActive_ ? TRUE : FALSE, 0);
}

// ---- Pictures ----------------------------------------------------------------------

void SkinButton::ReleaseImages() {
    over_.Reset();
    resting_.Reset();
}

// Loads one picture and builds its mask: 1 where the picture has the
// transparent colour. Those pixels turn black in the picture, so that AND
// with the mask, then OR with the picture, leaves the background there.
int SkinButton::LoadImage(int id, COLORREF transparent, UINT dpi, Image& image) {
    image.Reset();
    HBITMAP loaded = skin::LoadPicture(id, dpi, transparent);
    if (!loaded) return kBitmapsOk;  // no such picture: the button goes without
    image.bitmap.Reset(loaded);
    BITMAP info{};
    if (!GetObjectW(loaded, sizeof(info), &info)) return kBitmapInvalid;
    image.size = SIZE{info.bmWidth, info.bmHeight};

    image.mask.Reset(CreateBitmap(info.bmWidth, info.bmHeight, 1, 1, nullptr));
    MemoryDC src, dst;
    if (!image.mask || !src || !dst) return kMaskFailed;
    SelectObjectScope selSrc(src.Get(), image.bitmap.Get());
    SelectObjectScope selDst(dst.Get(), image.mask.Get());
    SetBkColor(src.Get(), transparent);
    BitBlt(dst.Get(), 0, 0, info.bmWidth, info.bmHeight, src.Get(), 0, 0, SRCCOPY);
    // Mono to colour: 1 bits take the background colour (black), 0 bits the text colour (white).
    SetBkColor(src.Get(), RGB(0, 0, 0));
    SetTextColor(src.Get(), RGB(255, 255, 255));
    BitBlt(src.Get(), 0, 0, info.bmWidth, info.bmHeight, dst.Get(), 0, 0, SRCAND);
    return kBitmapsOk;
}

int SkinButton::SetBitmaps(int overId, COLORREF overTransparent, int restingId, COLORREF restingTransparent) {
    ReleaseImages();
    // Pictures come at the window's scale.
    dpi_ = Hwnd() ? skin::DpiOf(Hwnd()) : skin::kBaseDpi;
    int r = LoadImage(overId, overTransparent, dpi_, over_);
    if (r == kBitmapsOk && restingId) r = LoadImage(restingId, restingTransparent, dpi_, resting_);
    if (r != kBitmapsOk) ReleaseImages();
    Repaint(true);
    return r;
}

void SkinButton::SizeToContent() {
    if (!Hwnd() || !over_) return;
    SetWindowPos(Hwnd(), nullptr, 0, 0, over_.size.cx, over_.size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    imageMargin_ = POINT{0, 0};
}

// ---- Painting -------------------------------------------------------------------------

bool SkinButton::OnReflectedDrawItem(const DRAWITEMSTRUCT& item) {
    if (look::Plain()) {
        PaintPlain(item);
        return true;
    }
    HDC dc = item.hDC;
    SavedDCState saved(dc);
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    RECT r = item.rcItem;

    if (!flat_ && (focused || isDefault_)) {
        BrushHandle black(CreateSolidBrush(RGB(0, 0, 0)));
        FrameRect(dc, &r, black.Get());
        InflateRect(&r, -1, -1);
    }
    const COLORREF back = (pointerOver_ || pressed) ? colours_[kBackOver] : focused ? colours_[kBackFocus] : colours_[kBackRest];
    FillSolid(dc, r, back);

    if (pressed) {
        if (!flat_) {
            BrushHandle shadow(CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW)));
            FrameRect(dc, &r, shadow.Get());
        } else if (drawBorder_) {
            Frame3d(dc, r, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHILIGHT));
        }
    } else if (!flat_) {
        Frame3d(dc, r, GetSysColor(COLOR_BTNHILIGHT), GetSysColor(COLOR_3DDKSHADOW));
        RECT inner = r;
        InflateRect(&inner, -1, -1);
        Frame3d(dc, inner, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_BTNSHADOW));
    } else if (drawBorder_ && pointerOver_) {
        Frame3d(dc, r, GetSysColor(COLOR_BTNHILIGHT), GetSysColor(COLOR_BTNSHADOW));
    }

    wchar_t text[512];
    GetWindowTextW(Hwnd(), text, 512);
    const bool hasText = paintText_ && text[0] != 0;
    RECT textArea = r;
    if (over_) {
        DrawImage(dc, r, hasText, pressed, disabled);
        if (hasText) textArea.left = r.left + imageMargin_.x + over_.size.cx;
    }
    if (hasText) {
        SetBkMode(dc, TRANSPARENT);
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(Hwnd(), WM_GETFONT, 0, 0));
        SelectObjectScope selFont(dc, font);
        DrawText(dc, r, textArea, pressed, focused, disabled);
    }

    if (focused && !flat_) {
        RECT f = item.rcItem;
        InflateRect(&f, -3, -3);
        DrawFocusRect(dc, &f);
    }
    // Pressed without the system's edge: an accent line along the plate.
    if (pressed && !drawBorder_) paint::Outline(dc, item.rcItem, shape_, dpi_, kFocusRingColour, 1);
    DrawFocusRing(dc, item.rcItem, item.itemState);
    return true;
}

// Two pixels of the accent colour along the plate's edge while the button
// has the focus, once the keyboard has been used in the window (the button
// reports the window's hidden focus cues as ODS_NOFOCUSRECT).
void SkinButton::DrawFocusRing(HDC dc, const RECT& item, UINT state) const {
    if (!(state & ODS_FOCUS) || (state & ODS_NOFOCUSRECT)) return;
    // Not every button control reports the hidden cues in the item state.
    if (SendMessageW(Hwnd(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) return;
    // One pixel on the small pictures (the DPI thumb), or the ring hides them.
    const int width = (item.right - item.left < 16 || item.bottom - item.top < 16) ? 1 : look::Px(2, dpi_);
    paint::Outline(dc, item, shape_, dpi_, kFocusRingColour, width);
}

void SkinButton::SetPlainFace(const std::wstring& text, Glyph glyph, bool framed) {
    plainText_ = text;
    plainGlyph_ = glyph;
    plainFramed_ = framed;
    if (look::Plain()) Repaint(true);
}

void SkinButton::SetSelected(bool selected) {
    if (selected_ == selected) return;
    selected_ = selected;
    if (look::Plain()) Repaint(true);
}

// The system's colours and no picture: a framed face with a short text or
// a glyph; the chosen tab and the pointer in the highlight colours.
void SkinButton::PaintPlain(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    SavedDCState saved(dc);
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool lit = (selected_ || pressed || pointerOver_) && !disabled;
    const RECT r = item.rcItem;
    const COLORREF face = GetSysColor(lit ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
    const COLORREF ink = GetSysColor(disabled ? COLOR_GRAYTEXT : lit ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
    FillSolid(dc, r, face);
    if (plainFramed_) {
        BrushHandle frame(CreateSolidBrush(GetSysColor(COLOR_BTNTEXT)));
        FrameRect(dc, &r, frame.Get());
    }
    const UINT dpi = dpi_;
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    PenHandle pen(CreatePen(PS_SOLID, look::Px(2, dpi), ink));
    BrushHandle fill(CreateSolidBrush(ink));
    SelectObjectScope selPen(dc, pen.Get());
    const int u = std::max<int>(2, std::min(r.right - r.left, r.bottom - r.top) / 4);
    switch (plainGlyph_) {
    case Glyph::Close:
        MoveToEx(dc, cx - u, cy - u, nullptr), LineTo(dc, cx + u, cy + u);
        MoveToEx(dc, cx - u, cy + u, nullptr), LineTo(dc, cx + u, cy - u);
        break;
    case Glyph::Minimise:
        MoveToEx(dc, cx - u, cy + u / 2, nullptr), LineTo(dc, cx + u, cy + u / 2);
        break;
    case Glyph::Down:
        MoveToEx(dc, cx, cy - u, nullptr), LineTo(dc, cx, cy + u / 2);
        MoveToEx(dc, cx - u / 2, cy, nullptr), LineTo(dc, cx, cy + u / 2), LineTo(dc, cx + u / 2, cy);
        MoveToEx(dc, cx - u, cy + u, nullptr), LineTo(dc, cx + u, cy + u);
        break;
    case Glyph::Eye: {
        SelectObjectScope hollow(dc, GetStockObject(HOLLOW_BRUSH));
        Ellipse(dc, cx - u - 1, cy - u / 2 - 1, cx + u + 2, cy + u / 2 + 2);
        RECT pupil{cx - u / 3, cy - u / 3, cx + u / 3 + 1, cy + u / 3 + 1};
        FillRect(dc, &pupil, fill.Get());
        break;
    }
    case Glyph::Thumb: {
        RECT knob = r;
        InflateRect(&knob, -1, -1);
        FillRect(dc, &knob, fill.Get());
        break;
    }
    case Glyph::None: {
        const std::wstring text = plainText_.empty() ? [this] {
            wchar_t t[512] = {};
            GetWindowTextW(Hwnd(), t, 512);
            return std::wstring(t);
        }() : plainText_;
        RECT area = r;
        InflateRect(&area, -look::Px(3, dpi), 0);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ink);
        SelectObjectScope selFont(dc, reinterpret_cast<HFONT>(SendMessageW(Hwnd(), WM_GETFONT, 0, 0)));
        ::DrawTextW(dc, text.c_str(), -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        break;
    }
    }
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT) &&
        !(SendMessageW(Hwnd(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
        RECT f = r;
        InflateRect(&f, -2, -2);
        DrawFocusRect(dc, &f);
    }
}

void SkinButton::DrawImage(HDC dc, const RECT& item, bool hasText, bool pressed, bool disabled) {
    const Image& img = (pressed || pointerOver_ || !resting_) ? over_ : resting_;
    if (!img) return;
    const int w = img.size.cx, h = img.size.cy;
    int x, y;
    if (hasText) {
        x = item.left + imageMargin_.x;
        y = item.top + ((item.bottom - item.top) - h) / 2;
    } else {
        x = item.left + ((item.right - item.left) - w) / 2;
        y = item.top + ((item.bottom - item.top) - h) / 2;
    }
    if (pressed) {
        x += skin::Scale(pressedShift_.x, dpi_);
        y += skin::Scale(pressedShift_.y, dpi_);
    }

    MemoryDC src(dc);
    if (!src) return;
    if (disabled && drawDisabledImage_) {
        // The picture on white, then the platform's embossed look.
        BitmapHandle flat(CreateCompatibleBitmap(dc, w, h));
        MemoryDC tmp(dc);
        if (!flat || !tmp) return;
        {
            SelectObjectScope selTmp(tmp.Get(), flat.Get());
            FillSolid(tmp.Get(), RECT{0, 0, w, h}, RGB(255, 255, 255));
            SetBkColor(tmp.Get(), RGB(255, 255, 255));
            SetTextColor(tmp.Get(), RGB(0, 0, 0));
            SelectObjectScope selMask(src.Get(), img.mask.Get());
            BitBlt(tmp.Get(), 0, 0, w, h, src.Get(), 0, 0, SRCAND);
            SelectObjectScope selImg(src.Get(), img.bitmap.Get());
            BitBlt(tmp.Get(), 0, 0, w, h, src.Get(), 0, 0, SRCPAINT);
        }
        DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(flat.Get()), 0, x, y, w, h, DST_BITMAP | DSS_DISABLED);
        return;
    }
    // Mono mask onto colour: 1 bits (transparent) keep the background (white
    // AND), 0 bits clear it (black AND); then the picture is ORed in.
    SetBkColor(dc, RGB(255, 255, 255));
    SetTextColor(dc, RGB(0, 0, 0));
    {
        SelectObjectScope selMask(src.Get(), img.mask.Get());
        BitBlt(dc, x, y, w, h, src.Get(), 0, 0, SRCAND);
    }
    SelectObjectScope selImg(src.Get(), img.bitmap.Get());
    BitBlt(dc, x, y, w, h, src.Get(), 0, 0, SRCPAINT);
}

void SkinButton::DrawText(HDC dc, const RECT&, const RECT& textArea, bool pressed, bool focused, bool disabled) {
    wchar_t text[512];
    const int len = GetWindowTextW(Hwnd(), text, 512);
    RECT area = textArea;
    if (pressed) OffsetRect(&area, pressedShift_.x, pressedShift_.y);
    // Centre the wrapped block vertically.
    RECT measure = area;
    ::DrawTextW(dc, text, len, &measure, DT_WORDBREAK | DT_CENTER | DT_CALCRECT);
    const int offsetY = ((area.bottom - area.top) - (measure.bottom - measure.top)) / 2;
    RECT out{area.left, area.top + offsetY, area.right, area.top + offsetY + (measure.bottom - measure.top)};
    const UINT flags = DT_WORDBREAK | DT_CENTER;
    if (disabled) {
        RECT lower = out;
        OffsetRect(&lower, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
        ::DrawTextW(dc, text, len, &lower, flags);
        SetTextColor(dc, GetSysColor(COLOR_3DSHADOW));
        ::DrawTextW(dc, text, len, &out, flags);
        return;
    }
    SetTextColor(dc, (pointerOver_ || pressed) ? colours_[kTextOver] : focused ? colours_[kTextFocus] : colours_[kTextRest]);
    ::DrawTextW(dc, text, len, &out, flags);
}

// ---- Behaviour ---------------------------------------------------------------------------

bool SkinButton::OnReflectedCommand(int code) {
    if (code == BN_CLICKED && !link_.empty()) g_linkOpener(Hwnd(), link_);
    return false;  // the parent hears of the click as usual
}

void SkinButton::LeavePointerOver() {
    if (!pointerOver_) return;
    pointerOver_ = false;
    Repaint(true);
}

void SkinButton::OnMouseMove(WPARAM keys) {
    if (!flat_) return;
    POINT pt;
    GetCursorPos(&pt);
    HWND under = WindowFromPoint(pt);
    // A drag that started elsewhere does not light the button up.
    if ((keys & MK_LBUTTON) && !pointerOver_) return;
    if (under != Hwnd()) {
        LeavePointerOver();
        return;
    }
    if (!pointerOver_) {
        pointerOver_ = true;
        Repaint(true);
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Hwnd(), 0};
        TrackMouseEvent(&track);
    }
}

void SkinButton::RelayToTooltip(UINT msg, WPARAM wp, LPARAM lp) {
    MakeTooltip();
    if (!tooltip_) return;
    MSG m{Hwnd(), msg, wp, lp, static_cast<DWORD>(GetMessageTime()), {}};
    const DWORD pos = GetMessagePos();
    m.pt = POINT{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
    SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
}

LRESULT SkinButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) RelayToTooltip(msg, wp, lp);
    switch (msg) {
    case WM_LBUTTONDBLCLK:
        // Fast repeated clicks each count as a click.
        return Default(WM_LBUTTONDOWN, wp, lp);
    case WM_MOUSEMOVE: {
        LRESULT r = Default(msg, wp, lp);
        OnMouseMove(wp);
        return r;
    }
    case WM_MOUSELEAVE:
    case WM_CANCELMODE:
    case WM_KILLFOCUS: {
        LRESULT r = Default(msg, wp, lp);
        LeavePointerOver();
        return r;
    }
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) LeavePointerOver();
        return Default(msg, wp, lp);
    case WM_ENABLE: {
        LRESULT r = Default(msg, wp, lp);
        if (!wp) {
            // A disabled button cannot keep the keyboard focus; the system
            // has already taken it away by now. Hand it on, unless it was
            // elsewhere or the window is not active (no stealing).
            HWND focus = GetFocus();
            if ((!focus || focus == Hwnd()) && GetActiveWindow() == GetAncestor(Hwnd(), GA_ROOT)) {
                HWND parent = GetParent(Hwnd());
                HWND next = GetNextDlgTabItem(parent, Hwnd(), FALSE);
                SetFocus(next && next != Hwnd() ? next : parent);
            }
            LeavePointerOver();
        }
        return r;
    }
    case WM_GETDLGCODE:
        return Default(msg, wp, lp) | (isDefault_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_SETSTYLE:
        isDefault_ = (wp & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        return Default(msg, (wp & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW, lp);
    case WM_UPDATEUISTATE: {
        // The keyboard was used (or cues were hidden again): ring or not.
        LRESULT r = Default(msg, wp, lp);
        Repaint(true);
        return r;
    }
    case WM_SYSCOLORCHANGE:
        SetDefaultColours(true);
        return Default(msg, wp, lp);
    case WM_SIZE: {
        LRESULT r = Default(msg, wp, lp);
        if (tooltip_ && SendMessageW(tooltip_, TTM_GETTOOLCOUNT, 0, 0)) {
            TTTOOLINFOW tool{};
            tool.cbSize = sizeof(tool);
            tool.hwnd = Hwnd();
            tool.uId = 1;
            GetClientRect(Hwnd(), &tool.rect);
            SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
        }
        return r;
    }
    default:
        return Default(msg, wp, lp);
    }
}
