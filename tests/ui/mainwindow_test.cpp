// Mirvostan as a user runs it: the real program in its own process beside
// the virtual mouse, worked through its windows with messages and real
// mouse input; results read from its windows, its message boxes and the
// virtual mouse's memory file and transcript.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/SkinPicture.h"
#include "../link/VirtualMouseFiles.h"
#include "ProgramDriver.h"
#include "resources/resource.h"
#include "ui/Messages.h"

using driver::Program;

namespace {

constexpr COLORREF kKey = RGB(20, 255, 12);
const std::wstring kNoMouseText = L"can't open usb mouse,please try again!!!";
const std::wstring kBusyText = L"System Busy!!!";
const std::wstring kOkText = L"operation ok.";
const std::wstring kNeedLeftText = L"Need at least one Mouse Left Key!!!";
const std::wstring kFailText = L"Operation fail";
const std::wstring kPartlyReadText =
    L"Some settings could not be read from the mouse. They stay as they are in the mouse.";
constexpr int kLeftList = 1049, kRightList = 1050, kButton4List = 1052, kButton5List = 1053, kLeftLabel = 1090;
constexpr int kDpiCaption = 1105;

vmouse::Bytes Rec(int slot, int type, int code, int usage) {
    return vmouse::Bytes{0x00, 0x04, static_cast<uint8_t>(slot), static_cast<uint8_t>(type), static_cast<uint8_t>(code),
                         0x00, static_cast<uint8_t>(usage), 0x00, 0x00};
}

using driver::Choose;

// How many pixels of a control on the screen differ from a picture, leaving
// out the picture's transparent colour (CLR_INVALID: none is transparent).
int PixelsDifferingFrom(HWND control, int pictureId, COLORREF transparent) {
    HBITMAP picture = skin::LoadPicture(pictureId, skin::kBaseDpi);
    if (!picture) return -1;
    BITMAP bm{};
    GetObjectW(picture, sizeof bm, &bm);
    RECT r{};
    GetWindowRect(control, &r);
    HDC screen = GetDC(nullptr);
    HDC shot = CreateCompatibleDC(screen);
    HBITMAP shotBits = CreateCompatibleBitmap(screen, bm.bmWidth, bm.bmHeight);
    HGDIOBJ oldShot = SelectObject(shot, shotBits);
    BitBlt(shot, 0, 0, bm.bmWidth, bm.bmHeight, screen, r.left, r.top, SRCCOPY);
    HDC pic = CreateCompatibleDC(screen);
    HGDIOBJ oldPic = SelectObject(pic, picture);
    int differing = 0;
    for (int y = 0; y < bm.bmHeight; ++y)
        for (int x = 0; x < bm.bmWidth; ++x) {
            const COLORREF want = GetPixel(pic, x, y);
            if (want != transparent && GetPixel(shot, x, y) != want) ++differing;
        }
    SelectObject(pic, oldPic);
    SelectObject(shot, oldShot);
    DeleteDC(pic);
    DeleteDC(shot);
    DeleteObject(shotBits);
    DeleteObject(picture);
    ReleaseDC(nullptr, screen);
    return differing;
}

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

// The keep question's dialog, once it shows; nullptr when none came.
HWND WaitKeepQuestion(const Program& p, const std::wstring& question = L"Keep these button settings?") {
    return p.WaitBoxStarting(question);
}

// Record writes to the mouse since the transcript's mark, by slot.
std::vector<int> WrittenSlots(const vmouse::Transcript& t) {
    std::vector<int> slots;
    for (const vmouse::Bytes& b : t.Reports("out"))
        if (b[2] < 20) slots.push_back(b[2]);
    return slots;
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
    HBITMAP picture = skin::LoadPicture(IDB_MAIN_BG, skin::kBaseDpi);
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
        driver::Pause(300);
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
    driver::Pause(300);
    PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_TRUE(driver::WaitFor([&] { return !IsIconic(main) && IsWindowVisible(main); }, 5000));

    // Hidden in the tray the window is freed, and made again from there.
    driver::Click(main, IDC_MAIN_TRAY);
    EXPECT_TRUE(driver::WaitFor([&] { return !IsWindow(main); }, 5000)) << "not hidden in the tray";
    PostMessageW(p.Resident(), WM_TRAY_NOTIFY, IDM_TRAY, WM_LBUTTONDBLCLK);
    main = p.WaitMainWindow(5000);
    EXPECT_NE(main, nullptr) << "double click did not restore";
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
    ASSERT_TRUE(driver::WaitFor([&] { return !IsWindow(main); }, 5000));
    HWND resident = p.Resident();
    PostMessageW(resident, WM_TRAY_NOTIFY, IDM_TRAY, WM_LBUTTONUP);  // ignored
    PostMessageW(resident, WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_TRUE(p.WaitExit(5000)) << "Exit did not end the program";
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
         [](HWND m) { return m && !IsIconic(m) && IsWindowVisible(m); }},
        {"hidden in the tray",
         [](HWND m, HWND) { driver::Click(m, IDC_MAIN_TRAY); },
         [](HWND m) { return m && IsWindowVisible(m) && !IsIconic(m); }},
    };
    for (const Row& r : rows) {
        main = first.MainWindow();
        r.prepare(main, other);
        driver::Pause(500);
        ASSERT_FALSE(r.handedOver(first.MainWindow())) << r.state << ": already in the end state";
        vmouse::Transcript transcript;
        Program second;
        ASSERT_TRUE(second.Start());
        EXPECT_TRUE(second.WaitExit(5000)) << r.state << ": the second instance stayed";
        EXPECT_EQ(second.ExitCode(), 0u) << r.state;
        EXPECT_TRUE(driver::WaitFor([&] { return r.handedOver(first.MainWindow()); }, 5000)) << r.state;
        EXPECT_TRUE(transcript.Events().empty()) << r.state << ": the second instance used the mouse";
    }
    DestroyWindow(other);
    EXPECT_TRUE(first.Running());
}

