// Numbered UI texts, their translations in AppCfg.ini and the language choice.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

// Value of the UI language, the number stored under [General] LangId and the
// column of LanguageBitmapTable. Any other number reads as English.
enum LanguageCode { English = 0, German = 1, French = 2, Dutch = 3, Italian = 4, Chinese = 5 };
constexpr int kLanguageCount = 6;

// Ids of the numbered texts; each is the row index in StringIdTable and is
// named after the row's key in AppCfg.ini.
enum StringId : int32_t {
    STR_ID_BUTTONS = 0,
    STR_ID_SPEED = 1,
    STR_ID_L_BUTTON = 2,
    STR_ID_IE_BACKWARD = 3,
    STR_ID_IE_FORWARD = 4,
    STR_ID_R_BUTTON = 5,
    STR_ID_W_BUTTON = 6,
    STR_ID_DBL_CLICK = 7,
    STR_ID_CUT = 8,
    STR_ID_COPY = 9,
    STR_ID_PASTE = 10,
    STR_ID_DELETE = 11,
    STR_ID_SEL_ALL = 12,
    STR_ID_NEW = 13,
    STR_ID_PRINT = 14,
    STR_ID_FIND = 15,
    STR_ID_SAVE = 16,
    STR_ID_SWT_WND = 17,
    STR_ID_CLOSE_WND = 18,
    STR_ID_EXPLORER = 19,
    STR_ID_RUN = 20,
    STR_ID_DESKTOP = 21,
    STR_ID_MINIMIZE = 22,
    STR_ID_KEY_COMPBINATION = 23,
    STR_ID_MULTI_MEDIA = 24,
    STR_ID_BUTTON_4 = 25,
    STR_ID_MUTE = 26,
    STR_ID_NEXT = 27,
    STR_ID_PLAY_PAUSE = 28,
    STR_ID_PREV = 29,
    STR_ID_STOP = 30,
    STR_ID_VOL_DOWN = 31,
    STR_ID_VOL_UP = 32,
    STR_ID_M_BUTTON = 33,
    STR_ID_BUTTON_5 = 34,
    STR_ID_LOAD_DEFAULT = 35,
    STR_ID_SAVE_CONFIG = 36,
    STR_ID_LOAD_CONFIG = 37,
    STR_ID_OK = 38,
    STR_ID_CANCEL = 39,
    STR_ID_APPLY = 40,
    STR_ID_NEED_LEFT_KEY = 41,
    STR_ID_DPI_CPI_CFG = 42,
    STR_ID_USB_REPORT_RATE = 43,
    STR_ID_CANT_OPEN_USB = 44,
    STR_ID_OPERATION_OK = 45,
    STR_ID_RESET_TO_DEFAULT = 46,
    STR_ID_SAVE_CONFIG_FAIL = 47,
    STR_ID_SAVE_SUCCESS = 48,
    STR_ID_KEY_FUNCTION_UPDATED = 49,
    STR_ID_OPERATION_FAIL = 50,
    STR_ID_UNSUPPORT_VERSION = 51,
    STR_ID_INVALID_FORAT = 52,
    STR_ID_UPDATE_CONFIG_ERROR = 53,
    STR_ID_INITIALIZE_FAILED = 54,
    STR_ID_UP_DOWN_SWAP = 55,
    // Profiles page, profile switches and the keep dialog.
    STR_ID_PROFILES = 56,
    STR_ID_FOLLOW_PROGRAM = 57,
    STR_ID_PROGRAM = 58,
    STR_ID_PROFILE_FILE = 59,
    STR_ID_DEFAULT_PROFILE = 60,
    STR_ID_ADD_RULE = 61,
    STR_ID_REMOVE_RULE = 62,
    STR_ID_BROWSE_PROGRAM = 63,
    STR_ID_CHOOSE_PROFILE = 64,
    STR_ID_CLEAR_PROFILE = 65,
    STR_ID_NO_PROFILE = 66,
    STR_ID_FILE_MISSING = 67,
    STR_ID_PROFILE_STATUS = 68,
    STR_ID_PROFILE_SWITCH_FAILED = 69,
    STR_ID_RULES_FULL = 70,
    STR_ID_KEEP_BUTTONS = 71,
    STR_ID_KEEP_DPI = 72,
    STR_ID_UNDO_COUNTDOWN = 73,
    STR_ID_LEFT_CLICK_NOW = 74,
    STR_ID_DPI_NOW = 75,
    STR_ID_KEEP = 76,
    STR_ID_UNDO = 77,
    // The mouse's answers and the profile follower's waits.
    STR_ID_PARTLY_READ = 78,
    STR_ID_PROFILE_WAITS = 79,
    STR_ID_PROFILE_NO_LEFT_CLICK = 80,
    // Names of the picture buttons, for screen readers and tooltips.
    STR_ID_CLOSE_PROGRAM = 81,
    STR_ID_MINIMIZE_PROGRAM = 82,
    STR_ID_HIDE_TO_TRAY = 83,
    STR_ID_SHOW_PICTURE = 84,
    // An apply that needs the buttons the mouse never reported.
    STR_ID_BUTTONS_UNREAD = 85,
    // The tray menu and tip, and the end of a session.
    STR_ID_TRAY_CONFIG = 86,
    STR_ID_TRAY_EXIT = 87,
    STR_ID_TRAY_FOLLOW = 88,
    STR_ID_START_WITH_WINDOWS = 89,
    STR_ID_NO_MOUSE_CONNECTED = 90,
    // The chosen DPI beside its slider, and in the tray tip.
    STR_ID_DPI_NUMBER = 91,
    STR_ID_SAVING_MOUSE_SETTINGS = 92,
    // The performance page's tab name.
    STR_ID_PERFORMANCE = 93,
};
constexpr int kStringCount = 94;

