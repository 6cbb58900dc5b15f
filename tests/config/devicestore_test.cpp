// The device store against the virtual mouse: what it reads, what the mouse
// receives (its transcript) and keeps (its memory).
#include <gtest/gtest.h>
#include <objbase.h>

#include <fstream>

#include "config/DeviceStore.h"
#include "files/LogFile.h"
#include "i18n/Language.h"
#include "link/Busy.h"
#include "link/Transfers.h"
#include "MessageRecorder.h"
#include "../link/VirtualMouseFiles.h"

namespace {

using vmouse::Bytes;

const Bytes kConfigRequest{0, 4, 0xAA, 0x55, 0, 0, 0, 0, 0};

std::vector<Bytes> ToBytes(const RecordArray& table) {
    std::vector<Bytes> v;
    for (const FunctionRecord& r : table) v.push_back(vmouse::ToBytes(r));
    return v;
}

std::vector<Bytes> ToBytes(const vmouse::Memory& m) { return std::vector<Bytes>(m.records.begin(), m.records.end()); }

// The window program's two applies, run on this thread.
int UploadButtons(DeviceStore& store) { return store.UploadNow(UploadPolicy(store.Model()).Buttons()).Ok() ? 1 : 0; }
int UploadPerformance(DeviceStore& store, uint32_t dpi) {
    store.ChooseDpi(static_cast<int32_t>(dpi));
    return store.UploadNow(UploadPolicy(store.Model()).Performance()).Ok() ? 1 : 0;
}

// A mouse whose every slot differs from the defaults, each still carrying
// its own slot number.
vmouse::Memory CustomMemory() {
    vmouse::Memory m = vmouse::FactoryMemory();
    for (int s = 0; s < 20; ++s) {
        if (s % 10 == 9) continue;
        m.records[s] = {0, 4, static_cast<uint8_t>(s), 1, 0x01, 0, static_cast<uint8_t>(0x04 + s), 0, 0};
    }
    m.records[9] = {0, 4, 9, 4, 8, 0, 0, 0, 0};
    m.records[19] = {0, 4, 19, 4, 1, 0, 0, 0, 0};
    m.dpi = 12;
    return m;
}

class DeviceStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        vmouse::Write(vmouse::FactoryMemory(), vmouse::Faults{});
        TheBusyEvent().SetIdle();
    }
    MessageRecorder messages_;
    const std::wstring cantOpen_ = GetUiText(44);
};

TEST_F(DeviceStoreTest, ConstructionGivesDefaultsAndOpensTheLog) {
    {
        DeviceStore store;
        EXPECT_EQ(ToBytes(store.Table()), ToBytes(RecordTable::Defaults()));
        EXPECT_EQ(ToBytes(store.DeviceImage()), ToBytes(RecordTable::Defaults()));
        EXPECT_EQ(store.GetDpi(), 600);
        EXPECT_EQ(store.GetReportRate(), 2);
        EXPECT_FALSE(store.Reader().Thread());
        EXPECT_FALSE(store.Link().IsOpen());
        EXPECT_TRUE(TheLogFile().IsOpen());
        EXPECT_EQ(TheLogFile().Name(), L"Mirvostan.log");
    }
    EXPECT_FALSE(TheLogFile().IsOpen()) << "the store closes the log";
}

TEST_F(DeviceStoreTest, WithoutMouseDefaultsStayOneMessageNoReader) {
    struct Row {
        const char* name;
        vmouse::Faults faults;
        std::wstring library;
    } rows[] = {
        {"absent", [] { vmouse::Faults f; f.absent = 1; return f; }(), L""},
        {"input report too long", [] { vmouse::Faults f; f.inputLength = 10; return f; }(), L""},
        {"output report too long", [] { vmouse::Faults f; f.outputLength = 65; return f; }(), L""},
        {"no library", vmouse::Faults{}, vmouse::Dir() + L"missing\\SonixUSB.DLL"},
    };
    for (const Row& row : rows) {
        vmouse::Write(CustomMemory(), row.faults);
        MessageRecorder::Clear();
        vmouse::Transcript transcript;
        DeviceStore store(row.library);
        EXPECT_EQ(store.LoadFromDevice(), 0) << row.name;
        EXPECT_TRUE(MessageRecorder::Texts().empty()) << row.name << ": the caller shows text 44";
        EXPECT_EQ(ToBytes(store.Table()), ToBytes(RecordTable::Defaults())) << row.name;
        EXPECT_FALSE(store.DpiKnown()) << row.name;
        EXPECT_EQ(store.GetReportRate(), 0) << row.name << ": the rate is not known";
        EXPECT_EQ(store.UnknownSlots(), kAllSlots) << row.name;
        EXPECT_FALSE(store.Reader().Thread()) << row.name << ": no DrainThread";
        EXPECT_TRUE(transcript.Reports("out").empty()) << row.name;
    }
}

