// Command-line benchmark: whole-process times of mirvostan-cli under Wine,
// `show` and `set left=copy` (read, upload, read-back), against a bare
// console program built the same way, with the virtual mouse at 1 ms per
// report. The device time of each run comes from the mouse's transcript
// (first report to last) and is set against the USB floor.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "VirtualMouseFiles.h"
#include "BenchClock.h"

namespace {

constexpr int kRuns = 15;

// Factory setup with the left click on button 5 too, so that left=copy is
// allowed, and left back on left-click, so that every set really uploads.
void PrepareMouse() {
    vmouse::Memory m = vmouse::FactoryMemory();
    m.records[4] = vmouse::Bytes{0, 4, 4, 0, 1, 0, 0, 0, 0};
    vmouse::Faults f;
    f.latencyMs = 1;
    vmouse::Write(m, f);
}

struct Run {
    double wall = 0, device = 0;
    int code = -1;
};

Run RunOnce(const std::wstring& program, const std::wstring& arguments) {
    PrepareMouse();
    vmouse::Transcript transcript;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = nul;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + vmouse::Dir() + program + L"\" " + arguments;
    Run run;
    const double start = Now();
    if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, vmouse::Dir().c_str(), &si, &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        run.wall = Now() - start;
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        run.code = static_cast<int>(code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(nul);
    // Device time: from the first report to the last, as the mouse logged them.
    double first = -1, last = -1;
    for (const vmouse::Event& e : transcript.Events()) {
        if (e.kind != "out" && e.kind != "in") continue;
        if (first < 0) first = e.ms;
        last = e.ms;
    }
    if (first >= 0) run.device = last - first;
    return run;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Row {
    double wall, best, device;
};

Row Measure(const char* name, const std::wstring& program, const std::wstring& arguments) {
    std::vector<double> walls, devices;
    int failures = 0;
    for (int i = 0; i < kRuns; ++i) {
        const Run r = RunOnce(program, arguments);
        if (r.code != 0) ++failures;
        walls.push_back(r.wall);
        devices.push_back(r.device);
    }
    const Row row{Median(walls), *std::min_element(walls.begin(), walls.end()), Median(devices)};
    std::printf("%-22s median %8.1f ms  best %8.1f ms%s\n", name, row.wall, row.best,
                failures ? "  (SOME RUNS FAILED)" : "");
    return row;
}

}  // namespace

int main() {
    std::printf("Whole-process times under Wine, %d runs each; virtual mouse at 1 ms per report\n", kRuns);
    // One run first, so that no row pays for a cold start of the files.
    RunOnce(L"bare_console.exe", L"");
    const Row bare = Measure("bare console program", L"bare_console.exe", L"");
    // Start-up and exit alone: the program's own cost without the mouse.
    const Row version = Measure("--version", L"mirvostan-cli.exe", L"--version");
    const Row show = Measure("show", L"mirvostan-cli.exe", L"show");
    const Row set = Measure("set left=copy", L"mirvostan-cli.exe", L"set left=copy");
    std::printf("\nratio to the bare program: --version %.3f (+%.1f ms), show %.3f (+%.1f ms), set %.3f (+%.1f ms)\n", version.wall / bare.wall,
                version.wall - bare.wall, show.wall / bare.wall,
                show.wall - bare.wall, set.wall / bare.wall, set.wall - bare.wall);
    std::printf("device time (first to last report, median): show %.1f ms against a floor of 21 ms (%.2fx); "
                "set %.1f ms against 21 + 40 + 21 = 82 ms (%.2fx)\n",
                show.device, show.device / 21.0, set.device, set.device / 82.0);
    return 0;
}
