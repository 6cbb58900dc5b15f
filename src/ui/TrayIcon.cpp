#include "ui/TrayIcon.h"

#include <cwchar>

namespace {
constexpr wchar_t kTip[] = L"Mirvostan";
// The record layout with balloon fields and without the GUID: what every
// shell since Windows 2000 accepts.
constexpr DWORD kRecordSize = NOTIFYICONDATAW_V2_SIZE;
constexpr size_t kTipChars = 128;
static_assert(sizeof(void*) != 4 || kRecordSize == 936, "the 32-bit record is 936 bytes");

std::wstring LoadResourceString(UINT id) {
    const wchar_t* text = nullptr;
    const int n = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    return n > 0 && text ? std::wstring(text, static_cast<size_t>(n)) : std::wstring();
}
}  // namespace

UINT TaskbarCreatedMessage() {
    static const UINT msg = RegisterWindowMessageW(L"TaskbarCreated");
    return msg;
}

CTrayIcon::CTrayIcon(UINT menuId, ShellNotify shell) : shell_(shell ? shell : Shell_NotifyIconW) {
    ZeroMemory(&data_, sizeof data_);
    data_.cbSize = kRecordSize;
    data_.uID = menuId;
    SetTip(LoadResourceString(menuId).c_str());
}

CTrayIcon::~CTrayIcon() {
    SetTrayIconById(0);
    // Once more for the same identifier, in case the shell kept one we forgot.
    NOTIFYICONDATAW remove = data_;
    remove.uFlags = 0;
    shell_(NIM_DELETE, &remove);
}

void CTrayIcon::SetTip(const wchar_t* tip) {
    wcsncpy(data_.szTip, tip, kTipChars - 1);
    data_.szTip[kTipChars - 1] = L'\0';
}

void CTrayIcon::SetNotifyTarget(HWND owner, UINT callbackMessage) {
    data_.hWnd = owner;
    data_.uCallbackMessage = callbackMessage;
}

int CTrayIcon::SetTrayIconById(UINT id) {
    HICON icon = nullptr;
    if (id) {
        SetTip(LoadResourceString(id).c_str());
        icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    }
    SetTip(kTip);
    return SetTrayIcon(icon, nullptr);
}

int CTrayIcon::SetTrayIcon(HICON icon, const wchar_t* tip) {
    data_.uFlags = 0;
    DWORD request = NIM_DELETE;
    if (icon) {
        request = data_.hIcon ? NIM_MODIFY : NIM_ADD;
        data_.hIcon = icon;
        data_.uFlags |= NIF_ICON;
    } else if (!data_.hIcon) {
        return 1;  // nothing shown, nothing to remove
    }
    if (tip) SetTip(tip);
    if (data_.szTip[0]) data_.uFlags |= NIF_TIP;
    if (data_.uCallbackMessage && data_.hWnd) data_.uFlags |= NIF_MESSAGE;
    const BOOL ok = shell_(request, &data_);
    // Forgetting the icon makes the next request an "add" again.
    if (request == NIM_DELETE || !ok) data_.hIcon = nullptr;
    return ok ? 1 : 0;
}

int CTrayIcon::OnTaskbarCreated() {
    if (!data_.hIcon) return 0;
    HICON icon = data_.hIcon;
    data_.hIcon = nullptr;  // the new task bar knows no icon of ours
    return SetTrayIcon(icon, nullptr);
}

int CTrayIcon::HandleTrayNotification(WPARAM wp, LPARAM lp) {
    const UINT mouse = static_cast<UINT>(lp);
    if (wp != data_.uID || (mouse != WM_RBUTTONUP && mouse != WM_LBUTTONDBLCLK)) return 0;
    // Destroying the loaded menu (or the built popup) frees its items too.
    HMENU menu = builder_ ? builder_() : LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(data_.uID));
    if (!menu) return 0;
    HMENU popup = builder_ ? menu : GetSubMenu(menu, 0);
    if (!popup) {
        DestroyMenu(menu);
        return 0;
    }
    if (mouse == WM_RBUTTONUP) {
        SetMenuDefaultItem(popup, 0, TRUE);
        POINT at{};
        GetCursorPos(&at);
        SetForegroundWindow(data_.hWnd);
        TrackPopupMenu(popup, TPM_LEFTBUTTON, at.x, at.y, 0, data_.hWnd, nullptr);
        // Without it the menu may not close when the user clicks elsewhere.
        PostMessageW(data_.hWnd, WM_NULL, 0, 0);
    } else {
        SendMessageW(data_.hWnd, WM_COMMAND, GetMenuItemID(popup, 0), 0);
    }
    DestroyMenu(menu);
    return 1;
}