TEST_F(MainWindowTest, StartWhileAnotherInstanceStartsUpEndsQuietly) {
    // An instance that holds the marker but has no window yet.
    HANDLE starting = CreateMutexW(nullptr, TRUE, driver::kMarker);
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

TEST_F(MainWindowTest, MarkerTakenByAnotherKindOfObjectFailsInitialisation) {
    // The mutex cannot be created when its name belongs to an event.
    HANDLE squatter = CreateEventW(nullptr, TRUE, FALSE, driver::kMarker);
    ASSERT_NE(squatter, nullptr);
    Program p;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.DismissBox(L"Initialize failed!")) << "no failure shown";
    EXPECT_TRUE(p.WaitExit(5000));
    EXPECT_EQ(p.MainWindow(), nullptr);
    CloseHandle(squatter);
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
    driver::Pause(1500);
    EXPECT_TRUE(p.Boxes().empty()) << "a second box: " << p.Boxes().size();
    // Nothing of the mouse is known: no list pretends to know its button.
    HWND page = driver::PageWith(main, kLeftList);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(driver::TextOf(GetDlgItem(page, kLeftList)), L"");
    EXPECT_EQ(driver::TextOf(GetDlgItem(page, kRightList)), L"");
}

TEST_F(MainWindowTest, DefaultsToTheMouseKeepALeftButton) {
    Program p;
    HWND main = Launch(p);
    ASSERT_NE(main, nullptr);
    HWND page = driver::PageWith(main, kLeftList);
    ASSERT_NE(page, nullptr);
    // The factory defaults have L-Button on the left only: Copy is refused.
    ASSERT_TRUE(Choose(page, kLeftList, L"Copy"));
    ASSERT_TRUE(p.DismissBox(kNeedLeftText)) << "no refusal";
    EXPECT_EQ(driver::TextOf(GetDlgItem(page, kLeftList)), L"L-Button");

    ASSERT_TRUE(Choose(page, kButton4List, L"L-Button"));
    ASSERT_TRUE(Choose(page, kLeftList, L"Copy"));
    driver::Pause(300);
    EXPECT_TRUE(p.Boxes().empty());
    vmouse::Transcript transcript;
    driver::Click(main, IDC_MAIN_APPLY);
    // The left click has left the left button: a question to keep it comes
    // instead of "operation ok.", and Keep (its OK button) keeps it.
    HWND keep = WaitKeepQuestion(p, L"Keep these button settings?\nLeft click is now assigned to: Button-4.");
    ASSERT_NE(keep, nullptr) << "no keep question";
    p.Dismiss(keep);
    ASSERT_TRUE(driver::WaitFor([&] { return !IsWindow(keep); }, 5000));
    driver::Pause(300);
    EXPECT_TRUE(p.Boxes().empty()) << "nothing more after Keep";
    const vmouse::Memory mouse = vmouse::ReadMemory();
    EXPECT_EQ(vmouse::Hex(mouse.records[0]), vmouse::Hex(Rec(0, 1, 0x01, 0x06)));  // left Ctrl + C
    EXPECT_EQ(vmouse::Hex(mouse.records[3]), vmouse::Hex(Rec(3, 0, 0x01, 0x00)));  // L-Button
    EXPECT_EQ(transcript.Reports("out").size(), 20u);
}

