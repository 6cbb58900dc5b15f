// Helpers shared by the XML and profile tests: COM for every test, and raw
// file access so tests see exactly the bytes on disk.
#pragma once
#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

class ComTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }
};

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// UTF-16LE bytes of an ASCII/Latin-1 text, optionally with byte-order mark.
inline std::string Utf16Le(const std::string& text, bool bom) {
    std::string out = bom ? std::string("\xFF\xFE", 2) : std::string();
    for (unsigned char c : text) {
        out.push_back(static_cast<char>(c));
        out.push_back('\0');
    }
    return out;
}

inline std::string Utf16Be(const std::string& text, bool bom) {
    std::string out = bom ? std::string("\xFE\xFF", 2) : std::string();
    for (unsigned char c : text) {
        out.push_back('\0');
        out.push_back(static_cast<char>(c));
    }
    return out;
}

inline void RemoveFile(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

inline bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Number of files in the current folder whose name matches the pattern.
inline int CountFiles(const wchar_t* pattern) {
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(pattern, &data);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do ++n; while (FindNextFileW(h, &data));
    FindClose(h);
    return n;
}
