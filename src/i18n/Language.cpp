#include "i18n/Language.h"
#include "i18n/SettingsFile.h"

#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

const StringIdEntry StringIdTable[kStringCount] = {
    {STR_ID_BUTTONS, L"STR_ID_BUTTONS", L"Buttons"},
    {STR_ID_SPEED, L"STR_ID_SPEED", L"Speed"},
    {STR_ID_L_BUTTON, L"STR_ID_L_BUTTON", L"L-Button"},
    {STR_ID_IE_BACKWARD, L"STR_ID_IE_BACKWARD", L"IE Backward Button"},
    {STR_ID_IE_FORWARD, L"STR_ID_IE_FORWARD", L"IE Forward Button"},
    {STR_ID_R_BUTTON, L"STR_ID_R_BUTTON", L"R-Button"},
    {STR_ID_W_BUTTON, L"STR_ID_W_BUTTON", L"Wheel Button"},
    {STR_ID_DBL_CLICK, L"STR_ID_DBL_CLICK", L"Double Click"},
    {STR_ID_CUT, L"STR_ID_CUT", L"Cut"},
    {STR_ID_COPY, L"STR_ID_COPY", L"Copy"},
    {STR_ID_PASTE, L"STR_ID_PASTE", L"Paste"},
    {STR_ID_DELETE, L"STR_ID_DELETE", L"Delete"},
    {STR_ID_SEL_ALL, L"STR_ID_SEL_ALL", L"Select All"},
    {STR_ID_NEW, L"STR_ID_NEW", L"New"},
    {STR_ID_PRINT, L"STR_ID_PRINT", L"Print"},
    {STR_ID_FIND, L"STR_ID_FIND", L"Find"},
    {STR_ID_SAVE, L"STR_ID_SAVE", L"Save"},
    {STR_ID_SWT_WND, L"STR_ID_SWT_WND", L"Switch Window"},
    {STR_ID_CLOSE_WND, L"STR_ID_CLOSE_WND", L"Close Window"},
    {STR_ID_EXPLORER, L"STR_ID_EXPLORER", L"Explorer"},
    {STR_ID_RUN, L"STR_ID_RUN", L"Run"},
    {STR_ID_DESKTOP, L"STR_ID_DESKTOP", L"Desktop"},
    {STR_ID_MINIMIZE, L"STR_ID_MINIMIZE", L"Minimize Window"},
    {STR_ID_KEY_COMPBINATION, L"STR_ID_KEY_COMPBINATION", L"Key Combination"},
    {STR_ID_MULTI_MEDIA, L"STR_ID_MULTI_MEDIA", L"User-defined"},
    {STR_ID_BUTTON_4, L"STR_ID_BUTTON_4", L"Button-4"},
    {STR_ID_MUTE, L"STR_ID_MUTE", L"Mute"},
    {STR_ID_NEXT, L"STR_ID_NEXT", L"Next"},
    {STR_ID_PLAY_PAUSE, L"STR_ID_PLAY_PAUSE", L"Play/Pause"},
    {STR_ID_PREV, L"STR_ID_PREV", L"Prev"},
    {STR_ID_STOP, L"STR_ID_STOP", L"Stop"},
    {STR_ID_VOL_DOWN, L"STR_ID_VOL_DOWN", L"Volume Down"},
    {STR_ID_VOL_UP, L"STR_ID_VOL_UP", L"Volume Up"},
    {STR_ID_M_BUTTON, L"STR_ID_M_BUTTON", L"M-Button"},
    {STR_ID_BUTTON_5, L"STR_ID_BUTTON_5", L"Button-5"},
    {STR_ID_LOAD_DEFAULT, L"STR_ID_LOAD_DEFAULT", L"Load Default Config"},
    {STR_ID_SAVE_CONFIG, L"STR_ID_SAVE_CONFIG", L"Save Current Config"},
    {STR_ID_LOAD_CONFIG, L"STR_ID_LOAD_CONFIG", L"Load Config"},
    {STR_ID_OK, L"STR_ID_OK", L"OK"},
    {STR_ID_CANCEL, L"STR_ID_CANCEL", L"Cancel"},
    {STR_ID_APPLY, L"STR_ID_APPLY", L"Apply"},
    {STR_ID_NEED_LEFT_KEY, L"STR_ID_NEED_LEFT_KEY", L"Need at least one Mouse Left Key!!!"},
    {STR_ID_DPI_CPI_CFG, L"STR_ID_DPI_CPI_CFG", L"DPI/CPI Configure"},
    {STR_ID_USB_REPORT_RATE, L"STR_ID_USB_REPORT_RATE", L"USB Report Rate"},
    {STR_ID_CANT_OPEN_USB, L"STR_ID_CANT_OPEN_USB", L"can't open usb mouse,please try again!!!"},
    {STR_ID_OPERATION_OK, L"STR_ID_OPERATION_OK", L"operation ok."},
    {STR_ID_RESET_TO_DEFAULT, L"STR_ID_RESET_TO_DEFAULT", L"Reset to default?"},
    {STR_ID_SAVE_CONFIG_FAIL, L"STR_ID_SAVE_CONFIG_FAIL", L"Save Config fail!"},
    {STR_ID_SAVE_SUCCESS, L"STR_ID_SAVE_SUCCESS", L"Save Success"},
    {STR_ID_KEY_FUNCTION_UPDATED, L"STR_ID_KEY_FUNCTION_UPDATED", L"Key function updated"},
    {STR_ID_OPERATION_FAIL, L"STR_ID_OPERATION_FAIL", L"Operation fail"},
    {STR_ID_UNSUPPORT_VERSION, L"STR_ID_UNSUPPORT_VERSION", L"Unsupport version!"},
    {STR_ID_INVALID_FORAT, L"STR_ID_INVALID_FORAT", L"Invalid Format!"},
    {STR_ID_UPDATE_CONFIG_ERROR, L"STR_ID_UPDATE_CONFIG_ERROR", L"Update config error!"},
    {STR_ID_INITIALIZE_FAILED, L"STR_ID_INITIALIZE_FAILED", L"Initialize failed!"},
    {STR_ID_UP_DOWN_SWAP, L"STR_ID_UP_DOWN_SWAP", L"swap"},
    {STR_ID_PROFILES, L"STR_ID_PROFILES", L"Profiles"},
    {STR_ID_FOLLOW_PROGRAM, L"STR_ID_FOLLOW_PROGRAM", L"Switch profiles with the active program"},
    {STR_ID_PROGRAM, L"STR_ID_PROGRAM", L"Program"},
    {STR_ID_PROFILE_FILE, L"STR_ID_PROFILE_FILE", L"Profile file"},
    {STR_ID_DEFAULT_PROFILE, L"STR_ID_DEFAULT_PROFILE", L"Every other program"},
    {STR_ID_ADD_RULE, L"STR_ID_ADD_RULE", L"Add..."},
    {STR_ID_REMOVE_RULE, L"STR_ID_REMOVE_RULE", L"Remove"},
    {STR_ID_BROWSE_PROGRAM, L"STR_ID_BROWSE_PROGRAM", L"Browse..."},
    {STR_ID_CHOOSE_PROFILE, L"STR_ID_CHOOSE_PROFILE", L"Choose..."},
    {STR_ID_CLEAR_PROFILE, L"STR_ID_CLEAR_PROFILE", L"Clear"},
    {STR_ID_NO_PROFILE, L"STR_ID_NO_PROFILE", L"(none)"},
    {STR_ID_FILE_MISSING, L"STR_ID_FILE_MISSING", L"(file missing) %s"},
    {STR_ID_PROFILE_STATUS, L"STR_ID_PROFILE_STATUS", L"profile %s"},
    {STR_ID_PROFILE_SWITCH_FAILED, L"STR_ID_PROFILE_SWITCH_FAILED", L"profile switch failed"},
    {STR_ID_RULES_FULL, L"STR_ID_RULES_FULL", L"At most 64 programs can have a profile."},
    {STR_ID_KEEP_BUTTONS, L"STR_ID_KEEP_BUTTONS", L"Keep these button settings?"},
    {STR_ID_KEEP_DPI, L"STR_ID_KEEP_DPI", L"Keep this pointer speed?"},
    {STR_ID_UNDO_COUNTDOWN, L"STR_ID_UNDO_COUNTDOWN", L"Reverting in %d s"},
    {STR_ID_LEFT_CLICK_NOW, L"STR_ID_LEFT_CLICK_NOW", L"Left click is now assigned to: %s."},
    {STR_ID_DPI_NOW, L"STR_ID_DPI_NOW", L"The pointer speed is now %d DPI."},
    {STR_ID_KEEP, L"STR_ID_KEEP", L"Keep"},
    {STR_ID_UNDO, L"STR_ID_UNDO", L"Undo"},
    {STR_ID_PARTLY_READ, L"STR_ID_PARTLY_READ",
     L"Some settings could not be read from the mouse. They stay as they are in the mouse."},
    {STR_ID_PROFILE_WAITS, L"STR_ID_PROFILE_WAITS", L"profile %s is waiting: apply your changes first"},
    {STR_ID_PROFILE_NO_LEFT_CLICK, L"STR_ID_PROFILE_NO_LEFT_CLICK",
     L"profile %s not used: no button is set to left click"},
    {STR_ID_CLOSE_PROGRAM, L"STR_ID_CLOSE_PROGRAM", L"Close"},
    {STR_ID_MINIMIZE_PROGRAM, L"STR_ID_MINIMIZE_PROGRAM", L"Minimize"},
    {STR_ID_HIDE_TO_TRAY, L"STR_ID_HIDE_TO_TRAY", L"Hide to the notification area"},
    {STR_ID_SHOW_PICTURE, L"STR_ID_SHOW_PICTURE", L"Show picture: %s"},
    {STR_ID_BUTTONS_UNREAD, L"STR_ID_BUTTONS_UNREAD",
     L"Some buttons could not be read from the mouse. Set one to L-Button, then apply again."},
    {STR_ID_TRAY_CONFIG, L"STR_ID_TRAY_CONFIG", L"Config"},
    {STR_ID_TRAY_EXIT, L"STR_ID_TRAY_EXIT", L"Exit"},
    {STR_ID_TRAY_FOLLOW, L"STR_ID_TRAY_FOLLOW", L"Follow the program in front"},
    {STR_ID_START_WITH_WINDOWS, L"STR_ID_START_WITH_WINDOWS", L"Start with Windows"},
    {STR_ID_NO_MOUSE_CONNECTED, L"STR_ID_NO_MOUSE_CONNECTED", L"No mouse connected"},
    {STR_ID_DPI_NUMBER, L"STR_ID_DPI_NUMBER", L"%d DPI"},
    {STR_ID_SAVING_MOUSE_SETTINGS, L"STR_ID_SAVING_MOUSE_SETTINGS", L"Saving the mouse's settings"},
    {STR_ID_PERFORMANCE, L"STR_ID_PERFORMANCE", L"Performance"},
};