TEST_F(MainWindowTest, ApplyWhileAnUploadRunsIsRefused) {
    faults_.latencyMs = 30;  // an upload takes over a second
    vmouse::Write(vmouse::FactoryMemory(), faults_);
    Program p;
    HWND main = Launch(p);
    ASSERT_NE(main, nullptr);
    driver::Click(main, IDC_MAIN_APPLY);
    driver::Click(main, IDC_MAIN_APPLY);
    ASSERT_TRUE(p.WaitBox(kBusyText, 5000)) << "second apply not refused";
    EXPECT_EQ(GetWindow(p.WaitBox(kBusyText), GW_OWNER), main);
    ASSERT_TRUE(p.DismissBox(kBusyText));
    EXPECT_TRUE(p.DismissBox(kOkText, 15000)) << "the first upload did not finish";
    // Idle again: the next apply is taken.
    driver::Click(main, IDC_MAIN_APPLY);
    EXPECT_TRUE(p.DismissBox(kOkText, 15000));
    EXPECT_TRUE(p.Boxes().empty());
}

// OK applies as Apply does and ends only once the mouse has the change: a
// risky change asks first, a failure keeps the window and the choices.
TEST_F(MainWindowTest, OkEndsOnlyWhenTheMouseHasTheChange) {
    const struct {
        const char* what;
        bool risky;
        int failWritesFrom;
        int answer;  // in the keep question: IDOK keeps, IDCANCEL undoes
        bool changed;
    } rows[] = {
        {"a plain change", false, 0, 0, true},
        {"a risky change, kept", true, 0, IDOK, true},
        {"a risky change, undone", true, 0, IDCANCEL, false},
        {"the mouse unplugged during the upload", false, 5, 0, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        faults_.failWritesFrom = row.failWritesFrom;
        vmouse::Write(vmouse::FactoryMemory(), faults_);
        const vmouse::Memory before = vmouse::ReadMemory();
        Program p;
        HWND main = Launch(p);
        ASSERT_NE(main, nullptr);
        HWND page = driver::PageWith(main, kLeftList);
        if (row.risky) {
            ASSERT_TRUE(Choose(page, kButton4List, L"L-Button"));
        }
        ASSERT_TRUE(Choose(page, row.risky ? kLeftList : kButton5List, L"Copy"));
        driver::Pause(300);
        driver::Click(main, IDC_MAIN_OK);
        if (row.risky) {
            HWND keep = WaitKeepQuestion(p);
            ASSERT_NE(keep, nullptr) << "OK did not ask";
            EXPECT_TRUE(p.Running()) << "ended before the answer";
            driver::Click(keep, row.answer);
        }
        if (row.failWritesFrom) {
            ASSERT_TRUE(p.DismissBox(kFailText)) << "no failure shown";
            EXPECT_FALSE(p.WaitExit(1000)) << "a failed OK ended the program";
            EXPECT_EQ(driver::TextOf(GetDlgItem(page, kButton5List)), L"Copy") << "the choice is gone";
            continue;
        }
        ASSERT_TRUE(p.WaitExit(15000)) << "OK did not end the program";
        EXPECT_EQ(p.ExitCode(), static_cast<DWORD>(IDOK));
        const vmouse::Memory mouse = vmouse::ReadMemory();
        const int slot = row.risky ? 0 : 4;
        const vmouse::Bytes want = row.changed ? Rec(slot, 1, 0x01, 0x06) : before.records[slot];
        EXPECT_EQ(vmouse::Hex(mouse.records[slot]), vmouse::Hex(want));
    }
}

// A slot whose answer never came at start-up is left as the mouse has it
// by every upload until the user gives it a value.
TEST_F(MainWindowTest, ASlotTheStartupReadMissedIsNeverOverwritten) {
    const struct {
        const char* what;
        int loseRead, silentSlot;
        bool told;
    } rows[] = {{"one answer lost, asked again", 16, -1, false}, {"slot 15 never answers", 0, 15, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        vmouse::Memory memory = vmouse::FactoryMemory();
        memory.records[15] = Rec(15, 1, 0x01, 0x06);
        faults_.loseRead = row.loseRead;
        faults_.silentSlot = row.silentSlot;
        vmouse::Write(memory, faults_);
        Program p;
        ASSERT_TRUE(p.Start());
        if (row.told) {
            ASSERT_TRUE(p.DismissBox(kPartlyReadText, 15000)) << "the user was not told";
        }
        HWND main = p.WaitMainWindow();
        ASSERT_NE(main, nullptr);
        EXPECT_TRUE(p.Boxes().empty()) << "told more than once";
        HWND page = driver::PageWith(main, kLeftList);
        ASSERT_TRUE(Choose(page, kButton5List, L"Copy"));
        driver::Pause(300);
        vmouse::Transcript transcript;
        driver::Click(main, IDC_MAIN_APPLY);
        ASSERT_TRUE(p.DismissBox(kOkText, 15000));
        const std::vector<int> written = WrittenSlots(transcript);
        EXPECT_EQ(written.size(), row.told ? 19u : 20u);
        EXPECT_EQ(std::count(written.begin(), written.end(), 15), row.told ? 0 : 1);
        EXPECT_EQ(vmouse::ReadMemory().records[15], memory.records[15]) << "slot 15 was overwritten";
        EXPECT_EQ(vmouse::Hex(vmouse::ReadMemory().records[4]), vmouse::Hex(Rec(4, 1, 0x01, 0x06)));
    }
}

// A reader stuck in a long read cannot be stopped: the apply says so, and
// the program still ends cleanly (the library stays loaded under it).
TEST_F(MainWindowTest, ApplyWithAReaderThatWillNotStopFailsAndTheEndIsClean) {
    faults_.readTimeoutMs = 3000;
    faults_.readsOutliveClose = 1;  // a library that cannot cut a read short
    vmouse::Write(vmouse::FactoryMemory(), faults_);
    Program p;
    HWND main = Launch(p);
    ASSERT_NE(main, nullptr);
    vmouse::Transcript transcript;
    driver::Click(main, IDC_MAIN_APPLY);
    EXPECT_TRUE(p.DismissBox(kFailText, 10000)) << "the apply that could not start said nothing";
    EXPECT_TRUE(WrittenSlots(transcript).empty());
    driver::Click(main, IDC_MAIN_CANCEL);
    ASSERT_TRUE(p.WaitExit(15000));
    EXPECT_EQ(p.ExitCode(), static_cast<DWORD>(IDCANCEL)) << "the end crashed";
}

// A speed change that failed leaves the mouse's DPI in the store: once the
// mouse is back, the same jump is still a jump and is asked about.
TEST_F(MainWindowTest, FailedSpeedChangeKeepsTheMousesDpi) {
    Program p;
    HWND main = Launch(p);
    ASSERT_NE(main, nullptr);
    driver::Click(main, IDC_MAIN_PAGE_PERF);
    driver::Pause(300);
    HWND perf = driver::PageWith(main, kDpiCaption);
    ASSERT_NE(perf, nullptr);
    RECT track{};
    GetWindowRect(GetDlgItem(perf, IDC_PERF_TRACK1), &track);
    MapWindowPoints(nullptr, perf, reinterpret_cast<POINT*>(&track), 2);
    // A click that snaps to 3200 DPI, four marks above the mouse's 600.
    PostMessageW(perf, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(track.left + 280, (track.top + track.bottom) / 2));
    PostMessageW(perf, WM_LBUTTONUP, 0, MAKELPARAM(track.left + 280, (track.top + track.bottom) / 2));
    driver::Pause(300);
    faults_.failWritesFrom = 3;
    vmouse::Write(vmouse::ReadMemory(), faults_);
    driver::Click(main, IDC_MAIN_APPLY);
    ASSERT_TRUE(p.DismissBox(kFailText, 10000));
    vmouse::Write(vmouse::ReadMemory(), vmouse::Faults{});
    driver::Click(main, IDC_MAIN_APPLY);
    HWND keep = WaitKeepQuestion(p, L"Keep this pointer speed?");
    ASSERT_NE(keep, nullptr) << "the failed apply's DPI was taken for the mouse's";
    driver::Click(keep, IDOK);
    EXPECT_EQ(vmouse::ReadMemory().dpi, 16u);
}

TEST_F(MainWindowTest, OkWhileAnUploadRunsShowsBusyAndStillCloses) {
    faults_.latencyMs = 30;
    vmouse::Write(vmouse::FactoryMemory(), faults_);
    Program p;
    HWND main = Launch(p);
    ASSERT_NE(main, nullptr);
    vmouse::Transcript transcript;
    driver::Click(main, IDC_MAIN_APPLY);
    driver::Click(main, IDC_MAIN_OK);
    ASSERT_TRUE(p.DismissBox(kBusyText, 5000)) << "OK during the upload not refused";
    EXPECT_TRUE(p.WaitExit(5000)) << "OK did not close the window";
    EXPECT_EQ(transcript.Reports("out").size(), 20u) << "the upload was cut short";
}

TEST_F(MainWindowTest, ClosingDuringAnUploadLetsItFinishWithinTheWait) {
    faults_.latencyMs = 30;
    vmouse::Write(vmouse::FactoryMemory(), faults_);
    Program p;
    HWND main = Launch(p);
    ASSERT_NE(main, nullptr);
    HWND page = driver::PageWith(main, kButton5List);
    ASSERT_TRUE(Choose(page, kButton5List, L"Copy"));
    driver::Pause(300);
    vmouse::Transcript transcript;
    driver::Click(main, IDC_MAIN_APPLY);
    driver::WaitFor([&] { return !transcript.Reports("out").empty(); }, 5000);
    const DWORD closed = GetTickCount();
    driver::Click(main, IDC_MAIN_CANCEL);
    ASSERT_TRUE(p.WaitExit(10000));
    EXPECT_LT(GetTickCount() - closed, 4500u) << "the end waited longer than 4 s";
    // Every record of the upload reached the mouse, in slot order.
    const std::vector<vmouse::Bytes> out = transcript.Reports("out");
    ASSERT_EQ(out.size(), 20u);
    for (int slot = 0; slot < 20; ++slot) EXPECT_EQ(out[slot][2], slot);
    const vmouse::Memory mouse = vmouse::ReadMemory();
    EXPECT_EQ(vmouse::Hex(mouse.records[4]), vmouse::Hex(Rec(4, 1, 0x01, 0x06)));
}

TEST_F(MainWindowTest, LanguageSwitchKeepsThePerformancePageAndReachesBothPages) {
    Program p;
    HWND main = Launch(p);
    ASSERT_NE(main, nullptr);
    HWND buttons = driver::PageWith(main, kLeftList);
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(driver::PageWith(main, kDpiCaption), nullptr) << "the performance page is made when first shown";
    driver::Click(main, IDC_MAIN_PAGE_PERF);
    HWND performance = nullptr;
    ASSERT_TRUE(driver::WaitFor([&] { return (performance = driver::PageWith(main, kDpiCaption)) && IsWindowVisible(performance) && !IsWindowVisible(buttons); }, 5000));
    const std::wstring ini = driver::Dir() + L"AppCfg.pristine.ini";
    struct Row {
        int flag;
        const wchar_t* section;
        int pagePicture;  // page button 1072 at rest while its page shows
        int dpiCaption;
    } const rows[] = {
        {IDC_FLAG_GERMANY, L"Germany", 216, 272}, {IDC_FLAG_FRANCE, L"France", 228, 274},
        {IDC_FLAG_DUTCH, L"Dutch", 240, 276},     {IDC_FLAG_ITALIAN, L"Italian", 252, 278},
        {IDC_FLAG_CHINESE, L"Chinese", 264, 280}, {IDC_FLAG_ENGLISH, L"English", 180, 199},
    };
    for (const Row& r : rows) {
        driver::Click(main, r.flag);
        driver::Pause(600);
        const std::string where(r.section, r.section + wcslen(r.section));
        EXPECT_TRUE(IsWindowVisible(performance) && !IsWindowVisible(buttons)) << where << ": page changed";
        // Painted once the window got to it: looked at until then.
        EXPECT_TRUE(driver::WaitFor(
            [&] {
                return PixelsDifferingFrom(GetDlgItem(main, IDC_MAIN_PAGE_PERF), r.pagePicture, kKey) == 0 &&
                       PixelsDifferingFrom(GetDlgItem(performance, kDpiCaption), r.dpiCaption, CLR_INVALID) == 0;
            },
            3000))
            << where << ": the page button or the caption is not the language's picture";
        wchar_t expected[256] = {};
        GetPrivateProfileStringW(r.section, L"STR_ID_L_BUTTON", L"L-Button", expected, 256, ini.c_str());
        EXPECT_EQ(driver::TextOf(GetDlgItem(buttons, kLeftLabel)), expected) << where;
        wchar_t stored[16] = {};
        GetPrivateProfileStringW(L"General", L"LangId", L"", stored, 16, (driver::Dir() + L"AppCfg.ini").c_str());
        EXPECT_EQ(std::wstring(stored), std::to_wstring(r.flag - IDC_FLAG_ENGLISH)) << where;
    }
}

TEST_F(MainWindowTest, PictureButtonsTellWhatTheyDoUnderThePointer) {
    Program p;
    HWND main = Launch(p);
    ASSERT_NE(main, nullptr);
    SetForegroundWindow(main);
    struct Row {
        int control;
        const wchar_t* tip;
    } const rows[] = {
        {IDC_FLAG_ENGLISH, L"English"},   {IDC_FLAG_GERMANY, L"Deutsch"},  {IDC_FLAG_FRANCE, L"Fran\u00e7ais"},
        {IDC_FLAG_DUTCH, L"Nederlands"},  {IDC_FLAG_ITALIAN, L"Italiano"}, {IDC_FLAG_CHINESE, L"\u4e2d\u6587"},
        {IDC_MAIN_CLOSE, L"Close"},       {IDC_MAIN_MINIMIZE, L"Minimize"},
        {IDC_MAIN_TRAY, L"Hide to the notification area"},
        {IDC_MAIN_BANNER, L"https://www.mirvostan.example/"},
    };
    for (const Row& r : rows) {
        const RECT c = ScreenRect(GetDlgItem(main, r.control));
        driver::MouseMove(GetSystemMetrics(SM_CXSCREEN) - 5, GetSystemMetrics(SM_CYSCREEN) - 5);
        driver::Pause(300);
        driver::MouseMove((c.left + c.right) / 2, (c.top + c.bottom) / 2);
        std::wstring shown;
        driver::WaitFor(
            [&] {
                for (HWND w : p.Windows())
                    if (IsWindowVisible(w) && driver::ClassOf(w) == L"tooltips_class32") shown = driver::TextOf(w);
                return shown == r.tip;
            },
            4000);
        EXPECT_EQ(shown, r.tip) << "control " << r.control;
    }
}

// The plain look (high contrast's, here chosen with [General] Look=plain):
// taken up at WM_SETTINGCHANGE without a restart, the same places in the
// system's colours and no skin picture.
TEST_F(MainWindowTest, PlainLookIsFollowedWithoutARestartInTheSamePlaces) {
    Program p;
    HWND main = Launch(p);
    ASSERT_NE(main, nullptr);
    SetForegroundWindow(main);
    HWND page = driver::PageWith(main, kLeftList);
    ASSERT_NE(page, nullptr);
    struct Spot {
        HWND wnd;
        int x, y;  // from the control's left edge and vertical middle
        int plain;   // the system colour there in the plain look
        const char* what;
    } const spots[] = {
        {GetDlgItem(page, kLeftList), 3, 0, COLOR_WINDOW, "function list's field"},
        {GetDlgItem(page, IDC_BTN_LOAD_DEFAULT), 4, 0, COLOR_BTNFACE, "profile button"},
        {GetDlgItem(page, IDC_BTN_SWAP), 3, 0, COLOR_WINDOW, "swap box"},
        {page, 2, 0, COLOR_BTNFACE, "page's background"},
        {GetDlgItem(main, IDC_MAIN_OK), 30, 0, COLOR_BTNFACE, "OK button"},
    };
    auto colourAt = [](const Spot& s) {
        const RECT r = ScreenRect(s.wnd);
        HDC screen = GetDC(nullptr);
        const COLORREF c = GetPixel(screen, r.left + s.x, (r.top + r.bottom) / 2 + s.y);
        ReleaseDC(nullptr, screen);
        return c;
    };
    std::vector<RECT> places;
    for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) places.push_back(ScreenRect(c));
    for (const Spot& s : spots) EXPECT_NE(colourAt(s), GetSysColor(s.plain)) << "skin: " << s.what;
    EXPECT_EQ(colourAt(spots[0]), RGB(10, 12, 16)) << "the skin's dark field";

    WritePrivateProfileStringW(L"General", L"Look", L"plain", (driver::Dir() + L"AppCfg.ini").c_str());
    SendMessageW(main, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    driver::Pause(800);
    for (const Spot& s : spots) EXPECT_EQ(colourAt(s), GetSysColor(s.plain)) << "plain: " << s.what;
    size_t i = 0;
    for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), ++i) {
        ASSERT_LT(i, places.size());
        const RECT r = ScreenRect(c);
        EXPECT_TRUE(EqualRect(&r, &places[i])) << "control " << GetDlgCtrlID(c) << " moved";
    }
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

// ---- Without a pointer: keys sent with SendInput, names read through oleacc.

void Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (vk >= VK_PRIOR && vk <= VK_DOWN ? KEYEVENTF_EXTENDEDKEY : 0);
    SendInput(1, &in, sizeof in);
    driver::Pause(80);
}
void Press(WORD vk) { Key(vk, false), Key(vk, true); }

