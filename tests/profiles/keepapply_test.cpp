// An apply that takes the left click off the left button, or moves the
// pointer speed by more than one mark, asks whether to keep it. Every way
// of not keeping it puts the mouse's memory back exactly as it was.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PageHost.h"
#include "VirtualMouseFiles.h"
#include "config/DeviceStore.h"
#include "i18n/Language.h"
#include "link/Busy.h"
#include "resources/resource.h"
#include "ui/ButtonsPage.h"
#include "ui/KeepDialog.h"
#include "ui/PerformancePage.h"
#include "ui/Uploads.h"

namespace {

using namespace pagetest;

constexpr int kLButtonEntry = 2;
constexpr int kCopyEntry = 7;
constexpr int kIeForwardEntry = 1;

// What the dialog showed when it opened.
struct Seen {
    HWND dialog = nullptr;
    std::wstring question, info, countdown;
};

using Act = std::function<void(HWND dialog)>;
// A key as the user presses it on the focused button: the dialog manager
// turns it into its command.
void Key(HWND dialog, UINT vk) {
    HWND focus = GetFocus();
    PostMessageW(focus && IsChild(dialog, focus) ? focus : dialog, WM_KEYDOWN, vk, 0);
}

class KeepApplyTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadAppSettingsFrom(HerePath(L"AppCfg.ini"), 0x0409);
        SetUiLanguage(English);
        TheBusyEvent().SetIdle();
        // The countdown's steps are sent by the cases themselves.
        KeepDialog::SetTickMs(3600 * 1000);
        Fresh();
    }
    void TearDown() override {
        if (store_) store_->WaitTransfer(5000);
        Pump();
        page_.reset();
        uploads_.reset();
        KeepDialog::SetTickMs(1000);
    }
    // The factory setup on the mouse, a store that read it and a page over it.
    void Fresh() {
        vmouse::Write(vmouse::FactoryMemory(), vmouse::Faults{});
        page_.reset();
        uploads_.reset();
        store_.reset(new DeviceStore());
        ASSERT_EQ(store_->LoadFromDevice(), 1);
        uploads_.reset(new UploadOwner(*store_));
        uploads_->SetShowStore([this] {
            page_->ShowStoreConfiguration();
            if (performance_) performance_->ShowStoreSettings();
        });
        page_.reset(new ButtonsPage(*store_, *uploads_));
        page_hwnd_ = page_->Create(host_.Wnd());
        ASSERT_NE(page_hwnd_, nullptr);
        ShowWindow(page_hwnd_, SW_SHOW);
        Pump();
        messages_.Clear();
    }
    // Starts an upload, acts in the keep dialog if one opens, and waits until
    // every upload (also an undo) has ended.
    Seen Run(const std::function<int()>& start, const Act& act) {
        Seen seen;
        ModalAction inDialog([&](HWND dialog) {
            seen.dialog = dialog;
            seen.question = Text(GetDlgItem(dialog, IDC_KEEP_QUESTION));
            seen.info = Text(GetDlgItem(dialog, IDC_KEEP_INFO));
            seen.countdown = Text(GetDlgItem(dialog, IDC_KEEP_COUNTDOWN));
            act(dialog);
        });
        EXPECT_EQ(start(), 1);
        EXPECT_TRUE(PumpUntil([&] {
            return (!Messages::Texts().empty() || (seen.dialog && !IsWindow(seen.dialog))) && !TheBusyEvent().IsBusy();
        }));
        Pump(150);
        EXPECT_FALSE(inDialog.TimedOut());
        return seen;
    }
    static std::vector<vmouse::Bytes> RecordWrites(const vmouse::Transcript& t) {
        std::vector<vmouse::Bytes> w;
        for (const auto& b : t.Reports("out"))
            if (b[2] < kRecordCount) w.push_back(b);
        return w;
    }

    Host host_;
    Messages messages_;
    std::unique_ptr<DeviceStore> store_;
    std::unique_ptr<UploadOwner> uploads_;
    std::unique_ptr<ButtonsPage> page_;
    PerformancePage* performance_ = nullptr;
    HWND page_hwnd_ = nullptr;
};

bool SameMemory(const vmouse::Memory& a, const vmouse::Memory& b) { return a.records == b.records && a.dpi == b.dpi; }

}  // namespace

