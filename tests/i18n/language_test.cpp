// Language choice, text lookup and skin bitmaps against real ini files.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "IniFiles.h"
#include "i18n/Language.h"

namespace {

std::string Narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w) s += c < 128 ? static_cast<char>(c) : '?';
    return s;
}

// Loads an ini holding the given text with a system language that would pick
// something else, unless the case says otherwise.
void LoadIni(const std::wstring& name, const std::wstring& text, LANGID system = 0x0409) {
    LoadAppSettingsFrom(WriteUnicodeIni(name, text), system);
}

}  // namespace

// Every enum name must be its row's key, and ids must be row indexes.
TEST(StringIdTable, IdsAreRowIndexesAndEnumNamesAreTheKeys) {
#define ROW(name) {name, L## #name}
    const struct {
        int id;
        const wchar_t* key;
    } named[] = {
        ROW(STR_ID_BUTTONS), ROW(STR_ID_SPEED), ROW(STR_ID_L_BUTTON), ROW(STR_ID_IE_BACKWARD),
        ROW(STR_ID_IE_FORWARD), ROW(STR_ID_R_BUTTON), ROW(STR_ID_W_BUTTON), ROW(STR_ID_DBL_CLICK),
        ROW(STR_ID_CUT), ROW(STR_ID_COPY), ROW(STR_ID_PASTE), ROW(STR_ID_DELETE), ROW(STR_ID_SEL_ALL),
        ROW(STR_ID_NEW), ROW(STR_ID_PRINT), ROW(STR_ID_FIND), ROW(STR_ID_SAVE), ROW(STR_ID_SWT_WND),
        ROW(STR_ID_CLOSE_WND), ROW(STR_ID_EXPLORER), ROW(STR_ID_RUN), ROW(STR_ID_DESKTOP),
        ROW(STR_ID_MINIMIZE), ROW(STR_ID_KEY_COMPBINATION), ROW(STR_ID_MULTI_MEDIA), ROW(STR_ID_BUTTON_4),
        ROW(STR_ID_MUTE), ROW(STR_ID_NEXT), ROW(STR_ID_PLAY_PAUSE), ROW(STR_ID_PREV), ROW(STR_ID_STOP),
        ROW(STR_ID_VOL_DOWN), ROW(STR_ID_VOL_UP), ROW(STR_ID_M_BUTTON), ROW(STR_ID_BUTTON_5),
        ROW(STR_ID_LOAD_DEFAULT), ROW(STR_ID_SAVE_CONFIG), ROW(STR_ID_LOAD_CONFIG), ROW(STR_ID_OK),
        ROW(STR_ID_CANCEL), ROW(STR_ID_APPLY), ROW(STR_ID_NEED_LEFT_KEY), ROW(STR_ID_DPI_CPI_CFG),
        ROW(STR_ID_USB_REPORT_RATE), ROW(STR_ID_CANT_OPEN_USB), ROW(STR_ID_OPERATION_OK),
        ROW(STR_ID_RESET_TO_DEFAULT), ROW(STR_ID_SAVE_CONFIG_FAIL), ROW(STR_ID_SAVE_SUCCESS),
        ROW(STR_ID_KEY_FUNCTION_UPDATED), ROW(STR_ID_OPERATION_FAIL), ROW(STR_ID_UNSUPPORT_VERSION),
        ROW(STR_ID_INVALID_FORAT), ROW(STR_ID_UPDATE_CONFIG_ERROR), ROW(STR_ID_INITIALIZE_FAILED),
        ROW(STR_ID_UP_DOWN_SWAP),
        ROW(STR_ID_PROFILES),
        ROW(STR_ID_FOLLOW_PROGRAM),
        ROW(STR_ID_PROGRAM),
        ROW(STR_ID_PROFILE_FILE),
        ROW(STR_ID_DEFAULT_PROFILE),
        ROW(STR_ID_ADD_RULE),
        ROW(STR_ID_REMOVE_RULE),
        ROW(STR_ID_BROWSE_PROGRAM),
        ROW(STR_ID_CHOOSE_PROFILE),
        ROW(STR_ID_CLEAR_PROFILE),
        ROW(STR_ID_NO_PROFILE),
        ROW(STR_ID_FILE_MISSING),
        ROW(STR_ID_PROFILE_STATUS),
        ROW(STR_ID_PROFILE_SWITCH_FAILED),
        ROW(STR_ID_RULES_FULL),
        ROW(STR_ID_KEEP_BUTTONS),
        ROW(STR_ID_KEEP_DPI),
        ROW(STR_ID_UNDO_COUNTDOWN),
        ROW(STR_ID_LEFT_CLICK_NOW),
        ROW(STR_ID_DPI_NOW),
        ROW(STR_ID_KEEP),
        ROW(STR_ID_UNDO),
        ROW(STR_ID_PARTLY_READ),
        ROW(STR_ID_PROFILE_WAITS),
        ROW(STR_ID_PROFILE_NO_LEFT_CLICK),
        ROW(STR_ID_CLOSE_PROGRAM),
        ROW(STR_ID_MINIMIZE_PROGRAM),
        ROW(STR_ID_HIDE_TO_TRAY),
        ROW(STR_ID_SHOW_PICTURE),
        ROW(STR_ID_BUTTONS_UNREAD),
        ROW(STR_ID_TRAY_CONFIG),
        ROW(STR_ID_TRAY_EXIT),
        ROW(STR_ID_TRAY_FOLLOW),
        ROW(STR_ID_START_WITH_WINDOWS),
        ROW(STR_ID_NO_MOUSE_CONNECTED),
        ROW(STR_ID_DPI_NUMBER),
        ROW(STR_ID_SAVING_MOUSE_SETTINGS),
        ROW(STR_ID_PERFORMANCE),
    };
#undef ROW
    ASSERT_EQ(sizeof(named) / sizeof(named[0]), size_t(kStringCount));
    std::set<std::wstring> keys;
    for (int row = 0; row < kStringCount; ++row) {
        const StringIdEntry& e = StringIdTable[row];
        SCOPED_TRACE("row " + std::to_string(row) + " " + Narrow(e.key));
        EXPECT_EQ(e.id, row);
        EXPECT_EQ(named[row].id, row);
        EXPECT_EQ(std::wstring(e.key), named[row].key);
        EXPECT_LE(wcslen(e.key), 29u);
        EXPECT_LT(wcslen(e.text), sizeof(e.text) / sizeof(e.text[0]));
        EXPECT_GT(wcslen(e.text), 0u);
        EXPECT_TRUE(keys.insert(e.key).second) << "duplicate key";
    }
}

