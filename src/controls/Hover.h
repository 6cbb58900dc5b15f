// Small pieces shared by the controls that draw themselves: the pointer-over
// state, and painting for WM_PAINT and WM_PRINTCLIENT alike.
#pragma once
#include <windows.h>

#include "controls/Gdi.h"

// Set at the first mouse move over the control (asking the system for the
// leave notification), cleared when the pointer leaves; each change
// repaints the control. A move with the left button down lights nothing
// up: a drag that started elsewhere.
class PointerOver {
public:
    // Follows WM_MOUSEMOVE, WM_MOUSELEAVE and WM_CANCELMODE; other messages
    // change nothing.
    void Follow(HWND wnd, UINT msg, WPARAM wp) {
        bool over = over_;
        if (msg == WM_MOUSEMOVE && !(wp & MK_LBUTTON)) over = true;
        else if (msg == WM_MOUSELEAVE || msg == WM_CANCELMODE) over = false;
        if (over == over_) return;
        over_ = over;
        if (over) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, wnd, 0};
            TrackMouseEvent(&track);
        }
        InvalidateRect(wnd, nullptr, FALSE);
    }
    bool IsOver() const { return over_; }

private:
    bool over_ = false;
};

// WM_PAINT and WM_PRINTCLIENT drawn by paint(dc); false for other messages.
template <class Paint>
bool PaintMessage(HWND wnd, UINT msg, WPARAM wp, Paint paint) {
    if (msg != WM_PAINT && msg != WM_PRINTCLIENT) return false;
    if (msg == WM_PRINTCLIENT || wp) {
        paint(reinterpret_cast<HDC>(wp));
    } else {
        PaintDC dc(wnd);
        paint(dc.Get());
    }
    return true;
}
