// An apply that can be taken back: remembers what the mouse held before an
// upload and, after an upload that took the left click off the left button
// or moved the pointer speed by more than one mark, asks whether to keep it
// (KeepDialog). Undo uploads what the mouse held before.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

#include "config/FunctionRecord.h"

class DeviceStore;

class SafeApply {
public:
    // What the mouse holds now: at start and after every upload that ended
    // well. The rate record is kept from here, because a performance apply
    // writes the new rate into the store before the upload starts.
    void Remember(const DeviceStore& store);
    // Just before the uploads start.
    void BeforeButtonUpload(const DeviceStore& store);
    void BeforePerformanceUpload(const DeviceStore& store, uint32_t dpi);
    // After an upload ended. ok: it succeeded. Returns 1 when the outcome
    // has been handled here (the dialog ran, and after an undo reshow was
    // called), 0 when the caller reports it as usual.
    int AfterUpload(HWND owner, DeviceStore& store, bool ok, const std::function<void()>& reshow);
    // The upload did not start after all.
    void Forget() { pending_ = Pending::None; }

private:
    enum class Pending { None, Buttons, Performance };
    Pending pending_ = Pending::None;
    RecordArray before_{};
    FunctionRecord heldRate_{};
    bool haveRate_ = false;
    uint32_t beforeDpi_ = 0;
    uint32_t newDpi_ = 0;
};
