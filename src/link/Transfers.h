// Uploads on background threads, and the background reader (DrainThread)
// that consumes the mouse's input reports between them. All of these run
// start/stop calls on the user-interface thread, except that a finishing
// upload starts the next DrainThread itself.
#pragma once
#include <windows.h>

#include <cstdint>

class DeviceStore;

// Longer than the library's read time-out (about 100 ms) plus the reader's
// 30 ms pause after a failed read, so a healthy reader always ends within it.
constexpr DWORD kDrainStopWaitMs = 1000;
// How long a start waits for the previous upload thread's last steps.
constexpr DWORD kTransferEndWaitMs = 2000;

// Sets StopDrain to 0 and starts a DrainThread on the store; its handle goes
// into the store. 1 started, 0 not (thread creation failed, or an old reader
// would not end).
int StartDrainThread(DeviceStore& store);

// Asks the DrainThread to end and waits for it, at most kDrainStopWaitMs.
// 1 when no reader runs any more.
int StopDrainThread(DeviceStore& store);

// Start a button or performance upload: refuse while BusyEvent is reset,
// let the previous upload thread finish, stop the reader, reset BusyEvent,
// start the TransferThread. The thread posts WM_TRANSFER_DONE (wParam 1
// success, 0 failure) to notify when it ends. 1 started; 0 refused, and
// then nothing was started and nothing will be posted.
int StartButtonUpload(DeviceStore& store, HWND notify);
int StartPerformanceUpload(DeviceStore& store, HWND notify, uint32_t dpi);
