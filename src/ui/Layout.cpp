#include "ui/Layout.h"

namespace {
// Rounding adds one half and truncates.
int Round(double v) { return static_cast<int>(v + 0.5); }
}  // namespace

void NormaliseLayout(HWND dialog) {
    RECT unit{0, 0, 4, 8};
    if (!MapDialogRect(dialog, &unit) || unit.right <= 0 || unit.bottom <= 0) return;
    const double u = unit.right;
    const double v = unit.bottom;
    const LONG base = GetDialogBaseUnits();
    const double bx = LOWORD(base);
    const double by = HIWORD(base);
    // Only the dialog's own children: a combo box's edit and list move with it.
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        POINT p{r.left, r.top};
        ScreenToClient(dialog, &p);
        const int units_x = Round(p.x * 4 / u);
        const int units_y = Round(p.y * 8 / v);
        SetWindowPos(child, nullptr, Round(units_x * bx / 4), Round(units_y * by / 8), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
}
