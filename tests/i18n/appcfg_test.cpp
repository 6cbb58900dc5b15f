// The AppCfg.ini we ship: complete, Unicode, and still Unicode after the
// program stores a language choice in it.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "IniFiles.h"
#include "i18n/Language.h"

namespace {

const wchar_t* const kSections[] = {L"Germany", L"France", L"Dutch", L"Italian", L"Chinese"};
const int kCodes[] = {German, French, Dutch, Italian, Chinese};

std::string Utf8(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

std::wstring Shipped() { return HerePath(L"AppCfg.ini"); }

using Translations = std::map<std::wstring, std::wstring>;  // "Section/KEY" -> text

Translations ReadAll(const std::wstring& path) {
    Translations all;
    for (const wchar_t* section : kSections)
        for (const StringIdEntry& row : StringIdTable)
            all[std::wstring(section) + L"/" + row.key] = ReadIni(path, section, row.key);
    return all;
}

std::wstring CopyOfShipped(const wchar_t* name) {
    std::wstring copy = HerePath(name);
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, copy.c_str());
    CopyFileW(Shipped().c_str(), copy.c_str(), FALSE);
    return copy;
}

}  // namespace

TEST(ShippedAppCfg, IsUtf16WithByteOrderMarkAndCrLf) {
    std::vector<unsigned char> bytes = ReadBytes(Shipped());
    ASSERT_GE(bytes.size(), 4u) << "AppCfg.ini missing beside the test";
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    ASSERT_EQ(bytes.size() % 2, 0u);
    int bareLineFeeds = 0;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        wchar_t c = static_cast<wchar_t>(bytes[i] | bytes[i + 1] << 8);
        wchar_t before = i >= 4 ? static_cast<wchar_t>(bytes[i - 2] | bytes[i - 1] << 8) : 0;
        if (c == L'\n' && before != L'\r') ++bareLineFeeds;
    }
    EXPECT_EQ(bareLineFeeds, 0);
}

TEST(ShippedAppCfg, LeavesTheFirstChoiceToTheSystemLanguage) {
    EXPECT_EQ(ReadIni(Shipped(), L"General", L"LangId"), L"");
}

TEST(ShippedAppCfg, EveryKeyIsTranslatedInEverySection) {
    std::string missing;
    int count = 0;
    for (const auto& entry : ReadAll(Shipped())) {
        if (!entry.second.empty()) continue;
        missing += "  " + Utf8(entry.first) + "\n";
        ++count;
    }
    EXPECT_EQ(count, 0) << "missing or empty translations:\n" << missing;
}

TEST(ShippedAppCfg, EachLanguageShowsItsOwnTexts) {
    const wchar_t* save[] = {L"Speichern", L"Enregistrer", L"Opslaan", L"Salva", L"\u4FDD\u5B58"};
    std::wstring path = CopyOfShipped(L"languages.ini");
    LoadAppSettingsFrom(path, 0x0409);
    for (int i = 0; i < 5; ++i) {
        SetUiLanguage(kCodes[i]);
        EXPECT_EQ(GetUiText(STR_ID_SAVE), save[i]) << Utf8(kSections[i]);
        for (const StringIdEntry& row : StringIdTable)
            EXPECT_EQ(GetUiText(row.id), ReadIni(path, kSections[i], row.key)) << Utf8(kSections[i]) << " " << Utf8(row.key);
    }
}

