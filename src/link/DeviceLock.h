// One program at a time talks to the mouse. Uploads and configuration reads
// of the window program and of mirvostan-cli (and of two command lines)
// would otherwise interleave their records; each holds this named mutex,
// one per user, for the whole exchange.
#pragma once
#include <windows.h>

#include <string>

#include "link/ScopedHandle.h"

// How long an upload or read waits for another program's exchange to end.
constexpr DWORD kDeviceLockWaitMs = 5000;

class DeviceLock {
public:
    // Waits at most waitMs for the mutex. A mutex left by a program that
    // ended without releasing it counts as taken: Windows hands it over.
    explicit DeviceLock(DWORD waitMs = kDeviceLockWaitMs);
    ~DeviceLock();
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

    bool Held() const { return held_; }
    // Someone else holds it right now (another program's exchange); never waits.
    static bool HeldElsewhere();

    // "Local\Mirvostan-Device-<SID of the user>".
    static const std::wstring& Name();

private:
    ScopedHandle mutex_;
    bool held_ = false;
};