TEST(LanguageForSystem, EveryListedIdentifierAndNeighbours) {
    const struct {
        LANGID id;
        int code;
    } rows[] = {
        {0x0404, Chinese}, {0x0804, Chinese}, {0x0C04, Chinese}, {0x1004, Chinese},
        {0x0407, German}, {0x0807, German}, {0x0C07, German}, {0x1007, German}, {0x1407, German},
        {0x040C, French},  {0x080C, French},  {0x0C0C, French},  {0x100C, French},  {0x140C, French},
        {0x0413, Dutch},   {0x0813, Dutch},
        {0x0410, Italian}, {0x0810, Italian},
        // Not in the list: English, whatever the primary language.
        {0x0409, English}, {0x0809, English}, {0x0816, English}, {0x0416, English}, {0x1404, English},
        {0x1807, English}, {0x180C, English}, {0x0C13, English}, {0x0C10, English}, {0x0007, English},
        {0x0004, English}, {0x0000, English}, {0x0411, English},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(LanguageForSystem(r.id), r.code) << "language id 0x" << std::hex << r.id;
    }
}

TEST(LoadAppSettings, LangIdOrSystemLanguage) {
    const struct {
        const wchar_t* ini;  // nullptr: no file at all
        LANGID system;
        int expected;
        const char* what;
    } rows[] = {
        {L"[General]\r\nLangId=3\r\n", 0x0407, Dutch, "LangId 3 selects Dutch over a German system"},
        {L"[General]\r\nLangId=\r\n", 0x0C07, German, "empty LangId: German (Austria) system"},
        {L"[General]\r\nLangId=\r\n", 0x0816, English, "empty LangId: Portuguese system"},
        {L"[Germany]\r\nSTR_ID_OK=OK\r\n", 0x0C07, German, "no LangId key"},
        {nullptr, 0x0804, Chinese, "no file"},
        {nullptr, 0x0816, English, "no file, Portuguese"},
        {L"[General]\r\nLangId=9\r\n", 0x0407, 9, "LangId 9 is kept as read"},
        {L"[General]\r\nLangId=0\r\n", 0x0804, English, "a stored English beats the system"},
        {L"[General]\r\nLangId=+4\r\n", 0x0409, Italian, "sign allowed"},
        {L"[General]\r\nLangId=-1\r\n", 0x0409, -1, "negative kept"},
        {L"[General]\r\nLangId=5abc\r\n", 0x0409, Chinese, "stops at the first non-digit"},
        {L"[General]\r\nLangId=abc\r\n", 0x0407, English, "no digits give 0, not the system"},
        {L"[General]\r\nLangId= \t2\r\n", 0x0409, French, "leading blanks"},
        {L"[general]\r\nlangid=1\r\n", 0x0409, German, "section and key are case-insensitive"},
    };
    int n = 0;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        std::wstring name = L"load_" + std::to_wstring(n++) + L".ini";
        std::wstring path = HerePath(name);
        DeleteFileW(path.c_str());
        if (r.ini) WriteUnicodeIni(name, r.ini);
        // Start from a language no row expects, so a stale value cannot pass.
        LoadIni(L"sentinel.ini", L"[General]\r\nLangId=77\r\n");
        ASSERT_EQ(GetUiLanguage(), 77);
        LoadAppSettingsFrom(path, r.system);
        EXPECT_EQ(GetUiLanguage(), r.expected);
        EXPECT_EQ(AppSettingsPath(), path);
        if (!r.ini) {
            EXPECT_FALSE(FileExists(path)) << "the system language is never written back";
        }
    }
}