const int LanguageBitmapTable[kLanguageBitmapRows][kLanguageCount] = {
    {151, 151, 151, 151, 151, 268},  // OK, pointer over
    {152, 208, 220, 232, 244, 256},  // Apply, pointer over
    {153, 210, 222, 234, 246, 258},  // Cancel, pointer over
    {154, 154, 154, 154, 154, 269},  // OK, resting
    {155, 209, 221, 233, 245, 257},  // Apply, resting
    {156, 211, 223, 235, 247, 259},  // Cancel, resting
    {178, 212, 224, 236, 248, 260},  // buttons page tab, current, resting
    {180, 216, 228, 240, 252, 264},  // performance tab, current, resting
    {181, 218, 230, 242, 254, 266},  // performance tab, other page, resting
    {182, 214, 226, 238, 250, 262},  // buttons page tab, other page, resting
    {183, 217, 229, 241, 253, 265},  // performance tab, current, pointer over
    {184, 213, 225, 237, 249, 261},  // buttons page tab, current, pointer over
    {185, 215, 227, 239, 251, 263},  // buttons page tab, other page, pointer over
    {187, 219, 231, 243, 255, 267},  // performance tab, other page, pointer over
    {199, 272, 274, 276, 278, 280},  // DPI area caption
    {198, 273, 275, 277, 279, 281},  // report-rate caption
    {177, 288, 290, 292, 294, 270},  // profiles tab, current
    {179, 289, 291, 293, 295, 271},  // profiles tab, other page
};

