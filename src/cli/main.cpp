// mirvostan-cli: the mouse from the command line, with verified uploads.
#include <windows.h>

#include <string>
#include <vector>

#include "cli/Cli.h"

namespace {
// A console shows UTF-16 through WriteConsoleW whatever its code page; a
// pipe or a file gets the UTF-8 bytes.
void WriteAll(DWORD which, const std::string& text) {
    HANDLE h = GetStdHandle(which);
    if (!h || h == INVALID_HANDLE_VALUE || text.empty()) return;
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(h, &mode)) {
        const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
        if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
        // In pieces: old consoles refuse very long writes.
        for (size_t at = 0; at < wide.size(); at += 8192) {
            const DWORD part = static_cast<DWORD>(wide.size() - at < 8192 ? wide.size() - at : 8192);
            if (!WriteConsoleW(h, wide.data() + at, part, &written, nullptr)) break;
        }
        return;
    }
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    // A missing disk or a crash must end the process, not wait on a box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    std::vector<std::wstring> args(argv + 1, argv + argc);
    std::string out, err;
    const int code = RunCli(args, out, err);
    WriteAll(STD_OUTPUT_HANDLE, out);
    WriteAll(STD_ERROR_HANDLE, err);
    return code;
}
