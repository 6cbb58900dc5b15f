// Small file helpers for the language tests.
#pragma once
#include <string>
#include <vector>

#include "FileBytes.h"

// Full path of a file in the current directory.
std::wstring HerePath(const std::wstring& name);
// Writes text as UTF-16LE with a byte-order mark; returns the full path.
std::wstring WriteUnicodeIni(const std::wstring& name, const std::wstring& text);
// One value straight from the file, as the profile functions read it.
std::wstring ReadIni(const std::wstring& path, const wchar_t* section, const wchar_t* key);
bool FileExists(const std::wstring& path);
