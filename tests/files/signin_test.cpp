// Starting at sign-in: the Run value names this program hidden, or it does
// not count, and switching it off removes it.
#include <gtest/gtest.h>
#include <windows.h>

#include "files/SignIn.h"

namespace {

const wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

void WriteRaw(const wchar_t* value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kRun, L"Mirvostan", REG_SZ, value,
                    static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
}

TEST(SignIn, OnlyThisProgramStartedHiddenCountsAndTheSwitchReplacesOrRemoves) {
    const std::wstring exe = L"C:\\Programs\\Mirvostan\\Mirvostan.exe";
    EXPECT_EQ(signin::CommandFor(exe), L"\"C:\\Programs\\Mirvostan\\Mirvostan.exe\" --tray");
    const struct {
        const wchar_t* stored;
        bool counts;
    } rows[] = {
        {L"\"C:\\Programs\\Mirvostan\\Mirvostan.exe\" --tray", true},
        {L"\"c:\\programs\\mirvostan\\MIRVOSTAN.EXE\" --tray", true},
        {L"\"C:\\Programs\\Mirvostan\\Mirvostan.exe\"", false},
        {L"\"D:\\Portable\\Mirvostan.exe\" --tray", false},
    };
    for (const auto& row : rows) {
        WriteRaw(row.stored);
        EXPECT_EQ(signin::StartsProgram(exe), row.counts) << std::wstring(row.stored).size();
        // Ticking replaces whatever stood there.
        EXPECT_TRUE(signin::Set(true, exe));
        EXPECT_TRUE(signin::StartsProgram(exe));
    }
    EXPECT_TRUE(signin::Set(false, exe));
    EXPECT_FALSE(signin::StartsProgram(exe));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kRun, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(key, L"Mirvostan", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
    EXPECT_TRUE(signin::Set(false, exe)) << "switching off twice";
}

}  // namespace
