// Reads what Windows itself would see in an installed package, for the
// package tests' shell scripts:
//   pkgcheck shortcut <file.lnk>  target, working folder and icon of a shortcut
//   pkgcheck version <file.exe>   the version record's fixed and text values
//   pkgcheck visible              how many windows the running Mirvostan shows,
//                                 once it waits for input; exit 1 without the
//                                 main window an installer asks to end
// Prints one "name=value" line each; exit 1 when the file cannot be read.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

namespace {

void Print(const wchar_t* name, const std::wstring& value) {
    // UTF-8, so the scripts can compare paths with any characters.
    std::wstring line = std::wstring(name) + L"=" + value + L"\n";
    int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::vector<char> text(bytes > 0 ? bytes : 1);
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, text.data(), bytes, nullptr, nullptr);
    fputs(text.data(), stdout);
}

int Shortcut(const wchar_t* file) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    int result = 1;
    IShellLinkW* link = nullptr;
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
        SUCCEEDED(persist->Load(file, STGM_READ))) {
        wchar_t text[MAX_PATH] = {};
        int icon = 0;
        link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
        Print(L"target", text);
        text[0] = 0;
        link->GetWorkingDirectory(text, MAX_PATH);
        Print(L"workdir", text);
        text[0] = 0;
        link->GetIconLocation(text, MAX_PATH, &icon);
        Print(L"icon", std::wstring(text) + L"," + std::to_wstring(icon));
        result = 0;
    }
    if (persist) persist->Release();
    if (link) link->Release();
    CoUninitialize();
    return result;
}

int Version(const wchar_t* file) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(file, &ignored);
    if (size == 0) return 1;
    std::vector<unsigned char> info(size);
    if (!GetFileVersionInfoW(file, 0, size, info.data())) return 1;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) return 1;
    wchar_t quad[64];
    swprintf(quad, 64, L"%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
             HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    Print(L"FixedFileVersion", quad);
    swprintf(quad, 64, L"%u.%u.%u.%u", HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
             HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS));
    Print(L"FixedProductVersion", quad);
    for (const wchar_t* key : {L"FileVersion", L"ProductVersion", L"ProductName", L"FileDescription",
                               L"LegalCopyright", L"CompanyName"}) {
        std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + key;
        wchar_t* value = nullptr;
        if (VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) && value)
            Print(key, value);
    }
    return 0;
}

BOOL CALLBACK CountVisible(HWND window, LPARAM param) {
    auto* seen = reinterpret_cast<std::pair<DWORD, int>*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == seen->first && IsWindowVisible(window)) ++seen->second;
    return TRUE;
}

int Visible() {
    HWND main = FindWindowW(L"38C86C12-4A73-48d5-934E-44550D5BBF68", L"");
    if (!main) return 1;
    std::pair<DWORD, int> seen{0, 0};
    GetWindowThreadProcessId(main, &seen.first);
    // A window shown at start is shown by the time the program first waits for input.
    if (HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, seen.first)) {
        WaitForInputIdle(process, 10000);
        CloseHandle(process);
    }
    EnumWindows(CountVisible, reinterpret_cast<LPARAM>(&seen));
    Print(L"visible", std::to_wstring(seen.second));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && !wcscmp(argv[1], L"shortcut")) return Shortcut(argv[2]);
    if (argc == 3 && !wcscmp(argv[1], L"version")) return Version(argv[2]);
    if (argc == 2 && !wcscmp(argv[1], L"visible")) return Visible();
    fwprintf(stderr, L"usage: pkgcheck shortcut <file.lnk> | version <file.exe> | visible\n");
    return 2;
}
