#include "files/Profile.h"
#include "files/Xml.h"

#include "ProfileTestSupport.h"

namespace {

// Writes the text and loads it into records that hold the pattern.
struct LoadOutcome {
    ProfileStatus status;
    RecordArray records;
    RecordArray before;
};

LoadOutcome LoadText(const std::string& bytes, const wchar_t* path = L"load.mvf") {
    LoadOutcome out{ProfileStatus::Unreadable, RecordArray(), RecordArray()};
    FillPattern(out.records, 5);
    out.before = out.records;
    WriteBytes(path, bytes);
    out.status = ReadProfileFile(path, out.records);
    return out;
}

class ProfileFileTest : public ProfileTest {};

TEST_F(ProfileFileTest, SavedProfileLoadsBackToTheSame180Bytes) {
    RecordArray saved;
    FillPattern(saved, 11);
    saved = AddressedRecords(saved);  // as every record the program holds
    ASSERT_EQ(1, WriteProfileFile(L"roundtrip.mvf", saved));

    RecordArray loaded{};
    ASSERT_FALSE(SameBytes(saved, loaded));
    ASSERT_EQ(ProfileStatus::Accepted, ReadProfileFile(L"roundtrip.mvf", loaded));
    EXPECT_TRUE(SameBytes(saved, loaded));
    EXPECT_TRUE(RecordedMessages().empty());
}

// The independent reader (read_profile.py) checks this file after the run.
TEST_F(ProfileFileTest, WritesProfileForIndependentReader) {
    RecordArray records;
    FillPattern(records, 0);
    ASSERT_EQ(1, WriteProfileFile(L"independent.mvf", records));
    const std::string raw = ReadBytes(L"independent.mvf");
    ASSERT_GE(raw.size(), 2u);
    EXPECT_EQ(std::string("\xFF\xFE", 2), raw.substr(0, 2)) << "UTF-16 as the declaration says";
}

TEST_F(ProfileFileTest, VersionDecidesAcceptanceAndMessage) {
    const ProfileStatus kAccepted = ProfileStatus::Accepted;
    const ProfileStatus kInvalidFormat = ProfileStatus::InvalidFormat;
    const ProfileStatus kUnsupported = ProfileStatus::UnsupportedVersion;
    struct Row { const char* name; const char* version; ProfileStatus status; };
    const Row rows[] = {
        {"zero", "0", kAccepted},
        {"one", "1", kAccepted},
        {"space then one", " 1", kAccepted},
        {"one point five", "1.5", kAccepted},
        {"letters", "abc", kAccepted},
        {"two", "2", kUnsupported},
        {"minus one", "-1", kUnsupported},
        {"256", "256", kUnsupported},
        {"255", "255", kInvalidFormat},
        {"empty", "", kInvalidFormat},
        {"white space", "  \t ", kInvalidFormat},
        {"missing", nullptr, kInvalidFormat},
    };
    for (const Row& r : rows) {
        RecordedMessages().clear();
        LoadOutcome out = LoadText(ProfileText(r.version, HundredPlus));
        EXPECT_EQ(r.status, out.status) << r.name;
        EXPECT_TRUE(RecordedMessages().empty()) << r.name << ": the caller shows the texts";
        if (r.status != kAccepted)
            EXPECT_TRUE(SameBytes(out.before, out.records)) << r.name << ": records changed";
        else
            EXPECT_EQ(HundredPlusValue(19, 8), out.records[19].bytes[8]) << r.name;
    }
}

TEST_F(ProfileFileTest, MissingElementsReadAsTheirByteIndex) {
    // No MouseFun at all: every record becomes 0, 4, its slot, 3..8.
    LoadOutcome bare = LoadText("<Mirvostan><Version>1</Version></Mirvostan>");
    ASSERT_EQ(ProfileStatus::Accepted, bare.status);
    for (int i = 0; i < kRecordCount; ++i)
        for (int j = 0; j < kRecordSize; ++j)
            EXPECT_EQ(Loaded(i, j, j), bare.records[i].bytes[j]) << "button " << i << " byte " << j;

    // Button 4 missing, byte 6 of every button missing or empty.
    std::string text = ProfileText("1", [](int i, int j) { return j == 6 && i % 2 ? "" : HundredPlus(i, j); });
    const size_t from = text.find("<Button4>");
    const size_t to = text.find("</Button4>") + std::strlen("</Button4>");
    text.erase(from, to - from);
    const std::string byte6 = "<Byte6>" + HundredPlus(2, 6) + "</Byte6>";
    text.erase(text.find(byte6), byte6.size());
    LoadOutcome partial = LoadText(text);
    ASSERT_EQ(ProfileStatus::Accepted, partial.status);
    for (int j = 0; j < kRecordSize; ++j) EXPECT_EQ(Loaded(4, j, j), partial.records[4].bytes[j]) << "button 4 byte " << j;
    EXPECT_EQ(6, partial.records[1].bytes[6]) << "empty byte text";
    EXPECT_EQ(6, partial.records[2].bytes[6]) << "removed byte element";
    EXPECT_EQ(HundredPlusValue(0, 6), partial.records[0].bytes[6]);
    EXPECT_EQ(HundredPlusValue(5, 0), partial.records[5].bytes[0]);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(ProfileFileTest, ByteTextKeepsLowEightBits) {
    struct Row { const char* text; uint8_t expected; };
    const Row rows[] = {{"300", 44}, {"-1", 255}, {"256", 0}, {"255", 255}, {"xyz", 0}, {" 7z", 7}, {"0", 0}};
    for (const Row& r : rows) {
        LoadOutcome out = LoadText(ProfileText("1", [&](int i, int j) {
            return i == 3 && j == 4 ? std::string(r.text) : HundredPlus(i, j);
        }));
        ASSERT_EQ(ProfileStatus::Accepted, out.status) << r.text;
        EXPECT_EQ(r.expected, out.records[3].bytes[4]) << "byte text '" << r.text << "'";
    }
}

TEST_F(ProfileFileTest, LookupIgnoresExtrasOrderAttributesAndPrefixes) {
    const std::string text =
        "<Other xmlns:m=\"urn:mv\" kind=\"x\">"
        "<Note>ignored</Note>"
        "<MouseFun a=\"1\">"
        "<Button1><Byte8>18</Byte8><Byte6>10</Byte6><Extra>99</Extra></Button1>"
        "<Button0><m:Byte3>33</m:Byte3><Byte3>77</Byte3><Byte4>41</Byte4><Byte4>42</Byte4></Button0>"
        "</MouseFun>"
        "<MouseFun><Button0><Byte7>250</Byte7></Button0></MouseFun>"
        "<Version>1</Version><Version>7</Version>"
        "</Other>";
    LoadOutcome out = LoadText(text);
    ASSERT_EQ(ProfileStatus::Accepted, out.status) << "first Version counts and the root name is not compared";
    const uint8_t* b0 = out.records[0].bytes;
    const uint8_t* b1 = out.records[1].bytes;
    EXPECT_EQ(33, b0[3]) << "prefixed element matches by local name and comes first";
    EXPECT_EQ(41, b0[4]) << "first of two duplicates";
    EXPECT_EQ(7, b0[7]) << "second MouseFun ignored";
    EXPECT_EQ(10, b1[6]);
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
        ASSERT_EQ(ProfileStatus::Accepted, out.status) << r.name;
        for (int i = 0; i < kRecordCount; ++i)
            for (int j = 0; j < kRecordSize; ++j)
                ASSERT_EQ(HundredPlusValue(i, j), out.records[i].bytes[j])
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
    ASSERT_EQ(ProfileStatus::Accepted, out.status);
    for (int i = 0; i < kRecordCount; ++i)
        for (int j = 0; j < kRecordSize; ++j)
            ASSERT_EQ(HundredPlusValue(i, j), out.records[i].bytes[j]) << "button " << i << " byte " << j;
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
        RecordArray records;
        FillPattern(records, 9);
        const RecordArray before = records;
        const wchar_t* path = L"unreadable.mvf";
        RemoveFile(path);
        if (r.write) WriteBytes(path, r.bytes);
        EXPECT_EQ(ProfileStatus::Unreadable, ReadProfileFile(path, records)) << r.name;
        EXPECT_TRUE(RecordedMessages().empty()) << r.name;
        EXPECT_TRUE(SameBytes(before, records)) << r.name;
    }
}

TEST_F(ProfileFileTest, FailedSaveKeepsTheOldProfile) {
    RecordArray old;
    FillPattern(old, 1);
    const wchar_t* path = L"keep.mvf";
    RemoveFile(path);
    ASSERT_EQ(1, WriteProfileFile(path, old));
    const std::string oldBytes = ReadBytes(path);

    RecordArray changed;
    FillPattern(changed, 2);
    changed = AddressedRecords(changed);
    SetFileAttributesW(path, FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(0, WriteProfileFile(path, changed)) << "read-only target";
    EXPECT_EQ(oldBytes, ReadBytes(path));
    RemoveFile(path);

    EXPECT_EQ(0, WriteProfileFile(L"missing-folder\\p.mvf", changed));
    EXPECT_FALSE(FileExists(L"missing-folder\\p.mvf"));

    // A successful save over an existing profile replaces it completely.
    WriteBytes(L"over.mvf", std::string(100000, 'x'));
    ASSERT_EQ(1, WriteProfileFile(L"over.mvf", changed));
    RecordArray back{};
    ASSERT_EQ(ProfileStatus::Accepted, ReadProfileFile(L"over.mvf", back));
    EXPECT_TRUE(SameBytes(changed, back));
    EXPECT_EQ(0, CountFiles(L"mvf*.tmp")) << "no temporary file left behind";
}

TEST_F(ProfileFileTest, WriteProfileTreeBuildsTheDocumentInOrder) {
    RecordArray records;
    FillPattern(records, 3);
    CXml xml;
    ASSERT_EQ(1, xml.Create(L"Mirvostan", L"UTF-16", L"", L""));
    auto root = xml.GetRoot();
    ASSERT_EQ(1, WriteProfileTree(records, *root));

    IXMLDOMNode* first = nullptr;
    ASSERT_TRUE(SUCCEEDED(root->Node()->get_firstChild(&first)) && first);
    BSTR name = nullptr;
    first->get_nodeName(&name);
    EXPECT_EQ(std::wstring(L"Version"), std::wstring(name ? name : L""));
    SysFreeString(name);
    first->Release();
    std::wstring text;
    root->GetChild(L"Version", false)->GetText(text);
    EXPECT_EQ(L"1", text);

    auto mouseFun = root->GetChild(L"MouseFun", false);
    for (int i = 0; i < kRecordCount; ++i) {
        auto button = mouseFun->GetChild(L"Button" + std::to_wstring(i), false);
        ASSERT_FALSE(button->IsEmpty()) << i;
        for (int j = 0; j < kRecordSize; ++j) {
            button->GetChild(L"Byte" + std::to_wstring(j), false)->GetText(text);
            EXPECT_EQ(std::to_wstring(records[i].bytes[j]), text) << "button " << i << " byte " << j;
        }
    }
}

// A save never writes into the old file: a second name of that file (a hard
// link, as a backup tool may keep) still holds the whole old profile, and the
// path leads to the whole new one.
TEST_F(ProfileFileTest, SaveNeverWritesIntoTheOldFile) {
    RecordArray old, changed;
    FillPattern(old, 1);
    FillPattern(changed, 2);
    changed = AddressedRecords(changed);
    const wchar_t* path = L"linked.mvf";
    const wchar_t* link = L"linked-backup.mvf";
    RemoveFile(path);
    RemoveFile(link);
    ASSERT_EQ(1, WriteProfileFile(path, old));
    const std::string oldBytes = ReadBytes(path);
    ASSERT_TRUE(CreateHardLinkW(link, path, nullptr));
    EXPECT_EQ(1, WriteProfileFile(path, changed));
    EXPECT_TRUE(oldBytes == ReadBytes(link)) << "the old file was written into";
    RecordArray back{};
    ASSERT_EQ(ProfileStatus::Accepted, ReadProfileFile(path, back));
    EXPECT_TRUE(SameBytes(changed, back));
    EXPECT_EQ(0, CountFiles(L"mvf*.tmp")) << "no temporary file left behind";
}

// A tree whose nodes could not all be made must not be saved as a profile.
TEST_F(ProfileFileTest, AnIncompleteTreeFailsTheSave) {
    RecordArray records;
    FillPattern(records, 4);
    CXmlNode none;  // every node operation on it fails
    EXPECT_EQ(0, WriteProfileTree(records, none));
}

}  // namespace
