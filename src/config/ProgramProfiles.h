// Profiles that follow the program in front: which profile file belongs to
// which program, where those rules are kept in AppCfg.ini, and when the
// program in front has settled long enough for a switch. No windows here;
// the follower in the user interface feeds this with what it sees.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "config/FunctionRecord.h"

struct ProgramRule {
    std::wstring program;  // file name of the executable, "game.exe"
    std::wstring profile;  // full path of its .mvf file
};

class ProgramProfiles {
public:
    static constexpr size_t kMaxRules = 64;
    // The section of AppCfg.ini that holds the rules.
    static const wchar_t* const kSection;

    // 1 added, or the program's rule now names this profile; 0 when the
    // list is full or either part is empty. Programs compare without case.
    int SetRule(const std::wstring& program, const std::wstring& profile);
    // 1 removed, 0 no such index.
    int RemoveRule(size_t index);
    const std::vector<ProgramRule>& Rules() const { return rules_; }

    // Profile for every program without a rule; empty for none.
    const std::wstring& DefaultProfile() const { return defaultProfile_; }
    void SetDefaultProfile(const std::wstring& path) { defaultProfile_ = path; }
    // "Switch profiles with the active program"; off until the user turns it on.
    bool Follow() const { return follow_; }
    void SetFollow(bool on) { follow_ = on; }

    // The profiles a user can pick from: the default, then each rule's,
    // each file once.
    std::vector<std::wstring> Choices() const;

    // The profile the program asks for: its rule's file, else the default.
    // A file that does not exist is passed over; "" when nothing is left.
    using FileExists = bool (*)(const std::wstring& path);
    std::wstring ProfileFor(const std::wstring& program, FileExists exists = nullptr) const;

    // The whole section, read and written in one go. Load: 1 read (a missing
    // section gives the empty list, follow off). Save: 1 when every value
    // reads back as written, 0 otherwise (e.g. a file that is not Unicode
    // lost characters). A missing file is created as UTF-16 so that it can
    // keep any path.
    int Load(const std::wstring& iniPath);
    int Save(const std::wstring& iniPath) const;

private:
    std::vector<ProgramRule> rules_;
    std::wstring defaultProfile_;
    bool follow_ = false;
};

// True when the two names are the same file name, ignoring case.
bool SameProgram(const std::wstring& a, const std::wstring& b);
// "C:\Games\Game.exe" -> "Game.exe".
std::wstring FileNameOf(const std::wstring& path);
// A profile's name for the user: "C:\p\game.mvf" -> "game".
std::wstring ProfileName(const std::wstring& path);
bool ProfileFileExists(const std::wstring& path);

// Tells when the program in front has stayed the same for kSettleMs. Fed
// with every foreground change and asked on a timer; knows nothing of
// windows, so tests drive it with made-up times.
class ForegroundSettle {
public:
    static constexpr uint32_t kSettleMs = 500;

    // A window came to the front. One of the program's own windows changes
    // nothing that has settled, and cancels a change still waiting.
    void OnForeground(uint32_t now, const std::wstring& program, bool ownWindow);
    // 1 and the program when one other than the last settled one has now
    // stayed in front long enough (reported once); 0 otherwise.
    int Poll(uint32_t now, std::wstring& settled);
    // Milliseconds until Poll can report, or -1 when nothing waits.
    int32_t WaitMs(uint32_t now) const;
    // Forget what settled, so the next program in front counts as new
    // (used when following is turned on again).
    void Reset();
    const std::wstring& Current() const { return current_; }

private:
    std::wstring current_;
    std::wstring pending_;
    uint32_t since_ = 0;
    bool waiting_ = false;
};
