// A check box in the skin: a dark square with a one-pixel border and an
// accent tick, no system frame, and its text (unless the box only carries
// a name for screen readers) in light letters. It stays a check box to the
// system (BS_AUTOCHECKBOX: role, state and clicks as usual) and only paints
// itself. Plain look: the system's colours.
#pragma once
#include <windows.h>

#include "controls/Hover.h"
#include "controls/Look.h"
#include "controls/Window.h"

class SkinCheckBox : public SubclassedControl {
public:
    // The square's side at 96 DPI, at most the control's height; a box
    // without text fills its control.
    static constexpr int kBox = 14;

    // What lies under the control, filled first.
    void SetBackground(look::Role role) { background_ = role; }
    // False: the window text only names the box (it is painted beside it).
    void SetTextPainted(bool painted) { paintText_ = painted; }
    void OnLayoutDpi(UINT dpi) override;
    bool TextArea(RECT& area) const override;

protected:
    void OnAttached() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    RECT Box() const;
    void Paint(HDC dc);

    UINT dpi_ = 96;
    look::Role background_ = look::kCard;
    bool paintText_ = true;
    PointerOver over_;
};
