#include "config/DeviceStore.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "files/LogFile.h"
#include "link/Busy.h"
#include "link/DeviceLock.h"

namespace {
constexpr wchar_t kLogName[] = L"Mirvostan.log";
constexpr uint32_t kLogCap = 102400;
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

// What the library said last, for whoever reads the log after a failure.
void LogLinkError(const wchar_t* what, const std::wstring& error) {
    LogFile& log = TheLogFile();
    if (!log.IsOpen()) return;
    log.Write(std::wstring(what) + L" failed" + (error.empty() ? L"" : L": " + error) + L"\r\n");
    log.Flush();
}

TransferResult Busy() { return TransferResult{TransferStatus::Busy, L"another program holds the mouse"}; }

}  // namespace

void BuildDpiReport(uint32_t dpi, uint8_t (&report)[9]) {
    const uint8_t r[9] = {0x00, 0x04, kDpiTarget, kDpiSetting, static_cast<uint8_t>(dpi / 200), 0, 0, 0, 0};
    std::memcpy(report, r, sizeof r);
}

DeviceStore::DeviceStore(std::wstring libraryPath, bool openLog)
    : transport_(new Transport(std::move(libraryPath))), ownsLog_(openLog) {
    model_.ResetToDefaults();
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

void DeviceStore::ChooseReportRate(int index) {
    if (const int letter = ReportRateLetter(index)) model_.SetMouseFunction(kReportRateSlot, letter);
}

// Each answer goes to the slot it names; only the DPI report gives the DPI,
// so a late or missing answer shifts nothing.
DeviceStore::ConfigRead DeviceStore::ExchangeConfiguration(MouseLink& link, int requests) {
    ConfigRead read;
    for (int request = 0; request < requests && !read.Complete(); ++request) {
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
                std::memcpy(read.records[target].bytes, buffer, sizeof buffer);
                TraceRecord(read.records[target].bytes);
                read.slots |= SlotBit(target);
            } else if (target == kDpiTarget && buffer[3] == kDpiSetting) {
                read.dpi = buffer[4] * 200;
                read.dpiCame = dpiCame = true;
            }
        }
    }
    return read;
}

// What never came stays as it was known (or unknown): the mouse keeps it
// until the user gives that slot a value.
void DeviceStore::Adopt(const ConfigRead& read) { model_.Adopt(read.records, read.slots, read.dpi, read.dpiCame); }

void DeviceStore::Confirm(const UploadPlan& plan) {
    const int32_t dpi = static_cast<int32_t>(plan.dpi);
    if (plan.adopt) model_.Adopt(plan.records, plan.mask, dpi, dpi != 0);
    else model_.Confirm(plan.records, plan.mask, dpi, dpi != 0);
}

int DeviceStore::LoadFromDevice() {
    MouseLink& link = transport_->link;
    // Nothing of the mouse is known until it says so.
    model_.Forget();
    ConfigRead read;
    int reachable = 0;
    {
        // Another program's exchange would mix its answers into ours.
        DeviceLock lock;
        if (!lock.Held()) {
            OutputDebugStringW(L"start-up read: another program holds the mouse\r\n");
            LogLinkError(L"start-up read", L"another program holds the mouse");
            return 0;
        }
        if (!link.OpenMouse()) {
            LogLinkError(L"start-up read", link.LastError());
            return 0;
        }
        read = ExchangeConfiguration(link, kConfigRequests);
        if (read.slots == 0) LogLinkError(L"start-up read", link.LastError());
        // Reopen before the reader starts, so that it never reads on a handle
        // that is being replaced.
        reachable = link.OpenMouse();
        if (!reachable) LogLinkError(L"start-up read", link.LastError());
    }
    Adopt(read);
    transport_->reader.Start();
    return reachable && read.slots ? 1 : 0;
}

int DeviceStore::ReadConfiguration() {
    if (TheBusyEvent().IsBusy() || transport_->reader.Running()) return 0;
    DeviceLock lock;
    if (!lock.Held()) return 0;
    if (!transport_->link.OpenMouse()) return 0;
    const ConfigRead read = ExchangeConfiguration(transport_->link, kConfigRequests);
    // What the mouse holds now, and nothing from before.
    model_.Forget();
    Adopt(read);
    return read.Complete() ? 1 : 0;
}

ProfileStatus DeviceStore::LoadProfile(const std::wstring& path) {
    RecordArray records{};
    const ProfileStatus status = ReadProfileFile(path, records);
    if (status == ProfileStatus::Accepted) model_.SetTable(records);
    return status;
}

