// The key capture dialog under real keyboard input: keys are injected with
// SendInput one at a time while the modal dialog runs, so the asynchronous
// key state and the keyboard hook see them as they would a user's keys.
// The owner window records what the dialog reports.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "ui/KeyCaptureDialog.h"
#include "ui/Messages.h"

namespace {

struct Report {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
};
std::vector<Report> g_reports;

LRESULT CALLBACK OwnerProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_KEY_PRESSED || msg == WM_KEY_CAPTURED) {
        g_reports.push_back({msg, wp, lp});
        return 0;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

HWND MakeOwner(DWORD extraStyle = 0) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KeyCaptureOwner";
        RegisterClassW(&wc);
        registered = true;
    }
    return CreateWindowW(L"KeyCaptureOwner", L"owner", WS_OVERLAPPED | extraStyle, 300, 200, 400, 300, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

enum class Act { Down, Up, PostDown, PostUp, PostRepeat };
struct Step {
    Act act;
    WORD vk;
};

bool IsExtended(WORD vk) {
    switch (vk) {
    case VK_RCONTROL: case VK_RMENU: case VK_LWIN: case VK_RWIN: case VK_SNAPSHOT:
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
        return true;
    default:
        return false;
    }
}

void Inject(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtended(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    // Wine tells the right Shift from the left one by the extended flag
    // together with its scan code.
    if (vk == VK_RSHIFT) {
        in.ki.wScan = 0x36;
        in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    }
    SendInput(1, &in, sizeof(in));
}

// The running script: one step per timer tick. WM_TIMER only comes when no
// input is waiting, so each key is handled before the next is injected.
struct Script {
    std::vector<Step> steps;
    size_t next = 0;
    int idleTicks = 0;
    bool timedOut = false;
    bool wasForeground = false;
} g_script;

HWND FindCaptureDialog() {
    struct Finder {
        static BOOL CALLBACK Proc(HWND wnd, LPARAM out) {
            wchar_t cls[32];
            GetClassNameW(wnd, cls, 32);
            if (std::wstring(cls) == L"#32770" && IsWindowVisible(wnd)) {
                *reinterpret_cast<HWND*>(out) = wnd;
                return FALSE;
            }
            return TRUE;
        }
    };
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), Finder::Proc, reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    HWND dlg = FindCaptureDialog();
    if (!dlg) return;
    if (g_script.next == 0 && !g_script.wasForeground) {
        SetForegroundWindow(dlg);
        g_script.wasForeground = GetForegroundWindow() == dlg;
        return;
    }
    if (g_script.next < g_script.steps.size()) {
        const Step& s = g_script.steps[g_script.next++];
        const LPARAM data = static_cast<LPARAM>(MapVirtualKeyW(s.vk, MAPVK_VK_TO_VSC)) << 16 | 1;
        switch (s.act) {
        case Act::Down: Inject(s.vk, false); break;
        case Act::Up: Inject(s.vk, true); break;
        case Act::PostDown: PostMessageW(dlg, WM_KEYDOWN, s.vk, data); break;
        case Act::PostUp: PostMessageW(dlg, WM_KEYUP, s.vk, data | 0xC0000000); break;
        case Act::PostRepeat: PostMessageW(dlg, WM_KEYDOWN, s.vk, data | 0x40000000); break;
        }
        return;
    }
    // The script is over and the dialog is still open.
    if (++g_script.idleTicks > 20) {
        g_script.timedOut = true;
        EndDialog(dlg, -2);
    }
}

void ReleaseAll(const std::vector<Step>& steps) {
    for (const Step& s : steps)
        if (s.act == Act::Down) Inject(s.vk, true);
    MSG m;
    for (int i = 0; i < 10; ++i) {
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        Sleep(10);
    }
}

std::string Describe(const std::vector<Report>& reports) {
    std::ostringstream out;
    for (const Report& r : reports)
        out << (r.msg == WM_KEY_PRESSED ? "Pressed(" : "Captured(0x") << std::hex << r.wp << std::dec
            << (r.msg == WM_KEY_PRESSED ? "" : ", ") << (r.msg == WM_KEY_PRESSED ? "" : std::to_string(r.lp))
            << ") ";
    return out.str();
}

struct Row {
    const char* name;
    std::vector<Step> steps;
    std::vector<WPARAM> pressed;  // KeyPressed virtual keys, in order
    WPARAM modifiers;
    LPARAM key;
};

const Row kRows[] = {
    {"left Ctrl, C, release", {{Act::Down, VK_LCONTROL}, {Act::Down, 'C'}, {Act::Up, 'C'}}, {17, 67}, 0x01, 67},
    {"right Shift + F5", {{Act::Down, VK_RSHIFT}, {Act::Down, VK_F5}, {Act::Up, VK_F5}}, {16, 116}, 0x20, 116},
    {"left Shift, right Shift, A",
     {{Act::Down, VK_LSHIFT}, {Act::Down, VK_RSHIFT}, {Act::Down, 'A'}, {Act::Up, 'A'}}, {16, 65}, 0x02, 65},
    {"left Win, right Win, E", {{Act::Down, VK_LWIN}, {Act::Down, VK_RWIN}, {Act::Down, 'E'}, {Act::Up, 'E'}},
     {91, 69}, 0x08, 69},
    {"Ctrl alone", {{Act::Down, VK_LCONTROL}, {Act::Up, VK_LCONTROL}}, {17}, 0x01, 0},
    {"A held, then B", {{Act::Down, 'A'}, {Act::Down, 'B'}}, {65}, 0x00, 65},
    {"A auto-repeat ends the capture", {{Act::Down, 'A'}, {Act::Down, 'A'}}, {65}, 0x00, 65},
    {"held Ctrl repeats once", {{Act::Down, VK_LCONTROL}, {Act::Down, VK_LCONTROL}, {Act::Down, 'K'}, {Act::Up, 'K'}},
     {17, 75}, 0x01, 75},
    {"right Ctrl, right Alt, Delete",
     {{Act::Down, VK_RCONTROL}, {Act::Down, VK_RMENU}, {Act::Down, VK_DELETE}, {Act::Up, VK_DELETE}},
     {17, 18, 46}, 0x50, 46},
    {"left Alt + X arrive as system keys", {{Act::Down, VK_LMENU}, {Act::Down, 'X'}, {Act::Up, 'X'}}, {18, 88}, 0x04, 88},
    {"Escape is a key like any other", {{Act::Down, VK_ESCAPE}, {Act::Up, VK_ESCAPE}}, {27}, 0x00, 27},
    {"Enter is a key like any other", {{Act::Down, VK_RETURN}, {Act::Up, VK_RETURN}}, {13}, 0x00, 13},
    {"Print Screen through the hook", {{Act::Down, VK_SNAPSHOT}, {Act::Up, VK_SNAPSHOT}}, {44}, 0x00, 44},
    {"Ctrl with neither side down", {{Act::PostDown, VK_CONTROL}, {Act::PostUp, VK_CONTROL}}, {17}, 0x00, 0},
    {"a mail key is passed over", {{Act::Down, VK_LAUNCH_MAIL}, {Act::Up, VK_LAUNCH_MAIL}, {Act::Down, 'A'}, {Act::Up, 'A'}},
     {65}, 0x00, 65},
    {"Ctrl, browser home passed over, then K",
     {{Act::Down, VK_LCONTROL}, {Act::Down, VK_BROWSER_HOME}, {Act::Up, VK_BROWSER_HOME}, {Act::Down, 'K'}, {Act::Up, 'K'}},
     {17, 75}, 0x01, 75},
    // The release of the key that chose "Key Combination" in the list.
    {"a key held from before is passed over",
     {{Act::PostUp, VK_DOWN}, {Act::Down, VK_LCONTROL}, {Act::Down, 'K'}, {Act::Up, 'K'}}, {17, 75}, 0x01, 75},
    // Still held, it repeats (previous state down) before its release.
    {"the repeat of a key held from before is passed over",
     {{Act::PostRepeat, 'K'}, {Act::PostUp, 'K'}, {Act::Down, VK_LCONTROL}, {Act::Down, 'C'}, {Act::Up, 'C'}},
     {17, 67}, 0x01, 67},
    {"F13 is a key like any other", {{Act::PostDown, VK_F13}, {Act::PostUp, VK_F13}}, {124}, 0x00, 124},
};

class KeyCapture : public ::testing::TestWithParam<Row> {};

TEST_P(KeyCapture, ReportsTheCombination) {
    const Row& row = GetParam();
    HWND owner = MakeOwner();
    ASSERT_NE(owner, nullptr);
    g_reports.clear();
    g_script = Script{};
    g_script.steps = row.steps;

    UINT_PTR timer = SetTimer(nullptr, 0, 30, Tick);
    KeyCaptureDialog dialog;
    dialog.SetOwner(owner);
    const INT_PTR result = dialog.Run();
    KillTimer(nullptr, timer);
    ReleaseAll(row.steps);
    DestroyWindow(owner);

    ASSERT_TRUE(g_script.wasForeground) << row.name << ": the dialog never came to the foreground";
    ASSERT_FALSE(g_script.timedOut) << row.name << ": the capture did not end; reports: " << Describe(g_reports);
    EXPECT_EQ(result, IDCANCEL) << row.name;

    std::vector<WPARAM> pressed;
    std::vector<Report> captured;
    for (const Report& r : g_reports) {
        if (r.msg == WM_KEY_PRESSED) {
            EXPECT_TRUE(captured.empty()) << row.name << ": KeyPressed after KeyCaptured: " << Describe(g_reports);
            pressed.push_back(r.wp);
        } else {
            captured.push_back(r);
        }
    }
    EXPECT_EQ(pressed, row.pressed) << row.name << ": " << Describe(g_reports);
    ASSERT_EQ(captured.size(), 1u) << row.name << ": " << Describe(g_reports);
    EXPECT_EQ(captured[0].wp, row.modifiers) << row.name << ": " << Describe(g_reports);
    EXPECT_EQ(captured[0].lp, row.key) << row.name << ": " << Describe(g_reports);
}

INSTANTIATE_TEST_SUITE_P(Rows, KeyCapture, ::testing::ValuesIn(kRows), [](const auto& info) {
    std::string n;
    for (const char* c = info.param.name; *c; ++c) n += isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return n;
});

// KeyPressed carries the key message's data, from which the owner asks the
// system for the key's name.
TEST(KeyCaptureData, KeyPressedCarriesTheScanCode) {
    HWND owner = MakeOwner();
    g_reports.clear();
    g_script = Script{};
    g_script.steps = {{Act::Down, VK_F5}, {Act::Up, VK_F5}};
    UINT_PTR timer = SetTimer(nullptr, 0, 30, Tick);
    KeyCaptureDialog dialog;
    dialog.SetOwner(owner);
    dialog.Run();
    KillTimer(nullptr, timer);
    ReleaseAll(g_script.steps);
    DestroyWindow(owner);

    ASSERT_FALSE(g_reports.empty());
    ASSERT_EQ(g_reports[0].msg, static_cast<UINT>(WM_KEY_PRESSED));

    // The hook went with the dialog: Print Screen now reaches nobody.
    const size_t reported = g_reports.size();
    HWND other = MakeOwner(WS_VISIBLE);
    SetForegroundWindow(other);
    Inject(VK_SNAPSHOT, false);
    Inject(VK_SNAPSHOT, true);
    MSG m;
    for (int i = 0; i < 10; ++i) {
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        Sleep(10);
    }
    DestroyWindow(other);
    EXPECT_EQ(g_reports.size(), reported);
    wchar_t name[32] = {};
    GetKeyNameTextW(static_cast<LONG>(g_reports[0].lp), name, 32);
    EXPECT_STREQ(name, L"F5");
}

// The label lies on the picture: it is made transparent at initialisation.
// The dialog shows over its owner's window.
TEST(KeyCaptureLayout, PromptIsATransparentLabelOnThePicture) {
    HWND owner = MakeOwner(WS_VISIBLE);
    g_reports.clear();
    g_script = Script{};
    g_script.steps = {{Act::PostDown, 'Q'}, {Act::PostUp, 'Q'}};
    struct Probe : KeyCaptureDialog {
        HWND owner = nullptr;
        LONG_PTR exStyle = 0;
        std::wstring text;
        RECT rect{};
        BOOL OnInitDialog() override {
            BOOL r = KeyCaptureDialog::OnInitDialog();
            exStyle = GetWindowLongPtrW(Item(IDC_KEY_PROMPT), GWL_EXSTYLE);
            wchar_t buf[64] = {};
            GetWindowTextW(Item(IDC_KEY_PROMPT), buf, 64);
            text = buf;
            // Where the picture paints the prompt's display: the template's
            // 17, 18 units in picture pixels (x 807 / 398, y 563 / 281).
            rect = RECT{34, 36, 0, 0};
            RECT actual;
            GetWindowRect(Item(IDC_KEY_PROMPT), &actual);
            MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&actual), 2);
            EXPECT_EQ(actual.left, rect.left);
            EXPECT_EQ(actual.top, rect.top);
            EXPECT_FALSE(GetWindowLongPtrW(Hwnd(), GWL_STYLE) & WS_CAPTION);
            // The picture covers the dialog from its top-left corner.
            HWND picture = GetWindow(Hwnd(), GW_CHILD);
            EXPECT_NE(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "bitmap 190 is shown";
            RECT pic, client;
            GetWindowRect(picture, &pic);
            MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&pic), 2);
            GetClientRect(Hwnd(), &client);
            EXPECT_EQ(pic.left, 0);
            EXPECT_EQ(pic.top, 0);
            EXPECT_GE(pic.right, client.right);
            EXPECT_GE(pic.bottom, client.bottom);
            RECT o, d;
            GetWindowRect(owner, &o);
            GetWindowRect(Hwnd(), &d);
            EXPECT_NEAR((d.left + d.right) / 2, (o.left + o.right) / 2, 1) << "centred over the owner";
            EXPECT_NEAR((d.top + d.bottom) / 2, (o.top + o.bottom) / 2, 1) << "centred over the owner";
            return r;
        }
    } dialog;
    UINT_PTR timer = SetTimer(nullptr, 0, 30, Tick);
    dialog.owner = owner;
    dialog.SetOwner(owner);
    dialog.Run();
    KillTimer(nullptr, timer);
    DestroyWindow(owner);
    EXPECT_TRUE(dialog.exStyle & WS_EX_TRANSPARENT);
    EXPECT_EQ(dialog.text, L"Press The Key...");
    ASSERT_EQ(g_reports.size(), 2u);
    EXPECT_EQ(g_reports[1].msg, static_cast<UINT>(WM_KEY_CAPTURED));
}

}  // namespace
