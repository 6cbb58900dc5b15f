// AppCfg.ini is read and written as Unicode only when it is UTF-16LE with a
// byte-order mark; in any other encoding Windows writes it in the 8-bit
// code page and drops what that cannot hold. Every writer calls this first.
#pragma once
#include <string>

// Makes path a UTF-16LE file with a byte-order mark: creates it (just the
// mark) when missing, converts it in place when it is in another encoding
// (UTF-8 with or without a mark, UTF-16BE, else the system's 8-bit code
// page), keeping every line. 1 when the file is Unicode now, 0 when it
// could not be made so (it is then left as it was).
int EnsureUnicodeSettings(const std::wstring& path);