namespace {

const wchar_t* const kLanguageNames[kLanguageCount] = {L"English", L"Germany", L"France",
                                                       L"Dutch",   L"Italian", L"Chinese"};

std::atomic<int> g_uiLanguage{English};

// Set at start-up, read by any thread that looks up a text.
std::mutex g_pathLock;
std::wstring g_settingsPath;

std::wstring SettingsPath() {
    std::lock_guard<std::mutex> hold(g_pathLock);
    return g_settingsPath;
}

// At most kMaxUiTextLength characters, empty when missing. The read is cut by
// the buffer size; a surrogate pair split by the cut is dropped whole so the
// result stays valid UTF-16.
std::wstring ReadSetting(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
    // Without a path the profile functions would fall back to win.ini.
    if (path.empty()) return std::wstring();
    wchar_t buffer[kMaxUiTextLength + 1] = {};
    DWORD n = GetPrivateProfileStringW(section, key, L"", buffer, kMaxUiTextLength + 1, path.c_str());
    if (n > kMaxUiTextLength) n = kMaxUiTextLength;
    if (n > 0 && IS_HIGH_SURROGATE(buffer[n - 1])) --n;
    return std::wstring(buffer, n);
}

// Decimal value as the C library reads it from the 8-bit code page: leading
// blanks and a sign, up to the first non-digit, 0 without digits.
int ParseLanguageId(const std::wstring& text) {
    int bytes = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return 0;
    std::vector<char> narrow(bytes);
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, narrow.data(), bytes, nullptr, nullptr);
    return static_cast<int>(std::strtol(narrow.data(), nullptr, 10));
}

