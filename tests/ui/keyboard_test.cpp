// Mirvostan without a pointer: the real program driven by keys sent with
// SendInput, and read as a screen reader reads it, through oleacc.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "../link/VirtualMouseFiles.h"
#include "ProgramDriver.h"
#include "resources/resource.h"

using driver::Program;

namespace {

// IAccessible's identifier, spelled out: the one in this toolchain's uuid
// library is not the one oleacc answers to.
const GUID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

std::wstring Pristine() { return driver::Dir() + L"AppCfg.pristine.ini"; }

// A numbered text as the shipped settings file has it in a language.
std::wstring Shipped(const wchar_t* section, const wchar_t* key, const wchar_t* english) {
    if (std::wstring(section) == L"English") return english;
    wchar_t text[256] = {};
    GetPrivateProfileStringW(section, key, english, text, 256, Pristine().c_str());
    return text;
}

void Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    const bool extended = vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN;
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    SendInput(1, &in, sizeof in);
    driver::WaitFor([] { return false; }, 80);
}

void Press(WORD vk) {
    Key(vk, false);
    Key(vk, true);
}

HWND FocusOf(HWND main) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) ? info.hwndFocus : nullptr;
}

// Tab until the control has the focus; fails when a round never reached it.
::testing::AssertionResult TabTo(HWND main, HWND control) {
    // The keys go to the window in front; a closed box may have left none there.
    if (GetForegroundWindow() != main) SetForegroundWindow(main);
    for (int i = 0; i < 80 && FocusOf(main) != control; ++i) Press(VK_TAB);
    HWND focus = FocusOf(main);
    if (focus == control) return ::testing::AssertionSuccess();
    const std::wstring cls = driver::ClassOf(focus);
    return ::testing::AssertionFailure() << "the focus stayed on control " << GetDlgCtrlID(focus) << " of class "
                                         << std::string(cls.begin(), cls.end());
}

// Enter on every box the program shows, until at least one was answered
// (an apply always tells how it went) and cond holds with none left.
template <class Cond>
bool AnswerBoxesUntil(Program& p, HWND main, Cond cond) {
    int answered = 0;
    return driver::WaitFor(
        [&] {
            bool open = false;
            for (const driver::Box& b : p.Boxes()) {
                if (b.wnd == main) continue;
                open = true;
                if (GetForegroundWindow() == b.wnd) {
                    Press(VK_RETURN);
                    ++answered;
                }
            }
            return answered > 0 && !open && cond();
        },
        20000);
}

vmouse::Bytes Rec(int slot, int type, int code, int usage) {
    return vmouse::Bytes{0x00, 0x04, static_cast<uint8_t>(slot), static_cast<uint8_t>(type), static_cast<uint8_t>(code),
                         0x00, static_cast<uint8_t>(usage), 0x00, 0x00};
}

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring ini = driver::Dir() + L"AppCfg.ini";
        ASSERT_TRUE(CopyFileW(Pristine().c_str(), ini.c_str(), FALSE));
        WritePrivateProfileStringW(L"General", L"LangId", L"0", ini.c_str());
        vmouse::Write(vmouse::FactoryMemory(), vmouse::Faults{});
        driver::MouseMove(GetSystemMetrics(SM_CXSCREEN) - 5, GetSystemMetrics(SM_CYSCREEN) - 5);
    }
    HWND Launch(Program& p) {
        if (!p.Start()) return nullptr;
        HWND main = p.WaitMainWindow();
        if (main) SetForegroundWindow(main);
        return main;
    }
};

