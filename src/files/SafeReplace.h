// Replacing a file with a finished new one beside it, so that neither a
// failed write nor a power cut leaves the name pointing at partial data.
#pragma once
#include <string>

// Flushes temp to disk, then puts it in path's place: an existing file is
// replaced with ReplaceFileW, so it keeps its attributes, permissions and
// creation time; where that is refused, temp is renamed over it. On
// failure the last error says why and temp is left for the caller.
bool ReplaceDurably(const std::wstring& path, const std::wstring& temp);

// The full path of a path relative to the current folder; the path itself
// when it cannot be made full.
std::wstring FullPath(const std::wstring& path);
