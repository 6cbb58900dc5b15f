// The virtual mouse: the firmware's side of the report protocol, with its
// memory and fault switches in a text file and a transcript of every report.
// One mouse for every process that loads this library from one folder: the
// memory lives in the file alone, re-read and rewritten under a named lock
// for each report. Each process keeps its own handles and answer queue, as
// each program's handle on a real mouse has its own report buffer.
#include <windows.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <deque>
#include <set>
#include <string>

#include "link/SonixUsbApi.h"

namespace {

using Report = std::array<uint8_t, 9>;
constexpr int kSlots = 20;

struct Queued {
    Report report;
    ULONGLONG readyAt;  // tick count from which a read may take it
};

struct Memory {
    uint8_t records[kSlots][9];
    unsigned dpi;  // DPI / 200
};

struct Faults {
    int absent = 0;
    int failWritesFrom = 0;
    int failReads = 0;
    int loseRead = 0;
    int noEcho = 0;
    int latencyMs = 0;
    int inputLength = 9;
    int outputLength = 9;
    int readTimeoutMs = 100;
    int lateAnswerMs = 0;   // the first answer to a configuration request comes this late
    int corruptSlot = -1;   // a record written to this slot is stored with one byte inverted
    int corruptByte = 4;
    int readsOutliveClose = 0;  // a closed handle's waiting read runs to its time-out
    int unplugAt = 0;           // the Nth report (write or read) after an open and all later fail
    int silentSlot = -1;    // this slot (20: the DPI report) never answers a configuration request
    int goneError = 0;      // what reads and writes of an unplugged mouse fail with (0: device not connected)
};

Memory FactoryMemory() {
    // Slot = mode x 10 + position; mode 1 has back and forward exchanged.
    static const uint8_t kType[10] = {0, 0, 0, 0, 0, 2, 2, 0, 0, 4};
    static const uint8_t kCode[10] = {1, 4, 2, 16, 8, 128, 128, 32, 64, 2};
    Memory m{};
    for (int s = 0; s < kSlots; ++s) {
        uint8_t* r = m.records[s];
        r[1] = 4;
        r[2] = static_cast<uint8_t>(s);
        r[3] = kType[s % 10];
        r[4] = kCode[s % 10];
    }
    m.records[13][4] = 8;
    m.records[14][4] = 16;
    m.dpi = 3;
    return m;
}

struct Mouse {
    CRITICAL_SECTION lock;
    CONDITION_VARIABLE arrived;
    std::wstring memoryPath;
    std::wstring logPath;
    HANDLE log = INVALID_HANDLE_VALUE;
    HANDLE memoryFile = INVALID_HANDLE_VALUE;  // kept open: reopening per report is slow
    HANDLE shared = nullptr;                   // named mutex over the memory file, across processes
    HANDLE generationMap = nullptr;            // named: how often any process saved the file
    volatile LONG* generation = nullptr;
    LONG seenGeneration = -1;                  // the save this process's copy reflects
    FILETIME fileStamp{};                      // the file as last loaded or saved: a user's edit changes it
    Memory memory = FactoryMemory();
    Faults faults;
    std::deque<Queued> queue;
    std::set<uintptr_t> open;
    uintptr_t nextHandle = 0x100;
    int writes = 0;  // since the last open
    int reads = 0;
    int reports = 0;  // writes and read calls since the last open
};

Mouse* g_mouse = nullptr;

class Lock {
public:
    Lock() { EnterCriticalSection(&g_mouse->lock); }
    ~Lock() { LeaveCriticalSection(&g_mouse->lock); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
};

bool LoadFile();
void SaveFile();
FILETIME FileStamp();

// The memory as every process last left it: loaded on entry, written back
// on leaving when changed. Taken inside Lock, never the other way round.
// A report reloads only when another process saved since (the count in
// shared memory says so) or someone edited the file (its time stamp); an
// open always reloads.
class SharedMemory {
public:
    explicit SharedMemory(bool always = false) {
        Mouse& m = *g_mouse;
        const DWORD got = m.shared ? WaitForSingleObject(m.shared, 10000) : WAIT_FAILED;
        held_ = got == WAIT_OBJECT_0 || got == WAIT_ABANDONED;
        const FILETIME stamp = FileStamp();
        if (always || !m.generation || *m.generation != m.seenGeneration || CompareFileTime(&m.fileStamp, &stamp) != 0) {
            LoadFile();
            if (m.generation) m.seenGeneration = *m.generation;
        }
    }
    ~SharedMemory() {
        Mouse& m = *g_mouse;
        if (changed_) {
            SaveFile();
            if (m.generation) m.seenGeneration = InterlockedIncrement(m.generation);
        }
        if (held_) ReleaseMutex(m.shared);
    }
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;
    void Changed() { changed_ = true; }

private:
    bool held_ = false;
    bool changed_ = false;
};

FILETIME FileStamp() {
    WIN32_FILE_ATTRIBUTE_DATA a{};  // a missing file: a zero stamp
    GetFileAttributesExW(g_mouse->memoryPath.c_str(), GetFileExInfoStandard, &a);
    return a.ftLastWriteTime;
}

std::string Hex(const uint8_t* bytes, size_t n) {
    std::string s;
    char b[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", bytes[i]);
        s += b;
    }
    return s;
}

// Appends one transcript line; called with the lock held.
void Log(const std::string& event) {
    Mouse& m = *g_mouse;
    if (m.log == INVALID_HANDLE_VALUE) {
        m.log = CreateFileW(m.logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m.log == INVALID_HANDLE_VALUE) return;
    }
    SYSTEMTIME t;
    GetLocalTime(&t);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u ", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds);
    std::string line = stamp + event + "\r\n";
    DWORD written = 0;
    WriteFile(m.log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

bool ParseHexBytes(const char* text, uint8_t* out, int n) {
    for (int i = 0; i < n; ++i) {
        unsigned v = 0;
        int used = 0;
        if (std::sscanf(text, " %2x%n", &v, &used) != 1) return false;
        out[i] = static_cast<uint8_t>(v);
        text += used;
    }
    return true;
}

// Reads memory and faults; a missing file or line keeps the factory value.
bool LoadFile() {
    Mouse& m = *g_mouse;
    m.memory = FactoryMemory();
    m.faults = Faults{};
    FILE* f = _wfopen(m.memoryPath.c_str(), L"rb");
    if (!f) return false;
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
        if (char* hash = std::strchr(line, '#')) *hash = 0;
        char key[32] = {};
        int used = 0;
        if (std::sscanf(line, " %31s%n", key, &used) != 1) continue;
        const char* rest = line + used;
        int value = 0;
        if (std::strcmp(key, "record") == 0) {
            int slot = -1, n = 0;
            uint8_t bytes[9];
            if (std::sscanf(rest, "%d%n", &slot, &n) == 1 && slot >= 0 && slot < kSlots && ParseHexBytes(rest + n, bytes, 9))
                std::memcpy(m.memory.records[slot], bytes, 9);
            continue;
        }
        if (std::sscanf(rest, "%d", &value) != 1) continue;
        if (std::strcmp(key, "dpi") == 0) m.memory.dpi = static_cast<unsigned>(value) & 0xFF;
        else if (std::strcmp(key, "absent") == 0) m.faults.absent = value;
        else if (std::strcmp(key, "fail-writes-from") == 0) m.faults.failWritesFrom = value;
        else if (std::strcmp(key, "fail-reads") == 0) m.faults.failReads = value;
        else if (std::strcmp(key, "lose-read") == 0) m.faults.loseRead = value;
        else if (std::strcmp(key, "no-echo") == 0) m.faults.noEcho = value;
        else if (std::strcmp(key, "latency-ms") == 0) m.faults.latencyMs = value;
        else if (std::strcmp(key, "input-length") == 0) m.faults.inputLength = value;
        else if (std::strcmp(key, "output-length") == 0) m.faults.outputLength = value;
        else if (std::strcmp(key, "read-timeout-ms") == 0) m.faults.readTimeoutMs = value < 0 ? 0 : value;
        else if (std::strcmp(key, "late-answer-ms") == 0) m.faults.lateAnswerMs = value < 0 ? 0 : value;
        else if (std::strcmp(key, "corrupt-slot") == 0) m.faults.corruptSlot = value;
        else if (std::strcmp(key, "corrupt-byte") == 0) m.faults.corruptByte = value;
        else if (std::strcmp(key, "reads-outlive-close") == 0) m.faults.readsOutliveClose = value;
        else if (std::strcmp(key, "unplug-at") == 0) m.faults.unplugAt = value;
        else if (std::strcmp(key, "silent-slot") == 0) m.faults.silentSlot = value;
        else if (std::strcmp(key, "gone-error") == 0) m.faults.goneError = value;
    }
    std::fclose(f);
    m.fileStamp = FileStamp();
    // Lengths size the buffers this library fills; keep them sane.
    for (int* length : {&m.faults.inputLength, &m.faults.outputLength}) *length = *length < 0 ? 0 : (*length > 255 ? 255 : *length);
    return true;
}

bool OpenMemoryFile() {
    Mouse& m = *g_mouse;
    if (m.memoryFile == INVALID_HANDLE_VALUE)
        m.memoryFile = CreateFileW(m.memoryPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return m.memoryFile != INVALID_HANDLE_VALUE;
}

void WriteAt(DWORD offset, const std::string& text) {
    OVERLAPPED at{};
    at.Offset = offset;
    DWORD written = 0;
    WriteFile(g_mouse->memoryFile, text.data(), static_cast<DWORD>(text.size()), &written, &at);
}

std::string RecordLine(int slot) {
    char line[64];
    std::snprintf(line, sizeof line, "record %2d %s\r\n", slot, Hex(g_mouse->memory.records[slot], 9).c_str());
    return line;
}

std::string DpiLine() {
    char line[32];
    std::snprintf(line, sizeof line, "dpi %3u\r\n", g_mouse->memory.dpi);
    return line;
}

// Rewrites the whole file: memory, then the fault switches as loaded.
void SaveFile() {
    Mouse& m = *g_mouse;
    std::string text = "# Virtual mouse memory and faults (see README.md beside the sources)\r\n";
    for (int s = 0; s < kSlots; ++s) text += RecordLine(s);
    text += DpiLine();
    const Faults& f = m.faults;
    const struct {
        const char* key;
        int value;
    } settings[] = {{"absent", f.absent},       {"fail-writes-from", f.failWritesFrom},
                    {"fail-reads", f.failReads}, {"lose-read", f.loseRead},
                    {"no-echo", f.noEcho},       {"latency-ms", f.latencyMs},
                    {"input-length", f.inputLength}, {"output-length", f.outputLength},
                    {"read-timeout-ms", f.readTimeoutMs}, {"late-answer-ms", f.lateAnswerMs},
                    {"corrupt-slot", f.corruptSlot}, {"corrupt-byte", f.corruptByte},
                    {"reads-outlive-close", f.readsOutliveClose}, {"unplug-at", f.unplugAt},
                    {"silent-slot", f.silentSlot}, {"gone-error", f.goneError}};
    char line[64];
    for (const auto& s : settings) {
        std::snprintf(line, sizeof line, "%s %d\r\n", s.key, s.value);
        text += line;
    }
    if (!OpenMemoryFile()) return;
    WriteAt(0, text);
    SetFilePointer(m.memoryFile, static_cast<LONG>(text.size()), nullptr, FILE_BEGIN);
    SetEndOfFile(m.memoryFile);
    m.fileStamp = FileStamp();
}


// Models the USB poll: the host polls the endpoint once per interval, so a
// report goes through at the next poll, not at once.
void AwaitPoll(int intervalMs) {
    if (intervalMs <= 0) return;
    LARGE_INTEGER freq, now;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&now);
    const LONGLONG period = freq.QuadPart * intervalMs / 1000;
    const LONGLONG poll = (now.QuadPart / period + 1) * period;
    const LONGLONG sleepMs = (poll - now.QuadPart) * 1000 / freq.QuadPart - 2;
    if (sleepMs > 0) Sleep(static_cast<DWORD>(sleepMs));
    for (;;) {
        QueryPerformanceCounter(&now);
        if (now.QuadPart >= poll) return;
        SwitchToThread();
    }
}

bool IsOpen(HANDLE h) { return g_mouse->open.count(reinterpret_cast<uintptr_t>(h)) != 0; }

bool Unplugged() {
    const Faults& f = g_mouse->faults;
    return f.absent || (f.failWritesFrom > 0 && g_mouse->writes >= f.failWritesFrom) ||
           (f.unplugAt > 0 && g_mouse->reports >= f.unplugAt);
}

// HID handles of a pulled mouse fail with one of several codes, by driver.
DWORD GoneError() {
    const int code = g_mouse->faults.goneError;
    return code > 0 ? static_cast<DWORD>(code) : ERROR_DEVICE_NOT_CONNECTED;
}

}  // namespace

extern "C" {

HANDLE WINAPI VmOpen(DWORD vendor, DWORD product) {
    Lock lock;
    Mouse& m = *g_mouse;
    SharedMemory shared(true);
    shared.Changed();  // a user finds the file to edit
    if (vendor != sonix::kVendorId || product != sonix::kProductId || m.faults.absent) {
        Log("open-refused");
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return INVALID_HANDLE_VALUE;
    }
    uintptr_t h = m.nextHandle++;
    m.open.insert(h);
    m.queue.clear();
    m.writes = 0;
    m.reads = 0;
    m.reports = 0;
    Log("open " + std::to_string(h) + " (" + std::to_string(m.open.size()) + " open)");
    return reinterpret_cast<HANDLE>(h);
}

BOOL WINAPI VmClose(HANDLE device) {
    Lock lock;
    Mouse& m = *g_mouse;
    if (!m.open.erase(reinterpret_cast<uintptr_t>(device))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Log("close " + std::to_string(reinterpret_cast<uintptr_t>(device)) + " (" + std::to_string(m.open.size()) + " open)");
    WakeAllConditionVariable(&m.arrived);  // a read waiting on this handle ends
    return TRUE;
}

BOOL WINAPI VmRead(HANDLE device, BYTE* buffer, DWORD length, DWORD* count) {
    Mouse& m = *g_mouse;
    int latency = 0;
    DWORD n = 0;
    Report r;
    {
        Lock lock;
        { SharedMemory look; }  // pulled out meanwhile (absent 1)?
        if (!IsOpen(device) || !buffer || static_cast<int>(length) < m.faults.inputLength) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        ++m.reports;
        if (m.faults.failReads || Unplugged()) {
            SetLastError(GoneError());
            return FALSE;
        }
        // One wait for the whole time-out: the tick count is too coarse to
        // recompute the rest after each wake, which would wake us again.
        const ULONGLONG deadline = GetTickCount64() + static_cast<DWORD>(m.faults.readTimeoutMs);
        for (;;) {
            const ULONGLONG now = GetTickCount64();
            if (!m.queue.empty() && m.queue.front().readyAt <= now) break;
            if (now >= deadline) {
                SetLastError(ERROR_TIMEOUT);
                return FALSE;
            }
            ULONGLONG until = deadline;
            if (!m.queue.empty() && m.queue.front().readyAt < until) until = m.queue.front().readyAt;
            if (!SleepConditionVariableCS(&m.arrived, &m.lock, static_cast<DWORD>(until - now)) &&
                GetLastError() != ERROR_TIMEOUT)
                return FALSE;
            if (!IsOpen(device) && !m.faults.readsOutliveClose) {
                // Closed under the read: it ends now, as on a real handle.
                SetLastError(ERROR_OPERATION_ABORTED);
                return FALSE;
            }
        }
        r = m.queue.front().report;
        m.queue.pop_front();
        ++m.reads;
        if (m.faults.loseRead > 0 && m.reads == m.faults.loseRead) {
            Log("in-lost " + Hex(r.data(), r.size()));
            SetLastError(ERROR_TIMEOUT);
            return FALSE;
        }
        // The length is taken once, here: a reopen during the poll below may
        // announce another one, but this buffer was checked against this one.
        n = static_cast<DWORD>(m.faults.inputLength);
        Log("in " + Hex(r.data(), n < 9 ? n : 9));
        latency = m.faults.latencyMs;
    }
    AwaitPoll(latency);
    std::memset(buffer, 0, n);
    std::memcpy(buffer, r.data(), n < 9 ? n : 9);
    if (count) *count = n;
    return TRUE;
}

BOOL WINAPI VmWrite(HANDLE device, const BYTE* buffer, DWORD length, DWORD* count) {
    Mouse& m = *g_mouse;
    int latency = 0;
    {
        Lock lock;
        if (!IsOpen(device) || !buffer || static_cast<int>(length) != m.faults.outputLength) {
            SetLastError(IsOpen(device) ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
            return FALSE;
        }
        latency = m.faults.latencyMs;
    }
    AwaitPoll(latency);
    Lock lock;
    if (!IsOpen(device)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Another program may have changed the mouse since this one last looked.
    SharedMemory shared;
    const size_t n = length < 9 ? length : 9;
    Report r{};
    std::memcpy(r.data(), buffer, n);
    ++m.writes;
    ++m.reports;
    if (Unplugged()) {
        Log("out-failed " + Hex(r.data(), n));
        SetLastError(GoneError());
        return FALSE;
    }
    Log("out " + Hex(r.data(), n));
    const ULONGLONG now = GetTickCount64();
    if (r[1] == 4 && r[2] == 0xAA && r[3] == 0x55) {
        // A late first answer holds back the ones behind it as well.
        const ULONGLONG first = now + static_cast<ULONGLONG>(m.faults.lateAnswerMs);
        for (int s = 0; s < kSlots; ++s) {
            if (s == m.faults.silentSlot) continue;
            Report rec;
            std::memcpy(rec.data(), m.memory.records[s], 9);
            m.queue.push_back(Queued{rec, first});
        }
        if (m.faults.silentSlot != kSlots)
            m.queue.push_back(Queued{Report{0, 4, 0xFF, 1, static_cast<uint8_t>(m.memory.dpi), 0, 0, 0, 0}, first});
        WakeAllConditionVariable(&m.arrived);
    } else if (r[1] == 4 && r[2] < kSlots) {
        std::memcpy(m.memory.records[r[2]], r.data(), 9);
        const int bad = m.faults.corruptByte;
        if (m.faults.corruptSlot == r[2] && bad >= 0 && bad < 9) m.memory.records[r[2]][bad] ^= 0xFF;
        shared.Changed();
        m.queue.push_back(Queued{m.faults.noEcho ? Report{0, 4, 0xEE, 0, 0, 0, 0, 0, 0} : r, now});
        WakeAllConditionVariable(&m.arrived);
    } else if (r[1] == 4 && r[2] == 0xFF && r[3] == 1) {
        m.memory.dpi = r[4];
        shared.Changed();
    }
    if (count) *count = static_cast<DWORD>(length);
    return TRUE;
}

DWORD WINAPI VmInputLength(HANDLE device) {
    Lock lock;
    return IsOpen(device) ? static_cast<DWORD>(g_mouse->faults.inputLength) : 0;
}

DWORD WINAPI VmOutputLength(HANDLE device) {
    Lock lock;
    return IsOpen(device) ? static_cast<DWORD>(g_mouse->faults.outputLength) : 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_mouse = new Mouse;
        InitializeCriticalSection(&g_mouse->lock);
        InitializeConditionVariable(&g_mouse->arrived);
        wchar_t path[MAX_PATH];
        DWORD n = GetModuleFileNameW(instance, path, MAX_PATH);
        std::wstring dir(path, n);
        dir.erase(dir.find_last_of(L"\\/") + 1);
        g_mouse->memoryPath = dir + L"VirtualMouse.txt";
        g_mouse->logPath = dir + L"VirtualMouse.log";
        // One lock per memory file; a name holds no backslash, so a hash.
        uint32_t hash = 2166136261u;
        for (wchar_t c : g_mouse->memoryPath) hash = (hash ^ static_cast<uint32_t>(towlower(c))) * 16777619u;
        wchar_t name[64];
        std::swprintf(name, 64, L"Local\\MirvostanVirtualMouse-%08X", hash);
        g_mouse->shared = CreateMutexW(nullptr, FALSE, name);
        std::swprintf(name, 64, L"Local\\MirvostanVirtualMouseSaves-%08X", hash);
        g_mouse->generationMap = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG), name);
        if (g_mouse->generationMap)
            g_mouse->generation =
                static_cast<volatile LONG*>(MapViewOfFile(g_mouse->generationMap, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(LONG)));
    } else if (reason == DLL_PROCESS_DETACH && g_mouse) {
        if (g_mouse->log != INVALID_HANDLE_VALUE) CloseHandle(g_mouse->log);
        if (g_mouse->memoryFile != INVALID_HANDLE_VALUE) CloseHandle(g_mouse->memoryFile);
        if (g_mouse->shared) CloseHandle(g_mouse->shared);
        if (g_mouse->generation) UnmapViewOfFile(const_cast<LONG*>(g_mouse->generation));
        if (g_mouse->generationMap) CloseHandle(g_mouse->generationMap);
        DeleteCriticalSection(&g_mouse->lock);
        delete g_mouse;
        g_mouse = nullptr;
    }
    return TRUE;
}

}  // extern "C"
