// A static text control that paints its own text, so that a label can lie
// directly on a dialog's background picture (transparent mode).
#pragma once
#include <windows.h>

#include "controls/Gdi.h"
#include "controls/Window.h"

class LinkLabel : public SubclassedControl {
public:
    LinkLabel();
    ~LinkLabel() override;

    // Draws straight onto what the parent painted under the label.
    void SetTransparent(bool transparent);
    bool IsTransparent() const { return transparent_; }
    COLORREF TextColour() const { return textColour_; }

protected:
    void OnAttached() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Paint(HDC dc);
    void DrawLabelText(HDC dc, const RECT& client);
    void RepaintParentUnder();

    COLORREF textColour_;
    BrushHandle background_;
    FontHandle font_;
    bool transparent_ = false;
};
