#include "IniFiles.h"

#include <windows.h>

std::wstring HerePath(const std::wstring& name) {
    wchar_t dir[MAX_PATH];
    DWORD n = GetCurrentDirectoryW(MAX_PATH, dir);
    std::wstring path(dir, n);
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path + name;
}

std::wstring WriteUnicodeIni(const std::wstring& name, const std::wstring& text) {
    std::wstring path = HerePath(name);
    // Drop any cached copy the profile functions hold of an earlier file.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return path;
    DWORD written = 0;
    const unsigned char bom[2] = {0xFF, 0xFE};
    WriteFile(file, bom, 2, &written, nullptr);
    WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    return path;
}

std::wstring ReadIni(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
    wchar_t buffer[1024] = {};
    DWORD n = GetPrivateProfileStringW(section, key, L"", buffer, 1024, path.c_str());
    return std::wstring(buffer, n);
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
