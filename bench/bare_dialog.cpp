// The baseline of the start benchmark: a bare modal dialog built like
// Mirvostan (same toolchain, static runtime, a template of the same size).
#include <windows.h>

namespace {
INT_PTR CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        EndDialog(wnd, LOWORD(wp));
        return TRUE;
    }
    if (msg == WM_CLOSE) {
        EndDialog(wnd, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return static_cast<int>(DialogBoxParamW(instance, MAKEINTRESOURCEW(100), nullptr, Proc, 0));
}
