// Start benchmark: from process start until the main window is visible,
// Mirvostan (reading the virtual mouse at a 1 ms poll) against a bare dialog
// program, and until Mirvostan's window is fully painted (its picture on the
// screen stops changing); then its working set once idle and its CPU time
// while idle.
//   start_bench.exe [runs, default 15] [idle seconds, default 60] [USB poll ms, default 1]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "VirtualMouseFiles.h"
#include "BenchClock.h"

namespace {
constexpr wchar_t kMainClass[] = L"Mirvostan.MainWindow";
constexpr int kCancel = 1055;

struct Found {
    DWORD pid;
    HWND wnd;
};

BOOL CALLBACK FindVisible(HWND wnd, LPARAM lp) {
    auto* f = reinterpret_cast<Found*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid == f->pid && IsWindowVisible(wnd)) {
        f->wnd = wnd;
        return FALSE;
    }
    return TRUE;
}

struct Started {
    PROCESS_INFORMATION pi{};
    HWND wnd = nullptr;
    double ms = -1;
    double t0 = 0;
};

Started StartAndWait(const std::wstring& exe) {
    Started s;
    std::wstring cmd = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    const double t0 = s.t0 = Now();
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, vmouse::Dir().c_str(), &si, &s.pi))
        return s;
    Found f{s.pi.dwProcessId, nullptr};
    while (Now() - t0 < 30000) {
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&f));
        if (f.wnd) break;
        Sleep(1);
    }
    if (f.wnd) {
        s.ms = Now() - t0;
        s.wnd = f.wnd;
    }
    return s;
}

// Until the window's picture on the screen last changed: it is sampled
// every few milliseconds and counts as fully painted once it stayed the
// same for 300 ms. Returns the time of the last change since t0.
double PaintedAt(HWND wnd, double t0) {
    RECT r{};
    GetWindowRect(wnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return -1;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP shot = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, shot);
    unsigned long long last = 0;
    double changed = Now() - t0;
    while (Now() - t0 < 30000) {
        BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        unsigned long long hash = 1469598103934665603ull;
        const auto* p = static_cast<const unsigned*>(bits);
        for (size_t i = 0; i < static_cast<size_t>(w) * h; i += 3) hash = (hash ^ p[i]) * 1099511628211ull;
        const double now = Now() - t0;
        if (hash != last) {
            last = hash;
            changed = now;
        } else if (now - changed >= 300) {
            break;
        }
        Sleep(2);
    }
    SelectObject(mem, old);
    DeleteObject(shot);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return changed;
}

void Close(Started& s, bool mirvostan) {
    if (s.wnd) {
        HWND control = mirvostan ? GetDlgItem(s.wnd, kCancel) : GetDlgItem(s.wnd, IDCANCEL);
        PostMessageW(s.wnd, WM_COMMAND, MAKEWPARAM(mirvostan ? kCancel : IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(control));
    }
    if (WaitForSingleObject(s.pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(s.pi.hProcess, 1);
    CloseHandle(s.pi.hProcess);
    CloseHandle(s.pi.hThread);
}

struct Stats {
    double median, mean, min, max;
};
Stats Summarise(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    double sum = 0;
    for (double x : v) sum += x;
    return Stats{v[v.size() / 2], sum / v.size(), v.front(), v.back()};
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
    const std::wstring mirvostan = vmouse::Dir() + L"Mirvostan.exe";
    const std::wstring bare = vmouse::Dir() + L"bare_dialog.exe";

    std::vector<double> tm, tb, tp;
    for (int i = 0; i < runs; ++i) {
        // Alternate, so a slower moment of the machine hits both alike.
        Started b = StartAndWait(bare);
        if (b.ms >= 0) tb.push_back(b.ms);
        Close(b, false);
        vmouse::Write(vmouse::FactoryMemory(), faults);
        vmouse::Transcript transcript;
        Started m = StartAndWait(mirvostan);
        if (m.ms >= 0) {
            tm.push_back(m.ms);
            const double painted = PaintedAt(m.wnd, m.t0);
            if (painted >= 0) tp.push_back(painted);
        }
        Close(m, true);
        // The configuration really came from the mouse.
        if (transcript.Reports("in").size() < 21) printf("run %d: only %u reports read\n", i + 1, unsigned(transcript.Reports("in").size()));
    }
    if (tm.empty() || tb.empty()) {
        printf("a program did not show its window\n");
        return 1;
    }
    const Stats sm = Summarise(tm), sb = Summarise(tb);
    printf("start to visible window over %d runs (ms): median / mean / min / max\n", runs);
    printf("  Mirvostan    %8.1f %8.1f %8.1f %8.1f\n", sm.median, sm.mean, sm.min, sm.max);
    printf("  bare dialog  %8.1f %8.1f %8.1f %8.1f\n", sb.median, sb.mean, sb.min, sb.max);
    printf("  ratio (median) %.3f, (mean) %.3f\n", sm.median / sb.median, sm.mean / sb.mean);
    if (!tp.empty()) {
        const Stats sp = Summarise(tp);
        printf("start to fully painted (ms): median %.1f, mean %.1f, min %.1f, max %.1f\n", sp.median, sp.mean, sp.min,
               sp.max);
    }

    vmouse::Write(vmouse::FactoryMemory(), faults);
    Started m = StartAndWait(mirvostan);
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
    Close(m, true);
    return 0;
}
