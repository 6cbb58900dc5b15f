// The real program in a prefix at 144 DPI: the window and its controls are
// 1.5 times their size and place at 96 DPI (give or take the rounding), so
// every control stays on the place the scaled skin painted for it.
#include <gtest/gtest.h>
#include <windows.h>

#include "ProgramDriver.h"
#include "VirtualMouseFiles.h"
#include "resources/resource.h"

namespace {

struct Place {
    const char* what;
    int id;  // 0: the window itself; -2: the buttons page
    RECT at96;  // left, top, width, height at 96 DPI, in the window
};

// Measured at 96 DPI.
const Place kPlaces[] = {
    {"window", 0, {0, 0, 807, 563}},
    {"OK", IDC_MAIN_OK, {55, 527, 124, 28}},
    {"close", IDC_MAIN_CLOSE, {736, 6, 53, 34}},
    {"Chinese flag", IDC_FLAG_CHINESE, {724, 116, 30, 28}},
    {"buttons page", -2, {43, 180, 685, 339}},
    {"left function list", IDC_BTN_LIST_LEFT, {53, 222, 162, 24}},
};

HWND ButtonsPage(HWND main) {
    for (HWND c = GetWindow(main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetDlgItem(c, IDC_BTN_LIST_LEFT)) return c;
    return nullptr;
}

TEST(Dpi144, WindowAndControlsAreOneAndAHalfTimesTheirPlacesAt96Dpi) {
    SetProcessDPIAware();  // this program reads the other's rectangles unscaled
    vmouse::Write(vmouse::FactoryMemory(), vmouse::Faults{});
    driver::Program p;
    ASSERT_TRUE(p.Start());
    HWND main = p.WaitMainWindow();
    ASSERT_NE(main, nullptr);
    HWND page = ButtonsPage(main);
    ASSERT_NE(page, nullptr);
    RECT window{};
    GetWindowRect(main, &window);
    for (const Place& place : kPlaces) {
        HWND wnd = place.id == 0 ? main : place.id == -2 ? page : GetDlgItem(place.id == IDC_BTN_LIST_LEFT ? page : main, place.id);
        ASSERT_NE(wnd, nullptr) << place.what;
        RECT r{};
        GetWindowRect(wnd, &r);
        EXPECT_NEAR(r.left - window.left, place.at96.left * 1.5, 1) << place.what;
        EXPECT_NEAR(r.top - window.top, place.at96.top * 1.5, 1) << place.what;
        EXPECT_NEAR(r.right - r.left, place.at96.right * 1.5, 1) << place.what << " width";
        if (place.at96.bottom) {
            EXPECT_NEAR(r.bottom - r.top, place.at96.bottom * 1.5, 1) << place.what << " height";
        }
    }
    // The shape is cut from the scaled picture: 804 x 563 at 96 DPI.
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(main, shape), ERROR);
    RECT box{};
    GetRgnBox(shape, &box);
    DeleteObject(shape);
    EXPECT_NEAR(box.right, 804 * 1.5, 1);
    EXPECT_NEAR(box.bottom, 563 * 1.5, 1);
}

}  // namespace
