#include "files/Profile.h"

#include "files/Xml.h"

namespace {

constexpr int kProfileVersion = 1;
// What a missing or empty Version reads as.
constexpr int kNoVersion = 255;

std::wstring Indexed(const wchar_t* base, int index) { return base + std::to_wstring(index); }

}  // namespace

int WriteProfileFile(const std::wstring& path, const RecordArray& records) {
    CXml xml;
    // A half-built document must not reach the disk.
    if (!xml.Create(L"Mirvostan", L"UTF-16", L"", L"")) return 0;
    int built = 0;
    {
        std::unique_ptr<CXmlNode> root = xml.GetRoot();
        built = WriteProfileTree(records, *root);
    }
    const int saved = built && xml.Save(path);
    xml.Close();
    return saved ? 1 : 0;
}

ProfileStatus ReadProfileFile(const std::wstring& path, RecordArray& records) {
    CXml xml;
    if (!xml.Open(path)) return ProfileStatus::Unreadable;
    RecordArray read = records;
    ProfileStatus status;
    {
        // Any document element is read as Mirvostan.
        std::unique_ptr<CXmlNode> root = xml.GetRoot();
        status = ReadProfileTree(read, *root);
    }
    xml.Close();
    if (status == ProfileStatus::Accepted) records = read;
    return status;
}

int WriteProfileTree(const RecordArray& records, CXmlNode& root) {
    std::unique_ptr<CXmlNode> version = root.NewChild(L"Version");
    std::unique_ptr<CXmlNode> mouseFun = root.NewChild(L"MouseFun");
    int ok = version->SetValue(kProfileVersion) && !mouseFun->IsEmpty();
    for (int i = 0; i < kRecordCount && ok; ++i) {
        std::unique_ptr<CXmlNode> button = mouseFun->NewChild(Indexed(L"Button", i));
        for (int j = 0; j < kRecordSize && ok; ++j)
            ok = button->NewChild(Indexed(L"Byte", j))->SetValue(records[i].bytes[j]);
    }
    return ok ? 1 : 0;
}

// Reads the version before anything else, so a rejected file leaves the
// records as they were.
ProfileStatus ReadProfileTree(RecordArray& records, CXmlNode& root) {
    std::unique_ptr<CXmlNode> version = root.GetChild(L"Version", true);
    std::unique_ptr<CXmlNode> mouseFun = root.GetChild(L"MouseFun", true);
    const unsigned value = static_cast<unsigned>(version->GetValue(kNoVersion));
    if (value == kNoVersion) return ProfileStatus::InvalidFormat;
    if (value > static_cast<unsigned>(kProfileVersion)) return ProfileStatus::UnsupportedVersion;
    // Every element that is missing reads as its byte index, so all 180
    // bytes are written once the version is accepted.
    for (int i = 0; i < kRecordCount; ++i) {
        std::unique_ptr<CXmlNode> button = mouseFun->GetChild(Indexed(L"Button", i), true);
        for (int j = 0; j < kRecordSize; ++j) {
            const int byte = button->GetChild(Indexed(L"Byte", j), true)->GetValue(j);
            records[i].bytes[j] = static_cast<uint8_t>(byte & 0xFF);
        }
        AddressRecord(records[i], i);
    }
    return ProfileStatus::Accepted;
}
