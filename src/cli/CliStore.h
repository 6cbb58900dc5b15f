// Interim: the command line's view of the device store over the store as it
// is today (read, upload and profile status without the reader thread).
#pragma once
#include <cstring>
#include <string>

#include "config/DeviceStore.h"
#include "files/Profile.h"

enum class ProfileStatus { Accepted, InvalidFormat, UnsupportedVersion, Unreadable };

inline ProfileStatus ReadProfileFile(const std::wstring& path, RecordArray& records) {
    RecordTable table;
    if (!::LoadProfile(table, path)) return ProfileStatus::Unreadable;
    records = table.Table();
    for (int s = 0; s < kRecordCount; ++s) {
        records[s].bytes[0] = 0;
        records[s].bytes[1] = kRecordCommand;
        records[s].bytes[2] = static_cast<uint8_t>(s);
    }
    return ProfileStatus::Accepted;
}

class CliStore {
public:
    CliStore(std::wstring libraryPath, bool) : store_(std::move(libraryPath)) {}
    int ResetToDefaults() { return store_.ResetToDefaults(); }
    int SetMouseFunction(int slot, int code) { return store_.SetMouseFunction(slot, code); }
    int SetCommand(int slot, int group, uint8_t n) { return store_.SetCommand(slot, group, n); }
    int SetCapturedKey(int slot, int len, int mods, unsigned vk) { return store_.SetCapturedKey(slot, len, mods, vk); }
    int IsWheelSwapped() const { return store_.IsWheelSwapped(); }
    void ToggleWheelSwap() { store_.ToggleWheelSwap(); }
    const RecordArray& Table() const { return store_.Table(); }
    int32_t GetDpi() const { return store_.GetDpi(); }
    int SaveProfile(const std::wstring& path) const { return store_.SaveProfile(path); }
    ProfileStatus LoadProfile(const std::wstring& path) {
        RecordArray records;
        const ProfileStatus status = ReadProfileFile(path, records);
        if (status == ProfileStatus::Accepted) store_.Table() = records;
        return status;
    }

    int ReadConfiguration() {
        MouseLink& link = store_.Link();
        static const uint8_t request[9] = {0x00, 0x04, 0xAA, 0x55, 0, 0, 0, 0, 0};
        if (!link.OpenMouse() || !link.SendReport(request)) return 0;
        for (int s = 0; s < kRecordCount; ++s) {
            uint8_t b[9] = {};
            if (!link.ReadReport(b)) return 0;
            std::memcpy(store_.Table()[s].bytes, b, 9);
        }
        store_.DeviceImage() = store_.Table();
        uint8_t d[9] = {};
        if (!link.ReadReport(d)) return 0;
        store_.SetDpi(d[4] * 200);
        store_.SetReportRateCode(store_.DeviceImage()[9].bytes[4]);
        return 1;
    }
    int UploadButtons() {
        if (!Upload(store_.Table())) return 0;
        store_.DeviceImage() = store_.Table();
        return 1;
    }
    int UploadPerformance(uint32_t dpi) {
        if (!Upload(store_.DeviceImage())) return 0;
        store_.SetDpi(static_cast<int32_t>(dpi));
        uint8_t r[9];
        BuildDpiReport(dpi, r);
        Sleep(50);
        return store_.Link().SendReport(r);
    }

private:
    int Upload(const RecordArray& records) {
        MouseLink& link = store_.Link();
        if (!link.OpenMouse()) return 0;
        for (const FunctionRecord& rec : records) {
            if (!link.SendReport(rec.bytes)) return 0;
            uint8_t echo[9];
            link.ReadReport(echo);
        }
        return 1;
    }
    DeviceStore store_;
};
