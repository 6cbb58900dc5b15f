// Mirvostan as a user runs it: the real program in its own process beside
// the virtual mouse, worked through its windows with messages and real
// mouse input; results read from its windows, its message boxes and the
// virtual mouse's memory file and transcript.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "../link/VirtualMouseFiles.h"
#include "ProgramDriver.h"
#include "resources/resource.h"
#include "ui/Messages.h"

using driver::Program;

namespace {

constexpr COLORREF kKey = RGB(20, 255, 12);
const std::wstring kNoMouseText = L"can't open usb mouse,please try again!!!";

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A fresh settings file in English for every case: the flags write to it.
        const std::wstring dir = driver::Dir();
        ASSERT_TRUE(CopyFileW((dir + L"AppCfg.pristine.ini").c_str(), (dir + L"AppCfg.ini").c_str(), FALSE));
        WritePrivateProfileStringW(L"General", L"LangId", L"0", (dir + L"AppCfg.ini").c_str());
        vmouse::Write(vmouse::FactoryMemory(), faults_);
        // Away from every button, so none shows its pointer-over picture.
        driver::MouseMove(GetSystemMetrics(SM_CXSCREEN) - 5, GetSystemMetrics(SM_CYSCREEN) - 5);
    }

    // Starts the program and waits for its main window.
    HWND Launch(Program& p) {
        if (!p.Start()) return nullptr;
        return p.WaitMainWindow();
    }

    vmouse::Faults faults_;
};

RECT ScreenRect(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
}

// A point of the main window, in screen pixels.
POINT At(HWND main, int x, int y) {
    RECT r = ScreenRect(main);
    return POINT{r.left + x, r.top + y};
}

HWND VisiblePage(HWND main) {
    for (HWND c = GetWindow(main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (driver::ClassOf(c) == L"#32770" && IsWindowVisible(c)) return c;
    return nullptr;
}

TEST_F(MainWindowTest, ShapeFollowsThePictureWithoutItsKeyColour) {
    Program p;
    HWND main = Launch(p);
    ASSERT_NE(main, nullptr);
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(main, shape), ERROR) << "the window has no region";
    RECT box{};
    GetRgnBox(shape, &box);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, 804);
    EXPECT_EQ(box.bottom, 563);

    // Every pixel of the picture: inside the shape exactly when it is not key colour.
    HBITMAP picture = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_MAIN_BG));
    ASSERT_NE(picture, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, picture);
    int keyPixels = 0, wrong = 0;
    for (int y = 0; y < 563; ++y) {
        for (int x = 0; x < 807; ++x) {
            const bool key = GetPixel(dc, x, y) == kKey;
            keyPixels += key;
            const bool expected = x < 804 && !key;
            if (PtInRegion(shape, x, y) != (expected ? TRUE : FALSE) && wrong++ < 5)
                ADD_FAILURE() << "pixel " << x << "," << y << (expected ? " outside" : " inside") << " the shape";
        }
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(picture);
    DeleteObject(shape);
    EXPECT_GT(keyPixels, 0);
    EXPECT_EQ(wrong, 0);
    // The window covers its whole picture.
    RECT r = ScreenRect(main);
    EXPECT_EQ(r.right - r.left, 807);
    EXPECT_EQ(r.bottom - r.top, 563);
}

