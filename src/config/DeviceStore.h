// The one object that holds the mouse's configuration while the program
// runs: a record table (the table the pages edit and DeviceImage, what the
// mouse last received or reported), DPI and report rate, the link to the
// mouse, and the background transfers.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "config/RecordTable.h"
#include "files/Profile.h"
#include "link/MouseLink.h"
#include "link/Transfers.h"

class DeviceStore {
public:
    // libraryPath as for MouseLink (empty: SonixUSB.DLL beside the program).
    // openLog false leaves the diagnostic log closed (command line).
    explicit DeviceStore(std::wstring libraryPath = std::wstring(), bool openLog = true);
    ~DeviceStore();
    DeviceStore(const DeviceStore&) = delete;
    DeviceStore& operator=(const DeviceStore&) = delete;

    // Record operations of the table, with the table's results. The reset
    // is the user's: the table only, DeviceImage stays what the mouse holds.
    int ResetToDefaults() {
        Records().ResetTableToDefaults();
        return 1;
    }
    void ClearRecord(int slot) { Records().ClearRecord(slot); }
    int SetMouseFunction(int slot, int code) { return Records().SetMouseFunction(slot, code); }
    int SetCommand(int slot, int group, uint8_t number) { return Records().SetCommand(slot, group, number); }
    int SetCapturedKey(int slot, int length, int modifiers, unsigned virtualKey) {
        return Records().SetCapturedKey(slot, length, modifiers, virtualKey);
    }
    uint8_t GetFunctionType(int slot) const { return table_.GetFunctionType(slot); }
    FunctionItem GetFunctionItem(int slot) const { return table_.GetFunctionItem(slot); }
    uint8_t GetModifiers(int slot) const { return table_.GetModifiers(slot); }
    uint8_t GetKeyUsage(int slot) const { return table_.GetKeyUsage(slot); }
    int IsWheelSwapped() const { return table_.IsWheelSwapped(); }
    void ToggleWheelSwap() { Records().ToggleWheelSwap(); }

    const RecordArray& Table() const { return table_.Table(); }
    // What the mouse holds, as far as it confirmed it: changed only by the
    // start-up read and by uploads that succeeded.
    const RecordArray& DeviceImage() const { return Records().DeviceImage(); }
    // The mouse's DPI and rate: changed by the read and by uploads that succeeded.
    int32_t GetDpi() const { return Records().Dpi(); }
    int32_t GetReportRate() const { return Records().ReportRateCode(); }
    // A whole table from elsewhere (a profile switch, an undo); every slot of
    // mask becomes known.
    void SetTable(const RecordArray& records, SlotMask mask = kAllSlots) { Records().SetTable(records, mask); }
    // Slots neither read from the mouse nor given by the user: no upload sends them.
    SlotMask UnknownSlots() const { return kAllSlots & ~Records().Known(); }
    bool DpiKnown() const { return dpiKnown_; }
    bool HasUnappliedEdits() const { return Records().HasUnappliedEdits(); }

    // Start-up read: the configuration exchange (asked up to three times
    // until every slot and the DPI came), then the DrainThread. 1 when
    // records came and the mouse is still reachable; on 0 the caller tells
    // the user (text 44). No reader starts when the mouse does not open.
    // Slots that never came stay unknown.
    int LoadFromDevice();
    // The same exchange without a reader (command line). 1 when every slot
    // and the DPI came.
    int ReadConfiguration();

    // Profiles (.mvf) hold the record table. DeviceImage keeps what the
    // mouse holds. The caller shows the texts for the status.
    ProfileStatus LoadProfile(const std::wstring& path);
    int SaveProfile(const std::wstring& path) const { return WriteProfileFile(path, table_.Table()); }

    // Background uploads (window thread). What is sent is copied here, so
    // later edits do not reach this upload; DeviceImage (and for a
    // performance upload the DPI) becomes that copy only when the upload
    // succeeded. Unknown slots are not sent. The transfer thread shows text
    // 44 itself (no owner) when the mouse cannot be opened, unless quiet: a
    // switch the user did not ask for reports in its own way.
    UploadStart StartButtonUpload(HWND notify, UINT doneMessage, bool quiet = false);
    // DeviceImage with the table's rate record (slot 9), then the DPI: button
    // edits that were not applied are not sent.
    UploadStart StartPerformanceUpload(HWND notify, UINT doneMessage, uint32_t dpi);

    // Uploads on the calling thread, with no transfer running (command line).
    // 1 only when every report was written. Show nothing.
    int UploadButtons();                  // the table
    int UploadPerformance(uint32_t dpi);  // as the background performance upload
    int UploadAll(uint32_t dpi);          // the table, then the DPI

    // At exit: waits at most ms for a running transfer thread. One that
    // outlives the wait keeps the link and the library until the process ends.
    void WaitTransfersAtExit(DWORD ms);

    // The parts, for tests and benchmarks.
    MouseLink& Link() { return transport_->link; }
    DrainReader& Reader() { return transport_->reader; }
    HANDLE TransferThread() const { return transport_->runner.Thread(); }
    // Direct access to both tables.
    RecordTable& Records() { return const_cast<RecordTable&>(static_cast<const DeviceStore*>(this)->Records()); }

private:
    // Everything a transfer thread touches. Leaked on purpose when a thread
    // outlives the exit wait, so nothing is torn down under it.
    struct Transport {
        explicit Transport(std::wstring libraryPath) : link(std::move(libraryPath)), reader(link), runner(reader) {}
        MouseLink link;
        DrainReader reader;
        TransferRunner runner;
        // A succeeded upload's records, handed to the window thread.
        RecordArray sent{};
        SlotMask sentMask = 0;
        int32_t sentDpi = 0;  // 0: no DPI was sent
        std::atomic<int> sentReady{0};
    };

    // The table, after a finished upload's records became DeviceImage. Only
    // the thread that owns the store writes DeviceImage.
    const RecordTable& Records() const;
    struct ConfigRead {
        SlotMask slots = 0;  // slots that received their record
        bool dpi = false;
        bool Complete() const { return slots == kAllSlots && dpi; }
    };
    ConfigRead ExchangeConfiguration();
    // One upload's reports: the masked records in slot order, then the DPI
    // report when dpi is not 0.
    struct Upload {
        RecordArray records{};
        SlotMask mask = 0;
        uint32_t dpi = 0;
    };
    Upload ButtonUpload() const;
    Upload PerformanceUpload(uint32_t dpi) const;
    // What a succeeded upload sent becomes what the mouse holds.
    static void Confirm(RecordTable& table, const RecordArray& sent, SlotMask mask, int32_t dpi);
    UploadStart StartUpload(const Upload& upload, HWND notify, UINT doneMessage, bool quiet);
    int UploadNow(const Upload& upload);

    std::unique_ptr<Transport> transport_;
    mutable RecordTable table_;
    bool ownsLog_ = false;
    bool abandoned_ = false;
    bool dpiKnown_ = true;
};

// The program's store.
DeviceStore& TheDeviceStore();

// A DPI report: 00 04 FF 01 d 00 00 00 00 with d = DPI / 200 (low 8 bits).
void BuildDpiReport(uint32_t dpi, uint8_t (&report)[9]);
