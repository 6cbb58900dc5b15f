// Background uploads and the reader between them, against the virtual mouse.
// The outcome arrives at a message-only window, as at the Buttons page.
#include <gtest/gtest.h>
#include <objbase.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "config/DeviceStore.h"
#include "files/LogFile.h"
#include "i18n/Language.h"
#include "link/Busy.h"
#include "link/DeviceLock.h"
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

// The window program's applies: the button table, or the rate and this DPI.
UploadStart Start(DeviceStore& store, HWND notify, int performance, uint32_t dpi = 1800) {
    if (performance) store.ChooseDpi(static_cast<int32_t>(dpi));
    const UploadPolicy policy(store.Model());
    return store.StartUpload(performance ? policy.Performance() : policy.Buttons(), notify, WM_TRANSFER_DONE);
}

void SetFaults(const vmouse::Faults& faults) { vmouse::Write(vmouse::ReadMemory(), faults); }

bool Same(const RecordArray& a, const RecordArray& b) { return std::memcmp(a.data(), b.data(), sizeof a) == 0; }

std::vector<Bytes> ToBytes(const RecordArray& table) {
    std::vector<Bytes> v;
    for (const FunctionRecord& r : table) v.push_back(vmouse::ToBytes(r));
    return v;
}


class TransfersTest : public ::testing::Test {
protected:
    void SetUp() override {
        vmouse::Write(vmouse::FactoryMemory(), vmouse::Faults{});
        TheBusyEvent().SetIdle();
        ASSERT_TRUE(window_.Handle());
    }
    // The done message's status, after the store took the outcome; waits
    // for the last upload thread too, so that the next case starts clean.
    int WaitDone(DeviceStore& store) {
        const int result = window_.Wait();
        if (result >= 0) {
            EXPECT_EQ(static_cast<int>(store.FinishTransfer().status), result);
        }
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
            store.ToggleWheelSwap();  // the table now differs from what the mouse holds
            const RecordArray image = store.DeviceImage();
            vmouse::Transcript transcript;
            ASSERT_EQ(Start(store, window_.Handle(), performance), UploadStart::Started) << row;
            EXPECT_EQ(WaitDone(store), 0) << row << ": a lost report fails the upload";
            EXPECT_TRUE(Same(store.DeviceImage(), image)) << row << ": DeviceImage claims what the mouse never got";
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
        EXPECT_EQ(WaitDone(store), static_cast<int>(TransferStatus::NoMouse)) << "performance " << performance;
        EXPECT_TRUE(MessageRecorder::Texts().empty()) << "performance " << performance << ": the window tells the user";
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

    // The stop closed the link under the reader's read; whatever the mouse
    // sends after a new open is ours: the reader eats none of it.
    EXPECT_FALSE(store.Link().IsOpen());
    ASSERT_EQ(store.Link().OpenMouse(), 1);
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

// Edits while an upload runs (Load Default Config here) do not reach it:
// the mouse ends up with exactly what the upload took, and so does DeviceImage.
TEST_F(TransfersTest, ResetDuringAnUploadLeavesTheMouseWithWhatTheUploadTook) {
    vmouse::Faults slow;
    slow.latencyMs = 8;  // about a third of a second for the whole upload
    SetFaults(slow);
    DeviceStore store;
    ASSERT_EQ(store.LoadFromDevice(), 1);
    store.SetCommand(0, 1, 2);
    store.SetMouseFunction(3, 128);
    store.ToggleWheelSwap();
    store.SetMouseFunction(13, 16);
    const RecordArray taken = store.Table();
    ASSERT_EQ(Start(store, window_.Handle(), 0), UploadStart::Started);
    Sleep(80);
    store.ResetTableToDefaults();
    EXPECT_EQ(WaitDone(store), 1);
    const vmouse::Memory mouse = vmouse::ReadMemory();
    EXPECT_EQ(std::vector<Bytes>(mouse.records.begin(), mouse.records.end()), ToBytes(taken));
    EXPECT_EQ(ToBytes(store.DeviceImage()), ToBytes(taken)) << "DeviceImage is what the mouse holds";
    EXPECT_EQ(ToBytes(store.Table()), ToBytes(RecordTable::Defaults())) << "the reset itself stays";
}

// A thread that ends at once (no mouse) must find BusyEvent already reset,
// or its idle signal comes first and the program stays busy for good.
TEST_F(TransfersTest, UploadsThatEndAtOnceNeverLeaveTheProgramBusy) {
    vmouse::Faults absent;
    absent.absent = 1;
    SetFaults(absent);
    DeviceStore store;
    constexpr int kRounds = 60;  // the race is short: each round is a chance to meet it
    for (int round = 0; round < kRounds; ++round) {
        ASSERT_EQ(Start(store, window_.Handle(), round % 2), UploadStart::Started) << "round " << round;
        ASSERT_EQ(WaitDone(store), static_cast<int>(TransferStatus::NoMouse)) << "round " << round;
        ASSERT_FALSE(TheBusyEvent().IsBusy()) << "round " << round;
    }
    EXPECT_TRUE(MessageRecorder::Texts().empty()) << "a transfer thread shows no box";
}

// A reader whose read outlasts the stop wait (a library that lets a read
// run on after its handle was closed) still uses the link: the upload must
// not start beside it.
TEST_F(TransfersTest, AReaderThatOutlastsTheStopWaitRefusesTheUpload) {
    vmouse::Faults slowReads;
    slowReads.readTimeoutMs = 1600;  // longer than the reader's stop wait
    slowReads.readsOutliveClose = 1;
    SetFaults(slowReads);
    DeviceStore store;
    ASSERT_EQ(store.LoadFromDevice(), 1);
    Sleep(50);  // the reader now waits in a read
    vmouse::Transcript transcript;
    EXPECT_EQ(Start(store, window_.Handle(), 0), UploadStart::Failed);
    EXPECT_FALSE(TheBusyEvent().IsBusy());
    EXPECT_TRUE(store.Reader().Thread()) << "the reader's handle is kept while it runs";
    EXPECT_TRUE(transcript.Reports("out").empty()) << "nothing was sent beside the reader";
    Sleep(800);  // its read has ended, and with it the reader
    ASSERT_EQ(Start(store, window_.Handle(), 0), UploadStart::Started);
    EXPECT_EQ(WaitDone(store), 1);
}

// Bytes 0..2 of a record address the mouse: whatever a profile or an edit
// holds there, every record goes to its own slot, and nothing else.
TEST_F(TransfersTest, HostileRecordsNeverAddressAnythingButTheirSlot) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        // Button0 sets the DPI, Button1 asks for a configuration dump,
        // Button2 has another report id and command.
        const int hostile[3][3] = {{0, 4, 255}, {0, 4, 170}, {7, 9, 2}};
        std::string text = "<Mirvostan><Version>1</Version><MouseFun>";
        const RecordArray defaults = RecordTable::Defaults();
        for (int i = 0; i < kRecordCount; ++i) {
            text += "<Button" + std::to_string(i) + ">";
            for (int j = 0; j < kRecordSize; ++j) {
                int value = defaults[i].bytes[j];
                if (i < 3 && j < 3) value = hostile[i][j];
                if (i == 0 && j == 3) value = 1;
                if (i == 1 && j == 3) value = 0x55;
                text += "<Byte" + std::to_string(j) + ">" + std::to_string(value) + "</Byte" + std::to_string(j) + ">";
            }
            text += "</Button" + std::to_string(i) + ">";
        }
        text += "</MouseFun></Mirvostan>";
        const std::wstring path = vmouse::Dir() + L"hostile.mvf";
        std::ofstream(path.c_str(), std::ios::binary) << text;

        const struct {
            const char* name;
            int performance;
            bool profile;  // else the table is edited directly
            bool background;
        } rows[] = {{"profile, button upload", 0, true, true},
                    {"profile, performance upload", 1, true, true},
                    {"edited table, button upload", 0, false, true},
                    {"edited table, synchronous button upload", 0, false, false},
                    {"profile, synchronous performance upload", 1, true, false}};
        for (const auto& row : rows) {
            vmouse::Write(vmouse::FactoryMemory(), vmouse::Faults{});
            DeviceStore store;
            ASSERT_EQ(store.LoadFromDevice(), 1) << row.name;
            if (row.profile) {
                ASSERT_EQ(store.LoadProfile(path), ProfileStatus::Accepted) << row.name;
            } else {
                store.Records().Table()[0].bytes[2] = 0xFF;
                store.Records().Table()[1].bytes[2] = 0xAA;
                store.Records().Table()[2].bytes[0] = 7;
            }
            vmouse::Transcript transcript;
            if (row.background) {
                ASSERT_EQ(Start(store, window_.Handle(), row.performance, 1200), UploadStart::Started) << row.name;
                EXPECT_EQ(WaitDone(store), 1) << row.name;
            } else {
                ASSERT_TRUE(store.Reader().Stop()) << row.name;
                if (row.performance) store.ChooseDpi(1200);
                const UploadPolicy policy(store.Model());
                EXPECT_TRUE(store.UploadNow(row.performance ? policy.Performance() : policy.Buttons()).Ok()) << row.name;
            }
            const std::vector<Bytes> out = transcript.Reports("out");
            ASSERT_EQ(out.size(), row.performance ? 21u : 20u) << row.name;
            for (int slot = 0; slot < kRecordCount; ++slot)
                EXPECT_EQ((Bytes{out[slot][0], out[slot][1], out[slot][2]}),
                          (Bytes{0, 4, static_cast<uint8_t>(slot)}))
                    << row.name << ", slot " << slot;
            EXPECT_EQ(vmouse::ReadMemory().dpi, row.performance ? 6u : 3u) << row.name << ": only the DPI report sets it";
            EXPECT_EQ(transcript.Reports("in").size(), 20u) << row.name << ": no configuration dump";
        }
    }
    CoUninitialize();
}

