// A drop-down list in the skin: dark field, one-pixel border (the accent
// while it has the focus), light text with padding that ends in "..." when
// it is too long, an accent chevron and a dark open list. Attached to a
// combo box made with CBS_OWNERDRAWFIXED | CBS_HASSTRINGS (an editable
// one keeps its edit, coloured). Heights and paddings follow the DPI its
// dialog was laid out at. In the plain look it takes the system colours.
#pragma once
#include <windows.h>

#include "controls/Hover.h"
#include "controls/Window.h"

class SkinCombo : public SubclassedControl {
public:
    // The closed list's height and an open list's entry height at 96 DPI.
    static constexpr int kHeight = 24;
    static constexpr int kEntryHeight = 20;

    void OnLayoutDpi(UINT dpi) override;
    bool TextArea(RECT& area) const override;
    bool OnReflectedDrawItem(const DRAWITEMSTRUCT& item) override;
    HBRUSH OnReflectedCtlColor(HDC dc, UINT message) override;
    bool OnReflectedCommand(int code) override;

protected:
    void OnAttached() override;
    void OnDetaching() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    static LRESULT CALLBACK ListProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
    bool Editable() const;
    void ApplyHeights();
    void Paint(HDC dc);
    void DrawText(HDC dc, int index, const RECT& area, COLORREF colour);
    void DrawListEntry(const DRAWITEMSTRUCT& item);

    UINT dpi_ = 96;
    HWND list_ = nullptr;
    PointerOver over_;
};
