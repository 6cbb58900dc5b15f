// Whether Mirvostan starts when the user signs in: the value "Mirvostan"
// under HKCU\Software\Microsoft\Windows\CurrentVersion\Run, which starts it
// hidden in the tray. The installer writes the same value.
#pragma once
#include <string>

namespace signin {

// "\"C:\\...\\Mirvostan.exe\" --tray" for the program at exePath.
std::wstring CommandFor(const std::wstring& exePath);
// The value starts exactly this program, hidden (another path, or no
// --tray, is somebody else's or out of date).
bool StartsProgram(const std::wstring& exePath);
// Writes the value for this program (replacing any other), or removes it.
// True when the registry now says so.
bool Set(bool on, const std::wstring& exePath);

}  // namespace signin
