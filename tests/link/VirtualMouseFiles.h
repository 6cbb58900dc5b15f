// The virtual mouse's two files beside the test program: its memory and
// fault switches (written before a case), and its transcript (read after).
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config/RecordTable.h"

namespace vmouse {

using Bytes = std::array<uint8_t, 9>;

struct Memory {
    std::array<Bytes, 20> records;
    unsigned dpi = 3;
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
    int lateAnswerMs = 0;
    int corruptSlot = -1;
    int corruptByte = 4;
    int readsOutliveClose = 0;
    int unplugAt = 0;
    int silentSlot = -1;
    int goneError = 0;
};

struct Event {
    std::string kind;  // open, open-refused, close, out, out-failed, in, in-lost
    std::string text;  // the rest of the line
    Bytes bytes{};     // for reports
    double ms = 0;     // time of day
};

inline std::wstring Dir() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

inline std::wstring MemoryPath() { return Dir() + L"VirtualMouse.txt"; }
inline std::wstring TranscriptPath() { return Dir() + L"VirtualMouse.log"; }

inline Bytes ToBytes(const FunctionRecord& r) {
    Bytes b;
    for (int i = 0; i < 9; ++i) b[i] = r.bytes[i];
    return b;
}

inline Memory FactoryMemory() {
    Memory m;
    RecordArray defaults = RecordTable::Defaults();
    for (int s = 0; s < 20; ++s) m.records[s] = ToBytes(defaults[s]);
    m.dpi = 3;
    return m;
}

inline std::string Hex(const Bytes& b) {
    std::string s;
    char x[4];
    for (size_t i = 0; i < b.size(); ++i) {
        std::snprintf(x, sizeof x, i ? " %02X" : "%02X", b[i]);
        s += x;
    }
    return s;
}

inline void Write(const Memory& m, const Faults& f) {
    std::ostringstream out;
    for (int s = 0; s < 20; ++s) out << "record " << s << ' ' << Hex(m.records[s]) << "\n";
    out << "dpi " << m.dpi << "\n"
        << "absent " << f.absent << "\n"
        << "fail-writes-from " << f.failWritesFrom << "\n"
        << "fail-reads " << f.failReads << "\n"
        << "lose-read " << f.loseRead << "\n"
        << "no-echo " << f.noEcho << "\n"
        << "latency-ms " << f.latencyMs << "\n"
        << "input-length " << f.inputLength << "\n"
        << "output-length " << f.outputLength << "\n"
        << "read-timeout-ms " << f.readTimeoutMs << "\n"
        << "late-answer-ms " << f.lateAnswerMs << "\n"
        << "corrupt-slot " << f.corruptSlot << "\n"
        << "corrupt-byte " << f.corruptByte << "\n"
        << "reads-outlive-close " << f.readsOutliveClose << "\n"
        << "unplug-at " << f.unplugAt << "\n"
        << "silent-slot " << f.silentSlot << "\n"
        << "gone-error " << f.goneError << "\n";
    std::ofstream file(MemoryPath().c_str(), std::ios::binary | std::ios::trunc);
    file << out.str();
}

inline bool ParseBytes(std::istream& in, Bytes& b) {
    for (auto& x : b) {
        unsigned v;
        if (!(in >> std::hex >> v)) return false;
        x = static_cast<uint8_t>(v);
    }
    in >> std::dec;
    return true;
}

inline Memory ReadMemory() {
    Memory m = FactoryMemory();
    std::ifstream file(MemoryPath().c_str(), std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream in(line);
        std::string key;
        in >> key;
        if (key == "record") {
            int slot = -1;
            Bytes b;
            if (in >> slot && slot >= 0 && slot < 20 && ParseBytes(in, b)) m.records[slot] = b;
        } else if (key == "dpi") {
            in >> m.dpi;
        }
    }
    return m;
}

inline uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a)) return 0;
    return (static_cast<uint64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

// The transcript grows for the whole run; a case reads what came after its mark.
class Transcript {
public:
    Transcript() : mark_(FileSize(TranscriptPath())) {}

    std::vector<Event> Events() const {
        std::vector<Event> events;
        std::ifstream file(TranscriptPath().c_str(), std::ios::binary);
        file.seekg(static_cast<std::streamoff>(mark_));
        std::string line;
        while (std::getline(file, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::istringstream in(line);
            std::string date, time;
            Event e;
            if (!(in >> date >> time >> e.kind)) continue;
            int h = 0, m = 0;
            double sec = 0;
            if (std::sscanf(time.c_str(), "%d:%d:%lf", &h, &m, &sec) == 3) e.ms = (h * 60.0 + m) * 60000.0 + sec * 1000.0;
            std::getline(in, e.text);
            if (!e.text.empty() && e.text[0] == ' ') e.text.erase(0, 1);
            if (e.kind == "out" || e.kind == "out-failed" || e.kind == "in" || e.kind == "in-lost") {
                std::istringstream bytes(e.text);
                ParseBytes(bytes, e.bytes);
            }
            events.push_back(e);
        }
        return events;
    }

    // Reports of one kind, in order.
    std::vector<Bytes> Reports(const std::string& kind) const {
        std::vector<Bytes> r;
        for (const Event& e : Events())
            if (e.kind == kind) r.push_back(e.bytes);
        return r;
    }

    std::vector<std::string> Texts(const std::string& kind) const {
        std::vector<std::string> r;
        for (const Event& e : Events())
            if (e.kind == kind) r.push_back(e.text);
        return r;
    }

private:
    uint64_t mark_;
};

}  // namespace vmouse
