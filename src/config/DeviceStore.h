// The one object that holds the mouse's configuration while the program
// runs: the record tables (RecordTable), DPI and report rate, the link to
// the mouse, and the state of the background transfers.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "config/RecordTable.h"
#include "files/Profile.h"
#include "link/MouseLink.h"
#include "link/ScopedHandle.h"

class DeviceStore : public RecordTable {
public:
    // libraryPath as for MouseLink (empty: SonixUSB.DLL beside the program).
    explicit DeviceStore(std::wstring libraryPath = std::wstring());
    ~DeviceStore();
    DeviceStore(const DeviceStore&) = delete;
    DeviceStore& operator=(const DeviceStore&) = delete;

    // Reads the mouse's configuration and starts the DrainThread. 1 when the
    // mouse was read and is still reachable; 0 (after telling the user)
    // when it could not be opened.
    int LoadFromDevice();
    // Uploads the table; runs on a transfer thread. 1 uploaded, 0 not opened.
    int ApplyButtons();
    // Uploads DeviceImage, then the DPI. 1 when the DPI report was written.
    int ApplyPerformance(uint32_t dpi);

    // Profiles (.mvf) hold the record table only.
    int SaveProfile(const std::wstring& path) const { return ::SaveProfile(*this, path); }
    int LoadProfile(const std::wstring& path) { return ::LoadProfile(*this, path); }

    int32_t GetDpi() const { return Dpi(); }
    int32_t GetReportRate() const { return ReportRateCode(); }

    // Background transfer state (see link/Transfers.h).
    MouseLink& Link() { return link_; }
    std::atomic<int>& StopDrain() { return stopDrain_; }
    ScopedHandle& DrainThread() { return drainThread_; }
    ScopedHandle& TransferThread() { return transferThread_; }

private:
    void ReportNoMouse();
    int UploadTable(const RecordArray& records);

    std::atomic<int> stopDrain_{0};
    ScopedHandle drainThread_;
    ScopedHandle transferThread_;
    MouseLink link_;
};

// The program's store.
DeviceStore& TheDeviceStore();

// A DPI report: 00 04 FF 01 d 00 00 00 00 with d = DPI / 200 (low 8 bits).
void BuildDpiReport(uint32_t dpi, uint8_t (&report)[9]);
