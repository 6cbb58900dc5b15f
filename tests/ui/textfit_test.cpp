// Every text the pages show fits its control, measured in the control's own
// font: each list entry, button, check box, field and label, in the six
// languages, with the pages laid out at 96, 144 and 192 DPI (fonts, places
// and paddings at that scale, as when the window moves to such a monitor).
// A skinned control says where it draws its text; a label has its client area.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "PageHost.h"
#include "config/DeviceStore.h"
#include "controls/Window.h"
#include "i18n/Language.h"
#include "keys/Commands.h"
#include "resources/resource.h"
#include "ui/ButtonsPage.h"
#include "ui/PerformancePage.h"
#include "ui/ProfilesPage.h"
#include "ui/Uploads.h"

namespace {

using namespace pagetest;

std::wstring ClassOf(HWND wnd) {
    wchar_t name[64] = {};
    GetClassNameW(wnd, name, 64);
    return name;
}

// What a control shows: a list's entries, else its window text.
std::vector<std::wstring> Shown(HWND wnd) {
    if (ClassOf(wnd) != L"ComboBox") return {Text(wnd)};
    std::vector<std::wstring> entries;
    const int count = static_cast<int>(SendMessageW(wnd, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) entries.push_back(EntryText(wnd, i));
    return entries;
}

// The room for the text; false when the control shows no words.
bool Room(HWND wnd, RECT& room) {
    if (SubclassedControl* skinned = SubclassedControl::FromHandle(wnd)) return skinned->TextArea(room);
    const LONG style = GetWindowLongW(wnd, GWL_STYLE);
    // Labels that are shown; hidden ones only name a control for screen readers.
    if (ClassOf(wnd) != L"Static" || !(style & WS_VISIBLE) || (style & SS_TYPEMASK) == SS_BITMAP) return false;
    return GetClientRect(wnd, &room) != FALSE;
}

SIZE Extent(HWND wnd, const std::wstring& text) {
    HDC dc = GetDC(wnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(wnd, WM_GETFONT, 0, 0)));
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(wnd, dc);
    return SIZE{r.right, r.bottom};
}

std::string Utf8(const std::wstring& w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &s[0], n, nullptr, nullptr);
    return s;
}

// Every shown text of the page's controls that does not fit, one line each.
std::string TooLong(HWND page, const std::string& where) {
    std::string found;
    for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT room{};
        if (!Room(c, room)) continue;
        for (const std::wstring& text : Shown(c)) {
            const SIZE need = Extent(c, text);
            if (need.cx <= room.right - room.left && need.cy <= room.bottom - room.top) continue;
            found += "  " + where + " control " + std::to_string(GetDlgCtrlID(c)) + " \"" + Utf8(text) + "\" needs " +
                     std::to_string(need.cx) + "x" + std::to_string(need.cy) + ", has " +
                     std::to_string(room.right - room.left) + "x" + std::to_string(room.bottom - room.top) + "\n";
        }
    }
    return found;
}

}  // namespace

TEST(TextFit, EveryTextFitsItsControlInEveryLanguageAtEveryScale) {
    LoadAppSettingsFrom(HerePath(L"AppCfg.ini"), 0x0409);
    // Every button on a media key: the five multimedia lists are made too.
    DeviceStore store;
    for (int slot = 0; slot < 5; ++slot) store.SetCommand(slot, Multimedia, kMultimediaList[0].bit);
    UploadOwner uploads(store);
    Host host(800, 400);
    ButtonsPage buttons(store, uploads);
    PerformancePage performance(store, uploads);
    ProgramProfiles rules;
    ProfileFollower follower(uploads);
    ProfilesPage profiles(rules, follower);
    Page* pages[] = {&buttons, &performance, &profiles};
    for (Page* page : pages) ASSERT_NE(page->Create(host.Wnd()), nullptr);
    for (int slot : {IDC_BTN_MEDIA_LEFT, IDC_BTN_MEDIA_RIGHT, IDC_BTN_MEDIA_MIDDLE, IDC_BTN_MEDIA_B4, IDC_BTN_MEDIA_B5})
        ASSERT_NE(GetDlgItem(buttons.Hwnd(), slot), nullptr) << "multimedia list " << slot << " was not made";

    std::string tooLong;
    for (UINT dpi : {96u, 144u, 192u}) {
        for (int language = English; language <= Chinese; ++language) {
            SetUiLanguage(language);
            for (Page* page : pages) {
                page->RefreshPageTexts();
                page->OnDpiChanged(dpi);
            }
            // The widest number beside the slider.
            performance.SetDpiNumber(6000);
            const std::string where = Utf8(LanguageName(language)) + " at " + std::to_string(dpi) + " DPI:";
            for (Page* page : pages) tooLong += TooLong(page->Hwnd(), where);
        }
    }
    SetUiLanguage(English);
    EXPECT_EQ(tooLong, "") << "texts cut in their controls:\n" << tooLong;
}
