// The tray icon against a recording shell: which requests reach the shell
// and with what record, and what the icon's mouse messages make the owner do.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "ui/Messages.h"
#include "ui/TrayIcon.h"

namespace {

struct Call {
    DWORD request;
    NOTIFYICONDATAW data;
};
std::vector<Call> g_calls;
BOOL g_shellAnswer = TRUE;

BOOL WINAPI RecordingShell(DWORD request, PNOTIFYICONDATAW data) {
    g_calls.push_back({request, *data});
    return g_shellAnswer;
}

std::vector<UINT> g_commands;
LRESULT CALLBACK OwnerProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND) {
        g_commands.push_back(LOWORD(wp));
        return 0;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        g_commands.clear();
        g_shellAnswer = TRUE;
        WNDCLASSW wc{};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TrayOwner";
        RegisterClassW(&wc);
        owner_ = CreateWindowW(L"TrayOwner", L"owner", WS_POPUP | WS_VISIBLE, 100, 100, 200, 100, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
    }
    void TearDown() override { DestroyWindow(owner_); }

    static std::vector<DWORD> Requests() {
        std::vector<DWORD> r;
        for (const Call& c : g_calls) r.push_back(c.request);
        return r;
    }

    HWND owner_ = nullptr;
};

TEST_F(TrayIconTest, HidingTwiceAddsOnceThenModifiesAndDestructionRemoves) {
    {
        CTrayIcon tray(IDM_TRAY, RecordingShell);
        tray.SetNotifyTarget(owner_, WM_TRAY_NOTIFY);
        EXPECT_EQ(tray.SetTrayIconById(IDI_APP), 1);
        EXPECT_EQ(tray.SetTrayIconById(IDI_APP), 1);
        ASSERT_EQ(Requests(), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY}));
        for (const Call& c : g_calls) {
            EXPECT_EQ(c.data.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V2_SIZE));
            EXPECT_EQ(c.data.hWnd, owner_);
            EXPECT_EQ(c.data.uID, static_cast<UINT>(IDM_TRAY));
            EXPECT_EQ(c.data.uCallbackMessage, static_cast<UINT>(WM_TRAY_NOTIFY));
            EXPECT_EQ(c.data.uFlags, static_cast<UINT>(NIF_ICON | NIF_TIP | NIF_MESSAGE));
            EXPECT_NE(c.data.hIcon, nullptr);
            EXPECT_EQ(std::wstring(c.data.szTip), L"Mirvostan");
        }
        g_calls.clear();
    }
    // The shown icon is removed, then the identifier once more.
    ASSERT_EQ(Requests(), (std::vector<DWORD>{NIM_DELETE, NIM_DELETE}));
    EXPECT_EQ(g_calls[0].data.uID, static_cast<UINT>(IDM_TRAY));
}

TEST_F(TrayIconTest, FailedAddIsTriedAgainAndNothingShownNeedsNoShell) {
    CTrayIcon tray(IDM_TRAY, RecordingShell);
    tray.SetNotifyTarget(owner_, WM_TRAY_NOTIFY);
    EXPECT_EQ(tray.SetTrayIconById(0), 1);  // nothing shown: no call at all
    EXPECT_TRUE(g_calls.empty());
    g_shellAnswer = FALSE;
    EXPECT_EQ(tray.SetTrayIconById(IDI_APP), 0);
    g_shellAnswer = TRUE;
    EXPECT_EQ(tray.SetTrayIconById(IDI_APP), 1);
    EXPECT_EQ(Requests(), (std::vector<DWORD>{NIM_ADD, NIM_ADD}));
}

TEST_F(TrayIconTest, NewTaskbarGetsAShownIconAgain) {
    CTrayIcon tray(IDM_TRAY, RecordingShell);
    tray.SetNotifyTarget(owner_, WM_TRAY_NOTIFY);
    EXPECT_EQ(tray.OnTaskbarCreated(), 0);  // never shown: stays out of the tray
    EXPECT_TRUE(g_calls.empty());
    tray.SetTrayIconById(IDI_APP);
    EXPECT_EQ(tray.OnTaskbarCreated(), 1);
    tray.SetTrayIconById(IDI_APP);
    EXPECT_EQ(Requests(), (std::vector<DWORD>{NIM_ADD, NIM_ADD, NIM_MODIFY}));
    EXPECT_NE(TaskbarCreatedMessage(), 0u);
}

