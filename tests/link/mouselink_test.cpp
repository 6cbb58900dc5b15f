// The report channel against the virtual mouse beside this program.
#include <gtest/gtest.h>

#include <cstring>

#include "link/MouseLink.h"
#include "VirtualMouseFiles.h"

namespace {

using vmouse::Bytes;

const uint8_t kConfigRequest[9] = {0x00, 0x04, 0xAA, 0x55, 0, 0, 0, 0, 0};

Bytes B(const uint8_t (&r)[9]) {
    Bytes b;
    for (int i = 0; i < 9; ++i) b[i] = r[i];
    return b;
}

class MouseLinkTest : public ::testing::Test {
protected:
    void Use(const vmouse::Faults& faults, const vmouse::Memory& memory = vmouse::FactoryMemory()) {
        vmouse::Write(memory, faults);
    }
    void SetUp() override { Use(vmouse::Faults{}); }
};

TEST_F(MouseLinkTest, ConfigurationRequestYieldsTwentyRecordsThenDpi) {
    vmouse::Memory memory = vmouse::FactoryMemory();
    memory.records[4] = {0, 4, 4, 1, 0x01, 0, 0x06, 0, 0};
    memory.dpi = 16;
    Use(vmouse::Faults{}, memory);
    vmouse::Transcript transcript;
    MouseLink link;
    ASSERT_EQ(link.OpenMouse(), 1);
    EXPECT_EQ(link.InputLength(), 9u);
    EXPECT_EQ(link.OutputLength(), 9u);
    EXPECT_EQ(link.SendReport(kConfigRequest), 1);
    for (int slot = 0; slot < 20; ++slot) {
        uint8_t buffer[9] = {};
        ASSERT_EQ(link.ReadReport(buffer), 1) << "slot " << slot;
        EXPECT_EQ(B(buffer), memory.records[slot]) << "slot " << slot;
    }
    uint8_t dpi[9] = {};
    ASSERT_EQ(link.ReadReport(dpi), 1);
    EXPECT_EQ(B(dpi), (Bytes{0, 4, 0xFF, 1, 16, 0, 0, 0, 0}));
    uint8_t none[9] = {};
    EXPECT_EQ(link.ReadReport(none), 0) << "nothing more is queued";
    EXPECT_EQ(transcript.Reports("out"), std::vector<Bytes>{B(kConfigRequest)});
    EXPECT_EQ(transcript.Reports("in").size(), 21u);
}

TEST_F(MouseLinkTest, OpeningAgainReleasesTheHeldHandle) {
    vmouse::Transcript transcript;
    {
        MouseLink link;
        for (int i = 0; i < 4; ++i) ASSERT_EQ(link.OpenMouse(), 1) << "open " << i;
    }
    std::vector<std::string> opens = transcript.Texts("open");
    ASSERT_EQ(opens.size(), 4u);
    for (const std::string& text : opens) EXPECT_NE(text.find("(1 open)"), std::string::npos) << text;
    std::vector<std::string> closes = transcript.Texts("close");
    ASSERT_EQ(closes.size(), 4u);
    EXPECT_NE(closes.back().find("(0 open)"), std::string::npos) << "the destructor closes the last handle";
}

TEST_F(MouseLinkTest, AbsentMouseIsNotOpenedAndNothingIsWritten) {
    vmouse::Faults faults;
    faults.absent = 1;
    Use(faults);
    vmouse::Transcript transcript;
    MouseLink link;
    EXPECT_EQ(link.OpenMouse(), 0);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.SendReport(kConfigRequest), 0);
    EXPECT_EQ(link.SendReportChecked(kConfigRequest), 0) << "nothing was written";
    uint8_t buffer[9];
    EXPECT_EQ(link.ReadReport(buffer), 0);
    EXPECT_EQ(transcript.Texts("open-refused").size(), 1u);
    EXPECT_TRUE(transcript.Reports("out").empty());
    EXPECT_TRUE(transcript.Reports("out-failed").empty());
}

