// Shows one working page hosted in a plain window at the size of its
// background picture, in one language, with a configuration that differs
// from the defaults everywhere the page can show it.
//   pageshow.exe <buttons|performance> <language 0..5> [seconds]
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "controls/SkinPicture.h"
#include "config/DeviceStore.h"
#include "i18n/Language.h"
#include "resources/resource.h"
#include "ui/ButtonsPage.h"
#include "ui/PerformancePage.h"

namespace {

constexpr UINT_PTR kCloseTimer = 1;

LRESULT CALLBACK HostProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kCloseTimer) {
        PostQuitMessage(0);
        return 0;
    }
    if (msg == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

SIZE BitmapSize(int id) {
    HBITMAP b = skin::LoadPicture(id, skin::kBaseDpi);
    BITMAP info{};
    GetObjectW(b, sizeof info, &info);
    DeleteObject(b);
    return SIZE{info.bmWidth, info.bmHeight};
}

// Left: L-Button; right: Copy; middle: Volume Up; button 4: Ctrl+Alt+Q;
// button 5: Switch Window; wheel swapped; 1800 DPI at 1000 Hz.
void ConfigureStore(DeviceStore& store) {
    store.SetCommand(2, 1, 2);
    store.SetCommand(1, 3, 16);
    store.SetCapturedKey(3, 4, 0x05, 'Q');
    store.SetCommand(4, 2, 0);
    store.ToggleWheelSwap();
    store.ChooseDpi(1800);
    store.ChooseReportRate(2);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring which = argc > 1 ? argv[1] : L"buttons";
    const int language = argc > 2 ? _wtoi(argv[2]) : 0;
    const int seconds = argc > 3 ? _wtoi(argv[3]) : 0;
    LocalFree(argv);

    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    LoadAppSettings();
    SetUiLanguage(language);
    DeviceStore store(std::wstring(), false);
    ConfigureStore(store);

    const bool buttons = which != L"performance";
    const SIZE size = BitmapSize(buttons ? IDB_BUTTONS_PAGE_BG : IDB_PERF_PAGE_BG);
    WNDCLASSW wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = L"MirvostanPageShow";
    RegisterClassW(&wc);
    const std::wstring title = L"Mirvostan Page - " + which + L"-" + LanguageName(language);
    HWND host = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_POPUP | WS_VISIBLE, 10, 10, size.cx, size.cy,
                                nullptr, nullptr, instance, nullptr);

    UploadOwner uploads(store);
    ButtonsPage buttonsPage(store, uploads);
    PerformancePage performancePage(store, uploads);
    HWND page = nullptr;
    if (buttons) {
        page = buttonsPage.Create(host);
        // One illustration shown, as after a click on the left button's small button.
        SendDlgItemMessageW(page, IDC_BTN_SMALL_LEFT, BM_CLICK, 0, 0);
    } else {
        page = performancePage.Create(host);
    }
    if (!page) return 1;
    ShowWindow(page, SW_SHOW);
    if (seconds > 0) SetTimer(host, kCloseTimer, seconds * 1000, nullptr);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(page, &m)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    DestroyWindow(host);
    return 0;
}
