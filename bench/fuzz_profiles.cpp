// Profile fuzzing, a command outside CI (bench/fuzz-profiles). Generates
// .mvf files from saved profiles (byte flips, truncation, deep nesting, huge
// numbers, DTDs and entities, wrong encodings) and runs each through the
// profile reader and through mirvostan-cli's import against the virtual
// mouse. File i is the same for every run, so a finding can be made again.
//
//   fuzz_profiles COUNT [--first N] [--limit-ms MS] [--replay FOLDER]
//   fuzz_profiles --emit FIRST COUNT FOLDER   (writes the files, for a corpus)
//
// A watcher process runs a worker and restarts it past a file that crashed
// it or outran the time limit. Per file the worker checks: a refused file
// leaves the table as it was and sends nothing to the mouse; an accepted one
// addresses every record to its own slot, and the mouse receives records in
// slot order and nothing else but the configuration request. Findings are
// copied to found\ beside the program; the summary goes to stdout.
#include <windows.h>
#include <objbase.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "VirtualMouseFiles.h"
#include "cli/Cli.h"
#include "config/RecordTable.h"
#include "files/Profile.h"
#include "keys/Commands.h"

namespace {

using Bytes = std::string;

// ---- generation -------------------------------------------------------------

std::string Utf8Of(const std::wstring& w) { return Utf8(w); }

Bytes ReadAll(const std::wstring& path) {
    std::vector<unsigned char> data;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return Bytes();
    DWORD size = GetFileSize(f, nullptr), got = 0;
    Bytes b(size, '\0');
    if (size) ReadFile(f, &b[0], size, &got, nullptr);
    CloseHandle(f);
    b.resize(got);
    return b;
}

bool WriteAll(const std::wstring& path, const Bytes& b) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    const bool ok = b.empty() || WriteFile(f, b.data(), static_cast<DWORD>(b.size()), &n, nullptr);
    CloseHandle(f);
    return ok;
}

// UTF-16LE bytes (a saved profile) to UTF-8 text, byte-order mark dropped.
std::string TextOfUtf16(const Bytes& b) {
    std::wstring w;
    for (size_t i = (b.size() >= 2 && b[0] == '\xFF' && b[1] == '\xFE') ? 2 : 0; i + 1 < b.size(); i += 2)
        w += static_cast<wchar_t>(static_cast<unsigned char>(b[i]) | (static_cast<unsigned char>(b[i + 1]) << 8));
    return Utf8Of(w);
}

std::string Compact(const RecordArray& t) {
    std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Mirvostan><Version>1</Version><MouseFun>";
    for (int s = 0; s < kRecordCount; ++s) {
        x += "<Button" + std::to_string(s) + ">";
        for (int j = 0; j < kRecordSize; ++j)
            x += "<Byte" + std::to_string(j) + ">" + std::to_string(t[s].bytes[j]) + "</Byte" + std::to_string(j) + ">";
        x += "</Button" + std::to_string(s) + ">\n";
    }
    return x + "</MouseFun></Mirvostan>\n";
}

struct Seeds {
    std::vector<std::string> texts;  // UTF-8 documents
    std::vector<Bytes> raw;          // as the program saved them
};

Seeds MakeSeeds(const std::wstring& dir) {
    Seeds seeds;
    RecordArray defaults = RecordTable::Defaults();
    RecordArray edited = defaults;
    EncodeCommand(edited[2], 2, 1, 2);
    edited[3].bytes[3] = 3;
    edited[3].bytes[4] = 0x05;
    edited[3].bytes[6] = 0x3E;
    for (const RecordArray* t : {&defaults, &edited}) {
        const std::wstring path = dir + L"seed.mvf";
        if (WriteProfileFile(path, *t)) {
            seeds.raw.push_back(ReadAll(path));
            seeds.texts.push_back(TextOfUtf16(seeds.raw.back()));
        }
        seeds.texts.push_back(Compact(*t));
    }
    return seeds;
}

