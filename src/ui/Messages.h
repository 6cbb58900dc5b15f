// Every window message of the program.
#pragma once
#include <windows.h>

// A transfer thread's outcome: wParam 1 success, 0 failure; lParam 0.
constexpr UINT WM_TRANSFER_DONE = WM_USER + 4;