// Opens the mouse and sends the masked records in slot order, then the DPI
// report when the plan has one. Stops at the first failed write.
TransferResult DeviceStore::Send(MouseLink& link, const UploadPlan& plan) {
    if (!link.OpenMouse()) return TransferResult{TransferStatus::NoMouse, link.LastError()};
    for (int slot = 0; slot < kRecordCount; ++slot)
        if ((plan.mask & SlotBit(slot)) && !link.SendReportChecked(plan.records[slot].bytes))
            return TransferResult{TransferStatus::Failed, link.LastError()};
    if (plan.dpi) {
        uint8_t report[9];
        BuildDpiReport(plan.dpi, report);
        Sleep(kDpiPauseMs);
        if (!link.SendReport(report)) return TransferResult{TransferStatus::Failed, link.LastError()};
    }
    return TransferResult{TransferStatus::Ok, std::wstring()};
}

UploadStart DeviceStore::StartUpload(const UploadPlan& plan, HWND notify, UINT doneMessage) {
    // A running body reads the job, and a finished one's result waits for
    // FinishTransfer: a second transfer now would take its place.
    if (TransferRunning() || transport_->job != Transport::Job::None) return UploadStart::Busy;
    Transport* t = transport_.get();
    t->job = Transport::Job::Upload;
    t->plan = plan;
    // Runs on the transfer thread: it touches only the transport, whose plan
    // nobody changes until the done message.
    TransferRunner::Body body = [t]() -> TransferResult {
        DeviceLock lock;
        if (!lock.Held()) return Busy();
        TransferResult result = Send(t->link, t->plan);
        if (!result.Ok()) LogLinkError(t->plan.dpi ? L"performance upload" : L"button upload", result.error);
        return result;
    };
    const UploadStart start = t->runner.Start(std::move(body), notify, doneMessage);
    if (start != UploadStart::Started) t->job = Transport::Job::None;
    return start;
}

UploadStart DeviceStore::StartRead(HWND notify, UINT doneMessage, int requests) {
    if (TransferRunning() || transport_->job != Transport::Job::None) return UploadStart::Busy;
    Transport* t = transport_.get();
    t->job = Transport::Job::Read;
    t->read = ConfigRead{};
    TransferRunner::Body body = [t, requests]() -> TransferResult {
        DeviceLock lock;
        if (!lock.Held()) return Busy();
        if (!t->link.OpenMouse()) return TransferResult{TransferStatus::NoMouse, t->link.LastError()};
        t->read = ExchangeConfiguration(t->link, requests);
        // The reader that follows reads on a handle of its own.
        const bool reachable = t->link.OpenMouse() != 0;
        if (t->read.slots || t->read.dpiCame) return TransferResult{TransferStatus::Ok, std::wstring()};
        TransferResult result{reachable ? TransferStatus::Failed : TransferStatus::NoMouse, t->link.LastError()};
        LogLinkError(L"configuration read", result.error);
        return result;
    };
    const UploadStart start = t->runner.Start(std::move(body), notify, doneMessage);
    if (start != UploadStart::Started) t->job = Transport::Job::None;
    return start;
}

TransferResult DeviceStore::FinishTransfer() {
    Transport& t = *transport_;
    const Transport::Job job = t.job;
    if (job == Transport::Job::None) return TransferResult{};
    TransferResult result = t.runner.TakeResult();
    t.job = Transport::Job::None;
    if (job == Transport::Job::Read) {
        Adopt(t.read);
    } else if (result.Ok()) {
        Confirm(t.plan);
    }
    return result;
}

TransferResult DeviceStore::UploadNow(const UploadPlan& plan) {
    if (TransferRunning() || transport_->job != Transport::Job::None) return Busy();
    if (!transport_->runner.Wait(kTransferEndWaitMs))
        return TransferResult{TransferStatus::Failed, L"the last transfer did not end"};
    DrainReader& reader = transport_->reader;
    const bool reading = reader.Running();
    if (!reader.Stop()) return TransferResult{TransferStatus::Failed, L"the background reader did not stop"};
    TransferResult result;
    {
        DeviceLock lock;
        result = lock.Held() ? Send(transport_->link, plan) : Busy();
    }
    if (reading) reader.Start();
    if (result.Ok()) Confirm(plan);
    return result;
}

bool DeviceStore::ProbeMouse() {
    if (TransferRunning() || TransferPending() || transport_->reader.Running()) return false;
    MouseLink& link = transport_->link;
    const bool open = link.OpenMouse() != 0;
    link.CloseMouse();
    return open;
}

void DeviceStore::WaitTransfersAtExit(DWORD ms) {
    if (!transport_->runner.Wait(ms)) abandoned_ = true;
}

DeviceStore& TheDeviceStore() {
    static DeviceStore store;
    return store;
}
