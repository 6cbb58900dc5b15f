// Starting a window program and watching its window come up: the first
// visible window of the process, and the moment its picture on the screen
// last changed (fully painted).
#pragma once
#include <windows.h>

#include <string>

#include "BenchClock.h"

namespace bench {

struct Found {
    DWORD pid;
    HWND wnd;
    const wchar_t* cls;  // nullptr: any class
};

inline BOOL CALLBACK FindVisible(HWND wnd, LPARAM lp) {
    auto* f = reinterpret_cast<Found*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    wchar_t cls[128] = {};
    if (f->cls) GetClassNameW(wnd, cls, 128);
    if (pid == f->pid && IsWindowVisible(wnd) && (!f->cls || lstrcmpW(cls, f->cls) == 0)) {
        f->wnd = wnd;
        return FALSE;
    }
    return TRUE;
}

// The process's first visible top-level window (of class cls, if given),
// waited for until t0 + ms; nullptr when none came.
inline HWND WaitVisible(DWORD pid, const wchar_t* cls, double t0, double ms = 30000) {
    Found f{pid, nullptr, cls};
    while (Now() - t0 < ms) {
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&f));
        if (f.wnd) break;
        Sleep(1);
    }
    return f.wnd;
}

struct Started {
    PROCESS_INFORMATION pi{};
    HWND wnd = nullptr;
    double ms = -1;  // start to visible
    double t0 = 0;
};

// Starts exe (with arguments) in dir; waits for a visible window unless
// wait is false.
inline Started Start(const std::wstring& exe, const std::wstring& dir, const std::wstring& arguments = L"",
                     bool wait = true) {
    Started s;
    std::wstring cmd = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    s.t0 = Now();
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &s.pi)) return s;
    if (!wait) return s;
    s.wnd = WaitVisible(s.pi.dwProcessId, nullptr, s.t0);
    if (s.wnd) s.ms = Now() - s.t0;
    return s;
}

// Until the window's picture on the screen last changed: it is sampled
// every few milliseconds and counts as fully painted once it stayed the
// same for 300 ms. Returns the time of the last change since t0.
inline double PaintedAt(HWND wnd, double t0) {
    RECT r{};
    GetWindowRect(wnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return -1;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP shot = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, shot);
    unsigned long long last = 0;
    double changed = Now() - t0;
    while (Now() - t0 < 30000) {
        BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        unsigned long long hash = 1469598103934665603ull;
        const auto* p = static_cast<const unsigned*>(bits);
        for (size_t i = 0; i < static_cast<size_t>(w) * h; i += 3) hash = (hash ^ p[i]) * 1099511628211ull;
        const double now = Now() - t0;
        if (hash != last) {
            last = hash;
            changed = now;
        } else if (now - changed >= 300) {
            break;
        }
        Sleep(2);
    }
    SelectObject(mem, old);
    DeleteObject(shot);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return changed;
}

// A button click as the dialog hears of it.
inline void Click(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Clicks the window's button (if it has one) and waits for the end; a
// process that does not end is killed. The time from the click to the end.
inline double End(Started& s, int button) {
    const double t0 = Now();
    if (s.wnd && button) Click(s.wnd, button);
    if (WaitForSingleObject(s.pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(s.pi.hProcess, 1);
    const double ms = Now() - t0;
    CloseHandle(s.pi.hProcess);
    CloseHandle(s.pi.hThread);
    s.pi = PROCESS_INFORMATION{};
    return ms;
}

}  // namespace bench
