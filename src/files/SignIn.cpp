#include "files/SignIn.h"

#include <windows.h>

#include <vector>

namespace signin {
namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kValue[] = L"Mirvostan";

std::wstring ReadValue() {
    DWORD type = 0, size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValue, RRF_RT_REG_SZ, &type, nullptr, &size) != ERROR_SUCCESS || !size)
        return std::wstring();
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValue, RRF_RT_REG_SZ, &type, text.data(), &size) != ERROR_SUCCESS)
        return std::wstring();
    return std::wstring(text.data());
}

}  // namespace

std::wstring CommandFor(const std::wstring& exePath) { return L"\"" + exePath + L"\" --tray"; }

// Paths compare without case, as Windows' file names do.
bool StartsProgram(const std::wstring& exePath) {
    const std::wstring value = ReadValue(), wanted = CommandFor(exePath);
    return !value.empty() && CompareStringOrdinal(value.c_str(), -1, wanted.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool Set(bool on, const std::wstring& exePath) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LSTATUS status;
    if (on) {
        const std::wstring command = CommandFor(exePath);
        status = RegSetValueExW(key, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    } else {
        status = RegDeleteValueW(key, kValue);
        if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS && StartsProgram(exePath) == on;
}

}  // namespace signin
