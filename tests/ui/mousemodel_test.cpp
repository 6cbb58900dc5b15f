// One model of the mouse, seen from outside: the real program beside the
// virtual mouse, with what it could not read, with other programs and
// questions in the way, and while it follows the program in front. Each
// row asserts on what the user sees and on what the mouse ends up holding.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <functional>
#include <string>
#include <vector>

#include "../link/VirtualMouseFiles.h"
#include "ProgramDriver.h"
#include "config/ProgramProfiles.h"
#include "files/Profile.h"
#include "link/DeviceLock.h"
#include "resources/resource.h"

using driver::Program;

namespace {

const std::wstring kOk = L"operation ok.";
const std::wstring kFail = L"Operation fail";
const std::wstring kNoMouse = L"can't open usb mouse,please try again!!!";
const std::wstring kNeedLeft = L"Need at least one Mouse Left Key!!!";
const std::wstring kPartly = L"Some settings could not be read from the mouse. They stay as they are in the mouse.";
const std::wstring kUnread = L"Some buttons could not be read from the mouse. Set one to L-Button, then apply again.";
const std::wstring kKeepButtons = L"Keep these button settings?";
const std::wstring kKeepSpeed = L"Keep this pointer speed?";

vmouse::Bytes Rec(int slot, int type, int code, int usage = 0) {
    return vmouse::Bytes{0, 4, static_cast<uint8_t>(slot), static_cast<uint8_t>(type), static_cast<uint8_t>(code),
                         0, static_cast<uint8_t>(usage), 0, 0};
}
const vmouse::Bytes kCopyOnLeft = Rec(0, 1, 0x01, 0x06);

// The shown page that holds a control, after its tab was pressed.
HWND ShowPage(HWND main, int tab, int control) {
    driver::Click(main, tab);
    HWND page = nullptr;
    driver::WaitFor([&] { return (page = driver::PageWith(main, control)) && IsWindowVisible(page); }, 5000);
    return page;
}

// A click on the DPI track this many picture pixels from its left edge.
void ClickTrack(HWND page, int distance) {
    RECT r{};
    GetWindowRect(GetDlgItem(page, IDC_PERF_TRACK1), &r);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
    PostMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + distance, (r.top + r.bottom) / 2));
}

int RecordWrites(const vmouse::Transcript& t, int slot = -1) {
    int n = 0;
    for (const auto& b : t.Reports("out")) n += b[2] < 20 && (slot < 0 || b[2] == slot);
    return n;
}
int Reports(const vmouse::Transcript& t, uint8_t target) {
    int n = 0;
    for (const auto& b : t.Reports("out")) n += b[2] == target;
    return n;
}

// mirvostan-cli's exit code, run beside the program.
DWORD RunCli(const std::wstring& arguments) {
    std::wstring command = L"\"" + driver::Dir() + L"mirvostan-cli.exe\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, driver::Dir().c_str(),
                        &si, &pi))
        return 0xFFFF;
    WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 0xFFFF;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

class MouseModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ini_ = driver::Dir() + L"AppCfg.ini";
        ASSERT_TRUE(CopyFileW((driver::Dir() + L"AppCfg.pristine.ini").c_str(), ini_.c_str(), FALSE));
        WritePrivateProfileStringW(L"General", L"LangId", L"0", ini_.c_str());
    }
    // The mouse, then the program, then the boxes it shows at start.
    HWND Start(const vmouse::Memory& memory, const vmouse::Faults& faults, const std::wstring& startBox = L"") {
        vmouse::Write(memory, faults);
        if (!p_.Start()) return nullptr;
        if (!startBox.empty() && !p_.DismissBox(startBox, 15000)) return nullptr;
        return p_.WaitMainWindow();
    }
    std::wstring ini_;
    Program p_;
};

