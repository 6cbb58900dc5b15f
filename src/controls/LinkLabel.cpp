#include "controls/LinkLabel.h"

#include <string>

LinkLabel::LinkLabel()
    : textColour_(GetSysColor(COLOR_WINDOWTEXT)), background_(CreateSolidBrush(GetSysColor(COLOR_BTNFACE))) {}

LinkLabel::~LinkLabel() { Detach(); }

void LinkLabel::OnAttached() {
    // Our own copy of the font: the control's, or the system font if it has none.
    HGDIOBJ current = reinterpret_cast<HGDIOBJ>(SendMessageW(Hwnd(), WM_GETFONT, 0, 0));
    if (!current) current = GetStockObject(SYSTEM_FONT);
    LOGFONTW description{};
    if (GetObjectW(current, sizeof(description), &description)) font_.Reset(CreateFontIndirectW(&description));
}

void LinkLabel::SetTransparent(bool transparent) {
    transparent_ = transparent;
    if (!Hwnd()) return;
    const LONG_PTR ex = GetWindowLongPtrW(Hwnd(), GWL_EXSTYLE);
    SetWindowLongPtrW(Hwnd(), GWL_EXSTYLE, transparent ? (ex | WS_EX_TRANSPARENT) : (ex & ~static_cast<LONG_PTR>(WS_EX_TRANSPARENT)));
    RepaintParentUnder();
}

// The parent's picture has to be there before the label draws onto it.
void LinkLabel::RepaintParentUnder() {
    HWND parent = GetParent(Hwnd());
    if (!parent) return;
    RECT r;
    GetWindowRect(Hwnd(), &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    InvalidateRect(parent, &r, TRUE);
    UpdateWindow(parent);
}

void LinkLabel::DrawLabelText(HDC dc, const RECT& client) {
    const int len = GetWindowTextLengthW(Hwnd());
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    GetWindowTextW(Hwnd(), &text[0], len + 1);
    text.resize(static_cast<size_t>(len));

    SavedDCState saved(dc);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, textColour_);
    if (font_) SelectObject(dc, font_.Get());

    const LONG_PTR style = GetWindowLongPtrW(Hwnd(), GWL_STYLE);
    UINT flags;
    switch (style & 0x1F) {
    case SS_CENTER: flags = DT_CENTER | DT_WORDBREAK; break;
    case SS_RIGHT: flags = DT_RIGHT | DT_WORDBREAK; break;
    case SS_LEFTNOWORDWRAP: flags = DT_LEFT; break;
    default: flags = DT_LEFT | DT_WORDBREAK; break;
    }
    if (text.find(L'\t') != std::wstring::npos) flags |= DT_EXPANDTABS;
    if (style & SS_CENTERIMAGE) {
        flags = (flags & ~(DT_LEFT | DT_RIGHT)) | DT_CENTER;
        if (text.find(L"\r\n") == std::wstring::npos) flags = (flags & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
    }
    RECT r = client;
    DrawTextW(dc, text.c_str(), len, &r, flags);
}

void LinkLabel::Paint(HDC dc) {
    RECT client;
    GetClientRect(Hwnd(), &client);
    if (transparent_) {
        DrawLabelText(dc, client);
        return;
    }
    // Off screen first, then one copy: no flicker between fill and text.
    MemoryDC mem(dc);
    BitmapHandle surface(CreateCompatibleBitmap(dc, client.right, client.bottom));
    if (!mem || !surface) {
        FillRect(dc, &client, background_.Get());
        DrawLabelText(dc, client);
        return;
    }
    SelectObjectScope sel(mem.Get(), surface.Get());
    FillRect(mem.Get(), &client, background_.Get());
    DrawLabelText(mem.Get(), client);
    BitBlt(dc, 0, 0, client.right, client.bottom, mem.Get(), 0, 0, SRCCOPY);
}

LRESULT LinkLabel::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PaintDC paint(Hwnd());
        Paint(paint.Get());
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wp));
        return 0;
    case WM_ERASEBKGND:
        return 1;  // painting covers it, or leaves the parent's picture
    case WM_SETTEXT: {
        LRESULT r = Default(msg, wp, lp);
        if (transparent_) RepaintParentUnder();
        InvalidateRect(Hwnd(), nullptr, FALSE);
        return r;
    }
    default:
        return Default(msg, wp, lp);
    }
}
