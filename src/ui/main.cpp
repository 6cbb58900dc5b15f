// Mirvostan's entry point.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "config/DeviceStore.h"
#include "i18n/Language.h"
#include "i18n/UserMessage.h"
#include "link/Busy.h"
#include "resources/resource.h"

namespace {
// Placeholder main window until the skinned one takes its place.
INT_PTR CALLBACK MainProc(HWND wnd, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        // The pages show what the mouse holds, so read it before they exist.
        if (!TheDeviceStore().LoadFromDevice()) ShowUserMessage(nullptr, GetUiText(44));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL || LOWORD(wp) == IDOK) EndDialog(wnd, LOWORD(wp));
        return TRUE;
    case WM_CLOSE:
        EndDialog(wnd, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    LoadAppSettings();
    TheBusyEvent();
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainProc, 0);
    if (SUCCEEDED(com)) CoUninitialize();
    // Let an upload in progress finish before the process ends.
    TheDeviceStore().WaitTransfersAtExit(4000);
    return static_cast<int>(result);
}