// At exit a reader may still be inside the library, in a read that outlasts
// the stop wait: the library stays under it, and its read ends harmlessly.
TEST_F(TransfersTest, AReaderThatWillNotStopAtExitKeepsTheLibrary) {
    vmouse::Faults slowReads;
    slowReads.readTimeoutMs = 2000;
    slowReads.readsOutliveClose = 1;  // a library that cannot cut a read short
    SetFaults(slowReads);
    const std::wstring library = vmouse::Dir() + L"SonixUSB.DLL";
    {
        std::unique_ptr<DeviceStore> store(new DeviceStore);
        ASSERT_EQ(store->LoadFromDevice(), 1);
        Sleep(50);  // the reader now waits in a read
    }
    EXPECT_NE(GetModuleHandleW(library.c_str()), nullptr) << "the library went while the reader was in it";
    Sleep(2100);  // the read ends in a library that must still be there
}

// At exit a transfer thread may outlive the wait (a mouse that answers
// slowly): the store goes, but what the thread uses, the library included,
// stays.
TEST_F(TransfersTest, ATransferThatOutlivesTheExitWaitKeepsTheLibrary) {
    vmouse::Faults slow;
    slow.latencyMs = 40;  // 40 reports: over a second and a half
    SetFaults(slow);
    const std::wstring library = vmouse::Dir() + L"SonixUSB.DLL";
    {
        std::unique_ptr<DeviceStore> store(new DeviceStore);
        ASSERT_EQ(store->StartUpload(UploadPolicy(store->Model()).Buttons(), window_.Handle(), WM_TRANSFER_DONE),
                  UploadStart::Started);
        store->WaitTransfersAtExit(50);
    }
    EXPECT_NE(GetModuleHandleW(library.c_str()), nullptr) << "the library stays loaded";
    EXPECT_EQ(window_.Wait(), static_cast<int>(TransferStatus::Ok)) << "the thread ends on its own";
    EXPECT_FALSE(TheBusyEvent().IsBusy());
}

}  // namespace