TEST_F(DeviceStoreTest, LoadReadsTheMouseAndKeepsOneHandle) {
    vmouse::Memory memory = CustomMemory();
    vmouse::Write(memory, vmouse::Faults{});
    vmouse::Transcript transcript;
    DeviceStore store;
    EXPECT_EQ(store.LoadFromDevice(), 1);
    EXPECT_TRUE(MessageRecorder::Texts().empty());
    EXPECT_EQ(ToBytes(store.Table()), ToBytes(memory));
    EXPECT_EQ(ToBytes(store.DeviceImage()), ToBytes(memory));
    EXPECT_EQ(store.GetDpi(), 2400);
    EXPECT_EQ(store.GetReportRate(), 8) << "slot 9's code";
    EXPECT_TRUE(store.Reader().Running());
    EXPECT_EQ(transcript.Reports("out"), std::vector<Bytes>{kConfigRequest});
    std::vector<std::string> opens = transcript.Texts("open");
    ASSERT_EQ(opens.size(), 2u);
    for (const std::string& text : opens) EXPECT_NE(text.find("(1 open)"), std::string::npos) << text;
}

TEST_F(DeviceStoreTest, DpiComesFromTheTwentyFirstReport) {
    const struct {
        unsigned divisor;
        int dpi;
    } rows[] = {{4, 800}, {3, 600}, {30, 6000}, {16, 3200}, {0, 0}, {255, 51000}};
    for (const auto& row : rows) {
        vmouse::Memory memory = vmouse::FactoryMemory();
        memory.dpi = row.divisor;
        vmouse::Write(memory, vmouse::Faults{});
        DeviceStore store;
        ASSERT_EQ(store.LoadFromDevice(), 1) << "divisor " << row.divisor;
        EXPECT_EQ(store.GetDpi(), row.dpi) << "divisor " << row.divisor;
    }
}

// A lost answer is asked for again (three requests at most); a slot that
// never answers stays unknown and keeps its default in the table.
TEST_F(DeviceStoreTest, LostAnswersAreAskedForAgain) {
    const vmouse::Memory memory = CustomMemory();
    const RecordArray defaults = RecordTable::Defaults();
    const struct {
        const char* name;
        int loseRead, silentSlot;
        size_t requests;
    } rows[] = {{"read 1 lost", 1, -1, 2},   {"read 7 lost", 7, -1, 2}, {"read 20 lost", 20, -1, 2},
                {"DPI report lost", 21, -1, 2}, {"slot 15 silent", 0, 15, 3}};
    for (const auto& row : rows) {
        vmouse::Faults faults;
        faults.loseRead = row.loseRead;
        faults.silentSlot = row.silentSlot;
        vmouse::Write(memory, faults);
        vmouse::Transcript transcript;
        DeviceStore store;
        EXPECT_EQ(store.LoadFromDevice(), 1) << row.name;
        size_t requests = 0;
        for (const Bytes& b : transcript.Reports("out")) requests += b == kConfigRequest;
        EXPECT_EQ(requests, row.requests) << row.name;
        for (int slot = 0; slot < 20; ++slot) {
            const Bytes expected = slot == row.silentSlot ? vmouse::ToBytes(defaults[slot]) : memory.records[slot];
            EXPECT_EQ(vmouse::ToBytes(store.Table()[slot]), expected) << row.name << ", slot " << slot;
        }
        EXPECT_EQ(store.UnknownSlots(), row.silentSlot < 0 ? 0u : SlotBit(row.silentSlot)) << row.name;
        EXPECT_EQ(store.GetDpi(), 2400) << row.name;
        EXPECT_TRUE(store.DpiKnown()) << row.name;
    }
}

