// A push button drawn by code as a smaller plate in the OK button's style:
// cut top-left and bottom-right corners, a dark gradient, a light edge and
// its window text, which the dialog sets in the current language. It has
// pointer-over, pressed, disabled and focused looks; the focus ring and the
// pressed edge follow the cut corners. Plain look: the system's colours.
#pragma once
#include <windows.h>

#include "controls/Hover.h"
#include "controls/Plate.h"
#include "controls/Window.h"

class PlateButton : public SubclassedControl {
public:
    // The cut corners, in picture pixels.
    static constexpr int kCut = 6;

    void OnLayoutDpi(UINT dpi) override;
    bool TextArea(RECT& area) const override;
    bool OnReflectedDrawItem(const DRAWITEMSTRUCT& item) override;
    bool IsPointerOver() const { return over_.IsOver(); }

protected:
    void OnAttached() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    paint::Shape Shape() const;
    bool FocusShown(UINT state) const;

    UINT dpi_ = 96;
    PointerOver over_;
    bool isDefault_ = false;
};