TEST_F(MouseLinkTest, ReportLengthsThatDoNotFitNineBytesAreRefused) {
    struct Row {
        int input, output;
        int opens;
    } rows[] = {{9, 9, 1}, {8, 9, 1}, {9, 5, 1}, {1, 9, 1}, {10, 9, 0}, {9, 10, 0},
                {0, 9, 0}, {9, 0, 0}, {65, 65, 0}, {64, 9, 0}};
    for (const Row& row : rows) {
        vmouse::Faults faults;
        faults.inputLength = row.input;
        faults.outputLength = row.output;
        Use(faults);
        vmouse::Transcript transcript;
        MouseLink link;
        const std::string name = "lengths in " + std::to_string(row.input) + " out " + std::to_string(row.output);
        EXPECT_EQ(link.OpenMouse(), row.opens) << name;
        EXPECT_EQ(link.IsOpen(), row.opens == 1) << name;
        EXPECT_EQ(link.SendReport(kConfigRequest), row.opens) << name;
        if (!row.opens) {
            EXPECT_EQ(transcript.Texts("close").size(), 1u) << name << ": the refused handle is closed";
            EXPECT_TRUE(transcript.Reports("out").empty()) << name;
        } else {
            uint8_t buffer[9];
            std::memset(buffer, 0xCC, sizeof buffer);
            ASSERT_EQ(link.ReadReport(buffer), 1) << name;
            for (int i = row.input; i < 9; ++i) EXPECT_EQ(buffer[i], 0xCC) << name << ": byte " << i << " past the report";
        }
    }
}

TEST_F(MouseLinkTest, CheckedSendConsumesTheAnswerEchoOrNot) {
    const uint8_t record[9] = {0, 4, 3, 0, 8, 0, 0, 0, 0};
    for (int noEcho : {0, 1}) {
        vmouse::Faults faults;
        faults.noEcho = noEcho;
        Use(faults);
        vmouse::Transcript transcript;
        MouseLink link;
        ASSERT_EQ(link.OpenMouse(), 1);
        EXPECT_EQ(link.SendReportChecked(record), 1) << "no-echo " << noEcho;
        uint8_t left[9];
        EXPECT_EQ(link.ReadReport(left), 0) << "no-echo " << noEcho << ": the answer was consumed";
        ASSERT_EQ(transcript.Reports("in").size(), 1u) << "no-echo " << noEcho;
        EXPECT_EQ(transcript.Reports("in")[0] == B(record), noEcho == 0) << "no-echo " << noEcho;
        EXPECT_EQ(vmouse::ReadMemory().records[3], B(record)) << "no-echo " << noEcho;
    }
}