// Message boxes close with a full stop (or the question's mark), never with
// an exclamation mark: "." in German, Dutch, French and Italian, "。" in Chinese.
TEST(ShippedAppCfg, MessagesEndWithAFullStop) {
    const int messages[] = {STR_ID_NEED_LEFT_KEY,    STR_ID_CANT_OPEN_USB,        STR_ID_OPERATION_OK,
                            STR_ID_RESET_TO_DEFAULT, STR_ID_SAVE_CONFIG_FAIL,     STR_ID_SAVE_SUCCESS,
                            STR_ID_KEY_FUNCTION_UPDATED, STR_ID_OPERATION_FAIL,   STR_ID_UNSUPPORT_VERSION,
                            STR_ID_INVALID_FORAT,    STR_ID_UPDATE_CONFIG_ERROR,  STR_ID_INITIALIZE_FAILED,
                            STR_ID_BUTTONS_UNREAD};
    std::string wrong;
    for (const wchar_t* section : {L"Germany", L"Dutch", L"France", L"Italian", L"Chinese"})
        for (int id : messages) {
            std::wstring text = ReadIni(Shipped(), section, StringIdTable[id].key);
            const wchar_t last = text.empty() ? L' ' : text.back();
            const bool chinese = section[0] == L'C';
            if (last != (chinese ? L'\u3002' : L'.') && !(id == STR_ID_RESET_TO_DEFAULT && last == (chinese ? L'\uff1f' : L'?')))
                wrong += "  " + Utf8(section) + "/" + Utf8(StringIdTable[id].key) + " \"" + Utf8(text) + "\"\n";
        }
    EXPECT_TRUE(wrong.empty()) << "messages without a closing full stop:\n" << wrong;
}

// The readable source and the shipped file must say the same.
TEST(ShippedAppCfg, MatchesItsReadableSource) {
    std::vector<unsigned char> bytes = ReadBytes(HerePath(L"AppCfg.utf8.ini"));
    ASSERT_FALSE(bytes.empty()) << "AppCfg.utf8.ini missing beside the test";
    std::string utf8(bytes.begin(), bytes.end());
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    ASSERT_GT(n, 0) << "source is not valid UTF-8";
    std::wstring text(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0], n);

    Translations source;
    std::wstring section;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find(L'\n', pos);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (line.empty() || line[0] == L';') continue;
        if (line[0] == L'[') {
            section = line.substr(1, line.find(L']') - 1);
            continue;
        }
        size_t eq = line.find(L'=');
        if (eq != std::wstring::npos) source[section + L"/" + line.substr(0, eq)] = line.substr(eq + 1);
    }
    std::string differ;
    for (const auto& shipped : ReadAll(Shipped())) {
        auto it = source.find(shipped.first);
        std::wstring expected = it == source.end() ? L"" : it->second;
        if (expected != shipped.second)
            differ += "  " + Utf8(shipped.first) + ": \"" + Utf8(expected) + "\" vs \"" + Utf8(shipped.second) + "\"\n";
    }
    EXPECT_TRUE(differ.empty()) << "run src/i18n/make_appcfg.py; differences:\n" << differ;
}

TEST(ShippedAppCfg, StoringALanguageKeepsEveryTranslation) {
    std::wstring copy = CopyOfShipped(L"switched.ini");
    Translations before = ReadAll(copy);
    ASSERT_EQ(before[L"Chinese/STR_ID_SAVE"], L"\u4FDD\u5B58");

    LoadAppSettingsFrom(copy, 0x0409);
    SetUiLanguage(Chinese);
    SetUiLanguage(German);
    SetUiLanguage(Chinese);

    std::vector<unsigned char> bytes = ReadBytes(copy);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    // Read afresh, not from what the profile functions cached.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, copy.c_str());
    EXPECT_EQ(ReadIni(copy, L"General", L"LangId"), L"5");
    Translations after = ReadAll(copy);
    std::string changed;
    for (const auto& entry : before)
        if (after[entry.first] != entry.second)
            changed += "  " + Utf8(entry.first) + ": \"" + Utf8(entry.second) + "\" -> \"" + Utf8(after[entry.first]) + "\"\n";
    EXPECT_TRUE(changed.empty()) << "translations changed by the LangId write:\n" << changed;
    EXPECT_EQ(GetUiText(STR_ID_OPERATION_OK), before[L"Chinese/STR_ID_OPERATION_OK"]);
}

TEST(ShippedAppCfg, FirstStartFollowsTheSystemLanguageAndWritesNothing) {
    std::vector<unsigned char> before = ReadBytes(Shipped());
    LoadAppSettings();
    EXPECT_EQ(AppSettingsPath(), Shipped());
    EXPECT_EQ(GetUiLanguage(), LanguageForSystem(GetSystemDefaultLangID()));
    EXPECT_EQ(ReadBytes(Shipped()), before);
}
