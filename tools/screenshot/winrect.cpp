// Prints the screen rectangle of a top-level window found by title and/or
// class, waiting for it to appear: "x y width height". Exit 1 if not found.
// The screenshot scripts crop the display's picture to it.
//   --command id     first post a button click of control id to the window
//   --syscommand n   first post WM_SYSCOMMAND n to the window
//   --print-title T  then print the rectangle of the window titled T instead
// The pointer is moved out of the way, so no button shows its hover picture.
#include <windows.h>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {
HWND WaitVisible(const wchar_t* cls, const wchar_t* title, int waitMs) {
    for (int waited = 0;; waited += 100) {
        HWND wnd = FindWindowW(cls, title);
        if (wnd && IsWindowVisible(wnd)) return wnd;
        if (waited >= waitMs) return nullptr;
        Sleep(100);
    }
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    const wchar_t* title = nullptr;
    const wchar_t* cls = nullptr;
    const wchar_t* printTitle = nullptr;
    int command = 0, syscommand = 0;
    int waitMs = 10000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!wcscmp(argv[i], L"--title")) title = argv[i + 1];
        else if (!wcscmp(argv[i], L"--class")) cls = argv[i + 1];
        else if (!wcscmp(argv[i], L"--wait")) waitMs = _wtoi(argv[i + 1]) * 1000;
        else if (!wcscmp(argv[i], L"--command")) command = _wtoi(argv[i + 1]);
        else if (!wcscmp(argv[i], L"--syscommand")) syscommand = _wtoi(argv[i + 1]);
        else if (!wcscmp(argv[i], L"--print-title")) printTitle = argv[i + 1];
    }
    if (!title && !cls) {
        fwprintf(stderr, L"usage: winrect --title T | --class C [--wait s] [--command id] [--syscommand n] [--print-title T]\n");
        return 2;
    }
    HWND wnd = WaitVisible(cls, title, waitMs);
    if (!wnd) {
        fwprintf(stderr, L"window not found\n");
        return 1;
    }
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
    if (command) {
        HWND control = GetDlgItem(wnd, command);
        PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    }
    if (syscommand) PostMessageW(wnd, WM_SYSCOMMAND, static_cast<WPARAM>(syscommand), 0);
    if (printTitle) {
        wnd = WaitVisible(nullptr, printTitle, waitMs);
        if (!wnd) {
            fwprintf(stderr, L"window not found\n");
            return 1;
        }
    }
    Sleep(command || syscommand || printTitle ? 800 : 500);  // let it finish painting
    RECT r{};
    GetWindowRect(wnd, &r);
    printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
}
