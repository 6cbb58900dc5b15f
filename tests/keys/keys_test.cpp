#include <gtest/gtest.h>
#include <windows.h>
#include <map>
#include <string>
#include "RecordHex.h"
#include "config/RecordTable.h"
#include "keys/Commands.h"
#include "keys/KeyNames.h"

namespace {

struct Command { FunctionItem item; int group, number, mods, usage; };
// The catalogue's key commands as the contract lists them.
const Command kKeyCommands[] = {
    {19, 1, 1, 0x01, 0x1B}, {20, 1, 2, 0x01, 0x06}, {21, 1, 3, 0x01, 0x19},
    {22, 1, 4, 0x00, 0x4C}, {23, 1, 5, 0x01, 0x04}, {24, 1, 6, 0x01, 0x09},
    {25, 1, 7, 0x01, 0x11}, {26, 1, 8, 0x01, 0x13}, {27, 1, 9, 0x01, 0x16},
    {28, 2, 0, 0x04, 0x2B}, {29, 2, 1, 0x01, 0x1A}, {30, 2, 3, 0x08, 0x08},
    {31, 2, 4, 0x08, 0x15}, {32, 2, 5, 0x08, 0x07}, {33, 2, 2, 0x08, 0x10},
};
const std::map<int, FunctionItem> kMediaItems = {
    {0x40, 8}, {0x08, 9}, {0x04, 10}, {0x01, 11}, {0x02, 12}, {0x20, 13}, {0x10, 14}};

FunctionRecord Raw(int type, int b4, int b5, int b6) {
    return FunctionRecord{{0, 4, 0, uint8_t(type), uint8_t(b4), uint8_t(b5), uint8_t(b6), 0, 0}};
}

TEST(Commands, EveryRowEncodesDecodesAndMapsBack) {
    for (const Command& c : kKeyCommands) {
        RecordTable t;
        t.SetCapturedKey(3, 4, 0xFF, 'Q');
        EXPECT_EQ(t.SetCommand(3, c.group, uint8_t(c.number)), 1) << "item " << c.item;
        EXPECT_EQ(Hex(t.Table()[3]), Rec(3, 1, c.mods, c.usage)) << "item " << c.item;
        EXPECT_EQ(t.GetFunctionItem(3), c.item) << "item " << c.item;
        int group = 0;
        uint8_t number = 0xEE;
        EXPECT_TRUE(CommandForItem(c.item, &group, &number)) << "item " << c.item;
        EXPECT_EQ(group, c.group) << "item " << c.item;
        EXPECT_EQ(number, c.number) << "item " << c.item;
    }
    for (const auto& m : kMediaItems) {
        RecordTable t;
        EXPECT_EQ(t.SetCommand(5, Multimedia, uint8_t(m.first)), 1) << "bit " << m.first;
        EXPECT_EQ(Hex(t.Table()[5]), Rec(5, 2, m.first)) << "bit " << m.first;
        EXPECT_EQ(t.GetFunctionItem(5), m.second) << "bit " << m.first;
        int group = 0;
        uint8_t number = 0;
        EXPECT_TRUE(CommandForItem(m.second, &group, &number)) << "item " << m.second;
        EXPECT_EQ(group, Multimedia);
        EXPECT_EQ(number, m.first) << "item " << m.second;
    }
}

TEST(Commands, ItemMappingsOutsideTheTables) {
    const std::map<int, int> mouse = {{1, 16}, {2, 8}, {3, 1}, {4, 2}, {5, 4}, {6, 128}};
    for (FunctionItem item = -1; item <= 40; ++item) {
        EXPECT_EQ(MouseCodeForItem(item), mouse.count(item) ? mouse.at(item) : 0) << "item " << item;
        const bool command = (item >= 8 && item <= 14) || (item >= 19 && item <= 33);
        EXPECT_EQ(CommandForItem(item, nullptr, nullptr), command) << "item " << item;
    }
}

TEST(Commands, EveryKeyboardRecordThatIsNoCommandIsAKeyCombination) {
    std::map<int, FunctionItem> commands;  // mods << 8 | usage
    for (const Command& c : kKeyCommands) commands[c.mods << 8 | c.usage] = c.item;
    int wrong = 0;
    for (int b5 : {0, 1, 0x80})
        for (int b4 = 0; b4 < 256; ++b4)
            for (int usage = 0; usage < 256; ++usage) {
                const auto hit = commands.find(b4 << 8 | usage);
                const FunctionItem want = b5 == 0 && hit != commands.end() ? hit->second : 34;
                const FunctionItem got = DecodeFunctionItem(Raw(1, b4, b5, usage));
                if (got != want && ++wrong <= 5)
                    ADD_FAILURE() << "byte4 " << b4 << " byte5 " << b5 << " usage " << usage
                                  << ": got " << got << ", want " << want;
            }
    EXPECT_EQ(wrong, 0);
}

TEST(Commands, MediaCombinationAndOtherTypes) {
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(DecodeFunctionItem(Raw(2, v, 0, 0)), kMediaItems.count(v) ? kMediaItems.at(v) : 0) << "media " << v;
        EXPECT_EQ(DecodeFunctionItem(Raw(3, v, 0, v)), 34) << "combination " << v;
        if (v >= 4) {
            EXPECT_EQ(DecodeFunctionItem(Raw(v, 1, 0, 4)), 0) << "type " << v;
        }
        RecordTable t;
        t.SetCommand(1, Multimedia, uint8_t(v));
        const bool bit = v != 0 && (v & (v - 1)) == 0;
        EXPECT_EQ(Hex(t.Table()[1]), Rec(1, 2, bit ? v : 0)) << "multimedia number " << v;
    }
}

