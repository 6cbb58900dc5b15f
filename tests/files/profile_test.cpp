#include "files/Profile.h"
#include "files/Xml.h"

#include "ProfileTestSupport.h"

namespace {

const wchar_t kInvalidFormat[] = L"Invalid Format!";
const wchar_t kUnsupported[] = L"Unsupport version!";

// Writes the text and loads it into a table that holds the pattern.
struct LoadOutcome {
    int result;
    RecordTable table;
    RecordTable before;
};

LoadOutcome LoadText(const std::string& bytes, const wchar_t* path = L"load.mvf") {
    LoadOutcome out{0, RecordTable(), RecordTable()};
    FillPattern(out.table, 5);
    out.before = out.table;
    WriteBytes(path, bytes);
    out.result = LoadProfile(out.table, path);
    return out;
}

class ProfileFileTest : public ProfileTest {};

TEST_F(ProfileFileTest, SavedProfileLoadsBackToTheSame180Bytes) {
    RecordTable saved;
    FillPattern(saved, 11);
    ASSERT_EQ(1, SaveProfile(saved, L"roundtrip.mvf"));

    RecordTable loaded;  // defaults, different from the pattern
    ASSERT_FALSE(SameBytes(saved.Table(), loaded.Table()));
    ASSERT_EQ(1, LoadProfile(loaded, L"roundtrip.mvf"));
    EXPECT_TRUE(SameBytes(saved.Table(), loaded.Table()));
    EXPECT_TRUE(SameBytes(saved.Table(), loaded.DeviceImage())) << "a load copies the table into DeviceImage";
    EXPECT_TRUE(RecordedMessages().empty());
}

// The independent reader (read_profile.py) checks this file after the run.
TEST_F(ProfileFileTest, WritesProfileForIndependentReader) {
    RecordTable table;
    FillPattern(table, 0);
    ASSERT_EQ(1, SaveProfile(table, L"independent.mvf"));
    const std::string raw = ReadBytes(L"independent.mvf");
    ASSERT_GE(raw.size(), 2u);
    EXPECT_EQ(std::string("\xFF\xFE", 2), raw.substr(0, 2)) << "UTF-16 as the declaration says";
}

TEST_F(ProfileFileTest, VersionDecidesAcceptanceAndMessage) {
    struct Row { const char* name; const char* version; int result; const wchar_t* message; };
    const Row rows[] = {
        {"zero", "0", 1, nullptr},
        {"one", "1", 1, nullptr},
        {"space then one", " 1", 1, nullptr},
        {"one point five", "1.5", 1, nullptr},
        {"letters", "abc", 1, nullptr},
        {"two", "2", 0, kUnsupported},
        {"minus one", "-1", 0, kUnsupported},
        {"256", "256", 0, kUnsupported},
        {"255", "255", 0, kInvalidFormat},
        {"empty", "", 0, kInvalidFormat},
        {"white space", "  \t ", 0, kInvalidFormat},
        {"missing", nullptr, 0, kInvalidFormat},
    };
    for (const Row& r : rows) {
        RecordedMessages().clear();
        LoadOutcome out = LoadText(ProfileText(r.version, HundredPlus));
        EXPECT_EQ(r.result, out.result) << r.name;
        if (r.message) {
            ASSERT_EQ(1u, RecordedMessages().size()) << r.name;
            EXPECT_EQ(r.message, RecordedMessages()[0]) << r.name;
            EXPECT_TRUE(SameBytes(out.before.Table(), out.table.Table())) << r.name << ": table changed";
            EXPECT_TRUE(SameBytes(out.before.DeviceImage(), out.table.DeviceImage())) << r.name;
        } else {
            EXPECT_TRUE(RecordedMessages().empty()) << r.name;
            EXPECT_EQ(HundredPlusValue(19, 8), out.table.Table()[19].bytes[8]) << r.name;
            EXPECT_TRUE(SameBytes(out.table.Table(), out.table.DeviceImage())) << r.name;
        }
    }
}

TEST_F(ProfileFileTest, MissingElementsReadAsTheirByteIndex) {
    // No MouseFun at all: every record becomes 0..8.
    LoadOutcome bare = LoadText("<Mirvostan><Version>1</Version></Mirvostan>");
    ASSERT_EQ(1, bare.result);
    for (int i = 0; i < kRecordCount; ++i)
        for (int j = 0; j < kRecordSize; ++j)
            EXPECT_EQ(j, bare.table.Table()[i].bytes[j]) << "button " << i << " byte " << j;

    // Button 4 missing, byte 6 of every button missing or empty.
    std::string text = ProfileText("1", [](int i, int j) { return j == 6 && i % 2 ? "" : HundredPlus(i, j); });
    const size_t from = text.find("<Button4>");
    const size_t to = text.find("</Button4>") + std::strlen("</Button4>");
    text.erase(from, to - from);
    const std::string byte6 = "<Byte6>" + HundredPlus(2, 6) + "</Byte6>";
    text.erase(text.find(byte6), byte6.size());
    LoadOutcome partial = LoadText(text);
    ASSERT_EQ(1, partial.result);
    for (int j = 0; j < kRecordSize; ++j) EXPECT_EQ(j, partial.table.Table()[4].bytes[j]) << "button 4 byte " << j;
    EXPECT_EQ(6, partial.table.Table()[1].bytes[6]) << "empty byte text";
    EXPECT_EQ(6, partial.table.Table()[2].bytes[6]) << "removed byte element";
    EXPECT_EQ(HundredPlusValue(0, 6), partial.table.Table()[0].bytes[6]);
    EXPECT_EQ(HundredPlusValue(5, 0), partial.table.Table()[5].bytes[0]);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(ProfileFileTest, ByteTextKeepsLowEightBits) {
    struct Row { const char* text; uint8_t expected; };
    const Row rows[] = {{"300", 44}, {"-1", 255}, {"256", 0}, {"255", 255}, {"xyz", 0}, {" 7z", 7}, {"0", 0}};
    for (const Row& r : rows) {
        LoadOutcome out = LoadText(ProfileText("1", [&](int i, int j) {
            return i == 3 && j == 4 ? std::string(r.text) : HundredPlus(i, j);
        }));
        ASSERT_EQ(1, out.result) << r.text;
        EXPECT_EQ(r.expected, out.table.Table()[3].bytes[4]) << "byte text '" << r.text << "'";
    }
}

TEST_F(ProfileFileTest, LookupIgnoresExtrasOrderAttributesAndPrefixes) {
    const std::string text =
        "<Other xmlns:m=\"urn:mv\" kind=\"x\">"
        "<Note>ignored</Note>"
        "<MouseFun a=\"1\">"
        "<Button1><Byte8>18</Byte8><Byte0>10</Byte0><Extra>99</Extra></Button1>"
        "<Button0><m:Byte3>33</m:Byte3><Byte3>77</Byte3><Byte1>41</Byte1><Byte1>42</Byte1></Button0>"
        "</MouseFun>"
        "<MouseFun><Button0><Byte0>250</Byte0></Button0></MouseFun>"
        "<Version>1</Version><Version>7</Version>"
        "</Other>";
    LoadOutcome out = LoadText(text);
    ASSERT_EQ(1, out.result) << "first Version counts and the root name is not compared";
    const uint8_t* b0 = out.table.Table()[0].bytes;
    const uint8_t* b1 = out.table.Table()[1].bytes;
    EXPECT_EQ(33, b0[3]) << "prefixed element matches by local name and comes first";
    EXPECT_EQ(41, b0[1]) << "first of two duplicates";
    EXPECT_EQ(0, b0[0]) << "second MouseFun ignored";
    EXPECT_EQ(10, b1[0]);
    EXPECT_EQ(18, b1[8]);
    EXPECT_EQ(5, b1[5]);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(ProfileFileTest, EveryEncodingAndLayoutLoads) {
    const char* decl8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    const char* decl16 = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>";
    struct Row { const char* name; std::string bytes; };
    const Row rows[] = {
        {"utf-8, flat", ProfileText("1", HundredPlus, false, decl8)},
        {"utf-8, indented", ProfileText("1", HundredPlus, true, decl8)},
        {"utf-8 bom, indented", "\xEF\xBB\xBF" + ProfileText("1", HundredPlus, true, decl8)},
        {"utf-8, no declaration", ProfileText("1", HundredPlus, true)},
        {"utf-16 bom, flat", Utf16Le(ProfileText("1", HundredPlus, false, decl16), true)},
        {"utf-16 bom, indented", Utf16Le(ProfileText("1", HundredPlus, true, decl16), true)},
        {"utf-16 no bom, indented", Utf16Le(ProfileText("1", HundredPlus, true, decl16), false)},
        {"utf-16be bom, flat", Utf16Be(ProfileText("1", HundredPlus, false, decl16), true)},
    };
    for (const Row& r : rows) {
        LoadOutcome out = LoadText(r.bytes);
        ASSERT_EQ(1, out.result) << r.name;
        for (int i = 0; i < kRecordCount; ++i)
            for (int j = 0; j < kRecordSize; ++j)
                ASSERT_EQ(HundredPlusValue(i, j), out.table.Table()[i].bytes[j])
                    << r.name << ": button " << i << " byte " << j;
    }
}

TEST_F(ProfileFileTest, HandWrittenLatin1ProfileOnOneLineLoads) {
    // Another writer's layout: ISO-8859-1, one line, attributes, comments and
    // extra elements, numbers with white space around them.
    std::string text = "<?xml version='1.0' encoding='ISO-8859-1'?><!-- gemacht f\xFCr Maus -->";
    text += "<Mirvostan owner='J\xFCrgen'><Version> 1 </Version><Name>B\xE4ren</Name><MouseFun>";
    for (int i = 0; i < kRecordCount; ++i) {
        text += "<Button" + std::to_string(i) + " label='\xE9t\xE9'>";
        for (int j = kRecordSize - 1; j >= 0; --j)
            text += "<Byte" + std::to_string(j) + "> " + HundredPlus(i, j) + " </Byte" + std::to_string(j) + ">";
        text += "</Button" + std::to_string(i) + ">";
    }
    text += "</MouseFun></Mirvostan>";
    LoadOutcome out = LoadText(text, L"handmade.mvf");
    ASSERT_EQ(1, out.result);
    for (int i = 0; i < kRecordCount; ++i)
        for (int j = 0; j < kRecordSize; ++j)
            ASSERT_EQ(HundredPlusValue(i, j), out.table.Table()[i].bytes[j]) << "button " << i << " byte " << j;
}

TEST_F(ProfileFileTest, UnreadableFilesChangeNothingAndSayNothing) {
    struct Row { const char* name; std::string bytes; bool write; };
    const Row rows[] = {
        {"missing file", "", false},
        {"empty file", "", true},
        {"not xml", "Version=1", true},
        {"not well-formed", "<Mirvostan><Version>1</Version>", true},
        {"with a DTD", "<!DOCTYPE Mirvostan><Mirvostan><Version>1</Version></Mirvostan>", true},
    };
    for (const Row& r : rows) {
        RecordedMessages().clear();
        RecordTable table;
        FillPattern(table, 9);
        const RecordTable before = table;
        const wchar_t* path = L"unreadable.mvf";
        RemoveFile(path);
        if (r.write) WriteBytes(path, r.bytes);
        EXPECT_EQ(0, LoadProfile(table, path)) << r.name;
        EXPECT_TRUE(RecordedMessages().empty()) << r.name;
        EXPECT_TRUE(SameBytes(before.Table(), table.Table())) << r.name;
        EXPECT_TRUE(SameBytes(before.DeviceImage(), table.DeviceImage())) << r.name;
    }
}

TEST_F(ProfileFileTest, FailedSaveKeepsTheOldProfile) {
    RecordTable old;
    FillPattern(old, 1);
    const wchar_t* path = L"keep.mvf";
    RemoveFile(path);
    ASSERT_EQ(1, SaveProfile(old, path));
    const std::string oldBytes = ReadBytes(path);

    RecordTable changed;
    FillPattern(changed, 2);
    SetFileAttributesW(path, FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(0, SaveProfile(changed, path)) << "read-only target";
    EXPECT_EQ(oldBytes, ReadBytes(path));
    RemoveFile(path);

    EXPECT_EQ(0, SaveProfile(changed, L"missing-folder\\p.mvf"));
    EXPECT_FALSE(FileExists(L"missing-folder\\p.mvf"));

    // A successful save over an existing profile replaces it completely.
    WriteBytes(L"over.mvf", std::string(100000, 'x'));
    ASSERT_EQ(1, SaveProfile(changed, L"over.mvf"));
    RecordTable back;
    ASSERT_EQ(1, LoadProfile(back, L"over.mvf"));
    EXPECT_TRUE(SameBytes(changed.Table(), back.Table()));
    EXPECT_EQ(0, CountFiles(L"mvf*.tmp")) << "no temporary file left behind";
}

TEST_F(ProfileFileTest, WriteProfileTreeBuildsTheDocumentInOrder) {
    RecordTable table;
    FillPattern(table, 3);
    CXml xml;
    ASSERT_EQ(1, xml.Create(L"Mirvostan", L"UTF-16", L"", L""));
    auto root = xml.GetRoot();
    ASSERT_EQ(1, WriteProfileTree(table, *root));

    IXMLDOMNode* first = nullptr;
    ASSERT_TRUE(SUCCEEDED(root->Node()->get_firstChild(&first)) && first);
    BSTR name = nullptr;
    first->get_nodeName(&name);
    EXPECT_EQ(std::wstring(L"Version"), std::wstring(name ? name : L""));
    SysFreeString(name);
    first->Release();
    std::wstring text;
    root->GetChild(L"Version", false)->_GetValue(text);
    EXPECT_EQ(L"1", text);

    auto mouseFun = root->GetChild(L"MouseFun", false);
    for (int i = 0; i < kRecordCount; ++i) {
        auto button = mouseFun->GetChild(L"Button" + std::to_wstring(i), false);
        ASSERT_FALSE(button->IsEmpty()) << i;
        for (int j = 0; j < kRecordSize; ++j) {
            button->GetChild(L"Byte" + std::to_wstring(j), false)->_GetValue(text);
            EXPECT_EQ(std::to_wstring(table.Table()[i].bytes[j]), text) << "button " << i << " byte " << j;
        }
    }
}

}  // namespace