class Mutator {
public:
    explicit Mutator(uint64_t index) : rng_(static_cast<uint32_t>(index * 2654435761u + 12345u)) {}

    Bytes Make(const Seeds& seeds) {
        // A saved file as it is, now and then, so that byte flips meet UTF-16.
        if (!seeds.raw.empty() && Pick(6) == 0) return Flip(seeds.raw[Pick(seeds.raw.size())]);
        std::string text = seeds.texts[Pick(seeds.texts.size())];
        const int steps = 1 + Pick(3);
        for (int i = 0; i < steps; ++i) Structure(text);
        Bytes b = Encode(text);
        if (Pick(2) == 0) b = Flip(b);
        if (Pick(7) == 0 && !b.empty()) b.resize(Pick(b.size()));
        return b;
    }

private:
    size_t Pick(size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng_) : 0; }

    // A random element's text, e.g. the value between <Byte4> and </Byte4>.
    bool FindValue(const std::string& t, size_t& from, size_t& to) {
        for (int tries = 0; tries < 8; ++tries) {
            const size_t at = t.find("<Byte", Pick(t.size()));
            if (at == std::string::npos) continue;
            from = t.find('>', at);
            if (from == std::string::npos) return false;
            ++from;
            to = t.find('<', from);
            return to != std::string::npos;
        }
        return false;
    }

    void Structure(std::string& t) {
        static const char* const kNumbers[] = {"99999999999999999999999", "-1", "4294967296", "2147483648", "-2147483649",
                                               "256", "0x1F", "1e9", " 7 ", "", "+3", "007", "3.5", "NaN", "１",
                                               "18446744073709551617", "-0", "\t255\n", "1 2"};
        static const char* const kVersions[] = {"0", "1", "2", "255", "-1", "1.0", " 1", "", "01", "4294967297", "x"};
        switch (Pick(11)) {
        case 0: {  // huge or strange numbers
            size_t from, to;
            if (FindValue(t, from, to)) t.replace(from, to - from, kNumbers[Pick(sizeof kNumbers / sizeof *kNumbers)]);
            break;
        }
        case 1: {  // deep nesting, around the buttons or inside one value
            static const size_t kDepths[] = {20, 300, 5000, 100000};
            const size_t depth = kDepths[Pick(4)];
            std::string open, close;
            for (size_t i = 0; i < depth; ++i) open += "<a>";
            for (size_t i = 0; i < depth; ++i) close += "</a>";
            size_t from, to;
            if (Pick(2) && FindValue(t, from, to)) {
                t.insert(to, close);
                t.insert(from, open);
            } else {
                const size_t a = t.find("<MouseFun>"), b = t.find("</MouseFun>");
                if (a != std::string::npos && b != std::string::npos) {
                    t.insert(b, close);
                    t.insert(a + 10, open);
                }
            }
            break;
        }
        case 2: {  // DTDs and entities
            static const char* const kDoctypes[] = {
                "<!DOCTYPE Mirvostan [<!ENTITY v \"9\">]>",
                "<!DOCTYPE Mirvostan SYSTEM \"file:///C:/windows/win.ini\">",
                "<!DOCTYPE Mirvostan [<!ENTITY x SYSTEM \"file:///C:/windows/win.ini\">]>",
                "<!DOCTYPE Mirvostan [<!ENTITY x SYSTEM \"http://127.0.0.1:9/x\">]>",
                "<!DOCTYPE Mirvostan [<!ENTITY % p SYSTEM \"file:///C:/nothing.dtd\"> %p;]>",
                "<!DOCTYPE Mirvostan [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
                "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">"
                "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\"><!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">]>",
                "<!DOCTYPE Mirvostan [<!ELEMENT Mirvostan ANY><!ATTLIST Byte0 v CDATA \"1\">]>",
                "<!DOCTYPE Mirvostan [<!ENTITY r \"&r;\">]>",
            };
            static const char* const kUses[] = {"&v;", "&x;", "&h;", "&r;", "&undefined;", "&#x31;", "&#0;", "&#xD800;"};
            const size_t decl = t.find("?>");
            t.insert(decl == std::string::npos ? 0 : decl + 2, kDoctypes[Pick(sizeof kDoctypes / sizeof *kDoctypes)]);
            size_t from, to;
            if (FindValue(t, from, to)) t.replace(from, to - from, kUses[Pick(sizeof kUses / sizeof *kUses)]);
            break;
        }
        case 3: {  // the version
            const size_t a = t.find("<Version>"), b = t.find("</Version>");
            if (a != std::string::npos && b != std::string::npos && b > a)
                t.replace(a + 9, b - a - 9, kVersions[Pick(sizeof kVersions / sizeof *kVersions)]);
            break;
        }
        case 4: {  // a button renamed: another slot, out of range, odd spelling
            static const char* const kNames[] = {"Button20", "Button-1", "Button007", "button3", "Button4294967296",
                                                 "Button19", "Button0"};
            const size_t at = t.find("<Button", Pick(t.size()));
            if (at == std::string::npos) break;
            const size_t end = t.find('>', at);
            const std::string old = t.substr(at + 1, end - at - 1);
            const std::string name = kNames[Pick(sizeof kNames / sizeof *kNames)];
            t.replace(at + 1, old.size(), name);
            const size_t close = t.find("</" + old + ">", at);
            if (close != std::string::npos) t.replace(close + 2, old.size(), name);
            break;
        }
        case 5: {  // an element twice, or cut out
            const size_t at = t.find("<Button", Pick(t.size()));
            if (at == std::string::npos) break;
            const size_t end = t.find('>', at);
            const std::string name = t.substr(at + 1, end - at - 1);
            const size_t close = t.find("</" + name + ">", at);
            if (close == std::string::npos) break;
            const std::string whole = t.substr(at, close + name.size() + 3 - at);
            if (Pick(2))
                t.insert(at, whole);
            else
                t.erase(at, whole.size());
            break;
        }
        case 6: {  // CDATA, comments, processing instructions, attributes in values
            static const char* const kJunk[] = {"<![CDATA[12]]>", "<!-- 3 -->4", "<?pi 5?>6", "7<b>8</b>", " ",
                                                "&lt;9&gt;", "\xC0\xAF", "\xEF\xBF\xBF"};
            size_t from, to;
            if (FindValue(t, from, to)) t.replace(from, to - from, kJunk[Pick(sizeof kJunk / sizeof *kJunk)]);
            break;
        }
        case 7: {  // namespaces and another document element
            static const char* const kRoots[] = {"<m:Mirvostan xmlns:m=\"urn:x\">", "<Other>", "<Mirvostan xmlns=\"urn:y\">",
                                                 "<Mirvostan a=\"1\" a=\"2\">"};
            const size_t at = t.find("<Mirvostan>");
            if (at != std::string::npos) t.replace(at, 11, kRoots[Pick(sizeof kRoots / sizeof *kRoots)]);
            break;
        }
        case 8: {  // a large file: one value very long
            size_t from, to;
            if (FindValue(t, from, to)) t.replace(from, to - from, std::string(1 + Pick(2000000), '7'));
            break;
        }
        case 9: {  // a chunk moved elsewhere
            if (t.size() < 4) break;
            const size_t a = Pick(t.size()), n = Pick(t.size() - a);
            const std::string chunk = t.substr(a, n);
            t.insert(Pick(t.size()), chunk);
            break;
        }
        default: {  // the declaration
            static const char* const kDecls[] = {"<?xml version=\"1.0\" encoding=\"UTF-16\"?>",
                                                 "<?xml version=\"1.0\" encoding=\"bogus\"?>",
                                                 "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>",
                                                 "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>",
                                                 "<?xml version=\"2.0\"?>", "", "<?xml?>"};
            const size_t end = t.find("?>");
            if (t.compare(0, 5, "<?xml") == 0 && end != std::string::npos)
                t.replace(0, end + 2, kDecls[Pick(sizeof kDecls / sizeof *kDecls)]);
            break;
        }
        }
    }

    Bytes Encode(const std::string& text) {
        std::wstring w;
        const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        w.resize(static_cast<size_t>(n > 0 ? n : 0));
        if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &w[0], n);
        Bytes b;
        switch (Pick(6)) {
        case 0:
            return "\xEF\xBB\xBF" + text;
        case 1:
        case 2: {  // UTF-16LE, with the mark or (sometimes) without
            if (Pick(3)) b = "\xFF\xFE";
            for (wchar_t c : w) {
                b += static_cast<char>(c & 0xFF);
                b += static_cast<char>(c >> 8);
            }
            return b;
        }
        case 3:  // UTF-16BE
            b = "\xFE\xFF";
            for (wchar_t c : w) {
                b += static_cast<char>(c >> 8);
                b += static_cast<char>(c & 0xFF);
            }
            return b;
        default:
            return text;
        }
    }

    Bytes Flip(Bytes b) {
        if (b.empty()) return b;
        const int flips = 1 + static_cast<int>(Pick(4));
        for (int i = 0; i < flips; ++i) b[Pick(b.size())] ^= static_cast<char>(1 + Pick(255));
        return b;
    }

    std::mt19937 rng_;
};

