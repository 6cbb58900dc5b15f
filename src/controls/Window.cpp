#include "controls/Window.h"

#include <commctrl.h>

namespace {
// Marks the dialog object on its window, so reflection and FromHandle can
// tell our dialogs from others.
const wchar_t kDialogProp[] = L"Mirvostan.Dialog";

BOOL CALLBACK ForwardToChild(HWND child, LPARAM msgPtr) {
    const MSG* m = reinterpret_cast<const MSG*>(msgPtr);
    SendMessageW(child, m->message, m->wParam, m->lParam);
    return TRUE;
}
}  // namespace

// ---- Dialog ------------------------------------------------------------------

Dialog::Dialog(int templateId, HINSTANCE instance)
    : templateId_(templateId), instance_(instance ? instance : GetModuleHandleW(nullptr)) {}

Dialog::~Dialog() {
    if (hwnd_ && IsWindow(hwnd_)) {
        // A modeless dialog outliving its object must not call into it.
        RemovePropW(hwnd_, kDialogProp);
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        if (!modal_) DestroyWindow(hwnd_);
    }
}

INT_PTR Dialog::DoModal(HWND parent) {
    modal_ = true;
    INT_PTR r = DialogBoxParamW(instance_, MAKEINTRESOURCEW(templateId_), parent, DialogProc,
                                reinterpret_cast<LPARAM>(this));
    modal_ = false;
    return r;
}

HWND Dialog::Create(HWND parent) {
    modal_ = false;
    return CreateDialogParamW(instance_, MAKEINTRESOURCEW(templateId_), parent, DialogProc,
                              reinterpret_cast<LPARAM>(this));
}

void Dialog::EndDialog(INT_PTR result) {
    if (!hwnd_) return;
    if (modal_) ::EndDialog(hwnd_, result);
    else DestroyWindow(hwnd_);
}

Dialog* Dialog::FromHandle(HWND wnd) {
    return wnd ? static_cast<Dialog*>(GetPropW(wnd, kDialogProp)) : nullptr;
}

bool Dialog::OnCommand(int id, int, HWND) {
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(id);
        return true;
    }
    return false;
}

bool Dialog::OnNotify(NMHDR*, LRESULT&) { return false; }
bool Dialog::OnDrawItem(DRAWITEMSTRUCT*) { return false; }
HBRUSH Dialog::OnCtlColor(HDC, HWND, UINT) { return nullptr; }
bool Dialog::OnTimer(UINT_PTR) { return false; }
void Dialog::OnClose() { EndDialog(IDCANCEL); }
bool Dialog::HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

