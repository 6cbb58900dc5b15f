// SonixUSB.DLL for real mice: the six ordinals over the Windows HID API.
// A mouse exposes several HID collections. Each one of the vendor and product
// id is inspected and opened where Windows allows it (it keeps the pointer and
// keyboard for itself), and ChooseCollection picks the configuration channel
// in a fixed order. The path opened last is tried first, which saves the
// enumeration and keeps one session on one mouse when two are plugged in.
#include <windows.h>
#include <setupapi.h>
// MinGW's HID headers lack C linkage for C++.
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#include <cstdint>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "Collections.h"
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
std::wstring g_lastPath;

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

// A collection of our ids as enumeration found it, with its open handle.
struct Candidate {
    CollectionInfo info;
    ScopedHandle file;
};

// Fills out and writes one debugger-output line when path is a collection of
// vendor and product; false (and no line) for any other device.
bool Inspect(const std::wstring& path, DWORD vendor, DWORD product, Candidate& out) {
    // No access rights are needed for the attributes and capabilities, even
    // of collections that Windows holds exclusively.
    ScopedHandle probe(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!probe) return false;
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    if (!HidD_GetAttributes(probe.Get(), &attributes) || attributes.VendorID != vendor || attributes.ProductID != product)
        return false;

    out.info = CollectionInfo();
    out.info.path = path;
    wchar_t caps[128];
    {
        PreparsedData data(probe.Get());
        HIDP_CAPS c{};
        NTSTATUS status = HIDP_STATUS_SUCCESS;
        if (!data.Get()) {
            std::swprintf(caps, 128, L"HidD_GetPreparsedData failed: %ls", HidChannel::SystemText(GetLastError()).c_str());
        } else if ((status = HidP_GetCaps(data.Get(), &c)) != HIDP_STATUS_SUCCESS) {
            // HidP_GetCaps answers with its status; the last error says nothing.
            std::swprintf(caps, 128, L"HidP_GetCaps status 0x%08lX", static_cast<unsigned long>(status));
        } else {
            out.info.usagePage = c.UsagePage;
            out.info.usage = c.Usage;
            out.info.inputLength = c.InputReportByteLength;
            out.info.outputLength = c.OutputReportByteLength;
            out.info.featureLength = c.FeatureReportByteLength;
            std::swprintf(caps, 128, L"usage page %04X usage %04X, reports input %u output %u feature %u", c.UsagePage,
                          c.Usage, c.InputReportByteLength, c.OutputReportByteLength, c.FeatureReportByteLength);
        }
    }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    const DWORD openError = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    out.file.Reset(file);
    out.info.opened = static_cast<bool>(out.file);
    std::wstring line = L"SonixUSB: " + path + L": " + caps;
    line += openError ? L", open failed: " + HidChannel::SystemText(openError) + L"\r\n" : L", open ok\r\n";
    OutputDebugStringW(line.c_str());
    return true;
}

HANDLE Register(Candidate& chosen) {
    auto channel =
        std::make_shared<HidChannel>(chosen.file.Get(), chosen.info.inputLength, chosen.info.outputLength);
    chosen.file.Release();  // the channel owns it now
    std::lock_guard<std::mutex> lock(g_lock);
    const uintptr_t handle = g_next++;
    g_open[handle] = channel;
    g_lastPath = chosen.info.path;
    return reinterpret_cast<HANDLE>(handle);
}

HANDLE Open(DWORD vendor, DWORD product) {
    std::vector<Candidate> found;
    std::wstring last;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        last = g_lastPath;
    }
    if (!last.empty()) {
        Candidate remembered;
        if (Inspect(last, vendor, product, remembered)) {
            if (ExactFit(remembered.info)) return Register(remembered);
            // It competes with the others, ahead of those just as good.
            found.push_back(std::move(remembered));
        }
    }

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
        if (path.empty() || path == last) continue;
        Candidate candidate;
        if (Inspect(path, vendor, product, candidate)) found.push_back(std::move(candidate));
    }
    std::vector<CollectionInfo> infos;
    for (const Candidate& c : found) infos.push_back(c.info);
    const int chosen = ChooseCollection(infos);
    // The handles of the others close here.
    if (chosen < 0) return INVALID_HANDLE_VALUE;
    return Register(found[chosen]);
}

// Each export answers failure instead of letting an exception (out of
// memory, a failed lock) cross into the program.
template <typename Result, typename Body>
Result Guarded(Result failure, Body body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    } catch (...) {
        SetLastError(ERROR_GEN_FAILURE);
    }
    return failure;
}

}  // namespace

extern "C" {

HANDLE WINAPI SnxOpen(DWORD vendor, DWORD product) {
    return Guarded(INVALID_HANDLE_VALUE, [&] { return Open(vendor, product); });
}

BOOL WINAPI SnxClose(HANDLE device) {
    return Guarded(FALSE, [&]() -> BOOL {
        std::shared_ptr<HidChannel> closing;  // released after the lock
        std::lock_guard<std::mutex> lock(g_lock);
        auto it = g_open.find(reinterpret_cast<uintptr_t>(device));
        if (it == g_open.end()) return FALSE;
        closing = std::move(it->second);
        g_open.erase(it);
        // A read waiting on another thread ends now, not at its time-out.
        closing->Abort();
        return TRUE;
    });
}

BOOL WINAPI SnxRead(HANDLE device, BYTE* buffer, DWORD length, DWORD* count) {
    return Guarded(FALSE, [&]() -> BOOL {
        std::shared_ptr<HidChannel> channel = Find(device);
        if (!channel) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        return channel->Read(buffer, length, count, kReadTimeoutMs);
    });
}

BOOL WINAPI SnxWrite(HANDLE device, const BYTE* buffer, DWORD length, DWORD* count) {
    return Guarded(FALSE, [&]() -> BOOL {
        std::shared_ptr<HidChannel> channel = Find(device);
        if (!channel) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        return channel->Write(buffer, length, count, kWriteTimeoutMs);
    });
}

DWORD WINAPI SnxInputLength(HANDLE device) {
    return Guarded(DWORD{0}, [&]() -> DWORD {
        std::shared_ptr<HidChannel> channel = Find(device);
        return channel ? channel->InputLength() : 0;
    });
}

DWORD WINAPI SnxOutputLength(HANDLE device) {
    return Guarded(DWORD{0}, [&]() -> DWORD {
        std::shared_ptr<HidChannel> channel = Find(device);
        return channel ? channel->OutputLength() : 0;
    });
}

}  // extern "C"