TEST(Commands, EncodingEdges) {
    struct Row { const char* name; int group, number; std::string want; FunctionItem item; };
    const Row rows[] = {
        {"editing 0", 1, 0, Rec(8, 1, 0), 34},
        {"editing 10", 1, 10, Rec(8, 1, 0), 34},
        {"window 6", 2, 6, Rec(8, 1, 0), 34},
        {"multimedia 0x03", 3, 0x03, Rec(8, 2, 0), 0},
        {"multimedia 0x80", 3, 0x80, Rec(8, 2, 0x80), 0},
        {"group 4 changes nothing", 4, 1, Rec(8, 0, 64), 0},
        {"group 0 changes nothing", 0, 1, Rec(8, 0, 64), 0},
    };
    for (const Row& r : rows) {
        RecordTable t;
        EXPECT_EQ(t.SetCommand(8, r.group, uint8_t(r.number)), 1) << r.name;
        EXPECT_EQ(Hex(t.Table()[8]), r.want) << r.name;
        EXPECT_EQ(t.GetFunctionItem(8), r.item) << r.name;
    }
}

TEST(Commands, ListsInDisplayOrder) {
    const int main[23][2] = {{3, 2},   {4, 1},   {2, 3},   {5, 4},   {6, 5},   {7, 6},
                             {8, 19},  {9, 20},  {10, 21}, {11, 22}, {12, 23}, {13, 25},
                             {14, 26}, {15, 24}, {16, 27}, {17, 28}, {18, 29}, {19, 30},
                             {20, 31}, {21, 32}, {22, 33}, {23, 34}, {24, 0}};
    for (int i = 0; i < 23; ++i) {
        EXPECT_EQ(kFunctionList[i].textId, main[i][0]) << "main entry " << i;
        EXPECT_EQ(kFunctionList[i].item, main[i][1]) << "main entry " << i;
    }
    const int media[7][3] = {{26, 8, 0x40}, {27, 9, 0x08},  {28, 11, 0x01}, {29, 10, 0x04},
                             {30, 12, 0x02}, {31, 13, 0x20}, {32, 14, 0x10}};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(kMultimediaList[i].textId, media[i][0]) << "media entry " << i;
        EXPECT_EQ(kMultimediaList[i].item, media[i][1]) << "media entry " << i;
        EXPECT_EQ(kMultimediaList[i].bit, media[i][2]) << "media entry " << i;
    }
}

// Usage names rebuilt from their description: runs by formula, the rest by hand.
std::map<int, std::string> ExpectedUsageNames() {
    std::map<int, std::string> m;
    for (int i = 0; i < 26; ++i) m[0x04 + i] = std::string(1, char('A' + i));
    for (int i = 0; i < 10; ++i) m[0x1E + i] = std::string(1, "!@#$%^&*()"[i]);
    for (int i = 0; i < 12; ++i) m[0x3A + i] = "F" + std::to_string(i + 1);
    for (int i = 0; i < 12; ++i) m[0x68 + i] = "F" + std::to_string(i + 13);
    for (int i = 0; i < 9; ++i) m[0x59 + i] = "Num " + std::to_string(i + 1);
    for (int i = 0; i < 9; ++i) m[0x87 + i] = "International" + std::to_string(i + 1);
    for (int i = 0; i < 9; ++i) m[0x90 + i] = "LANG" + std::to_string(i + 1);
    const char* runs[][20] = {
        {"Enter", "Esc", "Backspace", "Tab", "Spacebar", "-", "=", "[", "]", "\\", "~", ";", "'",
         "Tilde", "<", ".", "/", "Caps Lock"},                                             // 0x28
        {"Prnt Scrn", "Scroll Lock", "Pause", "Insert", "Home", "PageUp", "Delete", "End",
         "PageDown", "Right", "Left", "Down", "Up", "Num Lock", "Num /", "Num *", "Num -",
         "Num +", "Num ENTER"},                                                            // 0x46
        {"Num 0", "Num .", "Non-US \\", "Application", "Power", "Num ="},                  // 0x62
        {"Execute", "Help", "Menu", "Select", "Stop", "Again", "Undo", "Cut", "Copy", "Paste",
         "Find", "Mute", "Volume Up", "Volume Down", "Locking Caps Lock", "Locking Num Lock",
         "Locking Scroll Lock", "Num Comma", "Num Equal Sign"},                            // 0x74
        {"Alternate Erase", "SysReq/Attention", "Cancel", "Clear", "Prior", "Return",
         "Separator", "Out", "Oper", "Clear/Again", "CrSel/Props", "ExSel"},               // 0x99
        {"LeftControl", "LeftShift", "LeftAlt", "Left GUI", "RightControl", "RightShift",
         "RightAlt", "Right GUI"},                                                         // 0xE0
    };
    const int starts[] = {0x28, 0x46, 0x62, 0x74, 0x99, 0xE0};
    for (int r = 0; r < 6; ++r)
        for (int i = 0; runs[r][i]; ++i) m[starts[r] + i] = runs[r][i];
    return m;
}

