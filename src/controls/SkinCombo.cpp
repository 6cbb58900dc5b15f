#include "controls/SkinCombo.h"

#include <commctrl.h>

#include <string>

#include "controls/Gdi.h"
#include "controls/Hover.h"
#include "controls/Look.h"
#include "controls/Plate.h"
#include "controls/SkinPicture.h"

namespace {
constexpr UINT_PTR kListSubclass = 0x4D58;
// Picture pixels: the text's left padding, the chevron's column.
constexpr int kPadding = 5;
constexpr int kChevronColumn = 18;

std::wstring EntryText(HWND combo, int index) {
    const LRESULT n = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (index < 0 || n == CB_ERR) return std::wstring();
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(n));
    return text;
}
}  // namespace

void SkinCombo::OnAttached() {
    dpi_ = skin::DpiOf(Hwnd());
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(Hwnd(), &info)) {
        list_ = info.hwndList;
        // The open list is a window of its own: its border is drawn here.
        if (list_) SetWindowSubclass(list_, ListProc, kListSubclass, reinterpret_cast<DWORD_PTR>(this));
    }
    ApplyHeights();
}

void SkinCombo::OnDetaching() {
    if (list_) RemoveWindowSubclass(list_, ListProc, kListSubclass);
    list_ = nullptr;
}

bool SkinCombo::Editable() const { return (GetWindowLongW(Hwnd(), GWL_STYLE) & 3) == CBS_DROPDOWN; }

void SkinCombo::OnLayoutDpi(UINT dpi) {
    dpi_ = dpi;
    ApplyHeights();
    InvalidateRect(Hwnd(), nullptr, TRUE);
}

