// Shared by the control tests: a modeless test dialog from the test
// resources, a message pump, real pointer input and pixels read back from
// the screen.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "controls/Window.h"
#include "controls_test_ids.h"

// Dispatches whatever is waiting, for at least ms milliseconds.
inline void Pump(HWND dialog, DWORD ms = 50) {
    const DWORD start = GetTickCount();
    MSG m;
    do {
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (!dialog || !IsDialogMessageW(dialog, &m)) {
                TranslateMessage(&m);
                DispatchMessageW(&m);
            }
        }
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

// Pumps until the condition holds or a second has passed.
inline bool PumpUntil(HWND dialog, const std::function<bool()>& done) {
    for (int i = 0; i < 100; ++i) {
        if (done()) return true;
        Pump(dialog, 10);
    }
    return done();
}

// Real pointer input: the system's own mouse messages, hit testing and key state.
inline void MovePointerTo(HWND wnd, POINT clientPt) {
    ClientToScreen(wnd, &clientPt);
    SetCursorPos(clientPt.x, clientPt.y);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_MOVE;  // a zero move reports the new position
    SendInput(1, &in, sizeof(in));
}

inline void LeftButton(bool down) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &in, sizeof(in));
}

inline POINT Centre(HWND wnd) {
    RECT r;
    GetClientRect(wnd, &r);
    return POINT{r.right / 2, r.bottom / 2};
}

// Repaints the window now and reads one pixel of its client area from the screen.
inline COLORREF ScreenPixel(HWND wnd, int x, int y) {
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetDC(wnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(wnd, dc);
    return c;
}

// All pixels of a client rectangle, row by row, as painted on the screen.
inline std::vector<COLORREF> ScreenPixels(HWND wnd, const RECT& r) {
    std::vector<COLORREF> out;
    HDC dc = GetDC(wnd);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) out.push_back(GetPixel(dc, x, y));
    ReleaseDC(wnd, dc);
    return out;
}

// A modeless dialog whose initialisation is given by the test.
class TestDialog : public Dialog {
public:
    explicit TestDialog(int id) : Dialog(id) {}
    std::function<void(TestDialog&)> init;
    struct Command {
        int id;
        int code;
    };
    std::vector<Command> commands;

protected:
    BOOL OnInitDialog() override {
        if (init) init(*this);
        return TRUE;
    }
    bool OnCommand(int id, int code, HWND) override {
        commands.push_back({id, code});
        return true;
    }
};

class ControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
    }
    void TearDown() override {
        // Leave the pointer and button where the next test expects them.
        LeftButton(false);
        SetCursorPos(1200, 1000);
    }
};
