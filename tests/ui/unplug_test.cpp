// The mouse pulled at each report of an upload, in the real program: every
// position gives "Operation fail", the program is not left busy, and what it
// believes the mouse holds (DeviceImage, which a performance upload sends)
// stays what the mouse held before.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "../link/VirtualMouseFiles.h"
#include "ProgramDriver.h"
#include "link/DeviceLock.h"
#include "resources/resource.h"

using driver::Program;

namespace {

const std::wstring kFailText = L"Operation fail";
const std::wstring kOkText = L"operation ok.";
constexpr int kRightList = 1050;
constexpr int kDpiCaption = 1105;
// A button upload: 20 records, each written and its answer read. A
// performance upload: the same 40, then the DPI report.
constexpr int kButtonReports = 40, kPerformanceReports = 41;

TEST(UnplugTest, EveryReportPositionFailsAndLeavesTheProgramUsable) {
    WritePrivateProfileStringW(L"General", L"LangId", L"0", (driver::Dir() + L"AppCfg.ini").c_str());
    const vmouse::Memory factory = vmouse::FactoryMemory();
    vmouse::Write(factory, vmouse::Faults{});
    Program p;
    ASSERT_TRUE(p.Start());
    HWND main = p.WaitMainWindow();
    ASSERT_NE(main, nullptr);
    // An edit that is not applied: a failed upload must not make it the
    // mouse's in the program's eyes.
    HWND buttons = driver::PageWith(main, kRightList);
    ASSERT_NE(buttons, nullptr);
    HWND right = GetDlgItem(buttons, kRightList);
    const LRESULT copy = SendMessageW(right, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Copy"));
    ASSERT_NE(copy, CB_ERR);
    SendMessageW(right, CB_SETCURSEL, static_cast<WPARAM>(copy), 0);
    PostMessageW(buttons, WM_COMMAND, MAKEWPARAM(kRightList, CBN_SELCHANGE), reinterpret_cast<LPARAM>(right));

    for (int performance = 0; performance < 2; ++performance) {
        if (performance) driver::Click(main, IDC_MAIN_PAGE_PERF);
        const int reports = performance ? kPerformanceReports : kButtonReports;
        for (int at = 1; at <= reports; ++at) {
            SCOPED_TRACE((performance ? "performance, report " : "buttons, report ") + std::to_string(at));
            vmouse::Faults unplug;
            unplug.unplugAt = at;
            // Drivers say "gone" in several ways; the answer reads get the other one.
            if (at % 2 == 0) unplug.goneError = ERROR_GEN_FAILURE;
            vmouse::Write(factory, unplug);
            driver::Click(main, IDC_MAIN_APPLY);
            // Busy left behind would answer "System Busy!!!" instead.
            ASSERT_TRUE(p.DismissBox(kFailText, 15000)) << "boxes: " << p.Boxes().size();
            ASSERT_TRUE(driver::WaitFor([] { return false; }, 50) || p.Boxes().empty());
        }
    }
    ASSERT_NE(driver::PageWith(main, kDpiCaption), nullptr);
    // Plugged in again: the next Apply is taken, and sends DeviceImage.
    vmouse::Write(factory, vmouse::Faults{});
    vmouse::Transcript t;
    driver::Click(main, IDC_MAIN_APPLY);
    ASSERT_TRUE(p.DismissBox(kOkText, 15000));
    const auto sent = t.Reports("out");
    ASSERT_EQ(sent.size(), 21u);
    for (int s = 0; s < 20; ++s) EXPECT_EQ(vmouse::Hex(sent[s]), vmouse::Hex(factory.records[s])) << "slot " << s;
    EXPECT_TRUE(p.Boxes().empty());
    driver::Click(main, IDC_MAIN_CLOSE);
    EXPECT_TRUE(p.WaitExit(10000));
}

// While another program (here this test) holds the mouse, an Apply waits,
// then says "System Busy!!!" and sends nothing; free again, it goes through.
TEST(UnplugTest, AnotherProgramsExchangeMakesApplyBusy) {
    vmouse::Write(vmouse::FactoryMemory(), vmouse::Faults{});
    Program p;
    ASSERT_TRUE(p.Start());
    HWND main = p.WaitMainWindow();
    ASSERT_NE(main, nullptr);
    vmouse::Transcript t;
    {
        DeviceLock other(0);
        ASSERT_TRUE(other.Held());
        driver::Click(main, IDC_MAIN_APPLY);
        EXPECT_TRUE(p.DismissBox(L"System Busy!!!", 15000));
    }
    EXPECT_TRUE(t.Reports("out").empty());
    driver::Click(main, IDC_MAIN_APPLY);
    EXPECT_TRUE(p.DismissBox(kOkText, 15000));
    EXPECT_EQ(t.Reports("out").size(), 20u);
    driver::Click(main, IDC_MAIN_CLOSE);
    EXPECT_TRUE(p.WaitExit(10000));
}

}  // namespace
