// The program's own window messages, in one place.
#pragma once
#include <windows.h>

// Key capture dialog -> its owner. wParam: modifier byte (HID layout),
// lParam: virtual-key code of the chosen key, 0 when only modifiers were pressed.
#define WM_KEY_CAPTURED (WM_USER + 1)
// Key capture dialog -> its owner, for every key that goes down.
// wParam: virtual-key code, lParam: the key message's key data.
#define WM_KEY_PRESSED (WM_USER + 2)
// Transfer thread -> the upload owner's window, when a transfer has ended.
// wParam: its TransferStatus; lParam: 0.
#define WM_TRANSFER_DONE (WM_USER + 4)
// The shell -> main window, for the tray icon.
// wParam: icon identifier; lParam: the mouse message.
#define WM_TRAY_NOTIFY (WM_USER + 5)
// Transfer thread -> keep dialog, when the upload that undoes an apply has
// ended. wParam: its TransferStatus; lParam: 0.
#define WM_KEEP_UNDO_DONE (WM_USER + 21)
// DrainThread -> the resident window: its reads found the mouse gone.
#define WM_MOUSE_GONE (WM_APP + 30)
// Main window -> the resident window: the user closed it (wParam: IDOK,
// IDCANCEL, or 0 for hidden in the tray).
#define WM_MAIN_CLOSED (WM_APP + 31)
