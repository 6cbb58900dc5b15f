// SonixUSB.DLL for real mice: the six ordinals over the Windows HID API.
// A mouse exposes several HID interfaces; Windows keeps the pointer and
// keyboard collections for itself, so the first interface of the vendor and
// product id that opens for reading and writing is the configuration channel.
#include <windows.h>
#include <setupapi.h>
// MinGW's HID headers lack C linkage for C++.
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "HidChannel.h"
#include "link/SonixUsbApi.h"

namespace {

constexpr DWORD kReadTimeoutMs = 100;
constexpr DWORD kWriteTimeoutMs = 1000;

// Handles are tokens; a channel lives while a call still uses it, so a close
// from one thread never frees a read in progress on another.
std::mutex g_lock;
std::map<uintptr_t, std::shared_ptr<HidChannel>> g_open;
uintptr_t g_next = 0x100;

std::shared_ptr<HidChannel> Find(HANDLE device) {
    std::lock_guard<std::mutex> lock(g_lock);
    auto it = g_open.find(reinterpret_cast<uintptr_t>(device));
    return it == g_open.end() ? nullptr : it->second;
}

class DeviceList {
public:
    explicit DeviceList(const GUID& guid)
        : set_(SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {}
    ~DeviceList() {
        if (set_ != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(set_);
    }
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;
    HDEVINFO Get() const { return set_; }

private:
    HDEVINFO set_;
};

class PreparsedData {
public:
    explicit PreparsedData(HANDLE file) {
        if (!HidD_GetPreparsedData(file, &data_)) data_ = nullptr;
    }
    ~PreparsedData() {
        if (data_) HidD_FreePreparsedData(data_);
    }
    PreparsedData(const PreparsedData&) = delete;
    PreparsedData& operator=(const PreparsedData&) = delete;
    PHIDP_PREPARSED_DATA Get() const { return data_; }

private:
    PHIDP_PREPARSED_DATA data_ = nullptr;
};

std::wstring InterfacePath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& iface) {
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailW(set, &iface, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return std::wstring();
    std::vector<BYTE> storage(size);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!SetupDiGetDeviceInterfaceDetailW(set, &iface, detail, size, nullptr, nullptr)) {
        HidChannel::TraceError(L"SetupDiGetDeviceInterfaceDetail", GetLastError());
        return std::wstring();
    }
    return detail->DevicePath;
}

bool Matches(const std::wstring& path, DWORD vendor, DWORD product) {
    // No access rights needed to read the attributes, even of collections
    // that Windows holds exclusively.
    ScopedHandle probe(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!probe) return false;
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    return HidD_GetAttributes(probe.Get(), &attributes) && attributes.VendorID == vendor && attributes.ProductID == product;
}

std::shared_ptr<HidChannel> OpenChannel(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        HidChannel::TraceError(L"CreateFile", GetLastError());
        return nullptr;
    }
    ScopedHandle owned(file);
    HIDP_CAPS caps{};
    {
        PreparsedData data(file);
        if (!data.Get() || HidP_GetCaps(data.Get(), &caps) != HIDP_STATUS_SUCCESS) {
            HidChannel::TraceError(L"HidP_GetCaps", GetLastError());
            return nullptr;
        }
    }
    // Both lengths count the report id byte. An interface without input or
    // output reports cannot carry the configuration.
    if (caps.InputReportByteLength == 0 || caps.OutputReportByteLength == 0) return nullptr;
    return std::make_shared<HidChannel>(owned.Release(), caps.InputReportByteLength, caps.OutputReportByteLength);
}

}  // namespace

extern "C" {

HANDLE WINAPI SnxOpen(DWORD vendor, DWORD product) {
    GUID hidGuid;
    HidD_GetHidGuid(&hidGuid);
    DeviceList list(hidGuid);
    if (list.Get() == INVALID_HANDLE_VALUE) {
        HidChannel::TraceError(L"SetupDiGetClassDevs", GetLastError());
        return INVALID_HANDLE_VALUE;
    }
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA iface{};
        iface.cbSize = sizeof iface;
        if (!SetupDiEnumDeviceInterfaces(list.Get(), nullptr, &hidGuid, index, &iface)) break;
        const std::wstring path = InterfacePath(list.Get(), iface);
        if (path.empty() || !Matches(path, vendor, product)) continue;
        std::shared_ptr<HidChannel> channel = OpenChannel(path);
        if (!channel) continue;
        std::lock_guard<std::mutex> lock(g_lock);
        const uintptr_t handle = g_next++;
        g_open[handle] = channel;
        return reinterpret_cast<HANDLE>(handle);
    }
    return INVALID_HANDLE_VALUE;
}

BOOL WINAPI SnxClose(HANDLE device) {
    std::lock_guard<std::mutex> lock(g_lock);
    return g_open.erase(reinterpret_cast<uintptr_t>(device)) ? TRUE : FALSE;
}

BOOL WINAPI SnxRead(HANDLE device, BYTE* buffer, DWORD length, DWORD* count) {
    std::shared_ptr<HidChannel> channel = Find(device);
    if (!channel) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return channel->Read(buffer, length, count, kReadTimeoutMs);
}

BOOL WINAPI SnxWrite(HANDLE device, const BYTE* buffer, DWORD length, DWORD* count) {
    std::shared_ptr<HidChannel> channel = Find(device);
    if (!channel) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return channel->Write(buffer, length, count, kWriteTimeoutMs);
}

DWORD WINAPI SnxInputLength(HANDLE device) {
    std::shared_ptr<HidChannel> channel = Find(device);
    return channel ? channel->InputLength() : 0;
}

DWORD WINAPI SnxOutputLength(HANDLE device) {
    std::shared_ptr<HidChannel> channel = Find(device);
    return channel ? channel->OutputLength() : 0;
}

}  // extern "C"
