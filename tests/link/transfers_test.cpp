// Background uploads and the reader between them, against the virtual mouse.
// The outcome arrives at a message-only window, as at the Buttons page.
#include <gtest/gtest.h>

#include "config/DeviceStore.h"
#include "i18n/Language.h"
#include "link/Busy.h"
#include "link/Transfers.h"
#include "MessageRecorder.h"
#include "VirtualMouseFiles.h"

namespace {

using vmouse::Bytes;

const uint8_t kConfigRequest[9] = {0x00, 0x04, 0xAA, 0x55, 0, 0, 0, 0, 0};
// Any message number the caller chooses.
constexpr UINT WM_TRANSFER_DONE = WM_APP + 17;

class DoneWindow {
public:
    DoneWindow() : wnd_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~DoneWindow() { DestroyWindow(wnd_); }
    DoneWindow(const DoneWindow&) = delete;
    DoneWindow& operator=(const DoneWindow&) = delete;
    HWND Handle() const { return wnd_; }

    // wParam of the next WM_TRANSFER_DONE, or -1 when none came in time.
    int Wait(DWORD ms = 10000) {
        const DWORD start = GetTickCount();
        for (;;) {
            MSG msg;
            if (PeekMessageW(&msg, wnd_, WM_TRANSFER_DONE, WM_TRANSFER_DONE, PM_REMOVE)) {
                EXPECT_EQ(msg.lParam, 0);
                return static_cast<int>(msg.wParam);
            }
            const DWORD waited = GetTickCount() - start;
            if (waited >= ms) return -1;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - waited, QS_POSTMESSAGE);
        }
    }
    // True when a WM_TRANSFER_DONE is waiting now.
    bool Pending() {
        MSG msg;
        return PeekMessageW(&msg, wnd_, WM_TRANSFER_DONE, WM_TRANSFER_DONE, PM_NOREMOVE) != 0;
    }

private:
    HWND wnd_;
};

bool ReaderRuns(DeviceStore& store) { return store.Reader().Running(); }

UploadStart Start(DeviceStore& store, HWND notify, int performance, uint32_t dpi = 1800) {
    return performance ? store.StartPerformanceUpload(notify, WM_TRANSFER_DONE, dpi)
                       : store.StartButtonUpload(notify, WM_TRANSFER_DONE);
}

void SetFaults(const vmouse::Faults& faults) { vmouse::Write(vmouse::ReadMemory(), faults); }

class TransfersTest : public ::testing::Test {
protected:
    void SetUp() override {
        vmouse::Write(vmouse::FactoryMemory(), vmouse::Faults{});
        TheBusyEvent().SetIdle();
        ASSERT_TRUE(window_.Handle());
    }
    // Waits for the last upload thread too, so that the next case starts clean.
    int WaitDone(DeviceStore& store) {
        const int result = window_.Wait();
        if (store.TransferThread()) WaitForSingleObject(store.TransferThread(), 5000);
        return result;
    }
    MessageRecorder messages_;
    DoneWindow window_;
};

TEST_F(TransfersTest, ButtonUploadReportsSuccessAndRestartsTheReader) {
    DeviceStore store;
    ASSERT_EQ(store.LoadFromDevice(), 1);
    ASSERT_TRUE(ReaderRuns(store));
    store.SetCommand(0, 1, 2);
    store.ToggleWheelSwap();
    vmouse::Transcript transcript;
    ASSERT_EQ(Start(store, window_.Handle(), 0), UploadStart::Started);
    EXPECT_EQ(WaitDone(store), 1);
    EXPECT_FALSE(TheBusyEvent().IsBusy());
    EXPECT_TRUE(ReaderRuns(store)) << "the upload starts the next reader";
    std::vector<Bytes> table;
    for (const FunctionRecord& r : store.Table()) table.push_back(vmouse::ToBytes(r));
    EXPECT_EQ(transcript.Reports("out"), table);
    const vmouse::Memory mouse = vmouse::ReadMemory();
    EXPECT_EQ(std::vector<Bytes>(mouse.records.begin(), mouse.records.end()), table);
}

TEST_F(TransfersTest, PerformanceUploadReportsSuccess) {
    DeviceStore store;
    ASSERT_EQ(store.LoadFromDevice(), 1);
    store.SetMouseFunction(9, 'D');
    ASSERT_EQ(Start(store, window_.Handle(), 1, 4800), UploadStart::Started);
    EXPECT_EQ(WaitDone(store), 1);
    EXPECT_FALSE(TheBusyEvent().IsBusy());
    EXPECT_TRUE(ReaderRuns(store));
    const vmouse::Memory mouse = vmouse::ReadMemory();
    EXPECT_EQ(mouse.dpi, 24u);
    EXPECT_EQ(mouse.records[9], (Bytes{0, 4, 9, 4, 1, 0, 0, 0, 0}));
}

TEST_F(TransfersTest, SecondApplyDuringAnUploadIsRefused) {
    vmouse::Faults slow;
    slow.latencyMs = 8;  // a 125 Hz poll: the upload takes a third of a second
    SetFaults(slow);
    DeviceStore store;
    ASSERT_EQ(store.LoadFromDevice(), 1);
    vmouse::Transcript transcript;
    ASSERT_EQ(Start(store, window_.Handle(), 0), UploadStart::Started);
    EXPECT_TRUE(TheBusyEvent().IsBusy());
    EXPECT_EQ(Start(store, window_.Handle(), 0), UploadStart::Busy);
    EXPECT_EQ(Start(store, window_.Handle(), 1, 800), UploadStart::Busy);
    EXPECT_EQ(WaitDone(store), 1);
    EXPECT_FALSE(window_.Pending()) << "the refused applies post nothing";
    EXPECT_EQ(transcript.Reports("out").size(), 20u) << "one upload only";
    EXPECT_EQ(transcript.Texts("open").size(), 1u) << "the refused applies never opened the mouse";

    ASSERT_EQ(Start(store, window_.Handle(), 0), UploadStart::Started) << "accepted once idle";
    EXPECT_EQ(WaitDone(store), 1);
}

