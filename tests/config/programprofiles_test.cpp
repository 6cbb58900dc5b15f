// Rules that pick a profile for the program in front, their place in
// AppCfg.ini, and the settle time before a switch.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "FileBytes.h"
#include "config/ProgramProfiles.h"
#include "config/RecordTable.h"

namespace {

std::wstring Here(const std::wstring& name) {
    wchar_t dir[MAX_PATH];
    DWORD n = GetCurrentDirectoryW(MAX_PATH, dir);
    return std::wstring(dir, n) + L"\\" + name;
}

// Starts afresh: no file, and nothing the profile functions cached.
std::wstring FreshIni(const std::wstring& name) {
    std::wstring path = Here(name);
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
    DeleteFileW(path.c_str());
    return path;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(f);
}

std::set<std::wstring> g_existing;
bool Exists(const std::wstring& path) { return g_existing.count(path) != 0; }

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

}  // namespace

TEST(ProgramProfiles, ChoosesTheRuleThenTheDefaultAndPassesOverMissingFiles) {
    ProgramProfiles p;
    ASSERT_EQ(p.SetRule(L"game.exe", L"C:\\p\\game.mvf"), 1);
    ASSERT_EQ(p.SetRule(L"Editor.EXE", L"C:\\p\\edit.mvf"), 1);
    ASSERT_EQ(p.SetRule(L"gone.exe", L"C:\\p\\gone.mvf"), 1);
    const struct {
        const wchar_t* program;
        const wchar_t* defaultProfile;
        const wchar_t* expected;
    } rows[] = {
        {L"game.exe", L"", L"C:\\p\\game.mvf"},
        {L"GAME.EXE", L"", L"C:\\p\\game.mvf"},
        {L"editor.exe", L"C:\\p\\def.mvf", L"C:\\p\\edit.mvf"},
        {L"other.exe", L"C:\\p\\def.mvf", L"C:\\p\\def.mvf"},
        {L"other.exe", L"", L""},
        {L"game", L"", L""},                                    // a name, not a prefix
        {L"gone.exe", L"C:\\p\\def.mvf", L"C:\\p\\def.mvf"},  // its file is missing
        {L"gone.exe", L"", L""},
        {L"other.exe", L"C:\\p\\missing-default.mvf", L""},
    };
    g_existing = {L"C:\\p\\game.mvf", L"C:\\p\\edit.mvf", L"C:\\p\\def.mvf"};
    for (const auto& r : rows) {
        p.SetDefaultProfile(r.defaultProfile);
        EXPECT_EQ(p.ProfileFor(r.program, Exists), r.expected) << Narrow(r.program) << " / " << Narrow(r.defaultProfile);
    }
}

TEST(ProgramProfiles, KeepsOneRulePerProgramAndAtMost64) {
    ProgramProfiles p;
    for (int i = 0; i < 64; ++i) ASSERT_EQ(p.SetRule(L"p" + std::to_wstring(i) + L".exe", L"C:\\x.mvf"), 1) << i;
    EXPECT_EQ(p.SetRule(L"one-too-many.exe", L"C:\\x.mvf"), 0);
    EXPECT_EQ(p.SetRule(L"P7.EXE", L"C:\\seven.mvf"), 1) << "a full list still takes a changed profile";
    EXPECT_EQ(p.Rules().size(), 64u);
    EXPECT_EQ(p.Rules()[7].profile, L"C:\\seven.mvf");
    EXPECT_EQ(p.RemoveRule(64), 0);
    EXPECT_EQ(p.RemoveRule(0), 1);
    EXPECT_EQ(p.SetRule(L"one-too-many.exe", L"C:\\x.mvf"), 1);
    for (const wchar_t* bad : {L"", L"a|b.exe", L" lead.exe"}) EXPECT_EQ(p.SetRule(bad, L"C:\\x.mvf"), 0) << Narrow(bad);
    EXPECT_EQ(p.SetRule(L"ok.exe", L""), 0);
}