TEST_F(MainWindowTest, DraggingTheBackgroundMovesTheWindowButButtonsAndPagesStay) {
    Program p;
    HWND main = Launch(p);
    ASSERT_NE(main, nullptr);
    SetForegroundWindow(main);
    struct Row {
        const char* what;
        POINT grab;  // in window pixels
        bool moves;
    };
    HWND pageButton = GetDlgItem(main, IDC_MAIN_PAGE_PERF);
    RECT pb{};
    GetWindowRect(pageButton, &pb);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&pb), 2);
    RECT pg{};
    GetWindowRect(VisiblePage(main), &pg);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&pg), 2);
    const Row rows[] = {
        {"background", {400, 12}, true},
        {"page button", {(pb.left + pb.right) / 2, (pb.top + pb.bottom) / 2}, false},
        {"page", {(pg.left + pg.right) / 2, pg.top + 20}, false},
    };
    for (const Row& r : rows) {
        const RECT before = ScreenRect(main);
        const POINT from = At(main, r.grab.x, r.grab.y);
        HWND under = WindowFromPoint(from);
        if (r.moves) ASSERT_EQ(under, main) << r.what << " is not the window's own background";
        else ASSERT_NE(under, main) << r.what;
        driver::Drag(from, POINT{from.x + 60, from.y + 40});
        driver::WaitFor([] { return false; }, 300);
        const RECT after = ScreenRect(main);
        if (r.moves) {
            EXPECT_EQ(after.left - before.left, 60) << r.what;
            EXPECT_EQ(after.top - before.top, 40) << r.what;
        } else {
            EXPECT_EQ(after.left, before.left) << r.what;
            EXPECT_EQ(after.top, before.top) << r.what;
        }
    }
}

