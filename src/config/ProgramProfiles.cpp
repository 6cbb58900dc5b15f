#include "config/ProgramProfiles.h"
#include "i18n/SettingsFile.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

const wchar_t* const ProgramProfiles::kSection = L"Profiles";

namespace {

// One rule per key: "Rule<n>=<program>|<profile>". '|' cannot occur in a
// Windows file name or path, so it splits the pair safely.
const wchar_t kFollowKey[] = L"Follow";
const wchar_t kDefaultKey[] = L"Default";
const wchar_t kRulePrefix[] = L"Rule";
const wchar_t kSplit = L'|';

// The whole section as "key=value" lines. Grows the buffer until the
// section fits (the call reports size - 2 when it was cut).
std::vector<std::wstring> ReadSection(const std::wstring& iniPath) {
    std::vector<wchar_t> buffer(4096);
    DWORD n = 0;
    for (;;) {
        n = GetPrivateProfileSectionW(ProgramProfiles::kSection, buffer.data(), static_cast<DWORD>(buffer.size()),
                                      iniPath.c_str());
        if (n + 2 < buffer.size() || buffer.size() >= (1u << 22)) break;
        buffer.resize(buffer.size() * 4);
    }
    std::vector<std::wstring> lines;
    for (DWORD at = 0; at < n && buffer[at];) {
        std::wstring line(&buffer[at]);
        at += static_cast<DWORD>(line.size()) + 1;
        lines.push_back(line);
    }
    return lines;
}

// A missing settings file would be created in the 8-bit code page, which
// loses every character outside it; start it as UTF-16 instead.
bool Usable(const std::wstring& s) {
    // Surrounding blanks would not survive the ini file; the split mark
    // and line breaks would break the line apart.
    if (s.empty() || s.front() == L' ' || s.back() == L' ') return false;
    return s.find_first_of(L"|\r\n") == std::wstring::npos;
}

}  // namespace

bool SameProgram(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring FileNameOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring ProfileName(const std::wstring& path) {
    std::wstring name = FileNameOf(path);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0 && CompareStringOrdinal(name.c_str() + dot, -1, L".mvf", -1, TRUE) == CSTR_EQUAL)
        name.erase(dot);
    return name;
}

std::vector<std::wstring> ProgramProfiles::Choices() const {
    std::vector<std::wstring> choices;
    auto add = [&](const std::wstring& path) {
        if (path.empty()) return;
        for (const std::wstring& c : choices)
            if (CompareStringOrdinal(c.c_str(), -1, path.c_str(), -1, TRUE) == CSTR_EQUAL) return;
        choices.push_back(path);
    };
    add(defaultProfile_);
    for (const ProgramRule& rule : rules_) add(rule.profile);
    return choices;
}

bool ProfileFileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int ProgramProfiles::SetRule(const std::wstring& program, const std::wstring& profile) {
    if (!Usable(program) || !Usable(profile)) return 0;
    for (ProgramRule& rule : rules_) {
        if (!SameProgram(rule.program, program)) continue;
        rule.profile = profile;
        return 1;
    }
    if (rules_.size() >= kMaxRules) return 0;
    rules_.push_back(ProgramRule{program, profile});
    return 1;
}

int ProgramProfiles::RemoveRule(size_t index) {
    if (index >= rules_.size()) return 0;
    rules_.erase(rules_.begin() + static_cast<std::ptrdiff_t>(index));
    return 1;
}

std::wstring ProgramProfiles::ProfileFor(const std::wstring& program, FileExists exists) const {
    if (!exists) exists = ProfileFileExists;
    for (const ProgramRule& rule : rules_)
        if (SameProgram(rule.program, program) && exists(rule.profile)) return rule.profile;
    if (!defaultProfile_.empty() && exists(defaultProfile_)) return defaultProfile_;
    return std::wstring();
}

int ProgramProfiles::Load(const std::wstring& iniPath) {
    rules_.clear();
    defaultProfile_.clear();
    follow_ = false;
    if (iniPath.empty()) return 0;
    const size_t prefix = wcslen(kRulePrefix);
    for (const std::wstring& line : ReadSection(iniPath)) {
        size_t eq = line.find(L'=');
        if (eq == std::wstring::npos) continue;
        std::wstring key = line.substr(0, eq), value = line.substr(eq + 1);
        if (SameProgram(key, kFollowKey)) {
            follow_ = std::wcstol(value.c_str(), nullptr, 10) != 0;
        } else if (SameProgram(key, kDefaultKey)) {
            defaultProfile_ = value;
        } else if (key.size() > prefix && CompareStringOrdinal(key.c_str(), static_cast<int>(prefix), kRulePrefix,
                                                                static_cast<int>(prefix), TRUE) == CSTR_EQUAL) {
            size_t split = value.find(kSplit);
            if (split != std::wstring::npos) SetRule(value.substr(0, split), value.substr(split + 1));
        }
    }
    return 1;
}

int ProgramProfiles::Save(const std::wstring& iniPath) const {
    if (iniPath.empty()) return 0;
    // Written in an 8-bit file, a path outside its code page would be lost.
    if (!EnsureUnicodeSettings(iniPath)) return 0;
    // The section is replaced as a whole, so a rule removed from the list
    // leaves no key behind. Lines are separated by NULs, the block ends
    // with two.
    std::wstring block;
    block += std::wstring(kFollowKey) + L"=" + (follow_ ? L"1" : L"0") + L'\0';
    if (!defaultProfile_.empty()) block += std::wstring(kDefaultKey) + L"=" + defaultProfile_ + L'\0';
    for (size_t i = 0; i < rules_.size(); ++i)
        block += kRulePrefix + std::to_wstring(i + 1) + L"=" + rules_[i].program + kSplit + rules_[i].profile + L'\0';
    block += L'\0';
    if (!WritePrivateProfileSectionW(kSection, block.c_str(), iniPath.c_str())) return 0;
    // A file in an 8-bit code page takes the write but loses characters.
    ProgramProfiles back;
    back.Load(iniPath);
    if (back.follow_ != follow_ || back.defaultProfile_ != defaultProfile_ || back.rules_.size() != rules_.size())
        return 0;
    for (size_t i = 0; i < rules_.size(); ++i)
        if (back.rules_[i].program != rules_[i].program || back.rules_[i].profile != rules_[i].profile) return 0;
    return 1;
}

void ForegroundSettle::OnForeground(uint32_t now, const std::wstring& program, bool ownWindow) {
    if (ownWindow || program.empty()) {
        waiting_ = false;
        pending_.clear();
        return;
    }
    // Another window of the program already waiting keeps its start time.
    if (waiting_ && SameProgram(pending_, program)) return;
    pending_ = program;
    since_ = now;
    waiting_ = true;
}

int32_t ForegroundSettle::WaitMs(uint32_t now) const {
    if (!waiting_) return -1;
    uint32_t passed = now - since_;  // wraps with the tick count
    return passed >= kSettleMs ? 0 : static_cast<int32_t>(kSettleMs - passed);
}

int ForegroundSettle::Poll(uint32_t now, std::wstring& settled) {
    if (!waiting_ || now - since_ < kSettleMs) return 0;
    waiting_ = false;
    std::wstring program;
    program.swap(pending_);
    // Back and forth to the program that was already in front: nothing new.
    if (!current_.empty() && SameProgram(current_, program)) return 0;
    current_ = program;
    settled = program;
    return 1;
}

void ForegroundSettle::Reset() {
    current_.clear();
    pending_.clear();
    waiting_ = false;
}