TEST_F(TrayIconTest, OnlyADoubleClickOnOurIconSendsConfig) {
    CTrayIcon tray(IDM_TRAY, RecordingShell);
    tray.SetNotifyTarget(owner_, WM_TRAY_NOTIFY);
    struct Row {
        WPARAM id;
        UINT mouse;
        int acted;
    } const rows[] = {
        {IDM_TRAY, WM_LBUTTONDOWN, 0}, {IDM_TRAY, WM_LBUTTONUP, 0},      {IDM_TRAY, WM_RBUTTONDOWN, 0},
        {IDM_TRAY, WM_MOUSEMOVE, 0},   {IDM_TRAY + 1, WM_LBUTTONDBLCLK, 0}, {IDM_TRAY, WM_LBUTTONDBLCLK, 1},
    };
    for (const Row& r : rows) {
        g_commands.clear();
        EXPECT_EQ(tray.HandleTrayNotification(r.id, r.mouse), r.acted) << "id " << r.id << " mouse " << r.mouse;
        EXPECT_EQ(g_commands, r.acted ? std::vector<UINT>{ID_TRAY_CONFIG} : std::vector<UINT>{})
            << "id " << r.id << " mouse " << r.mouse;
    }
}

// While the menu is tracked, a timer looks at it and picks "Exit" with the mouse.
struct MenuSeen {
    bool found = false;
    bool configIsDefault = false;
    std::wstring first, second;
};
MenuSeen g_menu;

void CALLBACK PickExit(HWND, UINT, UINT_PTR id, DWORD) {
    HWND menuWindow = FindWindowW(L"#32768", nullptr);
    if (!menuWindow || !IsWindowVisible(menuWindow)) return;
    KillTimer(nullptr, id);
    g_menu.found = true;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    wchar_t text[64] = {};
    GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
    g_menu.first = text;
    GetMenuStringW(menu, 1, text, 64, MF_BYPOSITION);
    g_menu.second = text;
    g_menu.configIsDefault = GetMenuDefaultItem(menu, TRUE, 0) == 0 && (GetMenuState(menu, 0, MF_BYPOSITION) & MFS_DEFAULT);
    RECT r{};
    GetMenuItemRect(nullptr, menu, 1, &r);
    const int w = GetSystemMetrics(SM_CXSCREEN) - 1, h = GetSystemMetrics(SM_CYSCREEN) - 1;
    INPUT in[3] = {};
    for (INPUT& i : in) i.type = INPUT_MOUSE;
    in[0].mi.dx = ((r.left + r.right) / 2) * 65535 / w;
    in[0].mi.dy = ((r.top + r.bottom) / 2) * 65535 / h;
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(3, in, sizeof(INPUT));
}

TEST_F(TrayIconTest, RightClickShowsMenuWithConfigInBoldAndExitReachesOwner) {
    CTrayIcon tray(IDM_TRAY, RecordingShell);
    tray.SetNotifyTarget(owner_, WM_TRAY_NOTIFY);
    SetCursorPos(400, 400);
    g_menu = MenuSeen{};
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, PickExit);
    EXPECT_EQ(tray.HandleTrayNotification(IDM_TRAY, WM_RBUTTONUP), 1);
    KillTimer(nullptr, timer);
    // The chosen command is posted to the owner.
    MSG m;
    const DWORD until = GetTickCount() + 2000;
    while (g_commands.empty() && GetTickCount() < until) {
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        Sleep(10);
    }
    ASSERT_TRUE(g_menu.found) << "no menu appeared";
    EXPECT_EQ(g_menu.first, L"Config");
    EXPECT_EQ(g_menu.second, L"Exit");
    EXPECT_TRUE(g_menu.configIsDefault);
    EXPECT_EQ(g_commands, std::vector<UINT>{ID_TRAY_EXIT});
}

}  // namespace