TEST_F(KeepApplyTest, LeftClickMovedOffTheLeftButtonIsKeptOrUndone) {
    const struct {
        const char* how;
        Act act;
        bool kept;
    } rows[] = {
        {"the countdown reaches 0",
         [](HWND d) {
             // 15 steps: the last one shown is "1 s", and the 15th undoes.
             for (int step = 1; step < 15; ++step) SendMessageW(d, WM_TIMER, 1, 0);
             EXPECT_EQ(Text(GetDlgItem(d, IDC_KEEP_COUNTDOWN)), L"Reverting in 1 s");
             EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDOK))) << "undone before the 15th second";
             SendMessageW(d, WM_TIMER, 1, 0);
             EXPECT_NE(Text(GetDlgItem(d, IDC_KEEP_COUNTDOWN)), L"Reverting in 0 s");
             EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDOK))) << "not undone after the 15th second";
         },
         false},
        {"Esc", [](HWND d) { Key(d, VK_ESCAPE); }, false},
        {"Undo", [](HWND d) { Click(d, IDCANCEL); }, false},
        {"closing the dialog", [](HWND d) { PostMessageW(d, WM_CLOSE, 0, 0); }, false},
        {"Enter", [](HWND d) { Key(d, VK_RETURN); }, true},
        {"Keep", [](HWND d) { Click(d, IDOK); }, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.how);
        // Each row starts from the factory setup on the mouse and the page.
        Fresh();
        const vmouse::Memory before = vmouse::ReadMemory();
        Choose(page_hwnd_, IDC_BTN_LIST_B4, kLButtonEntry);
        Choose(page_hwnd_, IDC_BTN_LIST_LEFT, kCopyEntry);
        ASSERT_TRUE(Messages::Texts().empty());

        vmouse::Transcript transcript;
        const Seen seen = Run([&] { return page_->ApplyPage(); }, row.act);
        ASSERT_NE(seen.dialog, nullptr) << "no keep dialog";
        EXPECT_EQ(seen.question, L"Keep these button settings?");
        EXPECT_EQ(seen.info, L"Left click is now assigned to: Button-4.");
        EXPECT_EQ(seen.countdown, L"Reverting in 15 s");
        EXPECT_EQ(Messages::Joined(), L"") << "no \"operation ok.\" after the question";

        const vmouse::Memory after = vmouse::ReadMemory();
        const auto writes = RecordWrites(transcript);
        if (row.kept) {
            EXPECT_EQ(writes.size(), size_t(kRecordCount)) << "nothing more than the apply";
            EXPECT_EQ(vmouse::Hex(after.records[0]), "00 04 00 01 01 00 06 00 00");
            EXPECT_EQ(vmouse::Hex(after.records[3]), "00 04 03 00 01 00 00 00 00");
            EXPECT_EQ(Selection(page_hwnd_, IDC_BTN_LIST_LEFT), kCopyEntry);
        } else {
            EXPECT_EQ(writes.size(), size_t(2 * kRecordCount)) << "the apply, then the undo";
            EXPECT_TRUE(SameMemory(after, before)) << "the mouse's memory is not as before";
            EXPECT_EQ(Selection(page_hwnd_, IDC_BTN_LIST_LEFT), kLButtonEntry);
            EXPECT_EQ(Selection(page_hwnd_, IDC_BTN_LIST_B4), kIeForwardEntry);
        }
    }
}

TEST_F(KeepApplyTest, PointerSpeedJumpIsAskedAboutAndUndoneWithItsRate) {
    const struct {
        const char* what;
        uint32_t dpi;
        bool asks;
    } rows[] = {{"one mark up", 1200, false}, {"600 to 3200", 3200, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Fresh();
        // The performance page beside it shows the new speed and rate until an undo.
        PerformancePage performance(*store_, *uploads_);
        performance_ = &performance;
        HWND perf = performance.Create(host_.Wnd());
        ASSERT_NE(perf, nullptr);
        ShowWindow(perf, SW_SHOW);
        RECT track;
        GetWindowRect(GetDlgItem(perf, IDC_PERF_TRACK1), &track);
        MapWindowPoints(nullptr, perf, reinterpret_cast<POINT*>(&track), 2);
        const int mark = row.dpi == 3200 ? 280 : 100;  // distances that snap to 3200 and 1200
        SendMessageW(perf, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(track.left + mark, (track.top + track.bottom) / 2));
        SendMessageW(GetDlgItem(perf, IDC_PERF_RATE), CB_SETCURSEL, 0, 0);
        SendMessageW(perf, WM_COMMAND, MAKEWPARAM(IDC_PERF_RATE, CBN_SELCHANGE), (LPARAM)GetDlgItem(perf, IDC_PERF_RATE));
        ASSERT_EQ(performance.FirstLevelDpi(), row.dpi);
        messages_.Clear();
        const vmouse::Memory before = vmouse::ReadMemory();
        const Seen seen = Run([&] { return performance.ApplyPage(); }, [](HWND d) { Click(d, IDCANCEL); });
        if (!row.asks) {
            EXPECT_EQ(seen.dialog, nullptr);
            EXPECT_EQ(Messages::Joined(), L"[operation ok.]");
            EXPECT_EQ(vmouse::ReadMemory().dpi, row.dpi / 200);
            EXPECT_EQ(vmouse::Hex(vmouse::ReadMemory().records[kReportRateSlot]), "00 04 09 04 08 00 00 00 00")
                << "the rate chosen on the page";
            performance_ = nullptr;
            continue;
        }
        ASSERT_NE(seen.dialog, nullptr);
        EXPECT_EQ(seen.question, L"Keep this pointer speed?");
        EXPECT_EQ(seen.info, L"The pointer speed is now 3200 DPI.");
        EXPECT_EQ(Messages::Joined(), L"");
        EXPECT_TRUE(SameMemory(vmouse::ReadMemory(), before)) << "DPI and report rate are not back";
        EXPECT_EQ(performance.FirstLevelDpi(), 600u) << "the performance page still shows the undone speed";
        EXPECT_EQ(performance.RateIndex(), 1) << "the performance page still shows the undone rate";
        performance_ = nullptr;
    }
}

// After the transfer thread let go of the mouse its done message is still
// on its way: an Apply then is busy, and the outcome the user hears is the
// first upload's, for the first upload.
TEST_F(KeepApplyTest, AnApplyBeforeTheLastOutcomeArrivedIsBusy) {
    vmouse::Transcript transcript;
    ASSERT_EQ(page_->ApplyPage(), 1);
    ASSERT_TRUE(TheBusyEvent().WaitIdle(5000));
    ASSERT_TRUE(store_->WaitTransfer(5000));
    EXPECT_EQ(page_->ApplyPage(), 0);
    EXPECT_EQ(Messages::Joined(), L"[System Busy!!!]");
    messages_.Clear();
    ASSERT_TRUE(PumpUntil([] { return !Messages::Texts().empty(); }));
    EXPECT_EQ(Messages::Joined(), L"[operation ok.]");
    EXPECT_EQ(RecordWrites(transcript).size(), size_t(kRecordCount)) << "one upload";
}