// The closed height follows the picture's scale, not the font: the field's
// item height is what is left of it after the combo's own border.
void SkinCombo::ApplyHeights() {
    if (!Hwnd()) return;
    SendMessageW(Hwnd(), CB_SETITEMHEIGHT, 0, look::Px(kEntryHeight, dpi_));
    // What the combo adds to the field's height is its own: corrected until
    // the whole comes out right.
    const int want = look::Px(kHeight, dpi_);
    // Each request resizes the combo, which is slow under Wine: what the first
    // combo of a kind added is used to ask the others right at once.
    static int learntExtra[2] = {0, 0};
    int& extra = learntExtra[Editable() ? 1 : 0];
    int asked = static_cast<int>(SendMessageW(Hwnd(), CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    for (int tries = 0; tries < 3; ++tries) {
        RECT r{};
        GetWindowRect(Hwnd(), &r);
        const int have = r.bottom - r.top;
        if (have == want) {
            if (tries > 0) extra = want - asked;
            break;
        }
        asked = tries == 0 && extra > 0 ? want - extra : asked + want - have;
        if (asked <= 0) break;
        SendMessageW(Hwnd(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), asked);
    }
    if (Editable()) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        if (GetComboBoxInfo(Hwnd(), &info) && info.hwndItem)
            SendMessageW(info.hwndItem, EM_SETMARGINS, EC_LEFTMARGIN, MAKELPARAM(look::Px(kPadding - 2, dpi_), 0));
    }
}

bool SkinCombo::TextArea(RECT& area) const {
    if (!Hwnd() || Editable()) return false;
    GetClientRect(Hwnd(), &area);
    area.left += 1 + look::Px(kPadding, dpi_);
    area.right -= 1 + look::Px(kChevronColumn, dpi_) + look::Px(2, dpi_);
    InflateRect(&area, 0, -1);
    return true;
}

void SkinCombo::DrawText(HDC dc, int index, const RECT& area, COLORREF colour) {
    const std::wstring text = EntryText(Hwnd(), index);
    SavedDCState saved(dc);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(Hwnd(), WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    RECT r = area;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void SkinCombo::Paint(HDC dc) {
    RECT c{};
    GetClientRect(Hwnd(), &c);
    const HWND focus = GetFocus();
    const bool focused = focus && (focus == Hwnd() || IsChild(Hwnd(), focus));
    const bool dropped = SendMessageW(Hwnd(), CB_GETDROPPEDSTATE, 0, 0) != 0;
    const bool enabled = IsWindowEnabled(Hwnd()) != FALSE;
    paint::Fill(dc, c, look::Colour(look::kField));
    COLORREF edge = look::Colour(look::kEdge);
    if (focused || dropped) edge = look::Colour(look::kAccent);
    else if (over_.IsOver() && !look::Plain()) edge = look::Colour(look::kTextDim);
    paint::Frame(dc, c, edge);
    // In the plain look the focus shows as a double border.
    if ((focused || dropped) && look::Plain()) {
        RECT inner = c;
        InflateRect(&inner, -1, -1);
        paint::Frame(dc, inner, edge);
    }
    RECT chevron{c.right - 1 - look::Px(kChevronColumn, dpi_), c.top + 1, c.right - 1, c.bottom - 1};
    paint::Chevron(dc, chevron, dpi_, enabled ? look::Colour(look::Plain() ? look::kFieldText : look::kAccent)
                                              : look::Colour(look::kGrayText));
    RECT area{};
    if (TextArea(area))
        DrawText(dc, static_cast<int>(SendMessageW(Hwnd(), CB_GETCURSEL, 0, 0)), area,
                 look::Colour(enabled ? look::kFieldText : look::kGrayText));
}

// The closed list's field, when the combo draws it outside WM_PAINT.
bool SkinCombo::OnReflectedDrawItem(const DRAWITEMSTRUCT& item) {
    if (!(item.itemState & ODS_COMBOBOXEDIT)) {
        DrawListEntry(item);
        return true;
    }
    paint::Fill(item.hDC, item.rcItem, look::Colour(look::kField));
    RECT area{};
    if (TextArea(area))
        DrawText(item.hDC, static_cast<int>(item.itemID), area,
                 look::Colour((item.itemState & ODS_DISABLED) ? look::kGrayText : look::kFieldText));
    return true;
}

void SkinCombo::DrawListEntry(const DRAWITEMSTRUCT& item) {
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    paint::Fill(item.hDC, item.rcItem, look::Colour(selected ? look::kSelection : look::kField));
    // Within what the page's widening of the open list allows beside the
    // widest entry (the width of a "0").
    RECT area = item.rcItem;
    area.left += look::Px(kPadding - 1, dpi_);
    area.right -= 1;
    if (item.itemID != static_cast<UINT>(-1))
        DrawText(item.hDC, static_cast<int>(item.itemID), area,
                 look::Colour(selected ? look::kSelectionText : look::kFieldText));
}

HBRUSH SkinCombo::OnReflectedCtlColor(HDC dc, UINT message) {
    if (look::Plain()) return look::PlainCtlColor(dc, message == WM_CTLCOLORSTATIC ? WM_CTLCOLOREDIT : message);
    SetTextColor(dc, look::Colour(look::kFieldText));
    SetBkColor(dc, look::Colour(look::kField));
    return look::Brush(look::kField);
}

bool SkinCombo::OnReflectedCommand(int code) {
    // The border and chevron show whether the list is open.
    if (code == CBN_DROPDOWN || code == CBN_CLOSEUP || code == CBN_SETFOCUS || code == CBN_KILLFOCUS)
        InvalidateRect(Hwnd(), nullptr, FALSE);
    return false;
}

LRESULT SkinCombo::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (PaintMessage(Hwnd(), msg, wp, [this](HDC dc) { Paint(dc); })) return 0;
    over_.Follow(Hwnd(), msg, wp);
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_DRAWITEM:  // from the open list
        DrawListEntry(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        return TRUE;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = static_cast<UINT>(look::Px(kEntryHeight, dpi_));
        return TRUE;
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:  // from the open list and the edit
        return reinterpret_cast<LRESULT>(OnReflectedCtlColor(reinterpret_cast<HDC>(wp), msg));
    case WM_SETFONT: {
        const LRESULT r = Default(msg, wp, lp);
        ApplyHeights();
        return r;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SYSCOLORCHANGE: {
        const LRESULT r = Default(msg, wp, lp);
        InvalidateRect(Hwnd(), nullptr, FALSE);
        return r;
    }
    default:
        return Default(msg, wp, lp);
    }
}

LRESULT CALLBACK SkinCombo::ListProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(wnd, ListProc, kListSubclass);
    const LRESULT result = DefSubclassProc(wnd, msg, wp, lp);
    if (msg != WM_NCPAINT || !(GetWindowLongW(wnd, GWL_STYLE) & WS_BORDER)) return result;
    // Over the system's frame, after it drew the scroll bar.
    HDC dc = GetWindowDC(wnd);
    RECT r{};
    GetWindowRect(wnd, &r);
    OffsetRect(&r, -r.left, -r.top);
    paint::Frame(dc, r, look::Plain() ? GetSysColor(COLOR_WINDOWFRAME) : look::Colour(look::kAccent));
    ReleaseDC(wnd, dc);
    return result;
}