TEST_F(KeyboardTest, KeyCombinationDpiLanguageAndApplyWithoutAPointer) {
    Program p;
    HWND main = Launch(p);
    ASSERT_NE(main, nullptr);
    HWND buttons = driver::PageWith(main, IDC_BTN_LIST_B5);
    HWND performance = driver::PageWith(main, IDC_PERF_THUMB1);
    ASSERT_TRUE(buttons && performance);

    // "K" in the closed list chooses Key Combination; the pop-up opens while
    // K is still down, and K's release must not end the capture.
    ASSERT_TRUE(TabTo(main, GetDlgItem(buttons, IDC_BTN_LIST_B5)));
    Key('K', false);
    HWND capture = nullptr;
    ASSERT_TRUE(driver::WaitFor(
        [&] {
            for (HWND w : p.Windows())
                if (w != main && IsWindowVisible(w) && GetDlgItem(w, IDC_KEY_PROMPT)) capture = w;
            return capture != nullptr;
        },
        5000));
    EXPECT_EQ(GetWindow(capture, GW_OWNER), main) << "the pop-up belongs to the main window";
    EXPECT_FALSE(IsWindowEnabled(main)) << "the main window waits while the pop-up runs";
    Key('K', true);
    driver::WaitFor([] { return false; }, 300);
    ASSERT_TRUE(IsWindow(capture) && IsWindowVisible(capture)) << "the release of K ended the capture";
    for (WORD vk : {VK_LCONTROL, VK_LSHIFT, VK_F5}) Key(vk, false);
    for (WORD vk : {VK_F5, VK_LSHIFT, VK_LCONTROL}) Key(vk, true);
    ASSERT_TRUE(driver::WaitFor([&] { return !IsWindow(capture); }, 5000));
    EXPECT_TRUE(IsWindowEnabled(main));

    ASSERT_TRUE(TabTo(main, GetDlgItem(main, IDC_MAIN_APPLY)));
    Press(VK_SPACE);
    const vmouse::Bytes combination = Rec(4, 1, 0x03, 0x3E);  // left Ctrl + left Shift, F5
    EXPECT_TRUE(AnswerBoxesUntil(p, main, [&] {
        return vmouse::ReadMemory().records[4] == combination;
    })) << vmouse::Hex(vmouse::ReadMemory().records[4]);

    // The performance page, and its DPI two marks up with the arrow key.
    ASSERT_TRUE(TabTo(main, GetDlgItem(main, IDC_MAIN_PAGE_PERF)));
    Press(VK_SPACE);
    ASSERT_TRUE(driver::WaitFor([&] { return IsWindowVisible(performance) != FALSE; }, 3000));
    HWND thumb = GetDlgItem(performance, IDC_PERF_THUMB1);
    ASSERT_TRUE(TabTo(main, thumb));
    EXPECT_EQ(driver::TextOf(thumb), L"DPI/CPI 600");
    Press(VK_RIGHT);
    Press(VK_RIGHT);
    EXPECT_EQ(driver::TextOf(thumb), L"DPI/CPI 1800");
    EXPECT_EQ(FocusOf(main), thumb) << "the arrows moved the focus instead";

    // German with its flag, then Apply, still by keyboard.
    ASSERT_TRUE(TabTo(main, GetDlgItem(main, IDC_FLAG_GERMANY)));
    Press(VK_SPACE);
    const std::wstring apply = Shipped(L"Germany", L"STR_ID_APPLY", L"Apply");
    ASSERT_TRUE(driver::WaitFor([&] { return driver::TextOf(GetDlgItem(main, IDC_MAIN_APPLY)) == apply; }, 3000));
    ASSERT_TRUE(TabTo(main, GetDlgItem(main, IDC_MAIN_APPLY)));
    Press(VK_SPACE);
    EXPECT_TRUE(AnswerBoxesUntil(p, main, [&] { return vmouse::ReadMemory().dpi == 1800 / 200; }))
        << "DPI code " << vmouse::ReadMemory().dpi;
    EXPECT_EQ(vmouse::ReadMemory().records[4], combination);
}