TEST_F(DeviceStoreTest, PerformanceApplySendsImageThenDpiButNoButtonEdits) {
    vmouse::Write(CustomMemory(), vmouse::Faults{});
    DeviceStore store;
    ASSERT_EQ(store.LoadFromDevice(), 1);
    ASSERT_TRUE(store.Reader().Stop());
    const RecordArray image = store.DeviceImage();
    // Load Default Config is an edit too: the mouse keeps its records.
    store.ResetTableToDefaults();
    store.SetCommand(0, 1, 2);
    for (int slot = 1; slot <= 4; ++slot) store.SetMouseFunction(slot, 128);
    store.SetMouseFunction(9, 'f');
    vmouse::Transcript transcript;
    EXPECT_EQ(UploadPerformance(store, 800), 1);
    EXPECT_FALSE(TheBusyEvent().IsBusy());

    std::vector<Bytes> expected = ToBytes(image);
    expected[9] = {0, 4, 9, 4, 8, 0, 0, 0, 0};
    expected.push_back({0, 4, 0xFF, 1, 4, 0, 0, 0, 0});
    EXPECT_EQ(transcript.Reports("out"), expected);
    EXPECT_EQ(transcript.Reports("in").size(), 20u) << "one answer consumed per record";
    // The mouse gets a pause after the records before the DPI.
    const std::vector<vmouse::Event> events = transcript.Events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_GE(events[events.size() - 1].ms - events[events.size() - 2].ms, 49.0) << "pause before the DPI report";

    const vmouse::Memory mouse = vmouse::ReadMemory();
    EXPECT_EQ(mouse.dpi, 4u);
    for (int slot = 0; slot <= 4; ++slot)
        EXPECT_EQ(mouse.records[slot], vmouse::ToBytes(image[slot])) << "slot " << slot << ": unapplied edit reached the mouse";
    EXPECT_EQ(store.GetDpi(), 800);
    EXPECT_EQ(store.GetReportRate(), 8) << "the rate the mouse now holds";
}

TEST_F(DeviceStoreTest, DpiReportCarriesDpiOverTwoHundred) {
    const struct {
        uint32_t dpi;
        uint8_t divisor;
    } rows[] = {{600, 3},   {1200, 6},  {1800, 9}, {2400, 12}, {3200, 16},
                {4800, 24}, {6000, 30}, {900, 4},  {51200, 0}, {51400, 1}};
    DeviceStore store;
    ASSERT_EQ(store.LoadFromDevice(), 1);
    ASSERT_TRUE(store.Reader().Stop());
    for (const auto& row : rows) {
        vmouse::Transcript transcript;
        EXPECT_EQ(UploadPerformance(store, row.dpi), 1) << "DPI " << row.dpi;
        const std::vector<Bytes> out = transcript.Reports("out");
        ASSERT_EQ(out.size(), 21u) << "DPI " << row.dpi;
        EXPECT_EQ(out.back(), (Bytes{0, 4, 0xFF, 1, row.divisor, 0, 0, 0, 0})) << "DPI " << row.dpi;
        EXPECT_EQ(vmouse::ReadMemory().dpi, row.divisor) << "DPI " << row.dpi;
    }
}