namespace {

// The reader's pace: read, and the pause that follows (0 = read again).
TEST(DrainPaceTest, QuietMouseRestsAndDeadChannelBacksOff) {
    struct Step {
        int read;
        DWORD spentMs;
        DWORD pause;
    };
    const struct {
        const char* what;
        std::vector<Step> steps;
    } rows[] = {
        {"reports keep it reading", {{1, 0, 0}, {1, 5, 0}, {0, 100, 0}, {1, 2, 0}}},
        {"quiet after three time-outs", {{0, 100, 0}, {0, 100, 0}, {0, 100, kDrainIdlePauseMs}, {0, 100, kDrainIdlePauseMs}}},
        {"a report ends the rest", {{0, 100, 0}, {0, 100, 0}, {0, 100, kDrainIdlePauseMs}, {1, 0, 0}, {0, 100, 0}}},
        {"dead channel doubles up to the cap",
         {{0, 0, 30}, {0, 0, 60}, {0, 1, 120}, {0, 0, 240}, {0, 0, 480}, {0, 0, 960}, {0, 0, 1920}, {0, 0, 2000}, {0, 0, 2000}}},
        {"a working read resets the back-off", {{0, 0, 30}, {0, 0, 60}, {1, 0, 0}, {0, 0, 30}}},
    };
    for (const auto& row : rows) {
        DrainPace pace;
        for (size_t i = 0; i < row.steps.size(); ++i)
            EXPECT_EQ(pace.Next(row.steps[i].read, row.steps[i].spentMs), row.steps[i].pause) << row.what << ", step " << i;
    }
}

// Holds the mouse as another program would, on a thread of its own (the
// mutex is the thread's, not the process's).
class OtherProgram {
public:
    OtherProgram() : taken_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        thread_.Reset(CreateThread(nullptr, 0, Hold, this, 0, nullptr));
        WaitForSingleObject(taken_.Get(), 10000);
    }
    ~OtherProgram() {
        SetEvent(done_.Get());
        WaitForSingleObject(thread_.Get(), 10000);
    }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

private:
    static DWORD WINAPI Hold(void* arg) {
        auto* self = static_cast<OtherProgram*>(arg);
        DeviceLock lock(0);
        SetEvent(self->taken_.Get());
        WaitForSingleObject(self->done_.Get(), 20000);
        return 0;
    }
    ScopedHandle taken_, done_, thread_;
};

