// Proves the window harness: a dialog from a resource template appears on
// the display, is found like any other program would find it, and has the
// size its template asks for.
#include <gtest/gtest.h>
#include <windows.h>

namespace {
constexpr int kSmokeDialog = 900;

INT_PTR CALLBACK Proc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }
}  // namespace

TEST(HarnessSmoke, DialogFromTemplateIsFoundWithItsSize) {
    HWND dlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kSmokeDialog), nullptr, Proc, 0);
    ASSERT_NE(dlg, nullptr) << "CreateDialogParam failed: " << GetLastError();

    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);

    EXPECT_EQ(FindWindowW(L"#32770", L"Harness Smoke"), dlg);
    EXPECT_TRUE(IsWindowVisible(dlg));

    RECT expected{0, 0, 200, 100};
    ASSERT_TRUE(MapDialogRect(dlg, &expected));
    RECT client{};
    GetClientRect(dlg, &client);
    EXPECT_EQ(client.right, expected.right);
    EXPECT_EQ(client.bottom, expected.bottom);
    EXPECT_GT(client.right, 200) << "dialog units should map to more pixels than units";

    HWND ok = GetDlgItem(dlg, IDOK);
    ASSERT_NE(ok, nullptr);
    RECT okRect{75, 70, 125, 84};
    MapDialogRect(dlg, &okRect);
    RECT actual{};
    GetWindowRect(ok, &actual);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, okRect.left);
    EXPECT_EQ(actual.right - actual.left, okRect.right - okRect.left);
    DestroyWindow(dlg);
}