TEST_F(TransfersTest, WaitingForIdleLetsARunningUploadFinish) {
    vmouse::Faults slow;
    slow.latencyMs = 8;
    SetFaults(slow);
    DeviceStore store;
    ASSERT_EQ(store.LoadFromDevice(), 1);
    store.Records().Table()[18].bytes[4] = 32;  // a late slot, so the whole upload must be through
    ASSERT_EQ(Start(store, window_.Handle(), 0), UploadStart::Started);
    // What the program does at exit once its window has closed.
    EXPECT_TRUE(TheBusyEvent().WaitIdle(4000));
    EXPECT_EQ(vmouse::ReadMemory().records[18], (Bytes{0, 4, 18, 0, 32, 0, 0, 0, 0}));
    EXPECT_EQ(WaitDone(store), 1);
}

TEST_F(TransfersTest, UnpluggedAtEachReportIdlesAndALaterApplyIsAccepted) {
    DeviceStore store;
    ASSERT_EQ(store.LoadFromDevice(), 1);
    for (int performance : {0, 1}) {
        const int reports = performance ? 21 : 20;
        for (int n = 1; n <= reports; ++n) {
            const std::string row = (performance ? "performance" : "buttons") + std::string(", unplugged at report ") +
                                    std::to_string(n);
            vmouse::Faults unplugged;
            unplugged.failWritesFrom = n;
            SetFaults(unplugged);
            vmouse::Transcript transcript;
            ASSERT_EQ(Start(store, window_.Handle(), performance), UploadStart::Started) << row;
            EXPECT_EQ(WaitDone(store), 0) << row << ": a lost report fails the upload";
            EXPECT_FALSE(TheBusyEvent().IsBusy()) << row;
            EXPECT_EQ(transcript.Reports("out").size(), static_cast<size_t>(n - 1)) << row;

            SetFaults(vmouse::Faults{});
            ASSERT_EQ(Start(store, window_.Handle(), 0), UploadStart::Started) << row << ": later apply";
            EXPECT_EQ(WaitDone(store), 1) << row << ": later apply";
        }
    }
    EXPECT_TRUE(MessageRecorder::Texts().empty());
}

TEST_F(TransfersTest, WithoutMouseNoReaderUntilTheFirstApplyEnds) {
    vmouse::Faults absent;
    absent.absent = 1;
    SetFaults(absent);
    DeviceStore store;
    EXPECT_EQ(store.LoadFromDevice(), 0);
    EXPECT_TRUE(MessageRecorder::Texts().empty()) << "the window shows text 44 at start";
    EXPECT_FALSE(store.Reader().Thread());
    for (int performance : {0, 1}) {
        MessageRecorder::Clear();
        ASSERT_EQ(Start(store, window_.Handle(), performance, 600), UploadStart::Started) << "performance " << performance;
        EXPECT_EQ(WaitDone(store), 0) << "performance " << performance;
        EXPECT_EQ(MessageRecorder::Texts(), std::vector<std::wstring>{GetUiText(44)}) << "performance " << performance;
        EXPECT_FALSE(TheBusyEvent().IsBusy()) << "performance " << performance;
        EXPECT_TRUE(ReaderRuns(store)) << "performance " << performance;
    }
}

TEST_F(TransfersTest, StoppedReaderNoLongerTouchesTheLink) {
    DeviceStore store;
    ASSERT_EQ(store.LoadFromDevice(), 1);
    ASSERT_TRUE(ReaderRuns(store));
    HANDLE reader = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), store.Reader().Thread(), GetCurrentProcess(), &reader, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    ScopedHandle readerHandle(reader);
    Sleep(150);  // let it sit in a read that is waiting for the mouse
    ASSERT_EQ(store.Reader().Stop(), 1);
    EXPECT_FALSE(store.Reader().Thread());
    DWORD code = STILL_ACTIVE;
    ASSERT_TRUE(GetExitCodeThread(reader, &code));
    EXPECT_EQ(code, 0u) << "the reader has ended";

    // Whatever the mouse sends now is ours: the reader eats none of it.
    ASSERT_EQ(store.Link().SendReport(kConfigRequest), 1);
    Sleep(150);
    uint8_t first[9];
    ASSERT_EQ(store.Link().ReadReport(first), 1);
    EXPECT_EQ(first[2], 0) << "slot 0's record comes first";
    EXPECT_EQ(store.Reader().Stop(), 1) << "stopping without a reader is fine";
}

TEST_F(TransfersTest, ReaderKeepsReadingAfterFailedReads) {
    vmouse::Faults failing;
    failing.failReads = 1;
    SetFaults(failing);
    DeviceStore store;
    EXPECT_EQ(store.LoadFromDevice(), 0) << "no record came";
    Sleep(200);
    EXPECT_TRUE(ReaderRuns(store)) << "failed reads only slow it";
    EXPECT_EQ(store.Reader().Stop(), 1);
}

}  // namespace
