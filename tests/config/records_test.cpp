#include <gtest/gtest.h>
#include <map>
#include "RecordHex.h"
#include "config/RecordTable.h"

namespace {

// Factory table: {type, code} per slot; mode 1 exchanges positions 3 and 4.
const int kFactory[20][2] = {
    {0, 1}, {0, 4}, {0, 2}, {0, 16}, {0, 8}, {2, 128}, {2, 128}, {0, 32}, {0, 64}, {4, 2},
    {0, 1}, {0, 4}, {0, 2}, {0, 8}, {0, 16}, {2, 128}, {2, 128}, {0, 32}, {0, 64}, {4, 2},
};

void ExpectFactory(const RecordArray& table, const char* which) {
    for (int s = 0; s < kRecordCount; ++s)
        EXPECT_EQ(Hex(table[s]), Rec(s, kFactory[s][0], kFactory[s][1])) << which << " slot " << s;
}

TEST(RecordTable, DefaultsAndReset) {
    RecordTable t;
    ExpectFactory(t.Table(), "constructed table");
    ExpectFactory(t.DeviceImage(), "constructed image");
    ExpectFactory(RecordTable::Defaults(), "Defaults()");
    EXPECT_EQ(t.Dpi(), 600);
    EXPECT_EQ(t.ReportRateCode(), 2);

    t.SetCapturedKey(3, 4, 1, 'A');
    RecordArray told = RecordTable::Defaults();
    told[13].bytes[4] = 99;
    told[9].bytes[4] = 8;
    t.Adopt(told, SlotBit(13) | SlotBit(9), 1200, true);
    t.ChooseDpi(3200);
    EXPECT_EQ(t.ReportRateCode(), 8);
    EXPECT_EQ(t.ResetToDefaults(), 1);
    ExpectFactory(t.Table(), "reset table");
    ExpectFactory(t.DeviceImage(), "reset image");
    EXPECT_EQ(t.Dpi(), 600);
    EXPECT_EQ(t.ReportRateCode(), 2);
    EXPECT_FALSE(t.HasUnappliedEdits());
}

TEST(RecordTable, SetMouseFunction) {
    // DeviceImage is what the mouse holds: no edit reaches it.
    struct Row { const char* name; int slot, code, type, byte4; bool image; };
    const Row rows[] = {
        {"slot 9 'D' -> 1000 Hz", 9, 'D', 4, 1, false},
        {"slot 9 'U' -> 500 Hz", 9, 'U', 4, 2, false},
        {"slot 9 'f' -> 125 Hz", 9, 'f', 4, 8, false},
        {"slot 9 plain code", 9, 16, 0, 16, false},
        {"slot 4 'D' table only", 4, 'D', 4, 1, false},
        {"slot 19 'f' table only", 19, 'f', 4, 8, false},
        {"300 keeps its low byte", 0, 300, 0, 44, false},
        {"double click", 2, 128, 0, 128, false},
    };
    for (const Row& r : rows) {
        RecordTable t;
        t.SetCapturedKey(r.slot, 4, 0xFF, 'Q');  // leftovers the writer must clear
        t.Table()[r.slot].bytes[7] = 7;
        EXPECT_EQ(t.SetMouseFunction(r.slot, r.code), 1) << r.name;
        EXPECT_EQ(Hex(t.Table()[r.slot]), Rec(r.slot, r.type, r.byte4)) << r.name;
        const std::string image = r.image ? Rec(r.slot, r.type, r.byte4) : Hex(RecordTable::Defaults()[r.slot]);
        EXPECT_EQ(Hex(t.DeviceImage()[r.slot]), image) << r.name;
    }
}

// Virtual key -> usage, written out from the conversion table.
std::map<unsigned, int> ExpectedUsages() {
    std::map<unsigned, int> m;
    for (unsigned k = 'A'; k <= 'Z'; ++k) m[k] = 0x04 + (k - 'A');
    for (unsigned k = '1'; k <= '9'; ++k) m[k] = 0x1E + (k - '1');
    for (unsigned k = 0; k < 12; ++k) m[112 + k] = 0x3A + k;  // F1..F12
    for (unsigned k = 0; k < 9; ++k) m[97 + k] = 0x59 + k;    // numpad 1..9
    for (unsigned k = 0; k < 12; ++k) m[124 + k] = 0x68 + k;  // F13..F24
    const int irregular[][2] = {
        {48, 0x27}, {13, 0x28}, {27, 0x29}, {8, 0x2A}, {9, 0x2B}, {32, 0x2C}, {189, 0x2D},
        {187, 0x2E}, {219, 0x2F}, {220, 0x31}, {221, 0x30}, {186, 0x33}, {222, 0x34},
        {192, 0x35}, {188, 0x36}, {190, 0x37}, {191, 0x38}, {20, 0x39}, {44, 0x46},
        {145, 0x47}, {19, 0x48}, {45, 0x49}, {36, 0x4A}, {33, 0x4B}, {46, 0x4C}, {35, 0x4D},
        {34, 0x4E}, {39, 0x4F}, {37, 0x50}, {40, 0x51}, {38, 0x52}, {144, 0x53}, {111, 0x54},
        {106, 0x55}, {109, 0x56}, {107, 0x57}, {96, 0x62}, {110, 0x63}, {93, 0x65},
        {226, 0x64}, {12, 0x5D}, {3, 0x48},  // key left of Z, numpad 5 without NumLock, Ctrl+Pause
    };
    for (const auto& r : irregular) m[r[0]] = r[1];
    return m;
}

TEST(RecordTable, CapturedKeyConversionTable) {
    const std::map<unsigned, int> usages = ExpectedUsages();
    const std::map<unsigned, int> media = {{173, 64}, {174, 32}, {175, 16}, {176, 8},
                                           {177, 4},  {178, 2},  {179, 1}};
    const std::map<unsigned, int> browser = {{166, 8}, {167, 16}};  // mouse back / forward
    RecordTable t;
    for (unsigned vk = 0; vk < 300; ++vk) {
        ASSERT_EQ(t.SetCapturedKey(5, 4, 0x05, vk), 1) << "vk " << vk;
        std::string want = Rec(5, 1, 0x05, usages.count(vk) ? usages.at(vk) : 0);
        if (media.count(vk)) want = Rec(5, 2, media.at(vk));
        if (browser.count(vk)) want = Rec(5, 0, browser.at(vk));
        EXPECT_EQ(Hex(t.Table()[5]), want) << "vk " << vk;
    }
}

TEST(RecordTable, CapturedKeyEdges) {
    struct Row { const char* name; int mods; unsigned vk; std::string want; FunctionItem item; };
    const Row rows[] = {
        {"0x102 keeps left Shift", 0x102, 'A', Rec(6, 1, 0x02, 0x04), 34},
        {"0x100 has no low bit", 0x100, 'A', Rec(6, 1, 0x00, 0x04), 34},
        {"all eight modifiers", 0xFF, 'A', Rec(6, 1, 0xFF, 0x04), 34},
        {"Ctrl+X equals Cut", 0x01, 'X', Rec(6, 1, 0x01, 0x1B), 19},
        {"Volume Up drops modifiers", 0x02, 175, Rec(6, 2, 16), 14},
        {"browser Back is the back button", 0x01, 166, Rec(6, 0, 8), 2},
        {"browser Forward is the forward button", 0x01, 167, Rec(6, 0, 16), 1},
    };
    for (const Row& r : rows) {
        RecordTable t;
        EXPECT_EQ(t.SetCapturedKey(6, 4, r.mods, r.vk), 1) << r.name;
        EXPECT_EQ(Hex(t.Table()[6]), r.want) << r.name;
        EXPECT_EQ(t.GetFunctionItem(6), r.item) << r.name;
    }

    RecordTable cut;
    cut.SetCommand(1, 1, 1);
    RecordTable captured;
    captured.SetCapturedKey(1, 4, 1, 'X');
    EXPECT_EQ(Hex(captured.Table()[1]), Hex(cut.Table()[1]));

    for (int length : {0, 3, 5, -4}) {
        RecordTable t;
        EXPECT_EQ(t.SetCapturedKey(0, length, 1, 'A'), 0) << "length " << length;
        EXPECT_EQ(Hex(t.Table()[0]), Rec(0, 0, 1)) << "length " << length;
    }
}

TEST(RecordTable, MouseDecodingAndGetters) {
    const std::map<int, int> items = {{1, 3}, {2, 4}, {4, 5}, {8, 2}, {16, 1}, {128, 6}};
    RecordTable t;
    for (int code = 0; code < 256; ++code) {
        t.Table()[2] = FunctionRecord{{0, 4, 2, 0, uint8_t(code), 0, 0, 0, 0}};
        EXPECT_EQ(t.GetFunctionItem(2), items.count(code) ? items.at(code) : 0) << "code " << code;
    }
    t.Table()[11] = FunctionRecord{{10, 11, 12, 13, 14, 15, 16, 17, 18}};
    EXPECT_EQ(t.GetFunctionType(11), 13);
    EXPECT_EQ(t.GetModifiers(11), 14);
    EXPECT_EQ(t.GetKeyUsage(11), 16);
}

TEST(RecordTable, WheelSwap) {
    RecordTable t;
    t.Table()[7].bytes[5] = 0x5A;  // toggling changes byte 4 only
    EXPECT_EQ(t.IsWheelSwapped(), 0);
    t.ToggleWheelSwap();
    EXPECT_EQ(t.IsWheelSwapped(), 1);
    EXPECT_EQ(t.Table()[7].bytes[4], 64);
    EXPECT_EQ(t.Table()[8].bytes[4], 32);
    EXPECT_EQ(t.Table()[7].bytes[5], 0x5A);
    t.ToggleWheelSwap();
    t.Table()[7].bytes[5] = 0;
    ExpectFactory(t.Table(), "toggled twice");  // slots 17 and 18 untouched too

    t.Table()[8].bytes[4] = 32;  // 32/32 is no swapped pair
    EXPECT_EQ(t.IsWheelSwapped(), 0);
    t.ToggleWheelSwap();
    EXPECT_EQ(t.Table()[7].bytes[4], 64);
    EXPECT_EQ(t.Table()[8].bytes[4], 32);
}

TEST(RecordTable, SlotsOutsideTheTableAreRefused) {
    RecordTable t;
    for (int slot : {-1, 20, 255}) {
        EXPECT_EQ(t.SetMouseFunction(slot, 'D'), 0) << "slot " << slot;
        EXPECT_EQ(t.SetCommand(slot, 1, 1), 0) << "slot " << slot;
        EXPECT_EQ(t.SetCapturedKey(slot, 4, 1, 'A'), 0) << "slot " << slot;
        t.ClearRecord(slot);
        EXPECT_EQ(t.GetFunctionItem(slot), 0) << "slot " << slot;
        EXPECT_EQ(t.GetFunctionType(slot), 0) << "slot " << slot;
    }
    ExpectFactory(t.Table(), "after refused writes");
    ExpectFactory(t.DeviceImage(), "image after refused writes");
}

}  // namespace
