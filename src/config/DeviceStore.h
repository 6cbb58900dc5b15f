// The one object that holds the mouse while the program runs: the model of
// all its settings (what it confirmed, the user's pending choices, what is
// known), the link to it, and the background transfers. It decides nothing
// about what is sent (the upload policy does) and shows nothing (the window
// code does, from the results it returns).
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "config/RecordTable.h"
#include "config/UploadPolicy.h"
#include "files/Profile.h"
#include "link/Busy.h"
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

    // The user's choices; nothing reaches the mouse until an upload. The
    // defaults are the table's only: what the mouse holds stays known.
    int ResetTableToDefaults() {
        model_.ResetTableToDefaults();
        return 1;
    }
    void ClearRecord(int slot) { model_.ClearRecord(slot); }
    int SetMouseFunction(int slot, int code) { return model_.SetMouseFunction(slot, code); }
    int SetCommand(int slot, int group, uint8_t number) { return model_.SetCommand(slot, group, number); }
    int SetCapturedKey(int slot, int length, int modifiers, unsigned virtualKey) {
        return model_.SetCapturedKey(slot, length, modifiers, virtualKey);
    }
    void ToggleWheelSwap() { model_.ToggleWheelSwap(); }
    // Report rate by list position 0 (125 Hz), 1 (500 Hz), 2 (1000 Hz);
    // any other position writes nothing.
    void ChooseReportRate(int index);
    void ChooseDpi(int32_t dpi) { model_.ChooseDpi(dpi); }
    // A whole table from elsewhere (a profile); every slot of mask becomes known.
    void SetTable(const RecordArray& records, SlotMask mask = kAllSlots) { model_.SetTable(records, mask); }

    uint8_t GetFunctionType(int slot) const { return model_.GetFunctionType(slot); }
    FunctionItem GetFunctionItem(int slot) const { return model_.GetFunctionItem(slot); }
    uint8_t GetModifiers(int slot) const { return model_.GetModifiers(slot); }
    uint8_t GetKeyUsage(int slot) const { return model_.GetKeyUsage(slot); }
    int IsWheelSwapped() const { return model_.IsWheelSwapped(); }

    const RecordTable& Model() const { return model_; }
    const RecordArray& Table() const { return model_.Table(); }
    // What the mouse holds, as far as it confirmed it.
    const RecordArray& DeviceImage() const { return model_.DeviceImage(); }
    // The mouse's DPI and report-rate code (0 when not known).
    int32_t GetDpi() const { return model_.Dpi(); }
    int32_t GetReportRate() const { return model_.ReportRateCode(); }
    bool DpiKnown() const { return model_.DpiKnown(); }
    // Slots neither read from the mouse nor given by the user.
    SlotMask UnknownSlots() const { return kAllSlots & ~model_.Known(); }
    bool HasUnappliedEdits() const { return model_.HasUnappliedEdits(); }

    // Start-up read: the configuration exchange (asked up to three times
    // until every slot and the DPI came), then the DrainThread. 1 when
    // records came and the mouse is still reachable; on 0 the caller tells
    // the user. No reader starts when the mouse does not open. What never
    // came stays unknown.
    int LoadFromDevice();
    // The same exchange without a reader (command line). 1 when every slot
    // and the DPI came.
    int ReadConfiguration();

    // Profiles (.mvf) hold the record table; loading one changes the choices only.
    ProfileStatus LoadProfile(const std::wstring& path);
    int SaveProfile(const std::wstring& path) const { return WriteProfileFile(path, model_.Table()); }

    // Background transfers (window thread), one at a time. A Started one is
    // followed by doneMessage (wParam: its TransferStatus) to notify.
    // An upload sends what the plan holds, copied now.
    UploadStart StartUpload(const UploadPlan& plan, HWND notify, UINT doneMessage);
    // The configuration exchange again, asked at most this often until
    // everything came: what comes fills what was unknown and replaces what
    // the mouse was thought to hold, never the user's pending choices.
    UploadStart StartRead(HWND notify, UINT doneMessage, int requests);
    // The end of the last background transfer, called once after its done
    // message: a succeeded upload's records and DPI become what the mouse
    // holds, a read's answers what is known of it. Failed when none ended.
    TransferResult FinishTransfer();
    // A transfer's body runs (its done message has not been posted yet).
    bool TransferRunning() const { return TheBusyEvent().IsBusy(); }
    // A transfer began and FinishTransfer has not been called for it.
    bool TransferPending() const { return transport_->job != Transport::Job::None; }
    // Waits at most ms for the transfer thread to end; true when it has.
    bool WaitTransfer(DWORD ms) const { return transport_->runner.Wait(ms) != 0; }

    // An upload on the calling thread, with no transfer running (command
    // line, the end of a session); confirmed when it succeeded.
    TransferResult UploadNow(const UploadPlan& plan);

    // Whether the mouse can be opened now, while nothing else uses the link
    // (no transfer, no reader). Opens and closes it, nothing more.
    bool ProbeMouse();
    // The mouse is open (the reader reads from it).
    bool MouseOpen() const { return transport_->link.IsOpen(); }

    // At exit: waits at most ms for a running transfer thread. One that
    // outlives the wait keeps the link and the library until the process ends.
    void WaitTransfersAtExit(DWORD ms);

    // The parts, for tests and benchmarks.
    MouseLink& Link() { return transport_->link; }
    DrainReader& Reader() { return transport_->reader; }
    HANDLE TransferThread() const { return transport_->runner.Thread(); }
    RecordTable& Records() { return model_; }

private:
    // What one configuration exchange brought.
    struct ConfigRead {
        RecordArray records{};
        SlotMask slots = 0;  // slots that received their record
        int32_t dpi = 0;
        bool dpiCame = false;
        bool Complete() const { return slots == kAllSlots && dpiCame; }
    };
    // Everything a transfer thread touches. Leaked on purpose when a thread
    // outlives the exit wait, so nothing is torn down under it.
    struct Transport {
        explicit Transport(std::wstring libraryPath) : link(std::move(libraryPath)), reader(link), runner(reader) {}
        MouseLink link;
        DrainReader reader;
        TransferRunner runner;
        // The running transfer's job, set before it starts; a read's answers
        // come back in it.
        enum class Job { None, Upload, Read } job = Job::None;
        UploadPlan plan;
        ConfigRead read;
    };

    static ConfigRead ExchangeConfiguration(MouseLink& link, int requests);
    void Adopt(const ConfigRead& read);
    // A succeeded upload's records and DPI are what the mouse holds.
    void Confirm(const UploadPlan& plan);
    static TransferResult Send(MouseLink& link, const UploadPlan& plan);

    std::unique_ptr<Transport> transport_;
    RecordTable model_;
    bool ownsLog_ = false;
    bool abandoned_ = false;
};

// The program's store.
DeviceStore& TheDeviceStore();

// A DPI report: 00 04 FF 01 d 00 00 00 00 with d = DPI / 200 (low 8 bits).
void BuildDpiReport(uint32_t dpi, uint8_t (&report)[9]);
