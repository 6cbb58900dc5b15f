// What the main window asks of each of its pages. Pages are child dialogs
// that can live in any parent window.
#pragma once
#include <windows.h>

#include "controls/Window.h"
#include "resources/resource.h"

class Page : public Dialog {
public:
    using Dialog::Dialog;

    // Sends the page's settings to the mouse. 1 on success (or started).
    virtual int ApplyPage() = 0;
    // Reloads every text and picture that depends on the language.
    virtual void RefreshPageTexts() = 0;
    // The window moved to a monitor of another scale: font, pictures and
    // places again at `dpi`.
    virtual void OnDpiChanged(UINT dpi) { (void)dpi; }

protected:
    // A page lives as long as its parent: Enter, Escape and a close request
    // inside it must not end it.
    bool OnCommand(int id, int, HWND) override { return id == IDOK || id == IDCANCEL; }
    void OnClose() override {}
};