TEST_F(DeviceStoreTest, ButtonApplyUploadsTheTableInSlotOrder) {
    for (int noEcho : {0, 1}) {
        vmouse::Faults faults;
        faults.noEcho = noEcho;
        vmouse::Write(vmouse::FactoryMemory(), faults);
        DeviceStore store;
        ASSERT_EQ(store.LoadFromDevice(), 1);
        ASSERT_TRUE(store.Reader().Stop());
        store.SetCommand(0, 1, 2);
        store.SetMouseFunction(3, 128);
        store.ToggleWheelSwap();
        store.Records().Table()[15] = FunctionRecord{{0, 4, 15, 3, 7, 0, 9, 0, 0}};  // carried as it came
        vmouse::Transcript transcript;
        EXPECT_EQ(UploadButtons(store), 1) << "no-echo " << noEcho;
        EXPECT_EQ(ToBytes(store.DeviceImage()), ToBytes(store.Table())) << "no-echo " << noEcho;
        EXPECT_EQ(transcript.Reports("out"), ToBytes(store.Table())) << "no-echo " << noEcho;
        EXPECT_EQ(transcript.Reports("in").size(), 20u) << "no-echo " << noEcho;
        EXPECT_EQ(ToBytes(vmouse::ReadMemory()), ToBytes(store.Table())) << "no-echo " << noEcho;
    }
}

TEST_F(DeviceStoreTest, UploadWithoutMouseFailsAndSaysNothing) {
    vmouse::Faults faults;
    faults.absent = 1;
    vmouse::Write(vmouse::FactoryMemory(), faults);
    DeviceStore store;
    for (int performance : {0, 1}) {
        MessageRecorder::Clear();
        const int result = performance ? UploadPerformance(store, 1200) : UploadButtons(store);
        EXPECT_EQ(result, 0) << "performance " << performance;
        EXPECT_FALSE(TheBusyEvent().IsBusy()) << "performance " << performance;
        EXPECT_TRUE(MessageRecorder::Texts().empty()) << "performance " << performance;
        EXPECT_EQ(store.GetDpi(), 600) << "performance " << performance << ": the mouse never took 1200";
    }
}

TEST_F(DeviceStoreTest, UploadedConfigurationSurvivesARestart) {
    RecordArray uploaded;
    {
        DeviceStore store;
        ASSERT_EQ(store.LoadFromDevice(), 1);
        ASSERT_TRUE(store.Reader().Stop());
        store.SetCommand(1, 2, 1);
        store.SetMouseFunction(9, 'D');
        ASSERT_EQ(UploadButtons(store), 1);
        ASSERT_EQ(UploadPerformance(store, 3200), 1);
        uploaded = store.Table();
    }
    DeviceStore restarted;
    ASSERT_EQ(restarted.LoadFromDevice(), 1);
    EXPECT_EQ(ToBytes(restarted.Table()), ToBytes(uploaded));
    EXPECT_EQ(restarted.GetDpi(), 3200);
    EXPECT_EQ(restarted.GetReportRate(), 1);
}

// A profile load must not tell the window that no upload runs: a second
// upload would then interleave its reports with the first one's.
TEST_F(DeviceStoreTest, ProfileLoadLeavesTheBusyStateAlone) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        DeviceStore store;
        store.SetCommand(0, 1, 2);
        const std::wstring good = vmouse::Dir() + L"busy-good.mvf";
        ASSERT_EQ(store.SaveProfile(good), 1);
        const std::wstring newer = vmouse::Dir() + L"busy-newer.mvf";
        std::ofstream(newer.c_str(), std::ios::binary) << "<Mirvostan><Version>2</Version></Mirvostan>";
        const std::wstring missing = vmouse::Dir() + L"busy-missing.mvf";

        const struct {
            const char* name;
            std::wstring path;
            ProfileStatus status;
        } rows[] = {{"accepted", good, ProfileStatus::Accepted},
                    {"rejected version", newer, ProfileStatus::UnsupportedVersion},
                    {"missing file", missing, ProfileStatus::Unreadable}};
        for (const auto& row : rows) {
            const bool loaded = row.status == ProfileStatus::Accepted;
            for (bool busy : {true, false}) {
                store.ResetTableToDefaults();
                busy ? TheBusyEvent().SetBusy() : TheBusyEvent().SetIdle();
                EXPECT_EQ(store.LoadProfile(row.path), row.status) << row.name;
                EXPECT_EQ(TheBusyEvent().IsBusy(), busy) << row.name << (busy ? ", during an upload" : ", idle");
                EXPECT_EQ(store.GetFunctionItem(0), loaded ? 20 : 3) << row.name;
                EXPECT_EQ(vmouse::Hex(vmouse::ToBytes(store.DeviceImage()[0])), "00 04 00 00 01 00 00 00 00")
                    << row.name << ": the mouse still holds L-Button";
            }
        }
        TheBusyEvent().SetIdle();
    }
    CoUninitialize();
}

