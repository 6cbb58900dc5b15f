// The profiles page driven as a user would: a program typed or picked from
// the open ones, a profile chosen, the follow switch; every change is in
// AppCfg.ini at once and reaches the follower.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "../link/VirtualMouseFiles.h"
#include "../ui/PageHost.h"
#include "config/DeviceStore.h"
#include "i18n/Language.h"
#include "resources/resource.h"
#include "ui/ProfilesPage.h"
#include "ui/Uploads.h"

namespace {

using namespace pagetest;

std::wstring Cell(HWND list, int row, int column) {
    wchar_t buffer[512] = {};
    ListView_GetItemText(list, row, column, buffer, 512);
    return buffer;
}

void MakeFile(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(f);
}

}  // namespace

TEST(ProfilesPage, RulesFollowSwitchAndDefaultAreStoredAtOnce) {
    Messages messages;
    const std::wstring ini = HerePath(L"page.ini");
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini.c_str());
    ASSERT_TRUE(CopyFileW(HerePath(L"AppCfg.ini").c_str(), ini.c_str(), FALSE));
    LoadAppSettingsFrom(ini, 0x0409);
    SetUiLanguage(English);
    const std::wstring profile = HerePath(L"jeu été 1.mvf");
    const std::wstring gone = HerePath(L"gone.mvf");
    MakeFile(profile);
    DeleteFileW(gone.c_str());

    vmouse::Write(vmouse::FactoryMemory(), vmouse::Faults{});
    DeviceStore store;
    UploadOwner uploads(store);
    ProgramProfiles rules;
    ProfileFollower follower(uploads);
    Host host;
    ProfilesPage page(rules, follower);
    std::wstring answer;
    page.SetFileChooser([&](HWND, bool) { return answer; });
    HWND wnd = page.Create(host.Wnd());
    ASSERT_NE(wnd, nullptr);
    ShowWindow(wnd, SW_SHOW);
    Pump();
    HWND list = GetDlgItem(wnd, IDC_PROF_RULES);
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(wnd, IDC_PROF_FOLLOW)) << "following starts off";
    EXPECT_EQ(Text(GetDlgItem(wnd, IDC_PROF_DEFAULT)), L"(none)");

    auto stored = [&] {
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini.c_str());
        ProgramProfiles p;
        p.Load(ini);
        return p;
    };
    // A path typed into the box counts by its file name.
    SetDlgItemTextW(wnd, IDC_PROF_PROGRAM, L"C:\\Games\\Game.exe");
    answer = profile;
    pagetest::Click(wnd, IDC_PROF_ADD);
    SetDlgItemTextW(wnd, IDC_PROF_PROGRAM, L"other.exe");
    answer = gone;
    pagetest::Click(wnd, IDC_PROF_ADD);
    ASSERT_EQ(ListView_GetItemCount(list), 2);
    EXPECT_EQ(Cell(list, 0, 0), L"Game.exe");
    EXPECT_EQ(Cell(list, 0, 1), profile);
    EXPECT_EQ(Cell(list, 1, 1), L"(file missing) " + gone);
    ProgramProfiles p = stored();
    ASSERT_EQ(p.Rules().size(), 2u);
    EXPECT_EQ(p.Rules()[0].profile, profile);

    pagetest::Click(wnd, IDC_PROF_FOLLOW);
    EXPECT_TRUE(stored().Follow());
    EXPECT_TRUE(follower.Following());

    answer = profile;
    pagetest::Click(wnd, IDC_PROF_CHOOSE_DEFAULT);
    EXPECT_EQ(Text(GetDlgItem(wnd, IDC_PROF_DEFAULT)), profile);
    EXPECT_EQ(stored().DefaultProfile(), profile);

    ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    pagetest::Click(wnd, IDC_PROF_REMOVE);
    pagetest::Click(wnd, IDC_PROF_CLEAR_DEFAULT);
    pagetest::Click(wnd, IDC_PROF_FOLLOW);
    p = stored();
    ASSERT_EQ(p.Rules().size(), 1u);
    EXPECT_EQ(p.Rules()[0].program, L"other.exe");
    EXPECT_EQ(p.DefaultProfile(), L"");
    EXPECT_FALSE(p.Follow());
    EXPECT_FALSE(follower.Following());
    EXPECT_EQ(Messages::Joined(), L"") << "nothing to tell while all went well";

    SetUiLanguage(German);
    page.RefreshPageTexts();
    EXPECT_EQ(Text(GetDlgItem(wnd, IDC_PROF_FOLLOW)), L"Profil je nach aktivem Programm wechseln");
    EXPECT_EQ(Cell(list, 0, 1), L"(Datei fehlt) " + gone);
    SetUiLanguage(English);
}

TEST(ProfilesPage, OffersTheProgramsWithAWindowOpen) {
    std::wstring command = L"\"" + vmouse::Dir() + L"alpha.exe\" alpha";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    // Found while it is still being made, the window is not visible yet and
    // would not be offered: wait until its program is idle with it shown.
    WaitForInputIdle(pi.hProcess, 5000);
    HWND alpha = nullptr;
    for (int i = 0; i < 100 && !(alpha && IsWindowVisible(alpha)); ++i) {
        alpha = FindWindowW(L"MirvostanTestFrontWindow", L"alpha");
        if (!alpha || !IsWindowVisible(alpha)) Sleep(50);
    }
    const std::vector<std::wstring> names = ProfilesPage::ProgramsWithWindows();
    PostMessageW(alpha, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 3000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    ASSERT_NE(alpha, nullptr);
    int alphas = 0;
    for (const std::wstring& n : names) alphas += n == L"alpha.exe";
    EXPECT_EQ(alphas, 1);
    for (const std::wstring& n : names) EXPECT_NE(n, L"profiles_ui_test.exe") << "our own windows are not offered";
}