// What a screen reader says for a control. Wine's oleacc names every window
// by its text; Windows names lists and edits by the static label before them
// in z-order (stopping at a tab-stop group start), so that rule is applied
// here for those two classes, and the label's name is read through oleacc.
std::wstring AccessibleName(HWND wnd) {
    const std::wstring cls = driver::ClassOf(wnd);
    if (cls == L"ComboBox" || cls == L"Edit" || cls == L"SysListView32") {
        for (HWND w = GetWindow(wnd, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
            if (driver::ClassOf(w) == L"Static") return AccessibleName(w);
            if ((GetWindowLongW(w, GWL_STYLE) & (WS_GROUP | WS_TABSTOP)) == (WS_GROUP | WS_TABSTOP)) break;
        }
        return L"";
    }
    IAccessible* acc = nullptr;
    if (FAILED(AccessibleObjectFromWindow(wnd, OBJID_CLIENT, kIAccessible, reinterpret_cast<void**>(&acc))) || !acc)
        return L"?";
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring result;
    if (acc->get_accName(self, &name) == S_OK && name) result = name;
    SysFreeString(name);
    acc->Release();
    return result;
}

TEST_F(KeyboardTest, EveryControlIsNamedInTheCurrentLanguage) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    Program p;
    HWND main = Launch(p);
    ASSERT_NE(main, nullptr);
    HWND buttons = driver::PageWith(main, IDC_BTN_LIST_B5);
    HWND performance = driver::PageWith(main, IDC_PERF_THUMB1);
    ASSERT_TRUE(buttons && performance);
    struct Row {
        HWND page;
        int id;
        const wchar_t* key;      // numbered text, or nullptr: the name is english in every language
        const wchar_t* english;
    } const rows[] = {
        {main, IDC_MAIN_OK, L"STR_ID_OK", L"OK"},
        {main, IDC_MAIN_CANCEL, L"STR_ID_CANCEL", L"Cancel"},
        {main, IDC_MAIN_APPLY, L"STR_ID_APPLY", L"Apply"},
        {main, IDC_MAIN_CLOSE, L"STR_ID_CLOSE_PROGRAM", L"Close"},
        {main, IDC_MAIN_MINIMIZE, L"STR_ID_MINIMIZE_PROGRAM", L"Minimize"},
        {main, IDC_MAIN_TRAY, L"STR_ID_HIDE_TO_TRAY", L"Hide in the notification area"},
        {main, IDC_MAIN_PAGE_BUTTONS, L"STR_ID_BUTTONS", L"Buttons"},
        {main, IDC_MAIN_PAGE_PERF, L"STR_ID_SPEED", L"Speed"},
        {main, IDC_MAIN_PAGE_THIRD, L"STR_ID_PROFILES", L"Profiles"},
        {main, IDC_FLAG_GERMANY, nullptr, L"Deutsch"},
        {main, IDC_FLAG_CHINESE, nullptr, L"\u4e2d\u6587"},
        {main, IDC_MAIN_BANNER, nullptr, L"https://www.mirvostan.example/"},
        {buttons, IDC_BTN_LIST_LEFT, L"STR_ID_L_BUTTON", L"L-Button"},
        {buttons, IDC_BTN_MEDIA_LEFT, L"STR_ID_L_BUTTON", L"L-Button"},
        {buttons, IDC_BTN_KEY_LEFT, L"STR_ID_L_BUTTON", L"L-Button"},
        {buttons, IDC_BTN_LIST_RIGHT, L"STR_ID_R_BUTTON", L"R-Button"},
        {buttons, IDC_BTN_LIST_MIDDLE, L"STR_ID_M_BUTTON", L"M-Button"},
        {buttons, IDC_BTN_LIST_B4, L"STR_ID_BUTTON_4", L"Button-4"},
        {buttons, IDC_BTN_KEY_B5, L"STR_ID_BUTTON_5", L"Button-5"},
        {buttons, IDC_BTN_SWAP, L"STR_ID_UP_DOWN_SWAP", L"swap"},
        {buttons, IDC_BTN_LOAD_DEFAULT, L"STR_ID_LOAD_DEFAULT", L"Load Default Config"},
        {performance, IDC_PERF_RATE, L"STR_ID_USB_REPORT_RATE", L"USB Report Rate"},
        {performance, IDC_PERF_THUMB1, nullptr, L"DPI/CPI 600"},
    };
    for (const wchar_t* section : {L"English", L"Germany"}) {
        if (std::wstring(section) == L"Germany") {
            driver::Click(main, IDC_FLAG_GERMANY);
            driver::WaitFor([] { return false; }, 600);
        }
        const std::string where(section, section + wcslen(section));
        for (const Row& r : rows) {
            const std::wstring expected = r.key ? Shipped(section, r.key, r.english) : r.english;
            EXPECT_EQ(AccessibleName(GetDlgItem(r.page, r.id)), expected) << where << ": control " << r.id;
        }
        const std::wstring picture = Shipped(section, L"STR_ID_SHOW_PICTURE", L"Show the picture of %s");
        const std::wstring left = Shipped(section, L"STR_ID_L_BUTTON", L"L-Button");
        EXPECT_EQ(AccessibleName(GetDlgItem(buttons, IDC_BTN_SMALL_LEFT)),
                  picture.substr(0, picture.find(L"%s")) + left + picture.substr(picture.find(L"%s") + 2))
            << where;
        // And nothing shown that can take the focus goes without a name.
        for (HWND page : {main, buttons, performance, driver::PageWith(main, IDC_PROF_FOLLOW)})
            for (HWND c = page ? GetWindow(page, GW_CHILD) : nullptr; c; c = GetWindow(c, GW_HWNDNEXT)) {
                if ((GetWindowLongW(c, GWL_STYLE) & (WS_TABSTOP | WS_VISIBLE)) == (WS_TABSTOP | WS_VISIBLE)) {
                    EXPECT_NE(AccessibleName(c), L"") << where << ": control " << GetDlgCtrlID(c) << " has no name";
                }
            }
    }
    CoUninitialize();
}

}  // namespace
