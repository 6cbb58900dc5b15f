#include "config/DeviceStore.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "files/LogFile.h"
#include "i18n/Language.h"
#include "i18n/UserMessage.h"
#include "link/Busy.h"

namespace {
constexpr wchar_t kLogName[] = L"Mirvostan.log";
constexpr uint32_t kLogCap = 102400;
constexpr int kTextCantOpenMouse = 44;
constexpr DWORD kDpiPauseMs = 50;
constexpr DWORD kStoreEndWaitMs = 4000;
const uint8_t kReadConfigRequest[9] = {0x00, 0x04, 0xAA, 0x55, 0x00, 0x00, 0x00, 0x00, 0x00};
constexpr uint8_t kDpiTarget = 0xFF;
constexpr uint8_t kDpiSetting = 1;
// The read ends after this many time-outs in a row (the mouse has nothing
// more to say), or after this many reports (a mouse that never stops).
constexpr int kReadTimeoutsInARow = 3;
constexpr int kMaxConfigReports = 3 * (kRecordCount + 1);
// A read that missed a record or the DPI asks again, this often in all.
constexpr int kConfigRequests = 3;

void TraceRecord(const uint8_t (&r)[9]) {
    wchar_t line[80];
    std::swprintf(line, 80, L"byteConfig %02X, %02X, %02X, %02X, %02X, %02X, %02X, %02X, %02X\r\n", r[0], r[1], r[2],
                  r[3], r[4], r[5], r[6], r[7], r[8]);
    OutputDebugStringW(line);
}

enum class Sent { Done, Failed, NoMouse };

// Opens the mouse and sends the masked records in slot order, then (for a
// performance upload) the DPI report. Stops at the first failed write.
Sent SendUpload(MouseLink& link, const RecordArray& records, SlotMask mask, const uint8_t (*dpiReport)[9]) {
    if (!link.OpenMouse()) return Sent::NoMouse;
    for (int slot = 0; slot < kRecordCount; ++slot)
        if ((mask & SlotBit(slot)) && !link.SendReportChecked(records[slot].bytes)) return Sent::Failed;
    if (dpiReport) {
        Sleep(kDpiPauseMs);
        if (!link.SendReport(*dpiReport)) return Sent::Failed;
    }
    return Sent::Done;
}

}  // namespace

void BuildDpiReport(uint32_t dpi, uint8_t (&report)[9]) {
    const uint8_t r[9] = {0x00, 0x04, kDpiTarget, kDpiSetting, static_cast<uint8_t>(dpi / 200), 0, 0, 0, 0};
    std::memcpy(report, r, sizeof r);
}

DeviceStore::DeviceStore(std::wstring libraryPath, bool openLog)
    : transport_(new Transport(std::move(libraryPath))), ownsLog_(openLog) {
    table_.ResetToDefaults();
    if (ownsLog_) TheLogFile().Open(kLogName, kLogCap);
}

DeviceStore::~DeviceStore() {
    if (ownsLog_) TheLogFile().Close();
    // A transfer thread or a reader that still runs (may be inside the
    // library) keeps what it uses until the process ends.
    if (abandoned_ || !transport_->runner.Wait(kStoreEndWaitMs) || !transport_->reader.Stop()) {
        (void)transport_.release();
        return;
    }
    transport_->link.CloseMouse();
}

void DeviceStore::Confirm(RecordTable& table, const RecordArray& sent, SlotMask mask, int32_t dpi) {
    for (int slot = 0; slot < kRecordCount; ++slot)
        if (mask & SlotBit(slot)) table.DeviceImage()[slot] = sent[slot];
    table.SetImageKnown(table.ImageKnown() | mask);
    const FunctionRecord& rate = sent[kReportRateSlot];
    if ((mask & SlotBit(kReportRateSlot)) && rate.bytes[kByteType] == ReportRate)
        table.SetReportRateCode(rate.bytes[kByteCode]);
    if (dpi) table.SetDpi(dpi);
}

// A succeeded upload's records become DeviceImage here, on the store's own
// thread, before anything reads or edits the tables: the transfer thread
// never writes what this thread uses.
const RecordTable& DeviceStore::Records() const {
    Transport& t = *transport_;
    if (t.sentReady.load(std::memory_order_acquire)) {
        Confirm(table_, t.sent, t.sentMask, t.sentDpi);
        t.sentReady.store(0, std::memory_order_relaxed);
    }
    return table_;
}

// Each answer goes to the slot it names; only the DPI report gives the DPI,
// so a late or missing answer shifts nothing. Slots that got no record keep
// theirs.
DeviceStore::ConfigRead DeviceStore::ExchangeConfiguration() {
    MouseLink& link = transport_->link;
    RecordTable& records = Records();
    ConfigRead read;
    for (int request = 0; request < kConfigRequests && !read.Complete(); ++request) {
        link.SendReport(kReadConfigRequest);
        bool dpiCame = false;
        for (int timeouts = 0, reports = 0; !dpiCame && timeouts < kReadTimeoutsInARow && reports < kMaxConfigReports;) {
            uint8_t buffer[9] = {};  // a shorter input report leaves the rest zero
            if (!link.ReadReport(buffer)) {
                ++timeouts;
                continue;
            }
            timeouts = 0;
            ++reports;
            if (buffer[kByteCommand] != kRecordCommand) continue;
            const uint8_t target = buffer[kByteSlot];
            if (target < kRecordCount) {
                std::memcpy(records.Table()[target].bytes, buffer, sizeof buffer);
                records.DeviceImage()[target] = records.Table()[target];
                TraceRecord(records.Table()[target].bytes);
                read.slots |= SlotBit(target);
            } else if (target == kDpiTarget && buffer[3] == kDpiSetting) {
                records.SetDpi(buffer[4] * 200);
                read.dpi = dpiCame = true;
            }
        }
    }
    // What never came is not known: the mouse keeps it until the user gives
    // that slot a value.
    records.SetKnown(read.slots);
    records.SetImageKnown(read.slots);
    dpiKnown_ = read.dpi;
    if (read.slots & SlotBit(kReportRateSlot))
        records.SetReportRateCode(records.DeviceImage()[kReportRateSlot].bytes[kByteCode]);
    return read;
}

