#include "files/Profile.h"

#include "config/RecordTable.h"
#include "files/Xml.h"
#include "i18n/Language.h"
#include "i18n/UserMessage.h"

namespace {

constexpr int kProfileVersion = 1;
// What a missing or empty Version reads as.
constexpr int kNoVersion = 255;

std::wstring Indexed(const wchar_t* base, int index) { return base + std::to_wstring(index); }

}  // namespace

int SaveProfile(const RecordTable& table, const std::wstring& path) {
    CXml xml;
    if (!xml.Create(L"Mirvostan", L"UTF-16", L"", L"")) {
        // A half-built document must not reach the disk.
        xml.Close();
        return 0;
    }
    {
        std::unique_ptr<CXmlNode> root = xml.GetRoot();
        WriteProfileTree(table, *root);
    }
    const int saved = xml.Save(path);
    xml.Close();
    return saved ? 1 : 0;
}

int LoadProfile(RecordTable& table, const std::wstring& path) {
    CXml xml;
    if (!xml.Open(path)) {
        xml.Close();
        return 0;
    }
    int result = 0;
    {
        // Any document element is read as Mirvostan.
        std::unique_ptr<CXmlNode> root = xml.GetRoot();
        result = ReadProfileTree(table, *root);
    }
    xml.Close();
    return result;
}

int WriteProfileTree(const RecordTable& table, CXmlNode& root) {
    std::unique_ptr<CXmlNode> version = root.NewChild(L"Version");
    std::unique_ptr<CXmlNode> mouseFun = root.NewChild(L"MouseFun");
    version->SetValue(kProfileVersion);
    const RecordArray& records = table.Table();
    for (int i = 0; i < kRecordCount; ++i) {
        std::unique_ptr<CXmlNode> button = mouseFun->NewChild(Indexed(L"Button", i));
        for (int j = 0; j < kRecordSize; ++j)
            button->NewChild(Indexed(L"Byte", j))->SetValue(records[i].bytes[j]);
    }
    return 1;
}

// Reads the version before anything else, so a rejected file leaves the
// table as it was. BusyEvent belongs to uploads and is left alone here: a
// load while an upload runs must not announce that none runs.
int ReadProfileTree(RecordTable& table, CXmlNode& root) {
    std::unique_ptr<CXmlNode> version = root.GetChild(L"Version", true);
    std::unique_ptr<CXmlNode> mouseFun = root.GetChild(L"MouseFun", true);
    const unsigned value = static_cast<unsigned>(version->GetValue(kNoVersion));
    if (value > static_cast<unsigned>(kProfileVersion)) {
        ShowUserMessage(nullptr, GetUiText(value == kNoVersion ? STR_ID_INVALID_FORAT
                                                               : STR_ID_UNSUPPORT_VERSION));
        return 0;
    }
    // Every element that is missing reads as its byte index, so all 180
    // bytes are written once the version is accepted.
    RecordArray& records = table.Table();
    for (int i = 0; i < kRecordCount; ++i) {
        std::unique_ptr<CXmlNode> button = mouseFun->GetChild(Indexed(L"Button", i), true);
        for (int j = 0; j < kRecordSize; ++j) {
            const int byte = button->GetChild(Indexed(L"Byte", j), true)->GetValue(j);
            records[i].bytes[j] = static_cast<uint8_t>(byte & 0xFF);
        }
    }
    table.DeviceImage() = table.Table();
    return 1;
}
