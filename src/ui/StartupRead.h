// The mouse's configuration, read on a worker thread while the main window
// is being made. The window joins the read before its pages show the store;
// until then nothing else touches the store.
#pragma once
#include <windows.h>

class DeviceStore;

class StartupRead {
public:
    // Starts reading at once, on a thread of its own unless onThisThread
    // (nothing to make meanwhile: a start hidden in the tray).
    explicit StartupRead(DeviceStore& store, bool onThisThread = false);
    // Waits for the read if nobody did.
    ~StartupRead();
    StartupRead(const StartupRead&) = delete;
    StartupRead& operator=(const StartupRead&) = delete;

    // Waits for the read; what LoadFromDevice returned (the same on every call).
    bool Join();

private:
    static DWORD WINAPI Run(void* self);

    DeviceStore& store_;
    HANDLE thread_ = nullptr;
    bool result_ = false;
};