// ---- the worker ---------------------------------------------------------------

struct Shared {  // in a named mapping between watcher and worker
    volatile LONG64 current;  // the file being checked, -1 between files
    volatile LONG64 done;     // files finished
    volatile LONG violations;
    volatile LONG64 imported;  // files the import took (the rest were refused)
};

std::wstring Dir() { return vmouse::Dir(); }

void Note(const std::wstring& file, const std::string& what, uint64_t index, const Bytes& bytes, Shared* shared) {
    CreateDirectoryW((Dir() + L"found").c_str(), nullptr);
    WriteAll(Dir() + L"found\\" + std::to_wstring(index) + L"-" + file + L".mvf", bytes);
    std::printf("file %llu: %s\n", static_cast<unsigned long long>(index), what.c_str());
    std::fflush(stdout);
    InterlockedIncrement(&shared->violations);
}

// The events since the mark that reached the mouse or opened it.
struct Traffic {
    int opens = 0;
    std::string problem;
};

Traffic Check(const vmouse::Transcript& t, bool accepted) {
    Traffic traffic;
    int next = 0;  // the slot the next record must address
    for (const vmouse::Event& e : t.Events()) {
        if (e.kind == "open") ++traffic.opens;
        if (e.kind != "out") continue;
        const vmouse::Bytes& b = e.bytes;
        if (b[0] != 0 || b[1] != 4) traffic.problem = "a report not of the record command: " + vmouse::Hex(b);
        else if (b[2] == 0xAA && b[3] == 0x55) continue;
        else if (b[2] >= 20) traffic.problem = "a report for slot byte " + std::to_string(b[2]);
        else if (b[2] != next % 20) traffic.problem = "slot " + std::to_string(b[2]) + " where " + std::to_string(next % 20) + " was due";
        ++next;
    }
    if (!accepted && (traffic.opens || next)) traffic.problem = "a refused file reached the mouse";
    if (accepted && next < 20) traffic.problem = "an import that succeeded sent " + std::to_string(next) + " records";
    return traffic;
}

