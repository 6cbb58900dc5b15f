// Command-line benchmark: whole-process times of mirvostan-cli under Wine,
// `--version` (start and exit alone), `show` and `set left=copy` (read,
// upload, read-back), against a bare console program built the same way,
// with the virtual mouse at 1 ms per report. The mouse's own time of each
// run comes from its transcript (first report to last) and is set against
// the USB floor.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "VirtualMouseFiles.h"
#include "BenchClock.h"

namespace {

constexpr int kRounds = 21;

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

struct Case {
    const char* name;
    std::wstring program, arguments;
    bool mouse;  // reaches the mouse
    std::vector<Run> runs;
};

}  // namespace

int main() {
    std::printf("Whole-process times under Wine, %d rounds; virtual mouse at 1 ms per report\n", kRounds);
    std::vector<Case> cases = {{"bare console program", L"bare_console.exe", L"", false, {}},
                               {"--version", L"mirvostan-cli.exe", L"--version", false, {}},
                               {"show", L"mirvostan-cli.exe", L"show", true, {}},
                               {"set left=copy", L"mirvostan-cli.exe", L"set left=copy", true, {}}};
    // One run first, so that no row pays for a cold start of the files.
    RunOnce(cases[0].program, cases[0].arguments);
    // Round by round, so that a busy moment of the machine weighs on every
    // row alike and each run has a bare run of its own to be set against.
    for (int i = 0; i < kRounds; ++i)
        for (Case& c : cases) c.runs.push_back(RunOnce(c.program, c.arguments));
    const std::vector<Run>& bare = cases[0].runs;
    std::printf("%-22s %-28s %-30s %s\n", "", "wall: median (range)", "beyond bare: median (range)",
                "beyond bare and mouse");
    for (const Case& c : cases) {
        std::vector<double> walls, beyond, net;
        int failures = 0;
        for (size_t i = 0; i < c.runs.size(); ++i) {
            if (c.runs[i].code != 0) ++failures;
            walls.push_back(c.runs[i].wall);
            beyond.push_back(c.runs[i].wall - bare[i].wall);
            // The mouse's own time: its first report to its last.
            net.push_back(c.runs[i].wall - bare[i].wall - c.runs[i].device);
        }
        const Spread w = Of(walls), b = Of(beyond), n = Of(net);
        std::printf("%-22s %6.1f ms (%5.1f-%6.1f)", c.name, w.median, w.low, w.high);
        if (&c != &cases[0]) std::printf("   %+6.1f ms (%+6.1f to %+6.1f)", b.median, b.low, b.high);
        if (c.mouse) std::printf("   %+5.1f ms (%+5.1f to %+5.1f)", n.median, n.low, n.high);
        std::printf("%s\n", failures ? "  (SOME RUNS FAILED)" : "");
    }
    std::vector<double> showDevice, setDevice;
    for (const Run& r : cases[2].runs) showDevice.push_back(r.device);
    for (const Run& r : cases[3].runs) setDevice.push_back(r.device);
    const Spread show = Of(showDevice), set = Of(setDevice);
    std::printf("\nmouse's own time (first to last report): show %.1f ms (%.0f-%.0f) against a floor of 21 ms (%.2fx); "
                "set %.1f ms (%.0f-%.0f) against 21 + 40 + 21 = 82 ms (%.2fx)\n",
                show.median, show.low, show.high, show.median / 21.0, set.median, set.low, set.high,
                set.median / 82.0);
    return 0;
}