struct StringIdEntry {
    int32_t id;
    wchar_t key[30];   // ini key in every language section
    wchar_t text[96];  // English text, used where no translation is found
};
extern const StringIdEntry StringIdTable[kStringCount];

// Skin bitmaps with painted words: one row per English bitmap, one column per
// LanguageCode; column 0 is the lookup key.
constexpr int kLanguageBitmapRows = 18;
extern const int LanguageBitmapTable[kLanguageBitmapRows][kLanguageCount];

// Longest text a lookup returns; longer translations are cut.
constexpr size_t kMaxUiTextLength = 255;

// Start-up: settings path = directory of the running executable + "AppCfg.ini";
// the language comes from [General] LangId or, when that is empty, from
// GetSystemDefaultLangID.
void LoadAppSettings();
// Same with the path and the system language given (tests, other hosts).
void LoadAppSettingsFrom(const std::wstring& iniPath, LANGID systemLanguage);

// Language code for a system language identifier; English for unknown ones.
int LanguageForSystem(LANGID id);

// UI language as read (may lie outside 0..5, which then reads as English).
int GetUiLanguage();
// Sets the UI language and stores it as [General] LangId. Returns 1 when
// stored; 0 when the file cannot be written (a read-only folder), and the
// language then holds for this run only.
int SetUiLanguage(int code);

// Section name of the UI language in AppCfg.ini ("English" for unknown codes).
std::wstring GetLanguageName();
// Section name of a language code ("English" for unknown codes).
std::wstring LanguageName(int code);

// The text with this id in the UI language: the translation if present and
// not empty, else the English text; "" for an unknown id. Each call returns
// its own copy, so any thread may call it.
std::wstring GetUiText(int id);

// The current language's bitmap for an English bitmap id; the id itself when
// it has no row or the language is not 0..5.
int GetLanguageBitmap(int englishBitmapId);

// Full path of AppCfg.ini as set by LoadAppSettings.
std::wstring AppSettingsPath();

// A numbered text with its one placeholder ("%s" or "%d") replaced by value;
// translations are never used as a format string. Without a placeholder
// the value is appended after a space.
std::wstring FillText(const std::wstring& pattern, const std::wstring& value);