int DeviceStore::LoadFromDevice() {
    MouseLink& link = transport_->link;
    if (!link.OpenMouse()) {
        // Nothing of the mouse is known.
        Records().SetKnown(0);
        Records().SetImageKnown(0);
        dpiKnown_ = false;
        return 0;
    }
    const ConfigRead read = ExchangeConfiguration();
    // Reopen before the reader starts, so that it never reads on a handle
    // that is being replaced.
    const int reachable = link.OpenMouse();
    transport_->reader.Start();
    return reachable && read.slots ? 1 : 0;
}

int DeviceStore::ReadConfiguration() {
    if (TheBusyEvent().IsBusy() || transport_->reader.Running()) return 0;
    if (!transport_->link.OpenMouse()) return 0;
    return ExchangeConfiguration().Complete() ? 1 : 0;
}

ProfileStatus DeviceStore::LoadProfile(const std::wstring& path) {
    RecordArray records{};
    const ProfileStatus status = ReadProfileFile(path, records);
    if (status == ProfileStatus::Accepted) Records().SetTable(records);
    return status;
}

DeviceStore::Upload DeviceStore::ButtonUpload() const {
    const RecordTable& t = Records();
    return Upload{AddressedRecords(t.Table()), t.Known(), 0};
}

DeviceStore::Upload DeviceStore::PerformanceUpload(uint32_t dpi) const {
    const RecordTable& t = Records();
    Upload upload{t.DeviceImage(), t.ImageKnown(), dpi};
    // The rate comes from the table, where the performance page put it.
    if (t.Known() & SlotBit(kReportRateSlot)) {
        upload.records[kReportRateSlot] = t.Table()[kReportRateSlot];
        upload.mask |= SlotBit(kReportRateSlot);
    }
    upload.records = AddressedRecords(upload.records);
    return upload;
}

UploadStart DeviceStore::StartUpload(const Upload& upload, HWND notify, UINT doneMessage, bool quiet) {
    Transport* t = transport_.get();
    // Runs on the transfer thread: it touches only the transport and its own
    // copy of the records.
    TransferRunner::Body body = [t, upload, quiet]() {
        uint8_t dpiReport[9];
        BuildDpiReport(upload.dpi, dpiReport);
        const Sent sent = SendUpload(t->link, upload.records, upload.mask, upload.dpi ? &dpiReport : nullptr);
        if (sent == Sent::NoMouse && !quiet) ShowUserMessage(nullptr, GetUiText(kTextCantOpenMouse));
        if (sent != Sent::Done) return 0;
        t->sent = upload.records;
        t->sentMask = upload.mask;
        t->sentDpi = static_cast<int32_t>(upload.dpi);
        t->sentReady.store(1, std::memory_order_release);
        return 1;
    };
    return t->runner.Start(std::move(body), notify, doneMessage);
}

UploadStart DeviceStore::StartButtonUpload(HWND notify, UINT doneMessage, bool quiet) {
    return StartUpload(ButtonUpload(), notify, doneMessage, quiet);
}

UploadStart DeviceStore::StartPerformanceUpload(HWND notify, UINT doneMessage, uint32_t dpi) {
    return StartUpload(PerformanceUpload(dpi), notify, doneMessage, false);
}

int DeviceStore::UploadNow(const Upload& upload) {
    if (TheBusyEvent().IsBusy()) return 0;
    DrainReader& reader = transport_->reader;
    const bool reading = reader.Running();
    if (!reader.Stop()) return 0;
    uint8_t dpiReport[9];
    BuildDpiReport(upload.dpi, dpiReport);
    const Sent sent = SendUpload(transport_->link, upload.records, upload.mask, upload.dpi ? &dpiReport : nullptr);
    if (reading) reader.Start();
    if (sent != Sent::Done) return 0;
    Confirm(Records(), upload.records, upload.mask, static_cast<int32_t>(upload.dpi));
    return 1;
}

int DeviceStore::UploadButtons() { return UploadNow(ButtonUpload()); }

int DeviceStore::UploadPerformance(uint32_t dpi) { return UploadNow(PerformanceUpload(dpi)); }

int DeviceStore::UploadAll(uint32_t dpi) {
    Upload upload = ButtonUpload();
    upload.dpi = dpi;
    return UploadNow(upload);
}

void DeviceStore::WaitTransfersAtExit(DWORD ms) {
    if (!transport_->runner.Wait(ms)) abandoned_ = true;
}

DeviceStore& TheDeviceStore() {
    static DeviceStore store;
    return store;
}