std::string LogText() {
    std::ifstream file("Mirvostan.log", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::string text;  // UTF-16LE of ASCII lines: every other byte
    for (size_t i = 2; i < bytes.size(); i += 2) text += bytes[i];
    return text;
}

}  // namespace

// A stop does not wait out a long read; another program's exchange makes an
// upload "busy" with nothing sent; a failure leaves the library's words in
// the log.
TEST_F(TransfersTest, StopClosesALongReadBusyMouseSendsNothingFailuresAreLogged) {
    vmouse::Faults slow;
    slow.readTimeoutMs = 5000;  // far past the stop wait
    SetFaults(slow);
    {
        DeviceStore store;
        ASSERT_EQ(store.LoadFromDevice(), 1);
        Sleep(100);
        EXPECT_EQ(store.Reader().Stop(), 1) << "the stop closed the pending read";
        EXPECT_FALSE(store.Reader().Thread());
    }
    SetFaults(vmouse::Faults{});
    DeviceStore store;
    ASSERT_EQ(store.LoadFromDevice(), 1);
    {
        OtherProgram other;
        for (int performance = 0; performance < 2; ++performance) {
            vmouse::Transcript transcript;
            ASSERT_EQ(Start(store, window_.Handle(), performance), UploadStart::Started);
            EXPECT_EQ(WaitDone(store), static_cast<int>(TransferStatus::Busy)) << "performance " << performance;
            EXPECT_TRUE(transcript.Reports("out").empty()) << "performance " << performance;
            EXPECT_FALSE(TheBusyEvent().IsBusy());
        }
    }
    ASSERT_EQ(Start(store, window_.Handle(), 0), UploadStart::Started);
    EXPECT_EQ(WaitDone(store), 1) << "free again";

    vmouse::Faults unplug;
    unplug.failWritesFrom = 3;
    SetFaults(unplug);
    ASSERT_EQ(Start(store, window_.Handle(), 0), UploadStart::Started);
    EXPECT_EQ(WaitDone(store), 0);
    TheLogFile().Flush();
    EXPECT_NE(LogText().find("button upload failed: write: (0x0000048F) "), std::string::npos) << LogText();
}