TEST(LoadAppSettings, SystemFallbackWritesNothing) {
    std::wstring path = WriteUnicodeIni(L"fallback.ini", L"[General]\r\nLangId=\r\n");
    std::vector<unsigned char> before = ReadBytes(path);
    LoadAppSettingsFrom(path, 0x0407);
    EXPECT_EQ(GetUiLanguage(), German);
    EXPECT_EQ(ReadBytes(path), before);
}

TEST(LoadAppSettings, FindsAppCfgBesideTheExecutable) {
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir(exe, n);
    dir.erase(dir.find_last_of(L'\\') + 1);
    std::wstring beside = dir + L"AppCfg.ini";
    // The test folder is the working directory and the executable's folder;
    // the file is written there under the name the program looks for.
    WriteUnicodeIni(L"AppCfg.ini", L"[General]\r\nLangId=3\r\n[Dutch]\r\nSTR_ID_SAVE=Opslaan\r\n");
    ASSERT_TRUE(FileExists(beside));

    LoadAppSettings();
    EXPECT_EQ(AppSettingsPath(), beside);
    EXPECT_EQ(GetUiLanguage(), Dutch);
    EXPECT_EQ(GetUiText(STR_ID_SAVE), L"Opslaan");
    DeleteFileW(beside.c_str());
}

