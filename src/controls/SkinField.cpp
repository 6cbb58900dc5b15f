#include "controls/SkinField.h"

#include <commctrl.h>

#include <string>

#include "controls/Gdi.h"
#include "controls/Hover.h"
#include "controls/Look.h"
#include "controls/Plate.h"
#include "controls/SkinPicture.h"

namespace {
constexpr int kPadding = 5;  // picture pixels inside the border

// The frame around the client area (a border, or the sunken edge the
// dialog manager gives fields): one pixel of the border colour outside,
// the field's colour between it and the text.
void PaintBorder(HWND wnd, COLORREF colour) {
    RECT window{}, client{};
    GetWindowRect(wnd, &window);
    GetClientRect(wnd, &client);
    MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    OffsetRect(&client, -window.left, -window.top);
    OffsetRect(&window, -window.left, -window.top);
    // The ring is as wide as the client's offset; a scroll bar inside it stays.
    const int ring = client.left;
    if (ring <= 0) return;
    HDC dc = GetWindowDC(wnd);
    {
        SavedDCState saved(dc);
        ExcludeClipRect(dc, ring, ring, window.right - ring, window.bottom - ring);
        paint::Fill(dc, window, look::Colour(look::kField));
        paint::Frame(dc, window, colour);
    }
    ReleaseDC(wnd, dc);
}

COLORREF BorderColour(HWND wnd) {
    return look::Colour(GetFocus() == wnd ? look::kAccent : look::Plain() ? look::kFieldText : look::kEdge);
}

// The system draws its frame at these; ours goes over it after them.
bool RedrawsBorder(UINT msg) { return msg == WM_NCPAINT || msg == WM_SETFOCUS || msg == WM_KILLFOCUS; }
}  // namespace

// ---- SkinField ----------------------------------------------------------------

void SkinField::OnAttached() {
    OnLayoutDpi(skin::DpiOf(Hwnd()));
}

void SkinField::SetTextColour(COLORREF colour) {
    text_ = colour;
    InvalidateRect(Hwnd(), nullptr, TRUE);
}

void SkinField::OnLayoutDpi(UINT dpi) {
    dpi_ = dpi;
    const int pad = look::Px(kPadding, dpi_);
    SendMessageW(Hwnd(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(pad, pad));
    RedrawWindow(Hwnd(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
}

bool SkinField::TextArea(RECT& area) const {
    if (!Hwnd()) return false;
    GetClientRect(Hwnd(), &area);
    const LRESULT margins = SendMessageW(Hwnd(), EM_GETMARGINS, 0, 0);
    area.left += LOWORD(margins);
    area.right -= HIWORD(margins);
    return true;
}

HBRUSH SkinField::OnReflectedCtlColor(HDC dc, UINT message) {
    if (look::Plain()) return look::PlainCtlColor(dc, WM_CTLCOLOREDIT);
    (void)message;  // read-only fields ask with WM_CTLCOLORSTATIC: the same colours
    SetTextColor(dc, text_ != CLR_INVALID ? text_ : look::Colour(look::kFieldText));
    SetBkColor(dc, look::Colour(look::kField));
    return look::Brush(look::kField);
}

LRESULT SkinField::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    const LRESULT r = Default(msg, wp, lp);
    if (RedrawsBorder(msg)) PaintBorder(Hwnd(), BorderColour(Hwnd()));
    return r;
}

// ---- SkinListView ---------------------------------------------------------------

void SkinListView::OnAttached() {
    header_.AttachWindow(ListView_GetHeader(Hwnd()));
    OnLayoutDpi(skin::DpiOf(Hwnd()));
}

void SkinListView::ApplyColours() {
    ListView_SetBkColor(Hwnd(), look::Colour(look::kField));
    ListView_SetTextBkColor(Hwnd(), look::Colour(look::kField));
    ListView_SetTextColor(Hwnd(), look::Colour(look::kFieldText));
}

void SkinListView::OnLayoutDpi(UINT dpi) {
    header_.dpi = dpi;
    ApplyColours();
    RedrawWindow(Hwnd(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Rows: the chosen one in the look's selection colours instead of the
// system's highlight.
bool SkinListView::OnReflectedNotify(NMHDR* header, LRESULT& result) {
    if (header->code != static_cast<UINT>(NM_CUSTOMDRAW)) return false;
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        result = CDRF_NOTIFYITEMDRAW;
        return true;
    }
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return false;
    const int row = static_cast<int>(draw->nmcd.dwItemSpec);
    const bool selected = ListView_GetItemState(Hwnd(), row, LVIS_SELECTED) != 0;
    draw->nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
    draw->clrText = look::Colour(selected ? look::kSelectionText : look::kFieldText);
    draw->clrTextBk = look::Colour(selected ? look::kSelection : look::kField);
    result = CDRF_DODEFAULT;
    return true;
}

LRESULT SkinListView::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    const LRESULT r = Default(msg, wp, lp);
    if (RedrawsBorder(msg)) PaintBorder(Hwnd(), BorderColour(Hwnd()));
    if (msg == WM_SYSCOLORCHANGE) ApplyColours();
    return r;
}

void SkinListView::Header::Paint(HDC dc) {
    RECT c{};
    GetClientRect(Hwnd(), &c);
    paint::Fill(dc, c, look::Colour(look::kCard));
    const COLORREF edge = look::Colour(look::Plain() ? look::kText : look::kEdge);
    paint::Fill(dc, RECT{c.left, c.bottom - 1, c.right, c.bottom}, edge);
    SavedDCState saved(dc);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(Hwnd(), WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, look::Colour(look::Plain() ? look::kText : look::kTextDim));
    const int count = Header_GetItemCount(Hwnd());
    for (int i = 0; i < count; ++i) {
        RECT item{};
        Header_GetItemRect(Hwnd(), i, &item);
        wchar_t text[256] = {};
        HDITEMW info{};
        info.mask = HDI_TEXT;
        info.pszText = text;
        info.cchTextMax = 256;
        Header_GetItem(Hwnd(), i, &info);
        paint::Fill(dc, RECT{item.right - 1, item.top + look::Px(3, dpi), item.right, item.bottom - look::Px(3, dpi)}, edge);
        item.left += look::Px(6, dpi);
        item.right -= look::Px(4, dpi);
        DrawTextW(dc, text, -1, &item, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
}

LRESULT SkinListView::Header::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (PaintMessage(Hwnd(), msg, wp, [this](HDC dc) { Paint(dc); })) return 0;
    return msg == WM_ERASEBKGND ? 1 : Default(msg, wp, lp);
}