// Unknown stays unknown: a rate or DPI the mouse never told is shown as
// none and never sent, and buttons it never told are asked for before the
// left-click rule is judged.
TEST_F(MouseModelTest, WhatTheMouseNeverToldIsShownAsNoneAndNeverSent) {
    vmouse::Memory leftCopied = vmouse::FactoryMemory();
    leftCopied.records[0] = kCopyOnLeft;
    leftCopied.records[3] = Rec(3, 0, 1);  // the left click on button 4
    vmouse::Memory fast = vmouse::FactoryMemory();
    fast.records[9] = Rec(9, 4, 1);  // 1000 Hz
    fast.dpi = 12;
    struct Row {
        const char* name;
        vmouse::Memory memory;
        int silent;        // slot the mouse never reports (20: the DPI)
        bool absentAtStart;
        std::function<void(HWND main)> choose;
        std::vector<std::wstring> boxes;  // after Apply
        std::function<void(const vmouse::Transcript&)> check;
    };
    const Row rows[] = {
        {"a rate never read: the list shows none, and a DPI change leaves it", fast, 9, false,
         [](HWND main) {
             HWND page = ShowPage(main, IDC_MAIN_PAGE_PERF, IDC_PERF_CAPTION_DPI);
             EXPECT_EQ(driver::TextOf(GetDlgItem(page, IDC_PERF_RATE)), L"");
             ClickTrack(page, 280);  // 3200, one mark from 2400
         },
         {kOk},
         [](const vmouse::Transcript& t) {
             EXPECT_EQ(RecordWrites(t, 9), 0);
             EXPECT_EQ(vmouse::Hex(vmouse::ReadMemory().records[9]), vmouse::Hex(Rec(9, 4, 1))) << "the mouse lost 1000 Hz";
             EXPECT_EQ(vmouse::ReadMemory().dpi, 16u);
         }},
        {"a DPI never read: no mark, and no question about a jump from 600", fast, 20, false,
         [](HWND main) {
             HWND page = ShowPage(main, IDC_MAIN_PAGE_PERF, IDC_PERF_CAPTION_DPI);
             EXPECT_EQ(driver::TextOf(GetDlgItem(page, IDC_PERF_THUMB1)), L"DPI/CPI");
             EXPECT_EQ(driver::TextOf(GetDlgItem(page, IDC_PERF_RATE)), L"1000HZ");
             ClickTrack(page, 280);
         },
         {kOk},
         [](const vmouse::Transcript& t) {
             EXPECT_EQ(Reports(t, 0xFF), 1) << "one DPI report, and never 600";
             EXPECT_EQ(vmouse::ReadMemory().dpi, 16u);
         }},
        {"the left button never read: asked for, still silent, refused", leftCopied, 0, false,
         [](HWND main) {
             HWND page = driver::PageWith(main, IDC_BTN_LIST_LEFT);
             EXPECT_EQ(driver::TextOf(GetDlgItem(page, IDC_BTN_LIST_LEFT)), L"");
             ASSERT_TRUE(driver::Choose(page, IDC_BTN_LIST_B4, L"IE Backward Button"));
         },
         {kUnread},
         [](const vmouse::Transcript& t) {
             EXPECT_EQ(Reports(t, 0xAA), 1) << "one more configuration request";
             EXPECT_EQ(RecordWrites(t), 0);
         }},
        {"the mouse absent at start: asked for, its left button holds Copy, refused", leftCopied, -1, true,
         [](HWND main) {
             vmouse::Write(vmouse::ReadMemory(), vmouse::Faults{});  // plugged in meanwhile
             ASSERT_TRUE(driver::Choose(driver::PageWith(main, IDC_BTN_LIST_LEFT), IDC_BTN_LIST_B4, L"IE Backward Button"));
         },
         {kNeedLeft},
         [](const vmouse::Transcript& t) {
             EXPECT_EQ(Reports(t, 0xAA), 1);
             EXPECT_EQ(RecordWrites(t), 0) << "the mouse was left without a left click";
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        vmouse::Faults faults;
        faults.silentSlot = row.silent;
        faults.absent = row.absentAtStart;
        HWND main = Start(row.memory, faults, row.absentAtStart ? kNoMouse : kPartly);
        ASSERT_NE(main, nullptr);
        row.choose(main);
        driver::Pause(300);
        vmouse::Transcript t;
        driver::Click(main, IDC_MAIN_APPLY);
        for (const std::wstring& box : row.boxes) EXPECT_TRUE(p_.DismissBox(box, 15000)) << "no box: " << box.size();
        driver::Pause(300);
        EXPECT_TRUE(p_.Boxes().empty());
        row.check(t);
        p_.Kill();
    }
}

// The mouse is never held while a box or a question is open, only the Keep
// button keeps, and an OK that failed does not end a later Apply.
TEST_F(MouseModelTest, NoQuestionHoldsTheMouseAndOnlyKeepKeeps) {
    const vmouse::Memory factory = vmouse::FactoryMemory();
    struct Row {
        const char* name;
        vmouse::Faults faults;
        std::function<void(HWND main)> act;
    };
    const Row rows[] = {
        {"no mouse: the window's box, with the mouse free for others",
         [] { vmouse::Faults f; f.absent = 1; return f; }(),
         [&](HWND main) {
             driver::Click(main, IDC_MAIN_APPLY);
             HWND box = p_.WaitBox(kNoMouse);
             ASSERT_NE(box, nullptr);
             EXPECT_EQ(GetWindow(box, GW_OWNER), main);
             EXPECT_EQ(RunCli(L"show"), 2u) << "2: no mouse; 5 would be busy";
             p_.Dismiss(box);
             EXPECT_TRUE(p_.DismissBox(kFail));
         }},
        {"Exit from the tray during the question undoes", vmouse::Faults{},
         [&](HWND main) {
             ASSERT_TRUE(driver::Choose(driver::PageWith(main, IDC_BTN_LIST_LEFT), IDC_BTN_LIST_B4, L"L-Button"));
             ASSERT_TRUE(driver::Choose(driver::PageWith(main, IDC_BTN_LIST_LEFT), IDC_BTN_LIST_LEFT, L"Copy"));
             driver::Pause(300);
             driver::Click(main, IDC_MAIN_APPLY);
             ASSERT_NE(p_.WaitBoxStarting(kKeepButtons), nullptr);
             PostMessageW(p_.Resident(), WM_COMMAND, ID_TRAY_EXIT, 0);
             EXPECT_TRUE(p_.WaitExit(10000));
             EXPECT_EQ(vmouse::ReadMemory().records, vmouse::FactoryMemory().records) << "not undone";
         }},
        {"an OK that failed, then an Apply that works: the window stays",
         [] { vmouse::Faults f; f.failWritesFrom = 3; return f; }(),
         [&](HWND main) {
             driver::Click(main, IDC_MAIN_OK);
             EXPECT_TRUE(p_.DismissBox(kFail, 15000));
             vmouse::Write(vmouse::ReadMemory(), vmouse::Faults{});
             driver::Click(main, IDC_MAIN_APPLY);
             EXPECT_TRUE(p_.DismissBox(kOk, 15000));
             driver::Pause(500);
             EXPECT_TRUE(p_.Running() && IsWindowVisible(main)) << "the failed OK ended the program later";
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        HWND main = Start(factory, row.faults, row.faults.absent ? kNoMouse : L"");
        ASSERT_NE(main, nullptr);
        row.act(main);
        p_.Kill();
    }
}

// Following the program in front: a switch waits for every choice not yet
// applied (the DPI too), goes ahead with what it read when they are gone,
// is tried again once another program lets go of the mouse, never takes
// back what the user applied in Mirvostan, and a failed one changes nothing.
TEST_F(MouseModelTest, SwitchesWaitRetryAndNeverTakeTheUsersChoices) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    RecordArray alpha = RecordTable::Defaults();
    alpha[3].bytes[kByteType] = Keyboard;  // button 4: Ctrl+C
    alpha[3].bytes[kByteCode] = 0x01;
    alpha[3].bytes[kByteUsage] = 0x06;
    const std::wstring alphaFile = driver::Dir() + L"alpha.mvf";
    const vmouse::Bytes alphaButton4 = vmouse::ToBytes(alpha[3]);
    const vmouse::Memory factory = vmouse::FactoryMemory();

    std::wstring frontCommand = L"\"" + driver::Dir() + L"alpha.exe\" alpha";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION front{};
    ASSERT_TRUE(CreateProcessW(nullptr, &frontCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &front));
    WaitForInputIdle(front.hProcess, 5000);
    HWND alphaWindow = nullptr;
    driver::WaitFor([&] { return (alphaWindow = FindWindowW(L"MirvostanTestFrontWindow", L"alpha")) != nullptr; }, 5000);
    ASSERT_NE(alphaWindow, nullptr);
    auto toFront = [](HWND w) {
        for (int i = 0; i < 30 && GetForegroundWindow() != w; ++i) {
            SetForegroundWindow(w);
            driver::Pause(100);
        }
    };
    auto alphaHeld = [&] { return vmouse::ReadMemory().records[3] == alphaButton4; };
    // In front while Mirvostan starts, so that no program with a rule is.
    HWND neutral = CreateWindowExW(0, L"STATIC", L"neutral", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr,
                                   nullptr, nullptr);

    struct Row {
        const char* name;
        vmouse::Faults faults;
        std::function<void(HWND main)> act;
    };
    const Row rows[] = {
        {"a DPI not applied waits, and Apply in Mirvostan keeps the user's", vmouse::Faults{},
         [&](HWND main) {
             HWND perf = ShowPage(main, IDC_MAIN_PAGE_PERF, IDC_PERF_CAPTION_DPI);
             ClickTrack(perf, 280);  // 3200, not applied
             driver::Pause(200);
             toFront(alphaWindow);
             driver::Pause(1500);
             EXPECT_FALSE(alphaHeld()) << "the switch did not wait";
             EXPECT_EQ(driver::TextOf(GetDlgItem(perf, IDC_PERF_THUMB1)), L"DPI/CPI 3200") << "the choice snapped back";
             toFront(main);
             driver::Click(main, IDC_MAIN_APPLY);
             HWND keep = p_.WaitBoxStarting(kKeepSpeed);
             ASSERT_NE(keep, nullptr);
             p_.Dismiss(keep);  // Keep
             driver::Pause(1500);
             EXPECT_EQ(vmouse::ReadMemory().dpi, 16u);
             EXPECT_FALSE(alphaHeld()) << "alpha's profile replaced what was just kept";
         }},
        {"a failed switch changes nothing, not even an edit made meanwhile",
         [] { vmouse::Faults f; f.latencyMs = 40; f.failWritesFrom = 12; f.silentSlot = 15; return f; }(),
         [&](HWND main) {
             vmouse::Transcript t;
             toFront(alphaWindow);
             ASSERT_TRUE(driver::WaitFor([&] { return RecordWrites(t) > 0; }, 10000)) << "no switch";
             ASSERT_TRUE(driver::Choose(driver::PageWith(main, IDC_BTN_LIST_LEFT), IDC_BTN_LIST_B5, L"Paste"));
             ASSERT_TRUE(driver::WaitFor([&] { return !t.Texts("out-failed").empty(); }, 10000));
             driver::Pause(500);
             HWND page = driver::PageWith(main, IDC_BTN_LIST_LEFT);
             EXPECT_EQ(driver::TextOf(GetDlgItem(page, IDC_BTN_LIST_B5)), L"Paste");
             EXPECT_EQ(driver::TextOf(GetDlgItem(page, IDC_BTN_LIST_B4)), L"IE Forward Button");
             vmouse::Faults plugged;
             plugged.silentSlot = 15;
             vmouse::Write(vmouse::ReadMemory(), plugged);
             toFront(main);
             vmouse::Transcript apply;
             driver::Click(main, IDC_MAIN_APPLY);
             EXPECT_TRUE(p_.DismissBox(kOk, 15000));
             EXPECT_EQ(RecordWrites(apply, 15), 0) << "a slot never read was sent";
             EXPECT_EQ(vmouse::Hex(vmouse::ReadMemory().records[4]), vmouse::Hex(Rec(4, 1, 0x01, 0x19)));
         }},
        {"busy beyond the lock wait: tried again once the mouse is free", vmouse::Faults{},
         [&](HWND) {
             {
                 DeviceLock other(0);
                 ASSERT_TRUE(other.Held());
                 toFront(alphaWindow);
                 driver::Pause(6000);
                 EXPECT_FALSE(alphaHeld());
             }
             EXPECT_TRUE(driver::WaitFor(alphaHeld, 3000)) << "not tried again";
         }},
        {"a waiting switch keeps what it read", vmouse::Faults{},
         [&](HWND main) {
             HWND page = driver::PageWith(main, IDC_BTN_LIST_LEFT);
             ASSERT_TRUE(driver::Choose(page, IDC_BTN_LIST_B5, L"Paste"));
             driver::Pause(200);
             toFront(alphaWindow);
             driver::Pause(1500);
             ASSERT_TRUE(DeleteFileW(alphaFile.c_str()));
             driver::Choose(page, IDC_BTN_LIST_B5, L"IE Backward Button");  // back by hand: nothing pending
             EXPECT_TRUE(driver::WaitFor(alphaHeld, 3000)) << "the file was read again";
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(WriteProfileFile(alphaFile, alpha), 1);
        ProgramProfiles rules;
        rules.SetRule(L"alpha.exe", alphaFile);
        rules.SetFollow(true);
        ASSERT_EQ(rules.Save(ini_), 1);
        toFront(neutral);
        HWND main = Start(factory, row.faults, row.faults.silentSlot >= 0 ? kPartly : L"");
        ASSERT_NE(main, nullptr);
        toFront(main);
        row.act(main);
        p_.Kill();
    }
    DestroyWindow(neutral);
    PostMessageW(alphaWindow, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(front.hProcess, 3000) != WAIT_OBJECT_0) TerminateProcess(front.hProcess, 1);
    CloseHandle(front.hProcess);
    CloseHandle(front.hThread);
    CoUninitialize();
}

}  // namespace