// Each answer of the configuration read goes to the slot it names, and the
// DPI comes only from the DPI report: a late answer shifts nothing.
TEST_F(DeviceStoreTest, ConfigurationReadStoresEachAnswerByItsSlot) {
    const vmouse::Memory memory = CustomMemory();
    const RecordArray defaults = RecordTable::Defaults();
    const struct {
        const char* name;
        vmouse::Faults faults;
        int lostSlot;  // keeps its default; -1 none, 20 the DPI report
        int readResult;
        int loadResult;
    } rows[] = {
        {"every answer", vmouse::Faults{}, -1, 1, 1},
        {"late first answer", [] { vmouse::Faults f; f.lateAnswerMs = 150; return f; }(), -1, 1, 1},
        {"late by two time-outs", [] { vmouse::Faults f; f.lateAnswerMs = 250; return f; }(), -1, 1, 1},
        {"slot 4 silent", [] { vmouse::Faults f; f.silentSlot = 4; return f; }(), 4, 0, 1},
        {"no answer at all", [] { vmouse::Faults f; f.failReads = 1; return f; }(), 21, 0, 0},
    };
    for (const auto& row : rows) {
        for (int load : {0, 1}) {
            const std::string name = std::string(row.name) + (load ? ", start-up load" : ", command-line read");
            vmouse::Write(memory, row.faults);
            DeviceStore store(std::wstring(), false);
            EXPECT_EQ(load ? store.LoadFromDevice() : store.ReadConfiguration(), load ? row.loadResult : row.readResult)
                << name;
            EXPECT_EQ(store.Reader().Running(), load == 1) << name << ": a reader only after the start-up load";
            for (int slot = 0; slot < kRecordCount; ++slot) {
                const bool kept = slot == row.lostSlot || row.lostSlot == 21;
                EXPECT_EQ(vmouse::ToBytes(store.Table()[slot]), kept ? vmouse::ToBytes(defaults[slot]) : memory.records[slot])
                    << name << ", slot " << slot;
            }
            EXPECT_EQ(store.GetDpi(), row.lostSlot >= 20 ? 600 : 2400) << name;
            EXPECT_EQ(ToBytes(store.DeviceImage()), ToBytes(store.Table())) << name;
            const SlotMask unknown = row.lostSlot == 21 ? kAllSlots : row.lostSlot >= 0 ? SlotBit(row.lostSlot) : 0;
            EXPECT_EQ(store.UnknownSlots(), unknown) << name;
        }
    }
    EXPECT_TRUE(MessageRecorder::Texts().empty());
}

// A mouse that stores a record wrongly: the upload's writes all succeed,
// and only reading the configuration back shows the damage.
TEST_F(DeviceStoreTest, ReadingBackShowsARecordTheMouseStoredWrongly) {
    vmouse::Faults faults;
    faults.corruptSlot = 3;
    faults.corruptByte = 4;
    vmouse::Write(vmouse::FactoryMemory(), faults);
    DeviceStore store(std::wstring(), false);
    store.SetMouseFunction(3, kMouseMiddle);
    const RecordArray uploaded = store.Table();
    ASSERT_EQ(UploadButtons(store), 1);
    ASSERT_EQ(store.ReadConfiguration(), 1);
    for (int slot = 0; slot < kRecordCount; ++slot) {
        Bytes expected = vmouse::ToBytes(uploaded[slot]);
        if (slot == 3) expected[4] ^= 0xFF;
        EXPECT_EQ(vmouse::ToBytes(store.Table()[slot]), expected) << "slot " << slot;
    }
}

TEST_F(DeviceStoreTest, TheCommandLineStoreLeavesTheLogClosed) {
    DeviceStore store(std::wstring(), false);
    EXPECT_FALSE(TheLogFile().IsOpen());
}

}  // namespace
