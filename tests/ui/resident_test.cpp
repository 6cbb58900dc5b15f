// Mirvostan in the background: started hidden, the mouse coming later, the
// session ending in the middle of an upload or a question, and a profile
// picked from the tray menu. The real program beside the virtual mouse.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "../link/VirtualMouseFiles.h"
#include "ProgramDriver.h"
#include "config/ProgramProfiles.h"
#include "files/Profile.h"
#include "resources/resource.h"

using driver::Program;

namespace {

constexpr int kFirstProfileCommand = 32810;  // the tray menu's first profile
const std::wstring kKeep = L"Keep these button settings?";

bool Visible(const Program& p) {
    for (HWND w : p.Windows())
        if (IsWindowVisible(w)) return true;
    return false;
}

// The shell refuses to change an icon it does not hold.
bool HasTrayIcon(HWND resident) {
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = resident;
    icon.uID = IDM_TRAY;
    return resident && Shell_NotifyIconW(NIM_MODIFY, &icon);
}

// The session ends as Windows ends it: asked, told, and the process killed
// as soon as the last message returned.
void EndSession(Program& p) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(p.Resident(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000, &answer);
    EXPECT_TRUE(answer) << "the session's end was refused";
    SendMessageTimeoutW(p.Resident(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000, &answer);
    TerminateProcess(p.Process(), 1);
    p.WaitExit(5000);
}

// Mirvostan.log beside the program, UTF-16.
std::wstring LogText() {
    HANDLE f = CreateFileW((driver::Dir() + L"Mirvostan.log").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::wstring();
    std::wstring text(GetFileSize(f, nullptr) / 2 + 1, L'\0');
    DWORD read = 0;
    ReadFile(f, &text[0], static_cast<DWORD>(text.size() * 2), &read, nullptr);
    CloseHandle(f);
    text.resize(read / 2);
    return text;
}

vmouse::Bytes CopyOn(int slot) { return vmouse::Bytes{0, 4, static_cast<uint8_t>(slot), 1, 0x01, 0, 0x06, 0, 0}; }

TEST(Resident, HiddenStartsArrivalsSessionEndsAndTheTrayMenu) {
    const std::wstring dir = driver::Dir();
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const vmouse::Memory factory = vmouse::FactoryMemory();
    struct Row {
        const char* name;
        vmouse::Faults faults;
        const wchar_t* arguments;
        std::function<void(Program&)> act;
    };
    const Row rows[] = {
        {"--tray with no mouse: no window, no box; --tray again: nothing; a plain start: the window",
         [] { vmouse::Faults f; f.absent = 1; return f; }(), L"--tray",
         [&](Program& p) {
             driver::Pause(1500);
             EXPECT_FALSE(Visible(p)) << "a window or box showed";
             EXPECT_TRUE(HasTrayIcon(p.Resident())) << "no tray icon";
             for (const wchar_t* again : {L"--tray", L""}) {
                 Program second;
                 ASSERT_TRUE(second.Start(again));
                 EXPECT_TRUE(second.WaitExit(5000)) << "two instances";
                 if (!*again) break;
                 driver::Pause(300);
                 EXPECT_FALSE(Visible(p)) << "shown by a second start with --tray";
             }
             EXPECT_TRUE(driver::WaitFor([&] { return p.MainWindow() && IsWindowVisible(p.MainWindow()); }, 5000));
             EXPECT_TRUE(p.Boxes().empty()) << "a box at the plain start's window";
         }},
        {"the mouse plugged in after the start is read and shown", [] { vmouse::Faults f; f.absent = 1; return f; }(),
         L"--tray",
         [&](Program& p) {
             driver::Pause(500);
             vmouse::Memory memory = factory;
             memory.records[4] = CopyOn(4);
             vmouse::Transcript t;
             vmouse::Write(memory, vmouse::Faults{});
             ASSERT_TRUE(driver::WaitFor([&] { return !t.Reports("in").empty(); }, 5000)) << "not looked for";
             PostMessageW(p.Resident(), WM_COMMAND, ID_TRAY_CONFIG, 0);
             HWND main = p.WaitMainWindow(5000);
             ASSERT_NE(main, nullptr);
             EXPECT_EQ(driver::TextOf(GetDlgItem(driver::PageWith(main, IDC_BTN_LIST_LEFT), IDC_BTN_LIST_B5)), L"Copy");
         }},
        {"pulled out, plugged in again, and changed elsewhere while asleep: each shown", vmouse::Faults{}, L"",
         [&](Program& p) {
             HWND main = p.WaitMainWindow();
             ASSERT_NE(main, nullptr);
             EXPECT_TRUE(driver::WaitFor([&] { return HasTrayIcon(p.Resident()); }, 3000)) << "no tray icon";
             driver::Click(main, IDC_MAIN_PAGE_THIRD);
             HWND status = nullptr;
             ASSERT_TRUE(driver::WaitFor([&] { return (status = GetDlgItem(driver::PageWith(main, IDC_PROF_STATUS), IDC_PROF_STATUS)) != nullptr; }, 5000));
             vmouse::Faults gone;
             gone.absent = 1;
             vmouse::Write(factory, gone);
             EXPECT_TRUE(driver::WaitFor([&] { return driver::TextOf(status) == L"No mouse connected"; }, 6000));
             vmouse::Memory memory = factory;
             memory.records[4] = CopyOn(4);
             vmouse::Write(memory, vmouse::Faults{});
             EXPECT_TRUE(driver::WaitFor([&] { return driver::TextOf(status).empty(); }, 6000)) << "not seen back";
             HWND buttons = driver::PageWith(main, IDC_BTN_LIST_LEFT);
             EXPECT_TRUE(driver::WaitFor([&] { return driver::TextOf(GetDlgItem(buttons, IDC_BTN_LIST_B5)) == L"Copy"; }, 3000));
             memory.records[3] = CopyOn(3);
             vmouse::Write(memory, vmouse::Faults{});
             DWORD_PTR ignored = 0;
             SendMessageTimeoutW(p.Resident(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0, SMTO_BLOCK, 5000, &ignored);
             EXPECT_TRUE(driver::WaitFor([&] { return driver::TextOf(GetDlgItem(buttons, IDC_BTN_LIST_B4)) == L"Copy"; }, 5000));
             std::wstring log;
             driver::WaitFor([&] { return (log = LogText()).find(L"after waking up") != std::wstring::npos; }, 3000);
             EXPECT_NE(log.find(L"after waking up"), std::wstring::npos) << "the change was not logged";
         }},
        {"log-off during an upload: all of it reaches the mouse first",
         [] { vmouse::Faults f; f.latencyMs = 20; return f; }(), L"",
         [&](Program& p) {
             HWND main = p.WaitMainWindow();
             ASSERT_NE(main, nullptr);
             ASSERT_TRUE(driver::Choose(driver::PageWith(main, IDC_BTN_LIST_LEFT), IDC_BTN_LIST_B5, L"Copy"));
             driver::Pause(300);
             vmouse::Transcript t;
             driver::Click(main, IDC_MAIN_APPLY);
             ASSERT_TRUE(driver::WaitFor([&] { return !t.Reports("out").empty(); }, 5000));
             EndSession(p);
             int written = 0;
             for (const auto& b : t.Reports("out")) written += b[2] < 20;
             EXPECT_EQ(written, 20) << "the table was left half-written";
             EXPECT_EQ(vmouse::ReadMemory().records[4], CopyOn(4));
         }},
        {"log-off with the keep question open: undone first", vmouse::Faults{}, L"",
         [&](Program& p) {
             HWND main = p.WaitMainWindow();
             ASSERT_NE(main, nullptr);
             HWND page = driver::PageWith(main, IDC_BTN_LIST_LEFT);
             ASSERT_TRUE(driver::Choose(page, IDC_BTN_LIST_B4, L"L-Button"));
             ASSERT_TRUE(driver::Choose(page, IDC_BTN_LIST_LEFT, L"Copy"));
             driver::Pause(300);
             driver::Click(main, IDC_MAIN_APPLY);
             ASSERT_NE(p.WaitBoxStarting(kKeep), nullptr);
             EndSession(p);
             EXPECT_EQ(vmouse::ReadMemory().records, factory.records) << "a change nobody kept stayed";
         }},
        {"a profile chosen from the tray menu, and again after its file changed", vmouse::Faults{}, L"--tray",
         [&](Program& p) {
             driver::Pause(500);
             PostMessageW(p.Resident(), WM_COMMAND, kFirstProfileCommand, 0);
             EXPECT_TRUE(driver::WaitFor([&] { return vmouse::ReadMemory().records[2] == CopyOn(2); }, 5000));
             EXPECT_FALSE(Visible(p)) << "a box for a profile that went well";
             RecordArray edited = RecordTable::Defaults();
             edited[3] = FunctionRecord{{0, 4, 3, 1, 0x01, 0, 0x06, 0, 0}};
             ASSERT_EQ(WriteProfileFile(dir + L"right copy.mvf", edited), 1);
             PostMessageW(p.Resident(), WM_COMMAND, kFirstProfileCommand, 0);
             EXPECT_TRUE(driver::WaitFor([&] { return vmouse::ReadMemory().records[3] == CopyOn(3); }, 5000))
                 << "the profile as it was before its file changed";
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::wstring ini = dir + L"AppCfg.ini";
        ASSERT_TRUE(CopyFileW((dir + L"AppCfg.pristine.ini").c_str(), ini.c_str(), FALSE));
        WritePrivateProfileStringW(L"General", L"LangId", L"0", ini.c_str());
        // The default profile: Copy on the right button.
        RecordArray right = RecordTable::Defaults();
        right[2] = FunctionRecord{{0, 4, 2, 1, 0x01, 0, 0x06, 0, 0}};
        ASSERT_EQ(WriteProfileFile(dir + L"right copy.mvf", right), 1);
        ProgramProfiles rules;
        rules.SetDefaultProfile(dir + L"right copy.mvf");
        ASSERT_EQ(rules.Save(ini), 1);
        vmouse::Write(factory, row.faults);
        Program p;
        ASSERT_TRUE(p.Start(row.arguments));
        row.act(p);
        p.Kill();
    }
    CoUninitialize();
}

}  // namespace
