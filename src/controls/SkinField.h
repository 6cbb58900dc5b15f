// A text field and a report list in the skin: dark, light text, a
// one-pixel border (the accent while the field has the focus), padding.
// A read-only field looks the same as one that takes typing, so a stored
// value never reads as disabled. The list's rows and its column header are
// dark too (custom drawn). Plain look: the system's colours.
#pragma once
#include <windows.h>

#include "controls/Window.h"

class SkinField : public SubclassedControl {
public:
    // CLR_INVALID: the look's text colour.
    void SetTextColour(COLORREF colour);
    void OnLayoutDpi(UINT dpi) override;
    bool TextArea(RECT& area) const override;
    HBRUSH OnReflectedCtlColor(HDC dc, UINT message) override;

protected:
    void OnAttached() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    UINT dpi_ = 96;
    COLORREF text_ = CLR_INVALID;
};

class SkinListView : public SubclassedControl {
public:
    void OnLayoutDpi(UINT dpi) override;
    bool OnReflectedNotify(NMHDR* header, LRESULT& result) override;

protected:
    void OnAttached() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    class Header : public SubclassedControl {
    public:
        UINT dpi = 96;

    protected:
        LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

    private:
        void Paint(HDC dc);
    };
    void ApplyColours();

    Header header_;
};