// Texts already read, for one settings file as it was and one language: a
// profile-string read costs about half a millisecond under Wine, and the
// pages ask for the same few dozen texts hundreds of times while they start.
struct TextCache {
    std::wstring path;
    int language = -1;
    FILETIME written{};
    ULONGLONG size = 0;
    std::map<int, std::wstring> texts;
};
std::mutex g_textLock;
TextCache g_texts;

bool SameFile(const TextCache& c, const std::wstring& path, int language, const FILETIME& written, ULONGLONG size) {
    return c.path == path && c.language == language && c.size == size &&
           CompareFileTime(&c.written, &written) == 0;
}

std::wstring ExecutableDirectory() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) {
            std::wstring full(path.data(), n);
            size_t slash = full.find_last_of(L"\\/");
            return slash == std::wstring::npos ? std::wstring() : full.substr(0, slash + 1);
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

int LanguageForSystem(LANGID id) {
    switch (id) {
    case 0x0404: case 0x0804: case 0x0C04: case 0x1004:
        return Chinese;
    case 0x0407: case 0x0807: case 0x0C07: case 0x1007: case 0x1407:
        return German;
    case 0x040C: case 0x080C: case 0x0C0C: case 0x100C: case 0x140C:
        return French;
    case 0x0413: case 0x0813:
        return Dutch;
    case 0x0410: case 0x0810:
        return Italian;
    default:
        return English;
    }
}

void LoadAppSettingsFrom(const std::wstring& iniPath, LANGID systemLanguage) {
    {
        std::lock_guard<std::mutex> hold(g_pathLock);
        g_settingsPath = iniPath;
    }
    std::wstring value = ReadSetting(iniPath, L"General", L"LangId");
    // Only a stored choice is written back; the system language is not.
    g_uiLanguage = value.empty() ? LanguageForSystem(systemLanguage) : ParseLanguageId(value);
}

void LoadAppSettings() {
    LoadAppSettingsFrom(ExecutableDirectory() + L"AppCfg.ini", GetSystemDefaultLangID());
}

std::wstring AppSettingsPath() { return SettingsPath(); }

int GetUiLanguage() { return g_uiLanguage; }

int SetUiLanguage(int code) {
    // The choice is made in memory first, so a file that cannot be written
    // costs only its lasting beyond this run.
    g_uiLanguage = code;
    wchar_t number[16];
    wsprintfW(number, L"%d", code);
    std::wstring path = SettingsPath();
    if (path.empty() || !EnsureUnicodeSettings(path)) return 0;
    return WritePrivateProfileStringW(L"General", L"LangId", number, path.c_str()) ? 1 : 0;
}

std::wstring LanguageName(int code) {
    return kLanguageNames[code >= 0 && code < kLanguageCount ? code : English];
}

std::wstring GetLanguageName() { return LanguageName(g_uiLanguage); }

std::wstring GetUiText(int id) {
    for (const StringIdEntry& row : StringIdTable) {
        if (row.id != id) continue;
        const std::wstring path = SettingsPath();
        const int language = g_uiLanguage;
        WIN32_FILE_ATTRIBUTE_DATA file;
        // A file that changed (or is missing) is read again.
        const bool stamped = !path.empty() && GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &file);
        const ULONGLONG size = stamped ? (ULONGLONG(file.nFileSizeHigh) << 32) | file.nFileSizeLow : 0;
        if (stamped) {
            std::lock_guard<std::mutex> hold(g_textLock);
            if (SameFile(g_texts, path, language, file.ftLastWriteTime, size)) {
                auto found = g_texts.texts.find(id);
                if (found != g_texts.texts.end()) return found->second;
            }
        }
        std::wstring text = ReadSetting(path, LanguageName(language).c_str(), row.key);
        if (text.empty()) text = row.text;
        if (stamped) {
            std::lock_guard<std::mutex> hold(g_textLock);
            if (!SameFile(g_texts, path, language, file.ftLastWriteTime, size)) {
                g_texts = TextCache{path, language, file.ftLastWriteTime, size, {}};
            }
            g_texts.texts[id] = text;
        }
        return text;
    }
    return std::wstring();
}

int GetLanguageBitmap(int englishBitmapId) {
    int language = g_uiLanguage;
    for (const auto& row : LanguageBitmapTable) {
        if (row[English] != englishBitmapId) continue;
        return language >= 0 && language < kLanguageCount ? row[language] : englishBitmapId;
    }
    return englishBitmapId;
}

std::wstring FillText(const std::wstring& pattern, const std::wstring& value) {
    size_t at = pattern.find(L"%s");
    if (at == std::wstring::npos) at = pattern.find(L"%d");
    if (at == std::wstring::npos) return pattern + L" " + value;
    return pattern.substr(0, at) + value + pattern.substr(at + 2);
}
