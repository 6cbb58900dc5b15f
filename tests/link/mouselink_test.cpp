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
    EXPECT_EQ(transcript.Reports("out").size(), 1u);
    EXPECT_EQ(transcript.Reports("out-failed").size(), 2u);
}

}  // namespace