HWND FocusOf(HWND main) {
    GUITHREADINFO info{sizeof info, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};
    GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info);
    return info.hwndFocus;
}

bool TabTo(HWND main, HWND control) {
    if (GetForegroundWindow() != main) SetForegroundWindow(main);  // a closed box may leave none in front
    for (int i = 0; i < 80 && FocusOf(main) != control; ++i) Press(VK_TAB);
    return FocusOf(main) == control;
}

// Enter on every box that comes (at least one tells how an apply went) until cond holds.
template <class Cond>
bool AnswerBoxesUntil(Program& p, Cond cond) {
    int answered = 0;
    return driver::WaitFor([&] {
        const std::vector<driver::Box> boxes = p.Boxes();
        for (const driver::Box& b : boxes) answered += GetForegroundWindow() == b.wnd ? (Press(VK_RETURN), 1) : 0;
        return answered > 0 && boxes.empty() && cond();
    }, 20000);
}

// A screen reader's name: Wine's oleacc gives every window's text, so Windows'
// rule for lists and edits (the static label before them) is applied here.
std::wstring NameOf(HWND wnd) {
    const std::wstring cls = driver::ClassOf(wnd);
    for (HWND w = wnd; cls == L"ComboBox" || cls == L"Edit" || cls == L"SysListView32";) {
        w = GetWindow(w, GW_HWNDPREV);
        if (!w || (GetWindowLongW(w, GWL_STYLE) & (WS_GROUP | WS_TABSTOP)) == (WS_GROUP | WS_TABSTOP)) return L"";
        if (driver::ClassOf(w) == L"Static") return NameOf(w);
    }
    // The toolchain's IID_IAccessible is not the one oleacc answers to.
    const GUID iid = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    IAccessible* acc = nullptr;
    if (FAILED(AccessibleObjectFromWindow(wnd, OBJID_CLIENT, iid, reinterpret_cast<void**>(&acc)))) return L"?";
    VARIANT self{};
    self.vt = VT_I4;  // CHILDID_SELF
    BSTR name = nullptr;
    const std::wstring result = acc->get_accName(self, &name) == S_OK && name ? name : L"";
    SysFreeString(name);
    acc->Release();
    return result;
}

