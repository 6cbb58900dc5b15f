// Shared by the profile tests: a message recorder, table patterns and a
// profile document builder for hand-made files.
#pragma once
#include "XmlTestSupport.h"

#include "config/FunctionRecord.h"
#include "i18n/UserMessage.h"

#include <cstring>
#include <string>
#include <vector>

inline std::vector<std::wstring>& RecordedMessages() {
    static std::vector<std::wstring> messages;
    return messages;
}

inline int RecordMessage(HWND, const std::wstring& text, UINT) {
    RecordedMessages().push_back(text);
    return IDOK;
}

// COM plus a message recorder in place of real boxes.
class ProfileTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        RecordedMessages().clear();
        SetUserMessageSink(&RecordMessage);
    }
    void TearDown() override {
        SetUserMessageSink(nullptr);
        ComTest::TearDown();
    }
};

// A table whose 180 bytes all differ from their neighbours and cover 0 and 255.
inline void FillPattern(RecordArray& records, int seed) {
    for (int i = 0; i < kRecordCount; ++i)
        for (int j = 0; j < kRecordSize; ++j)
            records[i].bytes[j] = static_cast<uint8_t>((i * kRecordSize + j) * 37 + seed);
}

// What a load stores for byte j of record i read as value: bytes 0..2 always
// address the record's own slot.
inline uint8_t Loaded(int i, int j, uint8_t value) {
    return j == 0 ? 0 : j == 1 ? 4 : j == 2 ? static_cast<uint8_t>(i) : value;
}

inline bool SameBytes(const RecordArray& a, const RecordArray& b) {
    return std::memcmp(a.data(), b.data(), sizeof(FunctionRecord) * kRecordCount) == 0;
}

// A profile document as text. byteText gives the text of ByteM of ButtonN;
// version nullptr leaves Version out; indent adds line breaks and tabs.
template <class ByteText>
std::string ProfileText(const char* version, ByteText byteText, bool indent = false,
                        const char* declaration = "") {
    const std::string nl = indent ? "\r\n" : "";
    auto tabs = [&](int n) { return indent ? std::string(n, '\t') : std::string(); };
    std::string s = declaration;
    s += "<Mirvostan>" + nl;
    if (version) s += tabs(1) + "<Version>" + version + "</Version>" + nl;
    s += tabs(1) + "<MouseFun>" + nl;
    for (int i = 0; i < kRecordCount; ++i) {
        s += tabs(2) + "<Button" + std::to_string(i) + ">" + nl;
        for (int j = 0; j < kRecordSize; ++j)
            s += tabs(3) + "<Byte" + std::to_string(j) + ">" + byteText(i, j) + "</Byte" +
                 std::to_string(j) + ">" + nl;
        s += tabs(2) + "</Button" + std::to_string(i) + ">" + nl;
    }
    s += tabs(1) + "</MouseFun>" + nl + "</Mirvostan>" + nl;
    return s;
}

// Byte texts i*9+j+100, distinct from both the indices and the pattern.
inline std::string HundredPlus(int i, int j) { return std::to_string((i * kRecordSize + j + 100) % 256); }
inline uint8_t HundredPlusValue(int i, int j) {
    return Loaded(i, j, static_cast<uint8_t>((i * kRecordSize + j + 100) % 256));
}
