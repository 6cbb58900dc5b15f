// Shared by the page tests: a plain top-level window that hosts a page as
// its child, a message pump, a recorder of message boxes with a chosen
// answer, and a way to act inside modal dialogs the page opens.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "MessageRecorder.h"
#include "i18n/UserMessage.h"

namespace pagetest {

inline void Pump(DWORD ms = 30) {
    const DWORD start = GetTickCount();
    MSG m;
    do {
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        Sleep(2);
    } while (GetTickCount() - start < ms);
}

inline bool PumpUntil(const std::function<bool()>& done, DWORD ms = 10000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        Pump(10);
    }
    return true;
}

// The plain window a page lives in, at the skin's page size.
class Host {
public:
    explicit Host(int width = 760, int height = 360) {
        static bool registered = false;
        if (!registered) {
            WNDCLASSW wc{};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
            wc.lpszClassName = L"MirvostanPageHost";
            RegisterClassW(&wc);
            registered = true;
        }
        wnd_ = CreateWindowExW(0, L"MirvostanPageHost", L"page host", WS_POPUP | WS_VISIBLE, 40, 40, width, height,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~Host() { DestroyWindow(wnd_); }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    HWND Wnd() const { return wnd_; }

private:
    HWND wnd_;
};

// Every message box the page shows, answered with answer.
class Messages : public MessageRecorder {
public:
    using MessageRecorder::MessageRecorder;
    static std::wstring Joined() {
        std::wstring all;
        for (const std::wstring& t : Texts()) all += L"[" + t + L"]";
        return all;
    }
};

// Acts inside the modal dialogs this thread shows: one step per timer tick
// while a dialog is open (so each step's messages go through the dialog's
// own loop first). A dialog still open well after the last step is ended,
// and the action counts as timed out.
class ModalAction {
public:
    using Action = std::function<void(HWND dialog)>;
    explicit ModalAction(Action action) : ModalAction(std::vector<Action>{std::move(action)}) {}
    explicit ModalAction(std::vector<Action> steps) : steps_(std::move(steps)) {
        Current() = this;
        timer_ = SetTimer(nullptr, 0, 40, &Tick);
    }
    ~ModalAction() {
        KillTimer(nullptr, timer_);
        Current() = nullptr;
    }
    ModalAction(const ModalAction&) = delete;
    ModalAction& operator=(const ModalAction&) = delete;
    // Every step ran.
    bool Ran() const { return next_ == steps_.size(); }
    bool TimedOut() const { return timedOut_; }

private:
    static ModalAction*& Current() {
        static ModalAction* c = nullptr;
        return c;
    }
    static BOOL CALLBACK Find(HWND wnd, LPARAM out) {
        wchar_t cls[16];
        GetClassNameW(wnd, cls, 16);
        if (std::wstring(cls) == L"#32770" && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) {
            *reinterpret_cast<HWND*>(out) = wnd;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        ModalAction* self = Current();
        if (!self || self->busy_) return;
        HWND dialog = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &Find, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) return;
        self->busy_ = true;
        if (self->next_ < self->steps_.size()) {
            self->steps_[self->next_++](dialog);
        } else if (++self->idleTicks_ > 50) {
            self->timedOut_ = true;
            EndDialog(dialog, -2);
        }
        self->busy_ = false;
    }
    std::vector<Action> steps_;
    size_t next_ = 0;
    int idleTicks_ = 0;
    UINT_PTR timer_ = 0;
    bool busy_ = false;
    bool timedOut_ = false;
};

// A combo box choice as the user makes it: selection, then the notification.
inline void Choose(HWND page, int id, int index) {
    HWND list = GetDlgItem(page, id);
    SendMessageW(list, CB_SETCURSEL, index, 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

inline void Click(HWND page, int id) { SendMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0); }

inline std::wstring Text(HWND wnd) {
    wchar_t buffer[256] = {};
    GetWindowTextW(wnd, buffer, 256);
    return buffer;
}

inline std::wstring EntryText(HWND list, int index) {
    wchar_t buffer[256] = {};
    SendMessageW(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

inline int Selection(HWND page, int id) { return static_cast<int>(SendDlgItemMessageW(page, id, CB_GETCURSEL, 0, 0)); }

inline std::wstring HerePath(const std::wstring& name) {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L'\\') + 1) + name;
}

}  // namespace pagetest
