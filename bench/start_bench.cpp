// Start benchmark: from process start until the main window is visible,
// Mirvostan (reading the virtual mouse at a 1 ms poll) against a bare dialog
// program, and until each window is fully painted (its picture on the
// screen stops changing); then, once Mirvostan's window was hidden to the
// tray (which frees it), from Config until it is visible and painted again.
// Last, its working set once idle and its CPU time while idle, window open.
//   start_bench.exe [runs, default 15] [idle seconds, default 60; 0: none] [USB poll ms, default 1]
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "VirtualMouseFiles.h"
#include "BenchWindows.h"

namespace {
constexpr wchar_t kMainClass[] = L"Mirvostan.MainWindow";
constexpr wchar_t kResidentClass[] = L"38C86C12-4A73-48d5-934E-44550D5BBF68";
constexpr int kCancel = 1055;     // ends a plain start
constexpr int kToTray = 1059;     // hides the window to the tray, which frees it
constexpr int kTrayConfig = 32805;

// Hidden to the tray, then Config from the tray menu: the time until the
// window made again is visible and until it is fully painted (-1: never).
struct Shown {
    double visible = -1, painted = -1;
};
Shown ConfigAgain(bench::Started& m) {
    Shown shown;
    HWND resident = FindWindowW(kResidentClass, L"");
    bench::Click(m.wnd, kToTray);
    const double hidden = Now();
    while (IsWindow(m.wnd) && Now() - hidden < 10000) Sleep(1);
    if (!resident || IsWindow(m.wnd)) return shown;
    Sleep(500);
    const double t0 = Now();
    PostMessageW(resident, WM_COMMAND, kTrayConfig, 0);
    m.wnd = bench::WaitVisible(m.pi.dwProcessId, kMainClass, t0, 10000);
    if (!m.wnd) return shown;
    shown.visible = Now() - t0;
    shown.painted = bench::PaintedAt(m.wnd, t0);
    return shown;
}

void Row(const char* name, const std::vector<double>& v, double bare) {
    const Spread s = Of(v);
    printf("  %-34s %8.1f  %8.1f-%8.1f", name, s.median, s.low, s.high);
    if (bare > 0) printf("   %.2fx", s.median / bare);
    printf("\n");
}

double CpuMs(HANDLE process) {
    FILETIME c, e, k, u;
    if (!GetProcessTimes(process, &c, &e, &k, &u)) return -1;
    auto ms = [](FILETIME t) { return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0; };
    return ms(k) + ms(u);
}
}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? atoi(argv[1]) : 15;
    const int idleSeconds = argc > 2 ? atoi(argv[2]) : 60;
    vmouse::Faults faults;
    faults.latencyMs = argc > 3 ? atoi(argv[3]) : 1;
    const std::wstring dir = vmouse::Dir();
    const std::wstring mirvostan = dir + L"Mirvostan.exe";
    const std::wstring bare = dir + L"bare_dialog.exe";

    std::vector<double> tm, tb, tp, tbp, cv, cp;
    for (int i = 0; i < runs; ++i) {
        // Alternate, so a slower moment of the machine hits both alike.
        bench::Started b = bench::Start(bare, dir);
        if (b.ms >= 0) {
            tb.push_back(b.ms);
            tbp.push_back(bench::PaintedAt(b.wnd, b.t0));
        }
        bench::End(b, IDCANCEL);
        vmouse::Write(vmouse::FactoryMemory(), faults);
        vmouse::Transcript transcript;
        bench::Started m = bench::Start(mirvostan, dir);
        if (m.ms >= 0) {
            tm.push_back(m.ms);
            const double painted = bench::PaintedAt(m.wnd, m.t0);
            if (painted >= 0) tp.push_back(painted);
            const Shown again = ConfigAgain(m);
            if (again.visible >= 0) cv.push_back(again.visible);
            if (again.painted >= 0) cp.push_back(again.painted);
        }
        bench::End(m, kCancel);
        // The configuration really came from the mouse.
        if (transcript.Reports("in").size() < 21) printf("run %d: only %u reports read\n", i + 1, unsigned(transcript.Reports("in").size()));
    }
    if (tm.empty() || tb.empty()) {
        printf("a program did not show its window\n");
        return 1;
    }
    const double bareStart = Of(tb).median;
    printf("%d runs (ms): median, range, and the median against the bare dialog's start to visible\n", runs);
    Row("bare dialog: start to visible", tb, bareStart);
    Row("bare dialog: start to painted", tbp, bareStart);
    Row("Mirvostan: start to visible", tm, bareStart);
    Row("Mirvostan: start to fully painted", tp, bareStart);
    Row("Config after hiding: to visible", cv, bareStart);
    Row("Config after hiding: to painted", cp, bareStart);
    if (cp.size() < tm.size()) printf("  Config did not show the window again in %u runs\n", unsigned(tm.size() - cp.size()));
    if (idleSeconds <= 0) return 0;

    vmouse::Write(vmouse::FactoryMemory(), faults);
    bench::Started m = bench::Start(mirvostan, dir);
    if (m.ms < 0) return 1;
    Sleep(3000);
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(m.pi.hProcess, &pmc, sizeof pmc))
        printf("idle working set: %.1f MiB (peak %.1f MiB)\n", pmc.WorkingSetSize / 1048576.0,
               pmc.PeakWorkingSetSize / 1048576.0);
    // The markers let the script read the same span from the host's side.
    printf("idle-start\n");
    fflush(stdout);
    const double c0 = CpuMs(m.pi.hProcess), t0 = Now();
    Sleep(static_cast<DWORD>(idleSeconds) * 1000);
    const double c1 = CpuMs(m.pi.hProcess), t1 = Now();
    printf("idle-end\n");
    fflush(stdout);
    printf("idle CPU over %.0f s as Windows reports it: %.1f ms = %.3f%% of a core\n", (t1 - t0) / 1000, c1 - c0, (c1 - c0) * 100 / (t1 - t0));
    bench::End(m, kCancel);
    return 0;
}
