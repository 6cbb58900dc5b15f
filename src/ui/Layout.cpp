#include "ui/Layout.h"

namespace {
// Rounding adds one half and truncates.
int Round(double v) { return static_cast<int>(v + 0.5); }
}  // namespace

namespace {
struct Units {
    double u, v;    // pixels of 4 x 8 dialog units in the dialog's own font
    double bx, by;  // the system's dialog base units
};

bool GetUnits(HWND dialog, Units& units) {
    RECT unit{0, 0, 4, 8};
    if (!MapDialogRect(dialog, &unit) || unit.right <= 0 || unit.bottom <= 0) return false;
    const LONG base = GetDialogBaseUnits();
    units = {double(unit.right), double(unit.bottom), double(LOWORD(base)), double(HIWORD(base))};
    return true;
}
}  // namespace

void NormaliseLayout(HWND dialog) {
    Units units;
    if (!GetUnits(dialog, units)) return;
    const double u = units.u, v = units.v, bx = units.bx, by = units.by;
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

void FitPageToBaseUnits(HWND page) {
    Units units;
    if (!GetUnits(page, units)) return;
    RECT client;
    GetClientRect(page, &client);
    const int width = Round(Round(client.right * 4 / units.u) * units.bx / 4);
    const int height = Round(Round(client.bottom * 8 / units.v) * units.by / 8);
    if (width <= client.right && height <= client.bottom) return;
    RECT frame{0, 0, width > client.right ? width : client.right, height > client.bottom ? height : client.bottom};
    AdjustWindowRectEx(&frame, GetWindowLongW(page, GWL_STYLE), FALSE, GetWindowLongW(page, GWL_EXSTYLE));
    SetWindowPos(page, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
