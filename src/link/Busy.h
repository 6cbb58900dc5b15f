// BusyEvent: one process-wide manual-reset event, signalled while no upload
// runs. The user interface polls it; process exit waits on it.
#pragma once
#include <windows.h>

#include "link/ScopedHandle.h"

class BusyEvent {
public:
    BusyEvent();
    BusyEvent(const BusyEvent&) = delete;
    BusyEvent& operator=(const BusyEvent&) = delete;

    HANDLE Handle() const { return event_.Get(); }
    // The busy test: polled without waiting.
    bool IsBusy() const { return WaitForSingleObject(event_.Get(), 0) != WAIT_OBJECT_0; }
    void SetBusy() { ResetEvent(event_.Get()); }
    void SetIdle() { SetEvent(event_.Get()); }
    // True when idle within the time; used at exit (4000 ms).
    bool WaitIdle(DWORD ms) const { return WaitForSingleObject(event_.Get(), ms) == WAIT_OBJECT_0; }

private:
    ScopedHandle event_;
};

// The process-wide event, created signalled on first use and kept until the
// process ends. Start-up calls it once to create it before any window.
BusyEvent& TheBusyEvent();
