#include "ui/AboutDialog.h"

#include <vector>

#include "resources/resource.h"

std::wstring ModuleFileVersion(const std::wstring& modulePath) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(modulePath.c_str(), &ignored);
    if (!size) return std::wstring();
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(modulePath.c_str(), 0, size, block.data())) return std::wstring();
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO))
        return std::wstring();
    return std::to_wstring(HIWORD(info->dwFileVersionMS)) + L'.' + std::to_wstring(LOWORD(info->dwFileVersionMS)) +
           L'.' + std::to_wstring(HIWORD(info->dwFileVersionLS)) + L'.' + std::to_wstring(LOWORD(info->dwFileVersionLS));
}

AboutDialog::AboutDialog() : Dialog(IDD_ABOUT) {}

BOOL AboutDialog::OnInitDialog() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring version = ModuleFileVersion(path);
    std::wstring name = L"Mirvostan";
    if (!version.empty()) name += L", version " + version;
    SetDlgItemTextW(Hwnd(), IDC_ABOUT_NAME, name.c_str());
    return TRUE;
}