int Worker(uint64_t first, uint64_t count, const std::wstring& mapName, const std::wstring& replay) {
    HANDLE map = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, mapName.c_str());
    if (!map) return 3;
    auto* shared = static_cast<Shared*>(MapViewOfFile(map, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Shared)));
    if (!shared) return 3;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const Seeds seeds = MakeSeeds(Dir());
    if (seeds.texts.empty()) return 3;
    std::vector<std::wstring> corpus;
    if (!replay.empty()) {
        WIN32_FIND_DATAW fd;
        HANDLE find = FindFirstFileW((replay + L"\\*.mvf").c_str(), &fd);
        if (find != INVALID_HANDLE_VALUE) {
            do corpus.push_back(replay + L"\\" + fd.cFileName);
            while (FindNextFileW(find, &fd));
            FindClose(find);
        }
        count = corpus.size();
    }
    const std::wstring path = Dir() + L"case.mvf";
    for (uint64_t i = first; i < first + count; ++i) {
        if (i % 200 == 0) {
            // The transcript would grow by gigabytes; each file reads only its own part.
            HANDLE log = CreateFileW(vmouse::TranscriptPath().c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
            if (log != INVALID_HANDLE_VALUE) {
                SetEndOfFile(log);
                CloseHandle(log);
            }
        }
        shared->current = static_cast<LONG64>(i);
        const Bytes bytes = corpus.empty() ? Mutator(i).Make(seeds) : ReadAll(corpus[i]);
        WriteAll(path, bytes);
        // The reader alone: a refusal keeps the table, an acceptance
        // addresses every record to its own slot.
        RecordArray table;
        for (FunctionRecord& r : table) std::memset(r.bytes, 0xA5, sizeof r.bytes);
        const RecordArray before = table;
        const ProfileStatus status = ReadProfileFile(path, table);
        const bool accepted = status == ProfileStatus::Accepted;
        if (!accepted && std::memcmp(table.data(), before.data(), sizeof table) != 0)
            Note(L"reader", "a refused file changed the table", i, bytes, shared);
        if (accepted)
            for (int s = 0; s < kRecordCount; ++s)
                if (table[s].bytes[0] != 0 || table[s].bytes[1] != 4 || table[s].bytes[2] != s) {
                    Note(L"reader", "record " + std::to_string(s) + " not addressed to its slot", i, bytes, shared);
                    break;
                }
        // The command line's import, on the virtual mouse.
        vmouse::Transcript t;
        std::string out, err;
        const int code = RunCli({L"import", path}, out, err);
        const Traffic traffic = Check(t, code == 0);
        if (!traffic.problem.empty()) Note(L"import", traffic.problem, i, bytes, shared);
        if (code != 0 && code != 4)
            Note(L"import", "exit " + std::to_string(code) + ": " + err, i, bytes, shared);
        if (code == 0 && !accepted) Note(L"import", "imported what the reader refused", i, bytes, shared);
        if (code == 0) InterlockedIncrement64(&shared->imported);
        shared->current = -1;
        InterlockedIncrement64(&shared->done);
    }
    return 0;
}