// Chosen names, and none missing among the controls that take the focus.
void ExpectNames(HWND main, const wchar_t* section) {
    auto text = [&](const wchar_t* key, const wchar_t* english) {
        wchar_t t[256] = {};
        GetPrivateProfileStringW(section, key, english, t, 256, (driver::Dir() + L"AppCfg.pristine.ini").c_str());
        return std::wstring(t);
    };
    HWND buttons = driver::PageWith(main, kLeftList), performance = driver::PageWith(main, kDpiCaption);
    const struct {
        HWND page;
        int id;
        std::wstring name;
    } rows[] = {{main, IDC_MAIN_APPLY, text(L"STR_ID_APPLY", L"Apply")},
                {buttons, kButton4List, text(L"STR_ID_BUTTON_4", L"Button-4")},
                {buttons, IDC_BTN_KEY_B5, text(L"STR_ID_BUTTON_5", L"Button-5")},
                {performance, IDC_PERF_RATE, text(L"STR_ID_USB_REPORT_RATE", L"USB Report Rate")}};
    const std::string where(section, section + wcslen(section));
    for (const auto& r : rows) EXPECT_EQ(NameOf(GetDlgItem(r.page, r.id)), r.name) << where << " " << r.id;
    for (HWND page : {main, buttons, performance, driver::PageWith(main, IDC_PROF_FOLLOW)})
        for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            const bool focusable = (GetWindowLongW(c, GWL_STYLE) & (WS_TABSTOP | WS_VISIBLE)) == (WS_TABSTOP | WS_VISIBLE);
            if (focusable) { EXPECT_NE(NameOf(c), L"") << where << ": control " << GetDlgCtrlID(c) << " has no name"; }
        }
}