INT_PTR CALLBACK Dialog::DialogProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    Dialog* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(wnd, DWLP_USER));
    if (msg == WM_INITDIALOG && lp) {
        self = reinterpret_cast<Dialog*>(lp);
        self->hwnd_ = wnd;
        SetWindowLongPtrW(wnd, DWLP_USER, lp);
        SetPropW(wnd, kDialogProp, self);
    }
    // Messages before WM_INITDIALOG (WM_SETFONT ...) get default handling.
    if (!self) return FALSE;
    INT_PTR r = self->Route(msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        RemovePropW(wnd, kDialogProp);
        SetWindowLongPtrW(wnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return r;
}

INT_PTR Dialog::Reply(LRESULT result) {
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR Dialog::Route(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND: {
        HWND control = reinterpret_cast<HWND>(lp);
        if (SubclassedControl* c = control ? SubclassedControl::FromHandle(control) : nullptr) {
            if (c->OnReflectedCommand(HIWORD(wp))) return TRUE;
        }
        return OnCommand(LOWORD(wp), HIWORD(wp), control) ? TRUE : FALSE;
    }
    case WM_NOTIFY: {
        LRESULT result = 0;
        auto* header = reinterpret_cast<NMHDR*>(lp);
        if (SubclassedControl* c = SubclassedControl::FromHandle(header->hwndFrom)) {
            if (c->OnReflectedNotify(header, result)) return Reply(result);
        }
        if (OnNotify(header, result)) return Reply(result);
        return FALSE;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (item->CtlType != ODT_MENU) {
            if (SubclassedControl* c = SubclassedControl::FromHandle(item->hwndItem)) {
                if (c->OnReflectedDrawItem(*item)) return TRUE;
            }
        }
        return OnDrawItem(item) ? TRUE : FALSE;
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORDLG: {
        HDC dc = reinterpret_cast<HDC>(wp);
        HWND control = reinterpret_cast<HWND>(lp);
        HBRUSH brush = nullptr;
        if (SubclassedControl* c = msg != WM_CTLCOLORDLG ? SubclassedControl::FromHandle(control) : nullptr)
            brush = c->OnReflectedCtlColor(dc, msg);
        if (!brush) brush = OnCtlColor(dc, control, msg);
        // Colour messages return the brush itself, not through DWLP_MSGRESULT.
        return reinterpret_cast<INT_PTR>(brush);
    }
    case WM_TIMER:
        return OnTimer(wp) ? TRUE : FALSE;
    case WM_CLOSE:
        OnClose();
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;  // the dialog manager has its own cleanup
    case WM_SYSCOLORCHANGE: {
        // Only top-level windows hear of it; the controls need it too.
        MSG m{hwnd_, msg, wp, lp, 0, {}};
        EnumChildWindows(hwnd_, ForwardToChild, reinterpret_cast<LPARAM>(&m));
        LRESULT result = 0;
        HandleMessage(msg, wp, lp, result);
        return FALSE;
    }
    default: {
        LRESULT result = 0;
        if (HandleMessage(msg, wp, lp, result)) return Reply(result);
        return FALSE;
    }
    }
}

// ---- SubclassedControl ---------------------------------------------------------

namespace {
constexpr UINT_PTR kSubclassId = 0x4D56;  // one subclass of ours per control
// The object is found again through a property: GetWindowSubclass has no
// import by name in every comctl32 import library.
constexpr wchar_t kObjectProp[] = L"MvControl";
}

SubclassedControl::~SubclassedControl() { Detach(); }

bool SubclassedControl::Attach(HWND dialog, int controlId) { return AttachWindow(GetDlgItem(dialog, controlId)); }

bool SubclassedControl::AttachWindow(HWND wnd) {
    if (!wnd || hwnd_ || FromHandle(wnd)) return false;
    if (!SetPropW(wnd, kObjectProp, this)) return false;
    if (!SetWindowSubclass(wnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        RemovePropW(wnd, kObjectProp);
        return false;
    }
    hwnd_ = wnd;
    OnAttached();
    return true;
}

void SubclassedControl::Detach() {
    if (!hwnd_) return;
    OnDetaching();
    RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    RemovePropW(hwnd_, kObjectProp);
    hwnd_ = nullptr;
}

SubclassedControl* SubclassedControl::FromHandle(HWND wnd) {
    if (!wnd) return nullptr;
    return static_cast<SubclassedControl*>(GetPropW(wnd, kObjectProp));
}

LRESULT SubclassedControl::Default(UINT msg, WPARAM wp, LPARAM lp) { return DefSubclassProc(hwnd_, msg, wp, lp); }

LRESULT CALLBACK SubclassedControl::SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<SubclassedControl*>(ref);
    if (msg == WM_NCDESTROY) {
        self->Detach();
        return DefSubclassProc(wnd, msg, wp, lp);
    }
    return self->WndProc(msg, wp, lp);
}

bool HiddenWindow::Create(const wchar_t* className, WNDPROC proc, void* owner, bool topLevel) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    RegisterClassW(&wc);  // the second object of a kind finds it registered
    wnd_ = CreateWindowExW(topLevel ? WS_EX_TOOLWINDOW : 0, className, L"", topLevel ? WS_POPUP : 0, 0, 0, 0, 0,
                           topLevel ? nullptr : HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (wnd_) SetWindowLongPtrW(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return wnd_ != nullptr;
}

HiddenWindow::~HiddenWindow() {
    if (!wnd_) return;
    SetWindowLongPtrW(wnd_, GWLP_USERDATA, 0);
    DestroyWindow(wnd_);
}
