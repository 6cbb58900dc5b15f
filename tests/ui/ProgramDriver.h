// Drives Mirvostan.exe as a user would: starts it as its own process beside
// the virtual mouse, finds its windows by class, reads its message boxes
// by enumerating its windows, and gives it real mouse input.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace driver {

// The single-instance marker: the mutex and the resident window's class.
constexpr wchar_t kMarker[] = L"38C86C12-4A73-48d5-934E-44550D5BBF68";
constexpr wchar_t kMainClass[] = L"Mirvostan.MainWindow";

inline std::wstring Dir() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

// Waits for cond, pumping this thread's messages; true when it held in time.
template <class Cond>
bool WaitFor(Cond cond, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (cond()) return true;
        if (GetTickCount() - start >= ms) return false;
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        Sleep(20);
    }
}

// Lets this thread's messages through for ms.
inline void Pause(DWORD ms) {
    WaitFor([] { return false; }, ms);
}

inline std::wstring ClassOf(HWND wnd) {
    wchar_t name[128] = {};
    GetClassNameW(wnd, name, 128);
    return name;
}

inline std::wstring TextOf(HWND wnd) {
    wchar_t text[512] = {};
    // WM_GETTEXT is carried across processes; GetWindowText is not for controls.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(wnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &ignored);
    return text;
}

struct Box {
    HWND wnd;
    std::wstring caption;
    std::wstring text;
};

class Program {
public:
    Program() = default;
    ~Program() { Kill(); }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Start(const std::wstring& arguments = std::wstring()) {
        const std::wstring exe = Dir() + L"Mirvostan.exe";
        std::wstring cmd = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        started_ = GetTickCount();
        if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, Dir().c_str(), &si, &pi_))
            return false;
        return true;
    }

    DWORD Pid() const { return pi_.dwProcessId; }
    HANDLE Process() const { return pi_.hProcess; }
    bool Running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }
    // True when the process ended within ms.
    bool WaitExit(DWORD ms) const { return !pi_.hProcess || WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0; }
    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }

    void Kill() {
        if (pi_.hProcess) {
            if (Running()) {
                TerminateProcess(pi_.hProcess, 99);
                WaitForSingleObject(pi_.hProcess, 5000);
            }
            CloseHandle(pi_.hProcess);
            CloseHandle(pi_.hThread);
        }
        pi_ = PROCESS_INFORMATION{};
    }

    // Top-level windows of this process.
    std::vector<HWND> Windows() const {
        Found ctx{pi_.dwProcessId, {}};
        EnumWindows(Collect, reinterpret_cast<LPARAM>(&ctx));
        return ctx.found;
    }

    HWND MainWindow() const {
        for (HWND w : Windows())
            if (ClassOf(w) == kMainClass) return w;
        return nullptr;
    }

    // The hidden window that lives as long as the program: the tray icon's
    // messages and a second start's go there.
    HWND Resident() const {
        for (HWND w : Windows())
            if (ClassOf(w) == kMarker) return w;
        return nullptr;
    }

    // The main window once it is shown and its modal loop waits for input.
    // The loop shows the window again when its queue first runs empty, so a
    // command that came earlier could be undone.
    HWND WaitMainWindow(DWORD ms = 15000) const {
        HWND found = nullptr;
        WaitFor([&] { return (found = MainWindow()) && IsWindowVisible(found); }, ms);
        if (!found || !IsWindowVisible(found)) return nullptr;
        WaitForInputIdle(pi_.hProcess, 5000);
        Sleep(200);
        return found;
    }

    // Every visible message box (or other dialog) of the process but the main window.
    std::vector<Box> Boxes() const {
        std::vector<Box> boxes;
        for (HWND w : Windows()) {
            if (!IsWindowVisible(w) || ClassOf(w) != L"#32770") continue;
            Box b{w, TextOf(w), L""};
            for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                if (ClassOf(c) != L"Static") continue;
                const std::wstring t = TextOf(c);
                if (!t.empty()) {
                    if (!b.text.empty()) b.text += L"\n";
                    b.text += t;
                }
            }
            boxes.push_back(b);
        }
        return boxes;
    }

    // Waits for a box whose text is text; nullptr when none came.
    HWND WaitBox(const std::wstring& text, DWORD ms = 10000) const {
        HWND found = nullptr;
        WaitFor(
            [&] {
                for (const Box& b : Boxes())
                    if (b.text == text) return (found = b.wnd) != nullptr;
                return false;
            },
            ms);
        return found;
    }

    // Waits for a box whose text starts with start (a question and what
    // follows it); nullptr when none came.
    HWND WaitBoxStarting(const std::wstring& start, DWORD ms = 10000) const {
        HWND found = nullptr;
        WaitFor(
            [&] {
                for (const Box& b : Boxes())
                    if (b.text.rfind(start, 0) == 0) return (found = b.wnd) != nullptr;
                return false;
            },
            ms);
        return found;
    }

    // Presses the box's OK button as a user would.
    static void Dismiss(HWND box) {
        HWND ok = GetDlgItem(box, IDOK);
        if (!ok) ok = GetDlgItem(box, IDCANCEL);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(ok), BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    }

    bool DismissBox(const std::wstring& text, DWORD ms = 10000) const {
        HWND box = WaitBox(text, ms);
        if (!box) return false;
        Dismiss(box);
        return WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000);
    }

private:
    struct Found {
        DWORD pid;
        std::vector<HWND> found;
    };
    static BOOL CALLBACK Collect(HWND wnd, LPARAM lp) {
        auto* c = reinterpret_cast<Found*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(wnd, &pid);
        if (pid == c->pid) c->found.push_back(wnd);
        return TRUE;
    }

    PROCESS_INFORMATION pi_{};
    DWORD started_ = 0;
};

// Picks an entry of a list by its text, as a user would: the list shows it,
// then tells its page (posted: the page may answer with a modal box).
// False when the list has no such entry.
inline bool Choose(HWND page, int list, const std::wstring& text) {
    HWND combo = GetDlgItem(page, list);
    const LRESULT index = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    if (index == CB_ERR) return false;
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageW(page, WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    return true;
}

// A button click as its parent hears of it.
inline void Click(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

// Real mouse input, in screen pixels.
inline void MouseMove(int x, int y) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

inline void MouseButton(bool down) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &in, sizeof in);
}

// Press at from, move in steps to to, release.
inline void Drag(POINT from, POINT to) {
    MouseMove(from.x, from.y);
    Sleep(100);
    MouseButton(true);
    Sleep(100);
    for (int i = 1; i <= 10; ++i) {
        MouseMove(from.x + (to.x - from.x) * i / 10, from.y + (to.y - from.y) * i / 10);
        Sleep(40);
    }
    Sleep(100);
    MouseButton(false);
    Sleep(300);
}

// The child dialog of the main window that holds a control id.
inline HWND PageWith(HWND main, int controlId) {
    for (HWND c = GetWindow(main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (ClassOf(c) == L"#32770" && GetDlgItem(c, controlId)) return c;
    return nullptr;
}

}  // namespace driver
