// The window layer: dialogs attach at WM_INITDIALOG, modal results, and
// subclassed controls with reflection of owner-draw, colour and command
// notifications.
#include "control_fixture.h"
#include "controls/Gdi.h"

namespace {

class ProbeControl : public SubclassedControl {
public:
    int drawItems = 0;
    bool keepCommands = false;
    int commands = 0;
    int sysColourChanges = 0;
    bool detached = false;
    BrushHandle brush{CreateSolidBrush(RGB(1, 2, 3))};

    bool OnReflectedDrawItem(const DRAWITEMSTRUCT& item) override {
        EXPECT_EQ(item.hwndItem, Hwnd());
        ++drawItems;
        return true;
    }
    HBRUSH OnReflectedCtlColor(HDC, UINT) override { return brush.Get(); }
    bool OnReflectedCommand(int) override {
        ++commands;
        return keepCommands;
    }

protected:
    void OnDetaching() override { detached = true; }
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_SYSCOLORCHANGE) ++sysColourChanges;
        return Default(msg, wp, lp);
    }
};

class RecordingDialog : public TestDialog {
public:
    RecordingDialog() : TestDialog(IDD_T_BUTTONS) {}
    std::vector<UINT> seen;
    HWND hwndAtInit = nullptr;
    INT_PTR endWith = 0;
    UINT postAtInit = 0;

protected:
    BOOL OnInitDialog() override {
        hwndAtInit = Hwnd();
        if (endWith) EndDialog(endWith);
        if (postAtInit) PostMessageW(Hwnd(), postAtInit, IDOK, 0);
        return TestDialog::OnInitDialog();
    }
    bool HandleMessage(UINT msg, WPARAM, LPARAM, LRESULT&) override {
        seen.push_back(msg);
        return false;
    }
    bool OnCommand(int id, int code, HWND control) override {
        TestDialog::OnCommand(id, code, control);
        return Dialog::OnCommand(id, code, control);  // IDOK / IDCANCEL end it
    }
};

using WindowLayer = ControlTest;

TEST_F(WindowLayer, ModalResults) {
    {
        RecordingDialog d;
        d.endWith = 42;
        EXPECT_EQ(d.DoModal(nullptr), 42) << "EndDialog from initialisation";
        EXPECT_EQ(d.Hwnd(), nullptr) << "detached after the window went";
    }
    {
        RecordingDialog d;
        d.postAtInit = WM_CLOSE;
        EXPECT_EQ(d.DoModal(nullptr), IDCANCEL) << "WM_CLOSE ends with IDCANCEL";
    }
    {
        RecordingDialog d;
        d.postAtInit = WM_COMMAND;
        EXPECT_EQ(d.DoModal(nullptr), IDOK) << "IDOK ends with IDOK";
    }
    {
        TestDialog missing(4242);
        EXPECT_EQ(missing.DoModal(nullptr), -1) << "no such template";
    }
}

TEST_F(WindowLayer, TheObjectIsAttachedAtInitDialog) {
    RecordingDialog d;
    HWND wnd = d.Create(nullptr);
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(d.hwndAtInit, wnd);
    EXPECT_EQ(Dialog::FromHandle(wnd), &d);
    for (UINT m : d.seen) EXPECT_NE(m, static_cast<UINT>(WM_SETFONT)) << "WM_SETFONT comes before attachment";
    DestroyWindow(wnd);
    EXPECT_EQ(d.Hwnd(), nullptr);
    EXPECT_EQ(Dialog::FromHandle(wnd), nullptr);
}

TEST_F(WindowLayer, AModelessDialogGoesWithItsObject) {
    HWND wnd;
    {
        RecordingDialog d;
        wnd = d.Create(nullptr);
        ASSERT_TRUE(IsWindow(wnd));
    }
    EXPECT_FALSE(IsWindow(wnd));
}

TEST_F(WindowLayer, ControlsAttachOnceAndOnlyToExistingIds) {
    RecordingDialog d;
    HWND wnd = d.Create(nullptr);
    ProbeControl a, b;
    EXPECT_FALSE(a.Attach(wnd, 4711)) << "no such control";
    EXPECT_TRUE(a.Attach(wnd, IDC_T_NEXT));
    EXPECT_FALSE(b.Attach(wnd, IDC_T_NEXT)) << "already attached";
    EXPECT_FALSE(a.Attach(wnd, IDC_T_TEXT)) << "an object takes one control";
    EXPECT_EQ(SubclassedControl::FromHandle(GetDlgItem(wnd, IDC_T_NEXT)), &a);
    DestroyWindow(wnd);
    EXPECT_TRUE(a.detached) << "the subclass goes at WM_NCDESTROY";
    EXPECT_EQ(a.Hwnd(), nullptr);
}

TEST_F(WindowLayer, AnObjectGoneBeforeItsControlLeavesAWorkingControl) {
    RecordingDialog d;
    HWND wnd = d.Create(nullptr);
    HWND next = GetDlgItem(wnd, IDC_T_NEXT);
    {
        ProbeControl a;
        ASSERT_TRUE(a.Attach(wnd, IDC_T_NEXT));
    }
    EXPECT_EQ(SubclassedControl::FromHandle(next), nullptr);
    wchar_t text[16] = {};
    GetWindowTextW(next, text, 16);
    EXPECT_STREQ(text, L"Next");
    SendMessageW(next, BM_CLICK, 0, 0);
    EXPECT_EQ(d.commands.size(), 1u);
    DestroyWindow(wnd);
}

TEST_F(WindowLayer, NotificationsAreReflectedToTheControlObject) {
    RecordingDialog d;
    HWND wnd = d.Create(nullptr);
    ProbeControl button, label;
    ASSERT_TRUE(button.Attach(wnd, IDC_T_NEXT));
    ASSERT_TRUE(label.Attach(wnd, IDC_T_LABEL));
    HWND next = GetDlgItem(wnd, IDC_T_NEXT);

    SetWindowLongW(next, GWL_STYLE, (GetWindowLongW(next, GWL_STYLE) & ~BS_TYPEMASK) | BS_OWNERDRAW);
    RedrawWindow(next, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_GE(button.drawItems, 1) << "WM_DRAWITEM reaches the button's object";

    HDC dc = GetDC(wnd);
    const LRESULT brush = SendMessageW(wnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(GetDlgItem(wnd, IDC_T_LABEL)));
    ReleaseDC(wnd, dc);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), label.brush.Get()) << "the label's own brush";

    SendMessageW(next, BM_CLICK, 0, 0);
    EXPECT_EQ(button.commands, 1);
    EXPECT_EQ(d.commands.size(), 1u) << "the parent still hears of it";
    button.keepCommands = true;
    SendMessageW(next, BM_CLICK, 0, 0);
    EXPECT_EQ(button.commands, 2);
    EXPECT_EQ(d.commands.size(), 1u) << "kept from the parent";

    SendMessageW(wnd, WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(button.sysColourChanges, 1) << "children hear of colour changes";
    EXPECT_EQ(label.sysColourChanges, 1);
    DestroyWindow(wnd);
}

}  // namespace
