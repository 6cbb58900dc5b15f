// Resident benchmark: what Mirvostan costs while it waits in the tray all
// day, each figure beside a bare dialog program's in the same Wine and the
// same run, as median and range over repeated runs. Following is on in
// every run (a rule for each of two programs, Follow=1), as a resident runs.
// Memory and CPU come from the host's /proc (see BenchHost.h).
//   resident_bench.exe memory [runs, default 5] [settle seconds, default 5]
//     private memory hidden in the tray: after a --tray start, and after a
//     plain start whose window was then hidden to the tray (freed)
//   resident_bench.exe idle [seconds, default 60] [runs, default 3]
//     CPU hidden in the tray, with the mouse connected and with it absent
//   resident_bench.exe follow [switches, default 30]
//     a program coming to the front until the mouse holds its profile
//   resident_bench.exe exit [runs, default 10]
//     Exit from the tray menu until the process has ended, idle and with
//     the keep question open
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchHost.h"
#include "BenchWindows.h"
#include "ProgramDriver.h"
#include "VirtualMouseFiles.h"
#include "config/ProgramProfiles.h"
#include "config/RecordTable.h"
#include "files/Profile.h"
#include "resources/resource.h"

namespace {

const std::wstring kDir = vmouse::Dir();
const std::wstring kMirvostan = kDir + L"Mirvostan.exe";
const std::wstring kBare = kDir + L"bare_dialog.exe";
const std::wstring kKeep = L"Keep these button settings?";
constexpr int kReportsAtStart = 21;  // the 20 records and the DPI

// The two followed programs' profiles: Copy on slot 3, or on slot 4.
struct Followed {
    const wchar_t* program;
    const wchar_t* profile;
    int slot;
};
constexpr Followed kFollowed[] = {{L"follow_a.exe", L"follow_a.mvf", 3}, {L"follow_b.exe", L"follow_b.mvf", 4}};

vmouse::Bytes CopyOn(int slot) { return vmouse::Bytes{0, 4, static_cast<uint8_t>(slot), 1, 0x01, 0, 0x06, 0, 0}; }

vmouse::Memory ProfileMemory(int slot) {
    vmouse::Memory m = vmouse::FactoryMemory();
    m.records[static_cast<size_t>(slot)] = CopyOn(slot);
    return m;
}

// AppCfg.ini as shipped, in English, following the two programs.
bool PrepareSettings() {
    const std::wstring ini = kDir + L"AppCfg.ini";
    if (!CopyFileW((kDir + L"AppCfg.pristine.ini").c_str(), ini.c_str(), FALSE)) return false;
    WritePrivateProfileStringW(L"General", L"LangId", L"0", ini.c_str());
    ProgramProfiles rules;
    for (const Followed& f : kFollowed) {
        const vmouse::Memory m = ProfileMemory(f.slot);
        RecordArray records;
        for (size_t s = 0; s < records.size(); ++s)
            for (int i = 0; i < 9; ++i) records[s].bytes[i] = m.records[s][static_cast<size_t>(i)];
        if (!WriteProfileFile(kDir + f.profile, records)) return false;
        rules.SetRule(f.program, kDir + f.profile);
    }
    rules.SetFollow(true);
    return rules.Save(ini) == 1;
}

void PrepareMouse(const vmouse::Memory& memory, bool absent) {
    vmouse::Faults faults;
    faults.latencyMs = 1;
    faults.absent = absent ? 1 : 0;
    vmouse::Write(memory, faults);
}

// Started and settled: its resident window is there and its start-up read
// (or its failed open) is over.
bool WaitReady(const driver::Program& p, const vmouse::Transcript& transcript, bool absent) {
    return driver::WaitFor(
        [&] {
            if (!p.Resident()) return false;
            if (absent) return !transcript.Texts("open-refused").empty();
            return transcript.Reports("in").size() >= kReportsAtStart;
        },
        20000);
}

// Exit from the tray menu; the time until the process has ended as
// Windows tells it (-1: it did not end within 10 s, and was killed), and
// when hostMs is given, until the host's process is gone too.
double ExitFromTray(driver::Program& p, double* hostMs = nullptr) {
    const int pid = hostMs ? host::PidOf(kMirvostan) : 0;
    const double t0 = Now();
    PostMessageW(p.Resident(), WM_COMMAND, ID_TRAY_EXIT, 0);
    const bool ended = p.WaitExit(10000);
    const double ms = Now() - t0;
    if (hostMs) {
        while (pid && host::Running(pid) && Now() - t0 < 10000) Sleep(1);
        *hostMs = Now() - t0;
    }
    p.Kill();
    return ended ? ms : -1;
}

void Choose(HWND page, int list, const std::wstring& text) {
    HWND combo = GetDlgItem(page, list);
    const LRESULT i = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    PostMessageW(page, WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void Row(const char* name, const std::vector<double>& v, const char* unit, double against = 0, double goal = 0) {
    const Spread s = Of(v);
    std::printf("  %-40s %8.2f %s  (%.2f-%.2f, %u runs)", name, s.median, unit, s.low, s.high, unsigned(v.size()));
    if (against > 0) {
        std::printf("  %.2fx", s.median / against);
        if (goal > 0) std::printf(" of the bare median; goal %.2fx: %s", goal, s.median / against <= goal ? "met" : "MISSED");
    }
    std::printf("\n");
}

// The largest private mappings of a process, for where the memory goes;
// its whole smaps is kept beside the bench as file.
void PrintLargestMappings(int pid, const wchar_t* file) {
    const std::string smaps = host::ReadAll(host::ProcPath(pid, L"smaps"));
    HANDLE out = CreateFileW((kDir + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (out != INVALID_HANDLE_VALUE) {
        WriteFile(out, smaps.data(), static_cast<DWORD>(smaps.size()), &written, nullptr);
        CloseHandle(out);
    }
    std::printf("  largest private mappings of the last run (MiB; all of them in %ls):\n", file);
    for (const auto& m : host::PrivateByMapping(pid, 10)) std::printf("    %6.2f  %s\n", m.second, m.first.c_str());
}

int Memory(int runs, int settleSeconds) {
    std::vector<double> bare, tray, freed, bareThreads, trayThreads, freedThreads;
    // The last run also shows where the memory is.
    auto sample = [&](const std::wstring& exe, std::vector<double>& mib, std::vector<double>& threads, const wchar_t* file) {
        const int pid = host::PidOf(exe);
        if (!pid) return;
        mib.push_back(host::PrivateMiB(pid));
        threads.push_back(host::Threads(pid));
        if (mib.size() == static_cast<size_t>(runs)) PrintLargestMappings(pid, file);
    };
    for (int run = 0; run < runs; ++run) {
        bench::Started b = bench::Start(kBare, kDir);
        Sleep(static_cast<DWORD>(settleSeconds) * 1000);
        sample(kBare, bare, bareThreads, L"smaps-bare.txt");
        bench::End(b, IDCANCEL);

        // Started hidden, as at sign-in.
        {
            PrepareMouse(vmouse::FactoryMemory(), false);
            vmouse::Transcript transcript;
            driver::Program p;
            if (!p.Start(L"--tray") || !WaitReady(p, transcript, false)) std::printf("run %d: --tray start not ready\n", run + 1);
            Sleep(static_cast<DWORD>(settleSeconds) * 1000);
            sample(kMirvostan, tray, trayThreads, L"smaps-tray.txt");
            ExitFromTray(p);
        }
        // Started plainly, the window shown, then hidden to the tray.
        {
            PrepareMouse(vmouse::FactoryMemory(), false);
            driver::Program p;
            HWND main = p.Start() ? p.WaitMainWindow() : nullptr;
            if (main) {
                Sleep(500);
                bench::Click(main, IDC_MAIN_TRAY);
                if (!driver::WaitFor([&] { return !IsWindow(main); }, 10000)) std::printf("run %d: the window stayed\n", run + 1);
            } else {
                std::printf("run %d: no main window\n", run + 1);
            }
            Sleep(static_cast<DWORD>(settleSeconds) * 1000);
            sample(kMirvostan, freed, freedThreads, L"smaps-freed.txt");
            ExitFromTray(p);
        }
    }
    const double bareMedian = Of(bare).median;
    std::printf("Private memory (Private_Clean + Private_Dirty of smaps_rollup), %d s after settling:\n", settleSeconds);
    Row("bare dialog", bare, "MiB");
    Row("Mirvostan --tray, hidden", tray, "MiB", bareMedian, 1.5);
    Row("Mirvostan shown, then hidden to the tray", freed, "MiB", bareMedian, 1.5);
    std::printf("Threads:\n");
    Row("bare dialog", bareThreads, "");
    Row("Mirvostan --tray, hidden", trayThreads, "");
    Row("Mirvostan shown, then hidden to the tray", freedThreads, "");
    return 0;
}

// One program's CPU over a span, from the host's side.
struct Cpu {
    int pid = 0;
    long long ticks = 0;
    double liveMs = 0;
    void Begin(int p) {
        pid = p;
        ticks = p ? host::CpuTicks(p) : 0;
        liveMs = p ? host::LiveThreadsCpuMs(p) : 0;
    }
    // Per cent of a core over seconds: by the ticks, and by the live threads' ns.
    void End(double seconds, std::vector<double>& byTicks, std::vector<double>* fine = nullptr) const {
        if (!pid) return;
        byTicks.push_back((host::CpuTicks(pid) - ticks) / host::kTicksPerSecond * 100 / seconds);
        if (fine) fine->push_back((host::LiveThreadsCpuMs(pid) - liveMs) / 10 / seconds);
    }
};

int Idle(int seconds, int runs) {
    const int server = host::WineserverPid();
    std::printf("CPU hidden in the tray over %d s, following on, %d runs per case (per cent of one core, from the "
                "host's /proc/<pid>/stat; finer: the threads' schedstat)\n",
                seconds, runs);
    // First without Mirvostan: what the bare dialog and the server cost alone.
    for (const int with : {0, 1, 2}) {
        const bool absent = with == 2;
        std::vector<double> mirvostan, fine, bare, wineserver;
        for (int run = 0; run < runs; ++run) {
            PrepareMouse(vmouse::FactoryMemory(), absent);
            vmouse::Transcript transcript;
            driver::Program p;
            if (with && (!p.Start(L"--tray") || !WaitReady(p, transcript, absent))) std::printf("run %d: not ready\n", run + 1);
            // The bare dialog idles beside it over the same span.
            bench::Started b = bench::Start(kBare, kDir);
            Sleep(3000);
            Cpu m, d, s;
            m.Begin(with ? host::PidOf(kMirvostan) : 0);
            d.Begin(host::PidOf(kBare));
            s.Begin(server);
            const double t0 = Now();
            Sleep(static_cast<DWORD>(seconds) * 1000);
            const double span = (Now() - t0) / 1000;
            m.End(span, mirvostan, &fine);
            d.End(span, bare);
            s.End(span, wineserver);
            bench::End(b, IDCANCEL);
            if (with) ExitFromTray(p);
        }
        if (!with) {
            std::printf("without Mirvostan:\n");
            Row("bare dialog", bare, "%");
            Row("wineserver", wineserver, "%");
            continue;
        }
        std::printf("%s:\n", absent ? "mouse absent (absent 1)" : "mouse connected");
        Row("Mirvostan (goal 0.05 %)", mirvostan, "%");
        Row("Mirvostan, live threads' schedstat", fine, "%");
        Row("bare dialog beside it", bare, "%");
        Row("wineserver (serves both and this bench)", wineserver, "%");
        const double median = Of(mirvostan).median;
        std::printf("  goal 0.05 %%: %s (%.2fx the goal)\n", median <= 0.05 ? "met" : "MISSED", median / 0.05);
    }
    return 0;
}

// Time of day in ms, as the virtual mouse stamps its transcript.
double TimeOfDayMs() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return ((t.wHour * 60.0 + t.wMinute) * 60.0 + t.wSecond) * 1000.0 + t.wMilliseconds;
}

int Follow(int switches) {
    driver::Program p;
    PrepareMouse(vmouse::FactoryMemory(), false);
    vmouse::Transcript start;
    if (!p.Start(L"--tray") || !WaitReady(p, start, false)) {
        std::printf("Mirvostan did not start\n");
        return 1;
    }
    bench::Started front[2];
    for (int i = 0; i < 2; ++i) {
        front[i] = bench::Start(kDir + kFollowed[i].program, kDir, kFollowed[i].program);
        if (!front[i].wnd) {
            std::printf("%ls showed no window\n", kFollowed[i].program);
            return 1;
        }
    }
    std::vector<double> held, uploadStart, uploadOwn;
    int late = 0, failed = 0;
    unsigned seed = 12345;
    // Switch 0 is a warm-up: it starts from whatever was in front.
    for (int i = -1; i < switches; ++i) {
        // A random moment against the follower's timers.
        seed = seed * 1103515245u + 12345u;
        Sleep(200 + (seed >> 16) % 1000);
        const int which = (i + 2) % 2;
        const vmouse::Memory wanted = ProfileMemory(kFollowed[which].slot);
        vmouse::Transcript transcript;
        SetForegroundWindow(front[which].wnd);
        const double begun = Now();
        while (GetForegroundWindow() != front[which].wnd && Now() - begun < 2000) Sleep(1);
        const double day0 = TimeOfDayMs();
        const bool done = driver::WaitFor([&] { return vmouse::ReadMemory().records == wanted.records; }, 5000);
        if (i < 0) continue;
        if (!done) {
            ++failed;
            continue;
        }
        // The transcript's stamps tell when the upload began and ended.
        double first = -1, last = -1;
        for (const vmouse::Event& e : transcript.Events()) {
            if (e.kind != "out") continue;
            if (first < 0) first = e.ms;
            last = e.ms;
        }
        if (first < 0) {
            ++failed;
            continue;
        }
        held.push_back(last - day0);
        uploadStart.push_back(first - day0);
        uploadOwn.push_back(last - first);
        if (last - day0 > 1000) ++late;
    }
    for (bench::Started& f : front) {
        PostMessageW(f.wnd, WM_CLOSE, 0, 0);
        bench::End(f, 0);
    }
    ExitFromTray(p);
    std::printf("Following: a program comes to the front and stays there, until the mouse holds its profile\n"
                "(the profile's last record written, from the virtual mouse's transcript), %d switches:\n",
                switches);
    Row("in front until the profile is held", held, "ms");
    Row("in front until the upload starts", uploadStart, "ms");
    Row("the upload itself (first to last report)", uploadOwn, "ms");
    std::printf("  over 1 s: %d of %u; not followed within 5 s: %d; goal 1 s: %s (median %.2fx, worst %.2fx)\n", late,
                unsigned(held.size()), failed, late == 0 && failed == 0 ? "met" : "MISSED",
                Of(held).median / 1000, Of(held).high / 1000);
    return 0;
}

int Exit(int runs) {
    std::vector<double> bare, idle, idleHost, keep, undo;
    int notUndone = 0;
    const vmouse::Memory factory = vmouse::FactoryMemory();
    for (int run = 0; run < runs; ++run) {
        bench::Started b = bench::Start(kBare, kDir);
        Sleep(500);
        bare.push_back(bench::End(b, IDCANCEL));
        {
            PrepareMouse(factory, false);
            vmouse::Transcript transcript;
            driver::Program p;
            if (p.Start(L"--tray") && WaitReady(p, transcript, false)) {
                Sleep(1000);
                double gone = 0;
                idle.push_back(ExitFromTray(p, &gone));
                idleHost.push_back(gone);
            }
        }
        {
            // The left click moved to button 4 and the left button given
            // Copy: the keep question asks, and Exit undoes it.
            PrepareMouse(factory, false);
            driver::Program p;
            HWND main = p.Start() ? p.WaitMainWindow() : nullptr;
            if (!main) continue;
            HWND page = driver::PageWith(main, IDC_BTN_LIST_LEFT);
            Choose(page, IDC_BTN_LIST_B4, L"L-Button");
            Choose(page, IDC_BTN_LIST_LEFT, L"Copy");
            Sleep(300);
            bench::Click(main, IDC_MAIN_APPLY);
            const bool asked = driver::WaitFor(
                [&] {
                    for (const driver::Box& box : p.Boxes())
                        if (box.text.rfind(kKeep, 0) == 0) return true;
                    return false;
                },
                10000);
            if (!asked) {
                std::printf("run %d: no keep question\n", run + 1);
                continue;
            }
            Sleep(500);
            vmouse::Transcript transcript;
            keep.push_back(ExitFromTray(p));
            double first = -1, last = -1;
            for (const vmouse::Event& e : transcript.Events()) {
                if (e.kind != "out") continue;
                if (first < 0) first = e.ms;
                last = e.ms;
            }
            if (first >= 0) undo.push_back(last - first);
            if (vmouse::ReadMemory().records != factory.records) ++notUndone;
        }
    }
    const double bareMedian = Of(bare).median;
    std::printf("Ending: Exit (WM_COMMAND %d to the resident window) until the process has ended, %d runs:\n",
                ID_TRAY_EXIT, runs);
    Row("bare dialog (Cancel until ended)", bare, "ms");
    Row("Mirvostan hidden, no upload", idle, "ms", bareMedian);
    Row("  until the host's process is gone", idleHost, "ms");
    Row("Mirvostan, keep question open", keep, "ms", bareMedian);
    Row("  of it the undo upload (first to last report)", undo, "ms");
    const Spread s = Of(idle);
    std::printf("  goal 500 ms with no upload: median %s (%.2fx the goal), worst %s (%.2fx)\n",
                s.median >= 0 && s.median <= 500 ? "met" : "MISSED", s.median / 500,
                s.high >= 0 && s.high <= 500 ? "met" : "MISSED", s.high / 500);
    if (notUndone) std::printf("  the mouse kept the unkept change after %d runs\n", notUndone);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    auto arg = [&](int i, int fallback) { return argc > i ? std::atoi(argv[i]) : fallback; };
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) || !PrepareSettings()) {
        std::printf("could not write AppCfg.ini and the profiles beside the bench\n");
        return 1;
    }
    if (mode == "memory") return Memory(arg(2, 5), arg(3, 5));
    if (mode == "idle") return Idle(arg(2, 60), arg(3, 3));
    if (mode == "follow") return Follow(arg(2, 30));
    if (mode == "exit") return Exit(arg(2, 10));
    std::printf("usage: resident_bench.exe memory|idle|follow|exit [...]\n");
    return 2;
}