// ---- the watcher --------------------------------------------------------------

int Watch(uint64_t first, uint64_t count, DWORD limitMs, const std::wstring& replay) {
    // Named per watcher, so two runs side by side keep apart.
    const std::wstring mapName = L"Local\\MirvostanFuzz-" + std::to_wstring(GetCurrentProcessId());
    HANDLE map = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Shared), mapName.c_str());
    auto* shared = static_cast<Shared*>(MapViewOfFile(map, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Shared)));
    if (!shared) return 3;
    shared->done = 0;
    shared->violations = 0;
    shared->imported = 0;
    vmouse::Write(vmouse::FactoryMemory(), vmouse::Faults{});
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    uint64_t next = first, crashes = 0, hangs = 0;
    const uint64_t end = first + count;
    const double start = Now();
    double slowest = 0;
    bool replaying = !replay.empty();
    while (next < end || replaying) {
        shared->current = -1;
        std::wstring cmd = L"\"" + std::wstring(self) + L"\" --worker " + std::to_wstring(next) + L" " +
                           std::to_wstring(end - next) + L" " + mapName + (replaying ? L" --replay \"" + replay + L"\"" : L"");
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, Dir().c_str(), &si, &pi)) return 3;
        LONG64 seen = -2;
        double since = Now();
        for (;;) {
            if (WaitForSingleObject(pi.hProcess, 20) == WAIT_OBJECT_0) break;
            const LONG64 now = shared->current;
            if (now != seen) {
                if (seen >= 0 && Now() - since > slowest) slowest = Now() - since;
                seen = now;
                since = Now();
            } else if (now >= 0 && Now() - since > limitMs) {
                TerminateProcess(pi.hProcess, 0xDEAD);
                WaitForSingleObject(pi.hProcess, 10000);
                break;
            }
        }
        DWORD exitCode = 0;
        GetExitCodeProcess(pi.hProcess, &exitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        const LONG64 at = shared->current;
        if (exitCode == 0 && at < 0) break;  // all done
        if (at < 0) {
            std::printf("worker failed to start (exit 0x%08lX)\n", exitCode);
            return 3;
        }
        if (exitCode == 0xDEAD) {
            ++hangs;
            std::printf("file %lld: no answer within %lu ms (hang)\n", at, limitMs);
        } else {
            ++crashes;
            std::printf("file %lld: the worker ended with 0x%08lX (crash)\n", at, exitCode);
        }
        std::fflush(stdout);
        if (!replaying) {
            CreateDirectoryW((Dir() + L"found").c_str(), nullptr);
            WriteAll(Dir() + L"found\\" + std::to_wstring(at) + L"-" + (exitCode == 0xDEAD ? L"hang" : L"crash") + L".mvf",
                     ReadAll(Dir() + L"case.mvf"));
        }
        next = static_cast<uint64_t>(at) + 1;
        if (replaying) break;  // a replay reports, it does not go on
    }
    const double seconds = (Now() - start) / 1000;
    std::printf("files %lld (%lld imported, the rest refused), crashes %llu, hangs %llu, check failures %ld, %.1f s "
                "(%.1f ms a file, slowest %.0f ms), time limit %lu ms a file\n",
                shared->done, shared->imported, static_cast<unsigned long long>(crashes), static_cast<unsigned long long>(hangs),
                shared->violations, seconds, shared->done ? seconds * 1000 / shared->done : 0.0, slowest, limitMs);
    return crashes || hangs || shared->violations ? 1 : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    std::vector<std::wstring> args(argv + 1, argv + argc);
    std::wstring replay;
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == L"--replay") replay = args[i + 1];
    if (args.size() == 4 && args[0] == L"--emit") {
        // Files as the fuzzer makes them, to pick a corpus from.
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        const Seeds seeds = MakeSeeds(Dir());
        const uint64_t from = std::wcstoull(args[1].c_str(), nullptr, 10), n = std::wcstoull(args[2].c_str(), nullptr, 10);
        for (uint64_t i = from; i < from + n; ++i)
            if (!WriteAll(args[3] + L"\\" + std::to_wstring(i) + L".mvf", Mutator(i).Make(seeds))) return 1;
        return 0;
    }
    if (args.size() >= 4 && args[0] == L"--worker")
        return Worker(std::wcstoull(args[1].c_str(), nullptr, 10), std::wcstoull(args[2].c_str(), nullptr, 10), args[3],
                      replay);
    uint64_t count = 1000, first = 0;
    DWORD limit = 10000;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == L"--first" && i + 1 < args.size()) first = std::wcstoull(args[++i].c_str(), nullptr, 10);
        else if (args[i] == L"--limit-ms" && i + 1 < args.size()) limit = std::wcstoul(args[++i].c_str(), nullptr, 10);
        else if (args[i] == L"--replay") ++i;
        else count = std::wcstoull(args[i].c_str(), nullptr, 10);
    }
    return Watch(first, count, limit, replay);
}
