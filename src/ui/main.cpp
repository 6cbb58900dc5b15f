// Mirvostan's entry point: one instance, one modal main window.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <memory>

#include "config/DeviceStore.h"
#include "i18n/Language.h"
#include "i18n/UserMessage.h"
#include "link/Busy.h"
#include "resources/resource.h"
#include "ui/MainWindow.h"
#include "ui/StartupRead.h"

namespace {
// The single-instance mutex and the main window's class share this name.
constexpr wchar_t kMarker[] = L"" MV_MAIN_CLASS;
constexpr DWORD kExitWaitMs = 4000;

// A running instance gets the user's attention instead of a second window.
void HandOverToRunningInstance() {
    HWND running = FindWindowW(kMarker, L"");
    if (!running) return;  // still starting up: nothing to show yet
    // This process may raise windows (it was just started); the running one
    // may not unless it is allowed to.
    DWORD pid = 0;
    GetWindowThreadProcessId(running, &pid);
    if (pid) AllowSetForegroundWindow(pid);
    if (IsIconic(running)) {
        ShowWindow(running, SW_RESTORE);
        SetForegroundWindow(running);
    } else if (IsWindowVisible(running)) {
        SetForegroundWindow(running);
    } else {
        PostMessageW(running, WM_COMMAND, ID_TRAY_CONFIG, 0);
    }
}

// The standard dialog class under the marker name: the template names it,
// and that is how a second instance finds the window.
bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(nullptr, L"#32770", &wc)) return false;
    wc.lpszClassName = kMarker;
    wc.hInstance = instance;
    return RegisterClassExW(&wc) != 0;
}

class Application {
public:
    // The store (which opens the log) exists before the application does.
    Application() : store_(TheDeviceStore()) {}
    int Run(HINSTANCE instance);

private:
    DeviceStore& store_;
};

int Application::Run(HINSTANCE instance) {
    LoadAppSettings();
    HANDLE mutex = CreateMutexW(nullptr, TRUE, kMarker);
    if (!mutex) {
        ShowUserMessage(nullptr, GetUiText(STR_ID_INITIALIZE_FAILED));
        return 0;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        HandOverToRunningInstance();
        CloseHandle(mutex);
        return 0;
    }
    // The mutex stays owned until the process ends.
    TheBusyEvent();
    // A second instance never gets here: only the first reads the mouse,
    // meanwhile the window is made.
    StartupRead read(store_);
    const HRESULT com = CoInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    RegisterMainWindowClass(instance);

    auto window = std::make_unique<MainWindow>(store_);
    window->SetStartupRead(&read);
    const INT_PTR result = window->DoModal(nullptr);

    if (SUCCEEDED(com)) CoUninitialize();
    // An upload in progress may finish first.
    store_.WaitTransfersAtExit(kExitWaitMs);
    window.reset();
    return static_cast<int>(result);
}

Application g_application;
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return g_application.Run(instance); }
