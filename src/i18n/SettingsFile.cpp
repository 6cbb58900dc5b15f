#include "i18n/SettingsFile.h"

#include <windows.h>

#include <vector>

#include "files/SafeReplace.h"

namespace {

bool ReadAll(const std::wstring& path, std::vector<unsigned char>& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (64 << 20);
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = bytes.empty() || (::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
                               got == bytes.size());
    }
    CloseHandle(file);
    return ok;
}

bool IsUtf8(const unsigned char* p, size_t n) {
    return n == 0 ||
           MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(p), static_cast<int>(n),
                               nullptr, 0) > 0;
}

std::wstring Decode(UINT codePage, const unsigned char* p, size_t n) {
    if (n == 0) return std::wstring();
    const int count = MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(p), static_cast<int>(n), nullptr, 0);
    std::wstring text(static_cast<size_t>(count > 0 ? count : 0), L'\0');
    if (count > 0)
        MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(p), static_cast<int>(n), &text[0], count);
    return text;
}

bool WriteNew(const std::wstring& path, const std::wstring& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const wchar_t bom = 0xFEFF;
    DWORD written = 0;
    bool ok = WriteFile(file, &bom, sizeof bom, &written, nullptr) != 0;
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (ok && bytes) ok = WriteFile(file, text.data(), bytes, &written, nullptr) && written == bytes;
    CloseHandle(file);
    return ok;
}

}  // namespace

int EnsureUnicodeSettings(const std::wstring& path) {
    if (path.empty()) return 0;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        // Only a new file: another writer may have just made one.
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            const unsigned char bom[2] = {0xFF, 0xFE};
            DWORD written = 0;
            WriteFile(file, bom, 2, &written, nullptr);
            CloseHandle(file);
        }
    }
    std::vector<unsigned char> bytes;
    if (!ReadAll(path, bytes)) return 0;
    const size_t n = bytes.size();
    const unsigned char* p = bytes.data();
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) return 1;

    std::wstring text;
    if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
        for (size_t i = 2; i + 1 < n; i += 2) text += static_cast<wchar_t>((p[i] << 8) | p[i + 1]);
    } else if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
        text = Decode(CP_UTF8, p + 3, n - 3);
    } else {
        // Text that is valid UTF-8 came from an editor that writes it; 8-bit
        // text is hardly ever valid UTF-8 by chance.
        text = Decode(IsUtf8(p, n) ? CP_UTF8 : CP_ACP, p, n);
    }
    // Beside the file, so the replacement stays on its volume.
    const std::wstring temp = path + L".converting";
    if (!WriteNew(temp, text) || !ReplaceDurably(path, temp)) {
        DeleteFileW(temp.c_str());
        return 0;
    }
    return 1;
}
