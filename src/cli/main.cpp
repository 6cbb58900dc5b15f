// mirvostan-cli: the mouse from the command line, with verified uploads.
#include <windows.h>

#include <string>
#include <vector>

#include "cli/Cli.h"

namespace {
void WriteAll(DWORD which, const std::string& text) {
    HANDLE h = GetStdHandle(which);
    DWORD written = 0;
    if (h && h != INVALID_HANDLE_VALUE && !text.empty())
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
