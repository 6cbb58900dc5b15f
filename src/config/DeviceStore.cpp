#include "config/DeviceStore.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "files/LogFile.h"
#include "i18n/Language.h"
#include "i18n/UserMessage.h"
#include "link/Busy.h"
#include "link/Transfers.h"

namespace {
constexpr wchar_t kLogName[] = L"Mirvostan.log";
constexpr uint32_t kLogCap = 102400;
constexpr int kTextCantOpenMouse = 44;
constexpr DWORD kDpiPauseMs = 50;
const uint8_t kReadConfigRequest[9] = {0x00, 0x04, 0xAA, 0x55, 0x00, 0x00, 0x00, 0x00, 0x00};

void TraceRecord(const uint8_t (&r)[9]) {
    wchar_t line[80];
    std::swprintf(line, 80, L"byteConfig %02X, %02X, %02X, %02X, %02X, %02X, %02X, %02X, %02X\r\n", r[0], r[1], r[2],
                  r[3], r[4], r[5], r[6], r[7], r[8]);
    OutputDebugStringW(line);
}
}  // namespace

void BuildDpiReport(uint32_t dpi, uint8_t (&report)[9]) {
    const uint8_t r[9] = {0x00, 0x04, 0xFF, 0x01, static_cast<uint8_t>(dpi / 200), 0, 0, 0, 0};
    std::memcpy(report, r, sizeof r);
}

DeviceStore::DeviceStore(std::wstring libraryPath) : link_(std::move(libraryPath)) {
    ResetToDefaults();
    TheLogFile().Open(kLogName, kLogCap);
}

DeviceStore::~DeviceStore() {
    // Threads that still use this store must be gone before it is.
    if (transferThread_) WaitForSingleObject(transferThread_.Get(), 4000);
    StopDrainThread(*this);
    TheLogFile().Close();
    link_.CloseMouse();
}

void DeviceStore::ReportNoMouse() { ShowUserMessage(nullptr, GetUiText(kTextCantOpenMouse)); }

int DeviceStore::LoadFromDevice() {
    if (!link_.OpenMouse()) {
        ReportNoMouse();
        return 0;
    }
    link_.SendReport(kReadConfigRequest);
    RecordArray& table = Table();
    for (size_t slot = 0; slot < table.size(); ++slot) {
        uint8_t buffer[9] = {};  // a shorter input report leaves the rest zero
        // A failed read keeps the slot's record: copying a stale buffer
        // would put another slot's number into this one.
        if (link_.ReadReport(buffer)) std::memcpy(table[slot].bytes, buffer, 9);
        TraceRecord(table[slot].bytes);
    }
    DeviceImage() = table;
    uint8_t dpiReport[9] = {};
    if (link_.ReadReport(dpiReport)) SetDpi(dpiReport[4] * 200);
    SetReportRateCode(DeviceImage()[9].bytes[4]);
    // Reopen before the reader starts, so that it never reads on a handle
    // that is being replaced.
    const int reachable = link_.OpenMouse();
    StartDrainThread(*this);
    if (!reachable) {
        ReportNoMouse();
        return 0;
    }
    return 1;
}

int DeviceStore::UploadTable(const RecordArray& records) {
    for (const FunctionRecord& record : records) link_.SendReportChecked(record.bytes);
    return 1;
}

int DeviceStore::ApplyButtons() {
    if (!link_.OpenMouse()) {
        TheBusyEvent().SetIdle();
        ReportNoMouse();
        return 0;
    }
    TheBusyEvent().SetBusy();
    UploadTable(Table());
    DeviceImage() = Table();
    TheBusyEvent().SetIdle();
    return 1;
}

int DeviceStore::ApplyPerformance(uint32_t dpi) {
    if (!link_.OpenMouse()) {
        TheBusyEvent().SetIdle();
        ReportNoMouse();
        return 0;
    }
    UploadTable(DeviceImage());
    SetDpi(static_cast<int32_t>(dpi));
    uint8_t dpiReport[9];
    BuildDpiReport(dpi, dpiReport);
    Sleep(kDpiPauseMs);
    const int written = link_.SendReport(dpiReport);
    TheBusyEvent().SetIdle();
    return written;
}

DeviceStore& TheDeviceStore() {
    static DeviceStore store;
    return store;
}