std::wstring W(const std::string& s) { return std::wstring(s.begin(), s.end()); }

TEST(KeyNames, UsageNames) {
    const std::map<int, std::string> names = ExpectedUsageNames();
    ASSERT_EQ(names.size(), 169u);
    for (int code = -1; code <= 0x200; ++code)
        EXPECT_EQ(UsageName(code), names.count(code) ? W(names.at(code)) : L"") << "usage " << code;
}

TEST(KeyNames, CombinationText) {
    struct Row { int mods, usage; const wchar_t* want; };
    const Row rows[] = {
        {0x12, 0x04, L"Ctrl+Shift+A"}, {0x00, 0x28, L"Enter"}, {0x01, 0x00, L"Ctrl+"},
        {0x11, 0x04, L"Ctrl+A"}, {0xFF, 0x2C, L"Ctrl+Shift+Alt+Win+Spacebar"}, {0, 0, L""},
        {0x05, 0x1D, L"Ctrl+Alt+Z"}, {0x02, 0x00, L"Shift+"}, {0x20, 0x00, L"Shift+"},
        {0x40, 0x00, L"Alt+"}, {0x80, 0xE3, L"Win+Left GUI"}, {0x84, 0x00, L"Alt+Win+"},
        {0x28, 0xA5, L"Shift+Win+"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(KeyCombinationText(uint8_t(r.mods), r.usage), r.want) << "mods " << r.mods << " usage " << r.usage;

    // What a captured record shows: left Ctrl + left Alt + Z; Shift + a key with no usage.
    RecordTable t;
    t.SetCapturedKey(0, 4, 0x05, 'Z');
    EXPECT_EQ(KeyCombinationText(t.GetModifiers(0), t.GetKeyUsage(0)), L"Ctrl+Alt+Z");
    t.SetCapturedKey(0, 4, 0x02, VK_F13);
    EXPECT_EQ(KeyCombinationText(t.GetModifiers(0), t.GetKeyUsage(0)), L"Shift+F13");
    t.SetCapturedKey(0, 4, 0x02, VK_LAUNCH_MAIL);  // no keyboard usage
    EXPECT_EQ(KeyCombinationText(t.GetModifiers(0), t.GetKeyUsage(0)), L"Shift+");
}

TEST(KeyNames, ConsumerKeysAndCapturedText) {
    const char* names[] = {"Browse Back", "Browse Forward", "Browse Fresh", "Browse Stop",
                           "Browse Search", "Favorites", "Browse Home", "Vol Mute", "Vol Down",
                           "Vol Up", "Next Track", "Prev Track", "Media Stop", "Pause/Play",
                           "Mail", "Media Select", "APP1", "APP2"};
    for (unsigned vk = 0; vk < 0x300; ++vk) {
        const unsigned low = vk & 0xFF;
        const std::wstring want = low >= 166 && low <= 183 ? W(names[low - 166]) : L"";
        EXPECT_EQ(ConsumerKeyName(vk), want) << "vk " << vk;
    }

    const std::wstring longText = L"Ctrl+Shift+Alt+Win+Scroll Lock+Pause";  // 36 characters
    struct Row { std::wstring current, system; unsigned vk; std::wstring want; };
    const Row rows[] = {
        {L"", L"A", 'A', L"A"},
        {L"Ctrl", L"Shift", 16, L"Ctrl+Shift"},
        {L"", L"", 0xAF, L"Vol Up"},
        {L"Ctrl", L"", 0xB3, L"Ctrl+Pause/Play"},
        {L"Ctrl", L"", 'A', L"Ctrl+"},
        {longText, L"Tab", 9, longText.substr(0, 31) + L"+Tab"},
        {longText.substr(0, 31), L"Tab", 9, longText.substr(0, 31) + L"+Tab"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(CapturedKeyText(r.current, r.system, r.vk), r.want) << "current '" << std::string(r.current.begin(), r.current.end()) << "'";
}

}  // namespace
