// The program's own window messages, in one place.
#pragma once
#include <windows.h>

// Key capture dialog -> its owner. wParam: modifier byte (HID layout),
// lParam: virtual-key code of the chosen key, 0 when only modifiers were pressed.
#define WM_KEY_CAPTURED (WM_USER + 1)
// Key capture dialog -> its owner, for every key that goes down.
// wParam: virtual-key code, lParam: the key message's key data.
#define WM_KEY_PRESSED (WM_USER + 2)
// Performance page -> Buttons page: store a report rate.
// wParam: report-rate index 0 (125 Hz), 1 (500 Hz), 2 (1000 Hz); lParam: 0.
#define WM_PAGE_REPORT_RATE (WM_USER + 3)
// Transfer thread -> the upload owner's window, when an upload has ended.
// wParam: kTransferSucceeded, kTransferFailed or kTransferBusy; lParam: 0.
#define WM_TRANSFER_DONE (WM_USER + 4)
// The shell -> main window, for the tray icon.
// wParam: icon identifier; lParam: the mouse message.
#define WM_TRAY_NOTIFY (WM_USER + 5)
// Transfer thread -> keep dialog, when the upload that undoes an apply has
// ended. wParam: 1 success, 0 failure; lParam: 0.
#define WM_KEEP_UNDO_DONE (WM_USER + 21)