TEST_F(MainWindowTest, KeyCombinationDpiLanguageAndApplyByKeyboardAloneAndEveryControlNamed) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    Program p;
    HWND main = Launch(p);
    ASSERT_NE(main, nullptr);
    // Every page made (pages other than Buttons are made when first shown).
    for (int id : {IDC_MAIN_PAGE_PERF, IDC_MAIN_PAGE_THIRD, IDC_MAIN_PAGE_BUTTONS}) driver::Click(main, id);
    ASSERT_TRUE(driver::WaitFor(
        [&] { return driver::PageWith(main, kDpiCaption) && driver::PageWith(main, IDC_PROF_FOLLOW); }, 5000));
    driver::Pause(300);
    HWND buttons = driver::PageWith(main, kLeftList), performance = driver::PageWith(main, kDpiCaption);
    ExpectNames(main, L"English");
    // "K" in button 5's closed list is Key Combination: the pop-up opens while
    // K is down, and K's release must not end the capture.
    ASSERT_TRUE(TabTo(main, GetDlgItem(buttons, kButton5List)));
    Key('K', false);
    HWND capture = nullptr;
    ASSERT_TRUE(driver::WaitFor([&] { return (capture = FindWindowW(L"#32770", L"Press The Key...")) != nullptr; }, 5000));
    EXPECT_EQ(GetWindow(capture, GW_OWNER), main);
    EXPECT_FALSE(IsWindowEnabled(main)) << "the main window waits for the pop-up";
    Key('K', true);
    for (WORD vk : {VK_LCONTROL, VK_LSHIFT, VK_F5}) Key(vk, false);
    ASSERT_TRUE(IsWindow(capture)) << "a key held from before ended the capture";
    for (WORD vk : {VK_F5, VK_LSHIFT, VK_LCONTROL}) Key(vk, true);
    const vmouse::Bytes combination = Rec(4, 1, 0x03, 0x3E);  // left Ctrl + left Shift, F5
    ASSERT_TRUE(TabTo(main, GetDlgItem(main, IDC_MAIN_APPLY)));
    Press(VK_SPACE);
    EXPECT_TRUE(AnswerBoxesUntil(p, [&] { return vmouse::ReadMemory().records[4] == combination; }));
    // The DPI slider two marks up with the arrow, German by its flag, Apply.
    for (int id : {IDC_MAIN_PAGE_PERF, IDC_PERF_THUMB1, IDC_FLAG_GERMANY, IDC_MAIN_APPLY}) {
        HWND control = GetDlgItem(id == IDC_PERF_THUMB1 ? performance : main, id);
        ASSERT_TRUE(TabTo(main, control)) << id;
        if (id != IDC_PERF_THUMB1) {
            Press(VK_SPACE);
            continue;
        }
        EXPECT_EQ(driver::TextOf(control), L"DPI/CPI 600");
        Press(VK_RIGHT), Press(VK_RIGHT);
        EXPECT_EQ(driver::TextOf(control), L"DPI/CPI 1800");
        EXPECT_EQ(FocusOf(main), control) << "the arrows moved the focus";
    }
    EXPECT_TRUE(AnswerBoxesUntil(p, [] { return vmouse::ReadMemory().dpi == 9; }));  // 1800 / 200
    EXPECT_EQ(vmouse::ReadMemory().records[4], combination);
    ExpectNames(main, L"Germany");
    CoUninitialize();
}

}  // namespace