TEST(LoadAppSettings, UnknownLanguageReadsAsEnglishAndStaysUntilAFlagIsClicked) {
    LoadIni(L"nine.ini",
            L"[General]\r\nLangId=9\r\n[Germany]\r\nSTR_ID_SAVE=Speichern\r\n[Dutch]\r\nSTR_ID_SAVE=Opslaan\r\n");
    EXPECT_EQ(GetUiLanguage(), 9);
    EXPECT_EQ(GetLanguageName(), L"English");
    EXPECT_EQ(GetUiText(STR_ID_SAVE), L"Save");
    EXPECT_EQ(GetUiText(STR_ID_CANT_OPEN_USB), L"can't open usb mouse,please try again!!!");
    for (const auto& row : LanguageBitmapTable) EXPECT_EQ(GetLanguageBitmap(row[0]), row[0]);
    EXPECT_EQ(GetUiLanguage(), 9) << "looking things up must not change the language";

    SetUiLanguage(Dutch);
    EXPECT_EQ(GetUiLanguage(), Dutch);
    EXPECT_EQ(GetUiText(STR_ID_SAVE), L"Opslaan");
    EXPECT_EQ(ReadIni(AppSettingsPath(), L"General", L"LangId"), L"3");
}

TEST(GetUiText, TranslationOrEnglish) {
    LoadIni(L"texts.ini",
            L"[General]\r\nLangId=1\r\n"
            L"[Germany]\r\nSTR_ID_SAVE=Speichern\r\nSTR_ID_COPY=\r\nSTR_ID_CUT=Ausschneiden\r\n"
            L"[France]\r\nSTR_ID_SAVE=Enregistrer\r\n"
            L"[English]\r\nSTR_ID_PASTE=Insert\r\n");
    ASSERT_EQ(GetUiLanguage(), German);
    const struct {
        int language;
        int id;
        const wchar_t* expected;
        const char* what;
    } rows[] = {
        {German, STR_ID_SAVE, L"Speichern", "translation present"},
        {German, STR_ID_COPY, L"Copy", "key present but empty"},
        {German, STR_ID_PASTE, L"Paste", "key missing"},
        {German, STR_ID_CUT, L"Ausschneiden", "other key"},
        {French, STR_ID_SAVE, L"Enregistrer", "other section"},
        {French, STR_ID_CUT, L"Cut", "a German text is not used for French"},
        {Dutch, STR_ID_SAVE, L"Save", "section missing"},
        {English, STR_ID_PASTE, L"Insert", "an English section may override"},
        {English, STR_ID_SAVE, L"Save", "English default"},
        {German, kStringCount, L"", "id past the table"},
        {German, -1, L"", "negative id"},
        {German, STR_ID_UP_DOWN_SWAP, L"swap", "last row"},
        {German, STR_ID_BUTTONS, L"Buttons", "first row"},
    };
    for (const auto& r : rows) {
        SetUiLanguage(r.language);
        EXPECT_EQ(GetUiText(r.id), r.expected) << r.what;
    }
}

// Texts once read are kept, but a settings file changed meanwhile (here to a
// text of the same length) is read again.
TEST(GetUiText, AChangedFileIsReadAgain) {
    LoadIni(L"changed.ini", L"[General]\r\nLangId=1\r\n[Germany]\r\nSTR_ID_SAVE=Speichern\r\n");
    ASSERT_EQ(GetUiText(STR_ID_SAVE), L"Speichern");
    Sleep(20);
    WriteUnicodeIni(L"changed.ini", L"[General]\r\nLangId=1\r\n[Germany]\r\nSTR_ID_SAVE=Sichern!!\r\n");
    EXPECT_EQ(GetUiText(STR_ID_SAVE), L"Sichern!!");
    SetUiLanguage(French);
    EXPECT_EQ(GetUiText(STR_ID_SAVE), L"Save") << "a text of another language is not reused";
}

TEST(GetUiText, LongTranslationsAreCutTo255Characters) {
    const std::wstring exact(255, L'e');
    const std::wstring longer = std::wstring(255, L'x') + L"TAIL_THAT_IS_CUT";
    // A character outside the BMP straddling the cut must not leave half a pair.
    const std::wstring split = std::wstring(254, L'a') + L"\U0001F600" + L"b";
    LoadIni(L"long.ini", L"[General]\r\nLangId=2\r\n[France]\r\nSTR_ID_OK=" + exact + L"\r\nSTR_ID_CANCEL=" + longer +
                             L"\r\nSTR_ID_APPLY=" + split + L"\r\n");
    EXPECT_EQ(GetUiText(STR_ID_OK), exact);
    EXPECT_EQ(GetUiText(STR_ID_CANCEL), longer.substr(0, 255));
    EXPECT_EQ(GetUiText(STR_ID_APPLY), std::wstring(254, L'a'));
}

