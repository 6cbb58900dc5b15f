// Prints the screen rectangle of a top-level window found by title and/or
// class, waiting for it to appear: "x y width height". Exit 1 if not found.
// The screenshot script crops the display's picture to it.
#include <windows.h>
#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
    const wchar_t* title = nullptr;
    const wchar_t* cls = nullptr;
    int waitMs = 10000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!wcscmp(argv[i], L"--title")) title = argv[i + 1];
        else if (!wcscmp(argv[i], L"--class")) cls = argv[i + 1];
        else if (!wcscmp(argv[i], L"--wait")) waitMs = _wtoi(argv[i + 1]) * 1000;
    }
    if (!title && !cls) {
        fwprintf(stderr, L"usage: winrect --title T | --class C [--wait seconds]\n");
        return 2;
    }
    for (int waited = 0;; waited += 100) {
        HWND wnd = FindWindowW(cls, title);
        if (wnd && IsWindowVisible(wnd)) {
            Sleep(500);  // let it finish painting
            RECT r{};
            GetWindowRect(wnd, &r);
            printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
            return 0;
        }
        if (waited >= waitMs) break;
        Sleep(100);
    }
    fwprintf(stderr, L"window not found\n");
    return 1;
}
