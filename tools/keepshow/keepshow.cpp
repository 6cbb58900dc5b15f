// keepshow <language code 0..5> <buttons|speed>: the keep dialog as an
// apply would show it, with AppCfg.ini beside the program. Nothing is
// uploaded: Undo and the countdown just end it.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

#include "i18n/Language.h"
#include "ui/KeepDialog.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    LoadAppSettings();
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const int language = argc > 1 ? _wtoi(argv[1]) : English;
    const bool speed = argc > 2 && std::wstring(argv[2]) == L"speed";
    LocalFree(argv);
    SetUiLanguage(language);
    KeepRequest request;
    request.questionId = speed ? STR_ID_KEEP_DPI : STR_ID_KEEP_BUTTONS;
    request.info = speed ? FillText(GetUiText(STR_ID_DPI_NOW), L"3200")
                         : FillText(GetUiText(STR_ID_LEFT_CLICK_NOW), GetUiText(STR_ID_BUTTON_4));
    request.undo = [](HWND, UINT) { return UploadStart::Failed; };
    AskToKeep(nullptr, request);
    return 0;
}