TEST_F(MainWindowTest, TitleButtonsMinimiseHideAndClose) {
    Program p;
    HWND main = Launch(p);
    ASSERT_NE(main, nullptr);
    // A real click on the minimise picture.
    RECT r = ScreenRect(GetDlgItem(main, IDC_MAIN_MINIMIZE));
    SetForegroundWindow(main);
    driver::MouseMove((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Sleep(100);
    driver::MouseButton(true);
    Sleep(50);
    driver::MouseButton(false);
    ASSERT_TRUE(driver::WaitFor([&] { return IsIconic(main) != FALSE; }, 5000));
    driver::WaitFor([] { return false; }, 300);
    PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_TRUE(driver::WaitFor([&] { return !IsIconic(main) && IsWindowVisible(main); }, 5000));

    driver::Click(main, IDC_MAIN_TRAY);
    EXPECT_TRUE(driver::WaitFor([&] { return !IsWindowVisible(main); }, 5000)) << "not hidden in the tray";
    PostMessageW(main, WM_TRAY_NOTIFY, IDM_TRAY, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(driver::WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 5000)) << "double click did not restore";
    EXPECT_TRUE(p.Running());

    driver::Click(main, IDC_MAIN_CLOSE);
    EXPECT_TRUE(p.WaitExit(5000)) << "close did not end the program";
}

// The menu itself (Config in bold, Exit posting its command) is covered
// with the tray icon alone; here the command it posts ends the program.
TEST_F(MainWindowTest, TrayExitEndsTheProgramFromTheTray) {
    Program p;
    HWND main = Launch(p);
    ASSERT_NE(main, nullptr);
    driver::Click(main, IDC_MAIN_TRAY);
    ASSERT_TRUE(driver::WaitFor([&] { return !IsWindowVisible(main); }, 5000));
    driver::Click(main, IDC_MAIN_TRAY);  // a second hide changes nothing for the user
    PostMessageW(main, WM_TRAY_NOTIFY, IDM_TRAY, WM_LBUTTONUP);  // ignored
    PostMessageW(main, WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_TRUE(p.WaitExit(5000)) << "Exit did not end the program";
    EXPECT_FALSE(IsWindowVisible(main));
}

TEST_F(MainWindowTest, SecondStartHandsOverToTheFirstAndShowsNothing) {
    Program first;
    HWND main = Launch(first);
    ASSERT_NE(main, nullptr);

    // The window of another program has the foreground.
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OtherProgram";
    RegisterClassW(&wc);
    HWND other = CreateWindowW(L"OtherProgram", L"other", WS_POPUP | WS_VISIBLE, 900, 700, 200, 100, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);

    struct Row {
        const char* state;
        void (*prepare)(HWND main, HWND other);
        bool (*handedOver)(HWND main);
    } const rows[] = {
        {"visible",
         [](HWND, HWND o) { SetForegroundWindow(o); },
         [](HWND m) { return GetForegroundWindow() == m; }},
        {"minimised",
         [](HWND m, HWND) { driver::Click(m, IDC_MAIN_MINIMIZE); },
         [](HWND m) { return !IsIconic(m) && IsWindowVisible(m); }},
        {"hidden in the tray",
         [](HWND m, HWND) { driver::Click(m, IDC_MAIN_TRAY); },
         [](HWND m) { return IsWindowVisible(m) && !IsIconic(m); }},
    };
    for (const Row& r : rows) {
        r.prepare(main, other);
        driver::WaitFor([] { return false; }, 500);
        ASSERT_FALSE(r.handedOver(main)) << r.state << ": already in the end state";
        vmouse::Transcript transcript;
        Program second;
        ASSERT_TRUE(second.Start());
        EXPECT_TRUE(second.WaitExit(5000)) << r.state << ": the second instance stayed";
        EXPECT_EQ(second.ExitCode(), 0u) << r.state;
        EXPECT_TRUE(driver::WaitFor([&] { return r.handedOver(main); }, 5000)) << r.state;
        EXPECT_TRUE(transcript.Events().empty()) << r.state << ": the second instance used the mouse";
    }
    DestroyWindow(other);
    EXPECT_TRUE(first.Running());
}

TEST_F(MainWindowTest, StartWhileAnotherInstanceStartsUpEndsQuietly) {
    // An instance that holds the marker but has no window yet.
    HANDLE starting = CreateMutexW(nullptr, TRUE, driver::kMainClass);
    ASSERT_NE(starting, nullptr);
    ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    vmouse::Transcript transcript;
    Program p;
    ASSERT_TRUE(p.Start());
    bool sawWindow = false;
    driver::WaitFor(
        [&] {
            for (HWND w : p.Windows()) sawWindow |= IsWindowVisible(w) != FALSE;
            return !p.Running();
        },
        5000);
    EXPECT_FALSE(p.Running());
    EXPECT_FALSE(sawWindow);
    EXPECT_EQ(p.ExitCode(), 0u);
    EXPECT_TRUE(transcript.Events().empty());
    CloseHandle(starting);
}

TEST_F(MainWindowTest, NoMouseStartsWithOneBoxAndTheWindow) {
    faults_.absent = 1;
    vmouse::Write(vmouse::FactoryMemory(), faults_);
    Program p;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.WaitBox(kNoMouseText, 15000)) << "no box for the missing mouse";
    EXPECT_EQ(p.Boxes().size(), 1u);
    ASSERT_TRUE(p.DismissBox(kNoMouseText));
    HWND main = p.WaitMainWindow();
    ASSERT_NE(main, nullptr);
    driver::WaitFor([] { return false; }, 1500);
    EXPECT_TRUE(p.Boxes().empty()) << "a second box: " << p.Boxes().size();
}

TEST_F(MainWindowTest, AboutItemShowsNameVersionAndPurpose) {
    Program p;
    HWND main = Launch(p);
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_SYSCOMMAND, 0x0010, 0);
    HWND about = nullptr;
    ASSERT_TRUE(driver::WaitFor(
        [&] {
            for (const driver::Box& b : p.Boxes())
                if (b.caption == L"About Mirvostan") return (about = b.wnd) != nullptr;
            return false;
        },
        5000));
    std::wstring text;
    for (const driver::Box& b : p.Boxes())
        if (b.wnd == about) text = b.text;
    EXPECT_NE(text.find(L"Mirvostan, version 1.0.0.0"), std::wstring::npos) << std::string(text.begin(), text.end());
    EXPECT_NE(text.find(L"mouse"), std::wstring::npos);
    EXPECT_EQ(GetWindow(about, GW_OWNER), main);
    Program::Dismiss(about);
    EXPECT_TRUE(driver::WaitFor([&] { return !IsWindow(about); }, 5000));
    EXPECT_TRUE(p.Running());
}

}  // namespace