TEST(SetUiLanguage, WritesLangIdAndCreatesTheFile) {
    std::wstring path = HerePath(L"created.ini");
    DeleteFileW(path.c_str());
    LoadAppSettingsFrom(path, 0x0409);
    ASSERT_EQ(GetUiLanguage(), English);

    for (int code : {5, 4, 0, 12}) {
        SetUiLanguage(code);
        EXPECT_EQ(GetUiLanguage(), code);
        EXPECT_EQ(ReadIni(path, L"General", L"LangId"), std::to_wstring(code));
        LoadAppSettingsFrom(path, 0x0407);
        EXPECT_EQ(GetUiLanguage(), code) << "read back after a restart";
    }
}

TEST(SetUiLanguage, UnwritableFileStillChangesTheLanguage) {
    std::wstring path = HerePath(L"no_such_folder\\AppCfg.ini");
    LoadAppSettingsFrom(path, 0x0409);
    SetUiLanguage(French);
    EXPECT_EQ(GetUiLanguage(), French);
    EXPECT_EQ(GetLanguageName(), L"France");
    EXPECT_EQ(GetUiText(STR_ID_OK), L"OK");
    EXPECT_FALSE(FileExists(path));
}

// A copy unpacked onto a read-only share: the file holds a choice and the
// translations but takes no write. A pick lasts for the run and keeps every
// text, and the next run finds the file as it was. A handle that lets others
// read but not write stands in for the share, whoever runs the test (under
// Wine, root writes through a read-only attribute).
TEST(SetUiLanguage, ReadOnlySettingsKeepThePickForTheRun) {
    const std::wstring path =
        WriteUnicodeIni(L"readonly.ini", L"[General]\r\nLangId=1\r\n[Germany]\r\nSTR_ID_SAVE=Speichern\r\n"
                                         L"[Dutch]\r\nSTR_ID_SAVE=Opslaan\r\nSTR_ID_OK=Akkoord\r\n");
    const std::vector<unsigned char> before = ReadBytes(path);
    HANDLE share = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(share, INVALID_HANDLE_VALUE);

    LoadAppSettingsFrom(path, 0x0409);
    EXPECT_EQ(GetUiLanguage(), German);
    EXPECT_EQ(SetUiLanguage(Dutch), 0) << "the write must fail for this case to mean anything";
    EXPECT_EQ(GetUiLanguage(), Dutch);
    EXPECT_EQ(GetLanguageName(), L"Dutch");
    EXPECT_EQ(GetUiText(STR_ID_SAVE), L"Opslaan");
    EXPECT_EQ(GetUiText(STR_ID_OK), L"Akkoord");
    EXPECT_EQ(GetUiText(STR_ID_CANCEL), L"Cancel");
    EXPECT_EQ(GetLanguageBitmap(152), 232);
    EXPECT_EQ(SetUiLanguage(French), 0);
    EXPECT_EQ(GetUiLanguage(), French);
    EXPECT_EQ(GetUiText(STR_ID_SAVE), L"Save");
    CloseHandle(share);
    EXPECT_EQ(ReadBytes(path), before) << "the file must stay as it was";

    EXPECT_EQ(SetUiLanguage(Dutch), 1) << "a writable file stores the pick";
    EXPECT_EQ(ReadIni(path, L"General", L"LangId"), L"3");
}

TEST(GetLanguageName, SectionNamePerCode) {
    const wchar_t* names[] = {L"English", L"Germany", L"France", L"Dutch", L"Italian", L"Chinese"};
    LoadAppSettingsFrom(HerePath(L"names.ini"), 0x0409);
    for (int code = -2; code < 9; ++code) {
        SetUiLanguage(code);
        const wchar_t* expected = code >= 0 && code < 6 ? names[code] : L"English";
        EXPECT_EQ(GetLanguageName(), expected) << "code " << code;
    }
}

