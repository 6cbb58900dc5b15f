#include "ui/KeyCaptureDialog.h"

#include "keys/KeyUsage.h"
#include "resources/resource.h"
#include "controls/SkinPicture.h"
#include "ui/Layout.h"
#include "ui/Messages.h"

namespace {
// The hook procedures have no other way to reach the open dialog; only one
// is open at a time.
KeyCaptureDialog* g_open = nullptr;
HHOOK g_keyboardHook = nullptr;
HHOOK g_filterHook = nullptr;

// The full-size picture under the prompt (the template's control without an id).
const TemplatePicture kPictures[] = {{-1, IDB_KEY_CAPTURE_BG}};

bool IsDown(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

bool IsModifierKey(WPARAM vk) {
    return vk == VK_CONTROL || vk == VK_SHIFT || vk == VK_MENU || vk == VK_LWIN || vk == VK_RWIN;
}
// A key no record can hold (launch, mail, most browser keys) is passed
// over: the capture goes on as if it had not been pressed.
bool IsSkipped(WPARAM vk) { return !IsModifierKey(vk) && !IsCapturableKey(static_cast<unsigned>(vk)); }
}  // namespace

KeyCaptureDialog::KeyCaptureDialog() : Dialog(IDD_KEY_CAPTURE) {}

KeyCaptureDialog::~KeyCaptureDialog() {
    if (g_open == this) OnDestroy();
}

INT_PTR KeyCaptureDialog::Run() {
    // One capture at a time: a second would take over the hooks of the first.
    if (g_open) return -1;
    // Owned, the main window is disabled while it runs and cannot cover it.
    HWND top = owner_ ? GetAncestor(owner_, GA_ROOT) : nullptr;
    const INT_PTR result = DoModal(top);
    if (g_open == this) OnDestroy();  // whatever way the dialog went
    return result;
}

BOOL KeyCaptureDialog::OnInitDialog() {
    modifiers_ = 0;
    key_ = 0;
    shiftHeld_ = ctrlHeld_ = altHeld_ = winHeld_ = false;
    finished_ = false;
    for (bool& d : downHere_) d = false;
    prompt_.Attach(Hwnd(), IDC_KEY_PROMPT);
    LayOutOnPictures(Hwnd(), IDD_KEY_CAPTURE, skin::DpiOf(Hwnd()), kPictures);
    // No caption shows it; a screen reader names the pop-up by it.
    SetWindowTextW(Hwnd(), L"Press The Key...");
    prompt_.SetTransparent(true);

    if (g_keyboardHook) UnhookWindowsHookEx(g_keyboardHook);
    if (g_filterHook) UnhookWindowsHookEx(g_filterHook);
    g_open = this;
    // Print Screen never arrives as a key-down message; the hook sees its release.
    g_keyboardHook = SetWindowsHookExW(WH_KEYBOARD, KeyboardHook, GetModuleHandleW(nullptr), GetCurrentThreadId());
    // Key messages are taken before the dialog manager turns Enter, Escape
    // or arrows into commands: every key is a candidate.
    g_filterHook = SetWindowsHookExW(WH_MSGFILTER, MessageFilterHook, nullptr, GetCurrentThreadId());
    PlaceOverOwner();
    SetFocus(Hwnd());
    return FALSE;
}

// Without a parent the dialog would sit at the screen's corner; it belongs
// over the window that opened it.
void KeyCaptureDialog::PlaceOverOwner() {
    HWND top = owner_ ? GetAncestor(owner_, GA_ROOT) : nullptr;
    if (!top || !IsWindowVisible(top)) return;
    RECT o, d;
    GetWindowRect(top, &o);
    GetWindowRect(Hwnd(), &d);
    const int x = o.left + ((o.right - o.left) - (d.right - d.left)) / 2;
    const int y = o.top + ((o.bottom - o.top) - (d.bottom - d.top)) / 2;
    SetWindowPos(Hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void KeyCaptureDialog::OnDestroy() {
    if (g_keyboardHook) UnhookWindowsHookEx(g_keyboardHook);
    if (g_filterHook) UnhookWindowsHookEx(g_filterHook);
    g_keyboardHook = g_filterHook = nullptr;
    if (g_open == this) g_open = nullptr;
}

// Closing by the system (Alt+F4) ends the capture like a key release.
void KeyCaptureDialog::OnClose() { Finish(); }

void KeyCaptureDialog::Finish() {
    if (finished_) return;
    finished_ = true;
    EndDialog(IDCANCEL);
    if (owner_) SendMessageW(owner_, WM_KEY_CAPTURED, modifiers_, key_);
}

void KeyCaptureDialog::ModifierDown(int leftVk, int rightVk, DWORD leftBit, DWORD rightBit, bool& held,
                                    bool& forward) {
    DWORD bit = 0;
    if (IsDown(leftVk)) bit = leftBit;
    else if (IsDown(rightVk)) bit = rightBit;
    // Auto-repeat or the other side of a modifier already seen: not again.
    if (held) forward = false;
    else modifiers_ |= bit;
    held = true;
}

bool KeyCaptureDialog::HeldFromBefore(WPARAM vk, LPARAM data, bool up) const {
    if (downHere_[vk & 0xFF]) return false;
    // A key-up, or the auto-repeat (previous state down) of a key that was
    // held when the dialog opened: the key that chose "Key Combination".
    return up || (static_cast<DWORD>(data) & 0x40000000u) != 0;
}

void KeyCaptureDialog::KeyDown(UINT vk, LPARAM data, const MSG* message) {
    if (finished_) return;
    downHere_[vk & 0xFF] = true;
    bool forward = true;
    bool final = false;
    switch (vk) {
    case VK_CONTROL: ModifierDown(VK_LCONTROL, VK_RCONTROL, 0x01, 0x10, ctrlHeld_, forward); break;
    case VK_SHIFT: ModifierDown(VK_LSHIFT, VK_RSHIFT, 0x02, 0x20, shiftHeld_, forward); break;
    case VK_MENU: ModifierDown(VK_LMENU, VK_RMENU, 0x04, 0x40, altHeld_, forward); break;
    case VK_LWIN:
    case VK_RWIN:
        if (winHeld_) forward = false;
        else modifiers_ |= vk == VK_LWIN ? 0x08 : 0x80;
        winHeld_ = true;
        break;
    default:
        // A second key (or the first one's auto-repeat) ends the capture.
        if (key_ == 0) key_ = vk;
        else final = true;
        break;
    }
    if (final) {
        Finish();
        return;
    }
    if (message) {
        MSG copy = *message;
        TranslateMessage(&copy);
        DispatchMessageW(&copy);
    }
    if (forward && owner_ && !finished_) SendMessageW(owner_, WM_KEY_PRESSED, vk, data);
}

void KeyCaptureDialog::KeyUp() {
    if (finished_) return;
    Finish();
    modifiers_ = 0;
    key_ = 0;
    shiftHeld_ = ctrlHeld_ = altHeld_ = winHeld_ = false;
}

LRESULT CALLBACK KeyCaptureDialog::KeyboardHook(int code, WPARAM wp, LPARAM lp) {
    const LRESULT next = CallNextHookEx(g_keyboardHook, code, wp, lp);
    const bool released = (static_cast<DWORD>(lp) & 0x80000000u) != 0;
    if (code == HC_ACTION && wp == VK_SNAPSHOT && released && g_open) g_open->KeyDown(VK_SNAPSHOT, lp, nullptr);
    return next;
}

LRESULT CALLBACK KeyCaptureDialog::MessageFilterHook(int code, WPARAM wp, LPARAM lp) {
    MSG* m = reinterpret_cast<MSG*>(lp);
    KeyCaptureDialog* d = g_open;
    if (code == MSGF_DIALOGBOX && d && m && d->Hwnd() && (m->hwnd == d->Hwnd() || IsChild(d->Hwnd(), m->hwnd))) {
        switch (m->message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (m->wParam == VK_SNAPSHOT) break;  // the keyboard hook reports it
            if (IsSkipped(m->wParam) || d->HeldFromBefore(m->wParam, m->lParam, false)) return TRUE;
            d->KeyDown(static_cast<UINT>(m->wParam), m->lParam, m);
            return TRUE;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            if (IsSkipped(m->wParam) || d->HeldFromBefore(m->wParam, m->lParam, true)) return TRUE;
            d->KeyUp();
            return TRUE;
        default:
            break;
        }
    }
    return CallNextHookEx(g_filterHook, code, wp, lp);
}
