// The performance page hosted in a plain window beside a buttons page:
// real clicks on the track, the report-rate list, and the apply path of
// the main window, checked in the virtual mouse's transcript.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "PageHost.h"
#include "RecordHex.h"
#include "VirtualMouseFiles.h"
#include "config/DeviceStore.h"
#include "i18n/Language.h"
#include "link/Busy.h"
#include "resources/resource.h"
#include "ui/ButtonsPage.h"
#include "ui/PerformancePage.h"
#include "ui/Uploads.h"

namespace {

using namespace pagetest;

class PerformancePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadAppSettingsFrom(HerePath(L"AppCfg.ini"), 0x0409);
        SetUiLanguage(English);
        TheBusyEvent().SetIdle();
    }
    void TearDown() override {
        if (store_) store_->WaitTransfer(5000);
        Pump();
        performance_.reset();
        buttons_.reset();
        uploads_.reset();
    }
    // Both pages over a store that read a mouse at this DPI and rate code.
    HWND Open(unsigned dpiDivisor = 3, uint8_t rateCode = 2) {
        vmouse::Memory memory = vmouse::FactoryMemory();
        memory.dpi = dpiDivisor;
        memory.records[9][4] = rateCode;
        vmouse::Write(memory, vmouse::Faults{});
        store_.reset(new DeviceStore());
        store_->LoadFromDevice();
        performance_.reset();
        buttons_.reset();
        uploads_.reset(new UploadOwner(*store_));
        buttons_.reset(new ButtonsPage(*store_, *uploads_));
        buttons_->Create(host_.Wnd());
        performance_.reset(new PerformancePage(*store_, *uploads_));
        HWND page = performance_->Create(host_.Wnd());
        EXPECT_NE(page, nullptr);
        ShowWindow(page, SW_SHOW);
        Pump();
        messages_.Clear();
        return page;
    }
    // The main window's Apply while this page is shown.
    void ApplyFromThisPage() {
        ASSERT_EQ(performance_->ApplyPage(), 1);
        ASSERT_TRUE(PumpUntil([] { return !Messages::Texts().empty(); }));
    }

    Host host_;
    Messages messages_;
    std::unique_ptr<DeviceStore> store_;
    std::unique_ptr<UploadOwner> uploads_;
    std::unique_ptr<ButtonsPage> buttons_;
    std::unique_ptr<PerformancePage> performance_;
};

RECT ScreenRect(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    return r;
}

void ClickAt(int x, int y) {
    SetCursorPos(x, y);
    INPUT in[3] = {};
    in[0].type = in[1].type = in[2].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE;  // a zero move reports the new position first
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &in[0], sizeof(INPUT));
    Pump(30);
    SendInput(2, &in[1], sizeof(INPUT));
    Pump(80);
}

// Thumb centre relative to the track's left edge.
int ThumbMark(HWND page) {
    const RECT track = ScreenRect(GetDlgItem(page, IDC_PERF_TRACK1));
    const RECT thumb = ScreenRect(GetDlgItem(page, IDC_PERF_THUMB1));
    return thumb.left + (thumb.right - thumb.left) / 2 - track.left;
}

struct SnapRow {
    int distance;
    uint32_t dpi;
    int mark;
};
const SnapRow kSnaps[] = {
    {0, 600, 12},     {74, 600, 12},    {75, 1200, 75},   {139, 1200, 75},  {140, 1800, 138},
    {199, 1800, 138}, {200, 2400, 200}, {259, 2400, 200}, {260, 3200, 265}, {319, 3200, 265},
    {320, 4800, 326}, {379, 4800, 326}, {380, 6000, 390}, {403, 6000, 390},
};

TEST_F(PerformancePageTest, ClicksOnTheTrackSnapToTheMarks) {
    HWND page = Open();
    const RECT track = ScreenRect(GetDlgItem(page, IDC_PERF_TRACK1));
    ASSERT_EQ(track.right - track.left, 404);
    ASSERT_EQ(track.bottom - track.top, 42);
    const RECT thumb = ScreenRect(GetDlgItem(page, IDC_PERF_THUMB1));
    ASSERT_EQ(thumb.right - thumb.left, 10);
    ASSERT_EQ(thumb.top, track.top - 1);
    // Below the thumb's row, so the click lands on the track itself.
    const int y = track.top + 30;
    for (const SnapRow& row : kSnaps) {
        ClickAt(track.left + row.distance, y);
        PumpUntil([&] { return performance_->FirstLevelDpi() == row.dpi; }, 1000);
        EXPECT_EQ(performance_->FirstLevelDpi(), row.dpi) << "distance " << row.distance;
        EXPECT_EQ(ThumbMark(page), row.mark) << "distance " << row.distance;
    }
    // Between the tracks and on a hidden one: nothing changes.
    const RECT hidden = ScreenRect(GetDlgItem(page, IDC_PERF_TRACK2));
    ClickAt(hidden.left + 100, hidden.top + 20);
    ClickAt(track.left + 100, track.bottom + 3);
    EXPECT_EQ(performance_->FirstLevelDpi(), 6000u);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, IDC_PERF_THUMB2)));
}

TEST_F(PerformancePageTest, ApplyAtOnceUploadsWhatTheMouseHeld) {
    HWND page = Open(9, 1);  // 1800 DPI, 1000 Hz
    EXPECT_EQ(Text(GetDlgItem(page, IDC_PERF_RATE)), L"1000HZ");
    EXPECT_EQ(ThumbMark(page), 138);
    vmouse::Transcript transcript;
    ApplyFromThisPage();
    EXPECT_EQ(Messages::Joined(), L"[operation ok.]");
    const auto out = transcript.Reports("out");
    ASSERT_EQ(out.size(), 21u);
    EXPECT_EQ(vmouse::Hex(out[9]), "00 04 09 04 01 00 00 00 00");
    EXPECT_EQ(vmouse::Hex(out[20]), "00 04 FF 01 09 00 00 00 00");
    EXPECT_EQ(vmouse::ReadMemory().dpi, 9u);
}

// The rate goes into the store's table as it is chosen: it is a choice
// not applied yet until an apply sends it.
TEST_F(PerformancePageTest, AChosenRateIsPendingInTheStoreUntilApplied) {
    HWND page = Open();
    Choose(page, IDC_PERF_RATE, 0);  // 125HZ
    EXPECT_EQ(performance_->RateIndex(), 0);
    EXPECT_EQ(Hex(store_->Table()[9]), Rec(9, 4, 8));
    EXPECT_TRUE(store_->HasUnappliedEdits());
    vmouse::Transcript transcript;
    ApplyFromThisPage();
    EXPECT_EQ(vmouse::Hex(transcript.Reports("out").at(9)), "00 04 09 04 08 00 00 00 00");
    EXPECT_FALSE(store_->HasUnappliedEdits());
}

// Both pages hold every control they show, whatever the dialog font's cell:
// the layout puts controls on the system's grid, so the page must follow it.
TEST_F(PerformancePageTest, EveryShownControlLiesInsideItsPage) {
    Open();
    for (HWND page : {buttons_->Hwnd(), performance_->Hwnd()}) {
        RECT inside;
        GetClientRect(page, &inside);
        for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            // The background picture grows to its bitmap and may be clipped, as on Windows.
            if (!(GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE) || GetDlgCtrlID(c) == -1) continue;
            RECT r;
            GetWindowRect(c, &r);
            MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
            EXPECT_LE(r.right, inside.right) << "control " << GetDlgCtrlID(c);
            EXPECT_LE(r.bottom, inside.bottom) << "control " << GetDlgCtrlID(c);
        }
    }
}

}  // namespace