TEST(GetLanguageBitmap, RowsPerLanguage) {
    LoadAppSettingsFrom(HerePath(L"bitmaps.ini"), 0x0409);
    const struct {
        int english;
        int perCode[6];
    } rows[] = {
        {151, {151, 151, 151, 151, 151, 268}},  // OK keeps its picture except in Chinese
        {154, {154, 154, 154, 154, 154, 269}},
        {152, {152, 208, 220, 232, 244, 256}},
        {187, {187, 219, 231, 243, 255, 267}},
        {198, {198, 273, 275, 277, 279, 281}},
        {199, {199, 272, 274, 276, 278, 280}},
        {157, {157, 157, 157, 157, 157, 157}},  // no row: unchanged
        {268, {268, 268, 268, 268, 268, 268}},  // a Chinese id is not a key
        {0, {0, 0, 0, 0, 0, 0}},
    };
    for (const auto& r : rows) {
        for (int code = 0; code < 6; ++code) {
            SetUiLanguage(code);
            EXPECT_EQ(GetLanguageBitmap(r.english), r.perCode[code]) << "bitmap " << r.english << " code " << code;
        }
        for (int code : {-1, 6, 9}) {
            SetUiLanguage(code);
            EXPECT_EQ(GetLanguageBitmap(r.english), r.english) << "bitmap " << r.english << " code " << code;
        }
    }
}

TEST(GetLanguageBitmap, EveryTableCellIsReachable) {
    LoadAppSettingsFrom(HerePath(L"bitmaps.ini"), 0x0409);
    std::set<int> english;
    for (const auto& row : LanguageBitmapTable) EXPECT_TRUE(english.insert(row[0]).second) << "duplicate " << row[0];
    for (int code = 0; code < 6; ++code) {
        SetUiLanguage(code);
        for (const auto& row : LanguageBitmapTable)
            EXPECT_EQ(GetLanguageBitmap(row[0]), row[code]) << "bitmap " << row[0] << " code " << code;
    }
}

// Background transfers build their message texts while the window thread
// does the same: every caller must get its own, complete text.
TEST(GetUiText, ManyThreadsAtOnce) {
    LoadIni(L"threads.ini",
            L"[General]\r\nLangId=5\r\n[Chinese]\r\nSTR_ID_OPERATION_OK=\u64CD\u4F5C\u6210\u529F\u3002\r\n"
            L"STR_ID_OPERATION_FAIL=\u64CD\u4F5C\u5931\u8D25\r\nSTR_ID_CANT_OPEN_USB=\u65E0\u6CD5\u6253\u5F00 USB "
            L"\u9F20\u6807\r\n");
    const struct {
        int id;
        std::wstring text;
    } expected[] = {
        {STR_ID_OPERATION_OK, L"\u64CD\u4F5C\u6210\u529F\u3002"},
        {STR_ID_OPERATION_FAIL, L"\u64CD\u4F5C\u5931\u8D25"},
        {STR_ID_CANT_OPEN_USB, L"\u65E0\u6CD5\u6253\u5F00 USB \u9F20\u6807"},
        {STR_ID_NEED_LEFT_KEY, L"Need at least one Mouse Left Key!!!"},
        {STR_ID_SAVE_SUCCESS, L"Save Success"},
    };
    std::atomic<int> wrong{0};
    std::atomic<int> done{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            while (!go) std::this_thread::yield();
            std::vector<std::wstring> kept;
            for (int i = 0; i < 1000; ++i) {
                const auto& e = expected[(t + i) % 5];
                kept.push_back(GetUiText(e.id));
                if (kept.back() != e.text) ++wrong;
                ++done;
            }
            // Earlier results must not change under later calls.
            for (int i = 0; i < 1000; ++i)
                if (kept[i] != expected[(t + i) % 5].text) ++wrong;
        });
    }
    go = true;
    for (auto& th : threads) th.join();
    EXPECT_EQ(done.load(), 8 * 1000);
    EXPECT_EQ(wrong.load(), 0);
}