TEST_F(MouseLinkTest, FailedWritesAndReadsAreReported) {
    vmouse::Faults faults;
    faults.failWritesFrom = 2;
    Use(faults);
    vmouse::Transcript transcript;
    MouseLink link;
    ASSERT_EQ(link.OpenMouse(), 1);
    const uint8_t record[9] = {0, 4, 0, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(link.SendReport(record), 1) << "first write";
    EXPECT_EQ(link.SendReport(record), 0) << "second write: unplugged";
    EXPECT_EQ(link.SendReportChecked(record), 0) << "a checked send reports its write";
    uint8_t buffer[9];
    EXPECT_EQ(link.ReadReport(buffer), 0);
    EXPECT_NE(link.LastError().find(L"read: (0x0000048F)"), std::wstring::npos);
    EXPECT_EQ(transcript.Reports("out").size(), 1u);
    EXPECT_EQ(transcript.Reports("out-failed").size(), 2u);
    // What went wrong before does not stay to be blamed for later.
    Use(vmouse::Faults{});
    ASSERT_EQ(link.OpenMouse(), 1);
    EXPECT_EQ(link.LastError(), L"");
}

struct PendingRead {
    sonix::ReadFn read;
    HANDLE device;
    uint8_t buffer[64];
    static DWORD WINAPI Run(void* arg) {
        PendingRead& j = *static_cast<PendingRead*>(arg);
        DWORD n = 0;
        return j.read(j.device, j.buffer, 9, &n) ? 1 : 0;
    }
};

// A read waits for the USB poll outside the mouse's lock. An open in that
// time may announce a longer input report (here 64 bytes), but the read
// fills only the length its buffer was checked against.
TEST_F(MouseLinkTest, AReopenDuringAReadNeverOverrunsItsBuffer) {
    const std::wstring path = vmouse::Dir() + L"SonixUSB.DLL";
    HMODULE lib = LoadLibraryW(path.c_str());
    ASSERT_NE(lib, nullptr);
    auto open = reinterpret_cast<sonix::OpenFn>(reinterpret_cast<void*>(GetProcAddress(lib, MAKEINTRESOURCEA(sonix::kOpen))));
    auto close = reinterpret_cast<sonix::CloseFn>(reinterpret_cast<void*>(GetProcAddress(lib, MAKEINTRESOURCEA(sonix::kClose))));
    auto read = reinterpret_cast<sonix::ReadFn>(reinterpret_cast<void*>(GetProcAddress(lib, MAKEINTRESOURCEA(sonix::kReadInput))));
    auto write = reinterpret_cast<sonix::WriteFn>(reinterpret_cast<void*>(GetProcAddress(lib, MAKEINTRESOURCEA(sonix::kWriteOutput))));
    ASSERT_TRUE(open && close && read && write);
    int overruns = 0;
    for (int round = 0; round < 10; ++round) {
        vmouse::Faults slow;
        slow.latencyMs = 100;  // the read's wait for the poll
        Use(slow);
        HANDLE device = open(sonix::kVendorId, sonix::kProductId);
        ASSERT_NE(device, INVALID_HANDLE_VALUE);
        DWORD count = 0;
        ASSERT_TRUE(write(device, kConfigRequest, 9, &count));
        PendingRead job{read, device, {}};
        std::memset(job.buffer, 0xCC, sizeof job.buffer);
        HANDLE thread = CreateThread(nullptr, 0, &PendingRead::Run, &job, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        Sleep(10);  // the read has its report and waits for the poll
        vmouse::Faults longer = slow;
        longer.inputLength = 64;
        Use(longer);
        HANDLE other = open(sonix::kVendorId, sonix::kProductId);
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
        if (other != INVALID_HANDLE_VALUE) close(other);
        close(device);
        for (int i = 9; i < 64; ++i)
            if (job.buffer[i] != 0xCC) {
                ++overruns;
                break;
            }
    }
    FreeLibrary(lib);
    EXPECT_EQ(overruns, 0) << "reads wrote past the 9 bytes they were given";
}

}  // namespace

namespace {

// Two copies of the library, as two programs load it, on one memory file:
// what one writes, the other's next configuration read answers, though
// both had the mouse open before.
TEST_F(MouseLinkTest, TwoCopiesOfTheLibrarySeeOneMouse) {
    const std::wstring second = vmouse::Dir() + L"SecondProgram.dll";
    ASSERT_TRUE(CopyFileW((vmouse::Dir() + L"SonixUSB.DLL").c_str(), second.c_str(), FALSE));
    MouseLink window, cli(second);
    ASSERT_EQ(window.OpenMouse(), 1);
    ASSERT_EQ(cli.OpenMouse(), 1);
    const uint8_t copy[9] = {0, 4, 4, 1, 0x01, 0, 0x06, 0, 0};
    const uint8_t dpi[9] = {0, 4, 0xFF, 1, 24, 0, 0, 0, 0};
    for (int round = 0; round < 2; ++round) {
        MouseLink& writer = round ? window : cli;
        MouseLink& reader = round ? cli : window;
        ASSERT_EQ(writer.SendReportChecked(round ? dpi : copy), 1);
        ASSERT_EQ(reader.SendReport(kConfigRequest), 1);
        uint8_t answer[9] = {};
        for (int i = 0; i <= (round ? 20 : 4); ++i) ASSERT_EQ(reader.ReadReport(answer), 1) << i;
        if (round)
            EXPECT_EQ(answer[4], 24) << "the DPI the other copy set";
        else
            EXPECT_EQ(vmouse::Hex(B(answer)), vmouse::Hex(B(copy))) << "slot 4 as the other copy wrote it";
    }
}

}  // namespace
