// Mirvostan's entry point: one instance, resident from start to end, with
// its window when the user wants it. "--tray" starts it hidden in the tray.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "config/DeviceStore.h"
#include "i18n/Language.h"
#include "i18n/UserMessage.h"
#include "link/Busy.h"
#include "resources/resource.h"
#include "ui/Resident.h"
#include "ui/StartupRead.h"

namespace {
// The single-instance mutex and the resident's window class share this name.
constexpr wchar_t kMarker[] = L"" MV_MAIN_CLASS;
constexpr DWORD kExitWaitMs = 4000;

// A running instance shows its window instead of a second one starting;
// asked to start hidden, it does nothing.
void HandOverToRunningInstance(bool hidden) {
    HWND running = FindWindowW(kMarker, L"");
    if (!running || hidden) return;  // still starting up: nothing to show yet
    // This process may raise windows (it was just started); the running one
    // may not unless it is allowed to.
    DWORD pid = 0;
    GetWindowThreadProcessId(running, &pid);
    if (pid) AllowSetForegroundWindow(pid);
    PostMessageW(running, WM_COMMAND, ID_TRAY_CONFIG, 0);
}

// The standard dialog class under the window's own name: the template names it.
bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(nullptr, L"#32770", &wc)) return false;
    wc.lpszClassName = L"" MV_WINDOW_CLASS;
    wc.hInstance = instance;
    return RegisterClassExW(&wc) != 0;
}

bool StartsHidden() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    bool hidden = false;
    for (int i = 1; argv && i < argc; ++i)
        if (CompareStringOrdinal(argv[i], -1, L"--tray", -1, TRUE) == CSTR_EQUAL) hidden = true;
    LocalFree(argv);
    return hidden;
}

// Started at sign-in the current folder is the system's, which a user
// cannot write: the log goes beside the program instead.
void WorkInProgramFolder() {
    wchar_t path[MAX_PATH * 2];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    if (n == 0 || n >= MAX_PATH * 2) return;
    std::wstring folder(path, n);
    folder.erase(folder.find_last_of(L'\\') + 1);
    SetCurrentDirectoryW(folder.c_str());
}

class Application {
public:
    int Run(HINSTANCE instance);
};

int Application::Run(HINSTANCE instance) {
    const bool hidden = StartsHidden();
    if (hidden) WorkInProgramFolder();
    LoadAppSettings();
    HANDLE mutex = CreateMutexW(nullptr, TRUE, kMarker);
    if (!mutex) {
        if (!hidden) ShowUserMessage(nullptr, GetUiText(STR_ID_INITIALIZE_FAILED));
        return 0;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        HandOverToRunningInstance(hidden);
        CloseHandle(mutex);
        return 0;
    }
    // The mutex stays owned until the process ends. The store (which opens
    // the log) is made only now, in the one instance.
    DeviceStore& store = TheDeviceStore();
    TheBusyEvent();
    // Only the first instance reads the mouse, meanwhile the window is made.
    StartupRead read(store, hidden);
    RegisterMainWindowClass(instance);
    int result = 0;
    {
        Resident resident(store, hidden);
        if (resident.Start(&read)) result = resident.Run();
        // An upload in progress may finish first.
        store.WaitTransfersAtExit(kExitWaitMs);
    }
    return result;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    Application application;
    return application.Run(instance);
}
