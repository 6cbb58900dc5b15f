// The program's own window messages, in one place.
#pragma once
#include <windows.h>

// Key capture dialog -> its owner. wParam: modifier byte (HID layout),
// lParam: virtual-key code of the chosen key, 0 when only modifiers were pressed.
#define WM_KEY_CAPTURED (WM_USER + 1)
// Key capture dialog -> its owner, for every key that goes down.
// wParam: virtual-key code, lParam: the key message's key data.
#define WM_KEY_PRESSED (WM_USER + 2)
// Transfer thread -> Buttons page, when an upload has ended.
// wParam: 1 success, 0 failure; lParam: 0.
#define WM_TRANSFER_DONE (WM_USER + 4)
