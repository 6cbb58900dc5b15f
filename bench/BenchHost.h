// The host's view of a Wine process: Linux's /proc, read through Wine's Z:
// drive (the root of the host's file system). It counts what Windows'
// own figures under Wine leave out: the private pages of the whole process
// (Wine's own libraries included) and the CPU time of every thread.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace host {

// Linux reports CPU time in USER_HZ ticks, 100 a second on x86.
constexpr double kTicksPerSecond = 100;

inline std::string ReadAll(const std::wstring& path) {
    std::string text;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char chunk[4096];
    DWORD n = 0;
    // /proc files report no size: read until the end.
    while (ReadFile(file, chunk, sizeof chunk, &n, nullptr) && n > 0) text.append(chunk, n);
    CloseHandle(file);
    return text;
}

inline std::wstring ProcPath(int pid, const wchar_t* leaf) {
    return L"Z:\\proc\\" + std::to_wstring(pid) + (leaf ? std::wstring(L"\\") + leaf : std::wstring());
}

inline std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return s;
}

// The first host process whose pid passes the test; 0 when none does.
template <class Test>
int FindProcess(Test test) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int pid = 0;
    do {
        const int n = _wtoi(found.cFileName);
        if (n > 0 && test(n)) pid = n;
    } while (!pid && FindNextFileW(find, &found));
    FindClose(find);
    return pid;
}

// Wine shows a program's Windows command line as its process's command
// line: the one whose line starts with exePath (a full Windows path, as
// CreateProcess was given it) is the program. 0 when none runs.
inline int PidOf(const std::wstring& exePath) {
    std::string want;
    for (wchar_t c : exePath) want += static_cast<char>(c < 128 ? c : '?');
    want = Lower(want);
    return FindProcess([&](int pid) {
        std::string line = ReadAll(ProcPath(pid, L"cmdline"));
        if (!line.empty() && line[0] == '"') line.erase(0, 1);
        return Lower(line.substr(0, want.size())) == want;
    });
}

// The wineserver of this prefix: it serves every Wine program's requests,
// so a program that polls costs time there too. 0 when not found.
inline int WineserverPid() {
    wchar_t prefix[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH)) return 0;
    std::string want = "WINEPREFIX=";
    for (const wchar_t* p = prefix; *p; ++p) want += static_cast<char>(*p);
    want += '\0';
    return FindProcess([&](int pid) {
        return ReadAll(ProcPath(pid, L"comm")).rfind("wineserver", 0) == 0 &&
               ReadAll(ProcPath(pid, L"environ")).find(want) != std::string::npos;
    });
}

// Still running: its /proc entry is there and it is no zombie.
inline bool Running(int pid) {
    const std::string stat = ReadAll(ProcPath(pid, L"stat"));
    const size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

// Sum of the kB figures of the lines that start with one of the keys.
inline double KiBOf(const std::string& text, std::initializer_list<const char*> keys) {
    double sum = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        for (const char* key : keys)
            if (line.rfind(key, 0) == 0) sum += std::atof(line.c_str() + std::string(key).size());
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return sum;
}

// Private memory: Private_Clean + Private_Dirty of smaps_rollup, in MiB.
inline double PrivateMiB(int pid) {
    return KiBOf(ReadAll(ProcPath(pid, L"smaps_rollup")), {"Private_Clean:", "Private_Dirty:"}) / 1024.0;
}

// The private MiB of each mapped file (anonymous mappings as "[anon]"),
// largest first, at most count of them.
inline std::vector<std::pair<std::string, double>> PrivateByMapping(int pid, size_t count) {
    const std::string text = ReadAll(ProcPath(pid, L"smaps"));
    std::map<std::string, double> kib;
    std::string name;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        // A mapping's header starts with its address range, "start-end ".
        const size_t dash = line.find('-'), space = line.find(' ');
        if (dash != std::string::npos && space != std::string::npos && dash < space &&
            line.find_first_not_of("0123456789abcdef") == dash) {
            // Path after five fields: range, perms, offset, device, inode.
            size_t p = 0;
            for (int field = 0; field < 5 && p != std::string::npos; ++field) {
                p = line.find(' ', p);
                if (p != std::string::npos) p = line.find_first_not_of(' ', p);
            }
            name = p == std::string::npos ? "[anon]" : line.substr(p);
        } else if (line.rfind("Private_", 0) == 0) {
            kib[name] += std::atof(line.c_str() + line.find(':') + 1);
        }
    }
    std::vector<std::pair<std::string, double>> sorted;
    for (const auto& k : kib) sorted.emplace_back(k.first, k.second / 1024.0);
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    if (sorted.size() > count) sorted.resize(count);
    return sorted;
}

// utime + stime of every thread, ended ones included (fields 14 and 15).
inline long long CpuTicks(int pid) {
    const std::string stat = ReadAll(ProcPath(pid, L"stat"));
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    // Field 3 follows the name; utime is field 14.
    const char* p = stat.c_str() + close + 2;
    for (int field = 3; field < 14 && *p; ++field) {
        while (*p && *p != ' ') ++p;
        while (*p == ' ') ++p;
    }
    char* end = nullptr;
    const long long user = std::strtoll(p, &end, 10);
    return user + std::strtoll(end, nullptr, 10);
}

// Finer than the ticks: nanoseconds on a CPU of the threads alive now.
inline double LiveThreadsCpuMs(int pid, int* threads = nullptr) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((ProcPath(pid, L"task") + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return -1;
    double ns = 0;
    int count = 0;
    do {
        const int tid = _wtoi(found.cFileName);
        if (tid <= 0) continue;
        ++count;
        ns += std::atof(ReadAll(ProcPath(pid, (L"task\\" + std::to_wstring(tid) + L"\\schedstat").c_str())).c_str());
    } while (FindNextFileW(find, &found));
    FindClose(find);
    if (threads) *threads = count;
    return ns / 1e6;
}

inline int Threads(int pid) {
    int n = 0;
    LiveThreadsCpuMs(pid, &n);
    return n;
}

}  // namespace host