// The settings file keeps paths with spaces and any character, rewrites the
// section as a whole, and leaves the other sections alone.
TEST(ProgramProfiles, RoundTripsThroughAppCfgWithNonAsciiPaths) {
    const std::wstring paths[] = {
        L"C:\\Users\\Jürgen\\Mes profils\\jeu été.mvf",
        L"D:\\游戏\\配置 1.mvf",
        L"E:\\Профили\\shooter \U0001F3AE.mvf",
    };
    // A file edited in an old editor is converted first, every line kept.
    const std::wstring shipped = L"[Germany]\r\nSTR_ID_SAVE=Größe\r\n";
    const std::string utf8 = "[Germany]\r\nSTR_ID_SAVE=Gr\xC3\xB6\xC3\x9F" "e\r\n";
    struct Case {
        const char* what;
        std::string bytes;  // empty: no file yet
    } cases[] = {
        {"no file yet", ""},
        {"UTF-16 file", "\xFF\xFE" + std::string(reinterpret_cast<const char*>(shipped.data()), shipped.size() * 2)},
        {"8-bit file", "[Germany]\r\nSTR_ID_SAVE=Gr\xF6\xDF" "e\r\n"},
        {"UTF-8 file", utf8},
        {"UTF-8 file with a mark", "\xEF\xBB\xBF" + utf8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::wstring ini = FreshIni(L"roundtrip.ini");
        if (!c.bytes.empty()) WriteBytes(ini, c.bytes);
        ProgramProfiles p;
        p.SetRule(L"Spiel.exe", paths[0]);
        p.SetRule(L"游戏.exe", paths[1]);
        p.SetRule(L"shoot.exe", paths[2]);
        p.SetRule(L"removed.exe", paths[0]);
        p.SetDefaultProfile(paths[1]);
        p.SetFollow(true);
        ASSERT_EQ(p.Save(ini), 1);
        p.RemoveRule(3);
        ASSERT_EQ(p.Save(ini), 1);

        std::vector<unsigned char> bytes = ReadBytes(ini);
        ASSERT_GE(bytes.size(), 2u);
        EXPECT_TRUE(bytes[0] == 0xFF && bytes[1] == 0xFE) << "the file must stay UTF-16";
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini.c_str());
        ProgramProfiles back;
        ASSERT_EQ(back.Load(ini), 1);
        EXPECT_TRUE(back.Follow());
        EXPECT_EQ(back.DefaultProfile(), paths[1]);
        ASSERT_EQ(back.Rules().size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(back.Rules()[i].program, p.Rules()[i].program) << i;
            EXPECT_EQ(back.Rules()[i].profile, paths[i]) << i;
        }
        wchar_t left[64] = {};
        GetPrivateProfileStringW(ProgramProfiles::kSection, L"Rule4", L"", left, 64, ini.c_str());
        EXPECT_STREQ(left, L"") << "a removed rule leaves no key";
        if (!c.bytes.empty()) {
            GetPrivateProfileStringW(L"Germany", L"STR_ID_SAVE", L"", left, 64, ini.c_str());
            EXPECT_STREQ(left, L"Größe");
        }
    }
}

// Each row: events and polls in time order; a poll expects the program it
// reports ("" = nothing).
TEST(ForegroundSettle, SwitchesOnlyAfterTheProgramStayedInFront) {
    struct Step {
        char kind;  // 'f' foreground, 'o' own window, 'p' poll
        uint32_t t;
        const wchar_t* program;  // foreground: who; poll: the expected result
    };
    const struct {
        const char* what;
        std::vector<Step> steps;
    } rows[] = {
        {"settles after 500 ms, once", {{'f', 0, L"a.exe"}, {'p', 499, L""}, {'p', 500, L"a.exe"}, {'p', 900, L""}}},
        {"a second change restarts the wait",
         {{'f', 0, L"a.exe"}, {'f', 300, L"b.exe"}, {'p', 600, L""}, {'p', 800, L"b.exe"}}},
        {"back and forth within 500 ms changes nothing",
         {{'f', 0, L"a.exe"}, {'p', 500, L"a.exe"}, {'f', 1000, L"b.exe"}, {'f', 1200, L"a.exe"}, {'f', 1400, L"b.exe"},
          {'f', 1450, L"A.EXE"}, {'p', 1950, L""}, {'p', 5000, L""}}},
        {"the program's own windows change nothing",
         {{'f', 0, L"a.exe"}, {'p', 500, L"a.exe"}, {'o', 1000, L""}, {'p', 2000, L""}, {'f', 2100, L"a.exe"},
          {'p', 2700, L""}}},
        {"an own window cancels a change still waiting",
         {{'f', 0, L"a.exe"}, {'p', 500, L"a.exe"}, {'f', 1000, L"b.exe"}, {'o', 1200, L""}, {'p', 1600, L""},
          {'f', 1700, L"b.exe"}, {'p', 2100, L""}, {'p', 2200, L"b.exe"}}},
        {"another window of the waiting program keeps its start",
         {{'f', 0, L"b.exe"}, {'f', 400, L"B.exe"}, {'p', 500, L"b.exe"}}},
        {"the tick count wraps", {{'f', 0xFFFFFF00u, L"a.exe"}, {'p', 0x00000050u, L""}, {'p', 0x000001F4u, L"a.exe"}}},
    };
    for (const auto& row : rows) {
        ForegroundSettle s;
        for (size_t i = 0; i < row.steps.size(); ++i) {
            const Step& st = row.steps[i];
            if (st.kind != 'p') {
                s.OnForeground(st.t, st.program, st.kind == 'o');
                continue;
            }
            std::wstring got;
            int reported = s.Poll(st.t, got);
            EXPECT_EQ(reported ? got : L"", st.program) << row.what << ", step " << i;
        }
    }
}
