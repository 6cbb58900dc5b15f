#include "ui/Resident.h"

#include <commctrl.h>
#include <dbt.h>

#include <vector>

#include "config/DeviceStore.h"
#include "controls/SkinPicture.h"
#include "files/LogFile.h"
#include "files/Profile.h"
#include "files/SignIn.h"
#include "i18n/Language.h"
#include "i18n/UserMessage.h"
#include "resources/resource.h"
#include "ui/MainWindow.h"
#include "ui/Messages.h"
#include "ui/StartupRead.h"

namespace {

constexpr wchar_t kMarker[] = L"" MV_MAIN_CLASS;
constexpr UINT_PTR kLookTimer = 1;
constexpr UINT_PTR kTrayTimer = 2;
// The HID device interface class: arrivals of any HID device wake the look.
constexpr GUID kHidInterface = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
constexpr int kMaxProfileItems = 64;

std::wstring ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) return path.substr(0, n);
        path.resize(path.size() * 2);
    }
}

// A menu shows '&' as an underline unless doubled.
std::wstring MenuText(std::wstring text) {
    for (size_t i = text.find(L'&'); i != std::wstring::npos; i = text.find(L'&', i + 2)) text.insert(i, 1, L'&');
    return text;
}

void AppendItem(HMENU menu, UINT id, const std::wstring& text, UINT type = MFT_STRING, UINT state = 0) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
    item.fType = type;
    item.fState = state;
    item.wID = id;
    std::wstring copy = text;
    item.dwTypeData = &copy[0];
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &item);
}

}  // namespace

Resident::Resident(DeviceStore& store, bool hidden, CTrayIcon::ShellNotify shell)
    : store_(store), hidden_(hidden), uploads_(store), follower_(uploads_), tray_(IDM_TRAY, shell) {
    uploads_.AddListener(this);
}

Resident::~Resident() {
    uploads_.RemoveListener(this);
    store_.Reader().SetGoneNotify(nullptr, 0);
    main_.reset();
    if (devices_) UnregisterDeviceNotification(devices_);
    tray_.SetTrayIconById(0);
}

bool Resident::Start(StartupRead* read) {
    read_ = read;
    // A hidden top-level window, not a message-only one: a second start and
    // an installer find it, and the system's broadcasts (session end, power,
    // devices, a new task bar) reach it.
    if (!residentWindow_.Create(kMarker, WndProc, this, true)) return false;
    window_ = residentWindow_.Get();

    store_.Reader().SetGoneNotify(window_, WM_MOUSE_GONE);

    tray_.SetNotifyTarget(window_, WM_TRAY_NOTIFY);
    tray_.SetMenuBuilder([this] { return BuildTrayMenu(); });
    // The window joins the start-up read while it is made; hidden, nothing
    // waits for it but the rules. Asking the shell for the icon takes a
    // while: shown, the window is painted first (timers come after paints).
    if (!hidden_) ShowConfig();
    JoinStartupRead();
    if (hidden_ || !SetTimer(window_, kTrayTimer, 0, nullptr)) ShowTrayIcon();
    // Only now: a switch must find the store read.
    profiles_.Load(AppSettingsPath());
    follower_.SetStatusSink([this](const std::wstring& text, bool failed) { OnFollowerStatus(text, failed); });
    follower_.SetProfiles(profiles_);
    return true;
}

int Resident::Run() {
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        // The main window is a modeless dialog: Tab and the arrows move the focus.
        if (main_ && main_->Hwnd() && IsDialogMessageW(main_->Hwnd(), &m)) continue;
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return static_cast<int>(m.wParam);
}

void Resident::JoinStartupRead() {
    if (readJoined_) return;
    readJoined_ = true;
    const bool read = read_ ? read_->Join() : store_.LoadFromDevice() != 0;
    if (!store_.MouseOpen()) {
        status_ = GetUiText(STR_ID_NO_MOUSE_CONNECTED);
        statusFailed_ = true;
        WatchForMouse(true);
    }
    // Started hidden, it tells only the tray tip.
    if (!hidden_) {
        if (!read) ShowUserMessage(nullptr, GetUiText(STR_ID_CANT_OPEN_USB));
        else if (store_.UnknownSlots() || !store_.DpiKnown()) ShowUserMessage(nullptr, GetUiText(STR_ID_PARTLY_READ));
    }
    UpdateTrayTip();
}

void Resident::ShowConfig() {
    if (!main_) {
        // Loaded only now: a resident in the tray needs no controls.
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&icc);
        main_.reset(new MainWindow(store_, uploads_, profiles_, follower_));
        main_->SetBeforePages([this] { JoinStartupRead(); });
        main_->SetClosed([this](int result) { PostMessageW(window_, WM_MAIN_CLOSED, static_cast<WPARAM>(result), 0); });
        if (!main_->Create(nullptr)) {
            main_.reset();
            return;
        }
        main_->ShowProfilesStatus(status_, statusFailed_);
    }
    HWND w = main_->Hwnd();
    ShowWindow(w, IsIconic(w) ? SW_RESTORE : SW_SHOWNORMAL);
    SetForegroundWindow(w);
}

// Hidden in the tray, nothing of the window stays: its pictures and pages
// are made again when it is next shown.
void Resident::FreeMainWindow() {
    if (!main_) return;
    DestroyWindow(main_->Hwnd());
    main_.reset();
    skin::ReleaseDecoder();
    // Wine keeps freed blocks of the heaps; what it can give back, it does.
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < count && i < 64; ++i) HeapCompact(heaps[i], 0);
}

void Resident::ShowTrayIcon() {
    if (tray_.IsShown()) return;
    tray_.SetTrayIconById(IDI_APP);
    UpdateTrayTip();
}

void Resident::Exit(int code) { PostQuitMessage(code); }

HMENU Resident::BuildTrayMenu() {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    AppendItem(menu, ID_TRAY_CONFIG, MenuText(GetUiText(STR_ID_TRAY_CONFIG)), MFT_STRING, MFS_DEFAULT);
    const std::vector<std::wstring> choices = profiles_.Choices();
    const int held = HeldProfile();
    if (!choices.empty()) AppendItem(menu, 0, L"", MFT_SEPARATOR);
    for (size_t i = 0; i < choices.size() && i < kMaxProfileItems; ++i)
        AppendItem(menu, kFirstProfileCommand + static_cast<UINT>(i), MenuText(ProfileName(choices[i])),
                   MFT_STRING | MFT_RADIOCHECK, static_cast<int>(i) == held ? MFS_CHECKED : 0);
    AppendItem(menu, 0, L"", MFT_SEPARATOR);
    AppendItem(menu, kFollowCommand, MenuText(GetUiText(STR_ID_TRAY_FOLLOW)), MFT_STRING,
               profiles_.Follow() ? MFS_CHECKED : 0);
    AppendItem(menu, kStartWithWindowsCommand, MenuText(GetUiText(STR_ID_START_WITH_WINDOWS)), MFT_STRING,
               signin::StartsProgram(ProgramPath()) ? MFS_CHECKED : 0);
    AppendItem(menu, 0, L"", MFT_SEPARATOR);
    AppendItem(menu, ID_TRAY_EXIT, MenuText(GetUiText(STR_ID_TRAY_EXIT)));
    return menu;
}

// A profile's records, read again only when its file changed.
const RecordArray* Resident::ProfileRecords(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    const bool exists = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a) != 0;
    ReadProfile* p = nullptr;
    for (ReadProfile& cached : profileCache_)
        if (CompareStringOrdinal(cached.path.c_str(), -1, path.c_str(), -1, TRUE) == CSTR_EQUAL) p = &cached;
    if (p && exists && CompareFileTime(&p->stamp, &a.ftLastWriteTime) == 0) return p->ok ? &p->records : nullptr;
    if (!p) {
        profileCache_.push_back(ReadProfile{path, {}, {}, false});
        p = &profileCache_.back();
    }
    p->stamp = a.ftLastWriteTime;
    p->ok = exists && ReadProfileFile(path, p->records) == ProfileStatus::Accepted;
    return p->ok ? &p->records : nullptr;
}

int Resident::HeldProfile() {
    if (mouseAbsent_) return -1;
    const std::vector<std::wstring> choices = profiles_.Choices();
    for (size_t i = 0; i < choices.size(); ++i) {
        const RecordArray* records = ProfileRecords(choices[i]);
        if (records && UploadPolicy(store_.Model()).Profile(*records).verdict == UploadPlan::Verdict::Same)
            return static_cast<int>(i);
    }
    return -1;
}

void Resident::ChooseProfile(size_t index) {
    const std::vector<std::wstring> choices = profiles_.Choices();
    if (index >= choices.size()) return;
    const RecordArray* records = ProfileRecords(choices[index]);
    if (!records) {
        ShowUserMessage(nullptr, FillText(GetUiText(STR_ID_FILE_MISSING), choices[index]));
        return;
    }
    uploads_.ApplyProfile(*records);
}

void Resident::UpdateTrayTip() {
    std::wstring tip = L"Mirvostan";
    if (mouseAbsent_) {
        tip += L" \u2014 " + GetUiText(STR_ID_NO_MOUSE_CONNECTED);
    } else {
        const int held = HeldProfile();
        if (held >= 0) tip += L" \u2014 " + ProfileName(profiles_.Choices()[static_cast<size_t>(held)]);
        if (const int32_t dpi = store_.DpiKnown() ? store_.GetDpi() : 0)
            tip += L" \u2014 " + FillText(GetUiText(STR_ID_DPI_NUMBER), std::to_wstring(dpi));
        // A switch that waits or failed says why.
        if (statusFailed_ || (!status_.empty() && held < 0)) tip += L"\n" + status_;
    }
    if (tray_.IsShown()) tray_.SetTrayIcon(tray_.Record().hIcon, tip.c_str());
}

void Resident::OnFollowerStatus(const std::wstring& text, bool failed) {
    status_ = text;
    statusFailed_ = failed;
    if (main_) main_->ShowProfilesStatus(text, failed);
    UpdateTrayTip();
}

void Resident::MouseGone() {
    if (mouseAbsent_) return;
    // Its handle is dead: the reader only wakes up to fail.
    store_.Reader().Stop();
    WatchForMouse(true);
    OnFollowerStatus(GetUiText(STR_ID_NO_MOUSE_CONNECTED), true);
}

// While no mouse is open: a look every 2 s, and at once when a HID device
// arrives. The arrivals are asked for only meanwhile (under Wine the
// notification costs a thread of its own).
void Resident::WatchForMouse(bool on) {
    mouseAbsent_ = on;
    if (!on) {
        KillTimer(window_, kLookTimer);
        if (devices_) UnregisterDeviceNotification(devices_);
        devices_ = nullptr;
        return;
    }
    SetTimer(window_, kLookTimer, kLookForMouseMs, nullptr);
    if (devices_) return;
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kHidInterface;
    devices_ = RegisterDeviceNotificationW(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void Resident::MouseBack() {
    if (!mouseAbsent_) return;
    WatchForMouse(false);
    OnFollowerStatus(std::wstring(), false);
    // The program in front gets its profile, if the mouse lacks it.
    follower_.Reconsider();
}

// While no mouse is open: a quick open, and only when that works the read
// as at start (asked again when partial), which fills what was unknown.
void Resident::LookForMouse() {
    if (!mouseAbsent_ || uploads_.IsBusy()) return;
    if (store_.ProbeMouse()) uploads_.Refresh(3, nullptr);
}

void Resident::TryRefresh() {
    if (!refreshWanted_) return;
    const bool started = uploads_.Refresh(3, [](const TransferResult& result, bool changed) {
        if (!result.Ok() || !changed) return;
        // Another computer may have changed it meanwhile.
        LogFile& log = TheLogFile();
        if (!log.IsOpen()) return;
        log.Write(L"after waking up: the mouse held other settings than before; they are shown now\r\n");
        log.Flush();
    });
    if (started) refreshWanted_ = false;
}

void Resident::OnUploadsIdle() { TryRefresh(); }

void Resident::OnTransferEnded(const TransferResult& result) {
    if (result.status == TransferStatus::NoMouse) MouseGone();
    else if (result.Ok()) MouseBack();
    UpdateTrayTip();
}

void Resident::OnQueryEndSession() {
    if (!uploads_.Unsettled() || blockingShutdown_) return;
    // The system shows why we need a moment; it then ends the session.
    blockingShutdown_ = ShutdownBlockReasonCreate(window_, GetUiText(STR_ID_SAVING_MOUSE_SETTINGS).c_str()) != FALSE;
}

void Resident::OnEndSession(bool ending) {
    if (ending) uploads_.EndSession(kSessionEndWaitMs);
    if (blockingShutdown_) ShutdownBlockReasonDestroy(window_);
    blockingShutdown_ = false;
}

void Resident::OnCommand(int id) {
    switch (id) {
    case ID_TRAY_CONFIG:
        ShowConfig();
        return;
    case ID_TRAY_EXIT:
        Exit(0);
        return;
    case kFollowCommand:
        profiles_.SetFollow(!profiles_.Follow());
        if (!profiles_.Save(AppSettingsPath())) ShowUserMessage(nullptr, GetUiText(STR_ID_SAVE_CONFIG_FAIL));
        follower_.SetProfiles(profiles_);
        if (main_) main_->RefreshProfiles();
        return;
    case kStartWithWindowsCommand: {
        const std::wstring exe = ProgramPath();
        signin::Set(!signin::StartsProgram(exe), exe);
        return;
    }
    default:
        if (id >= kFirstProfileCommand && id < kFirstProfileCommand + kMaxProfileItems)
            ChooseProfile(static_cast<size_t>(id - kFirstProfileCommand));
        return;
    }
}

LRESULT Resident::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wp));
        return 0;
    case WM_TRAY_NOTIFY:
        return tray_.HandleTrayNotification(wp, lp);
    case WM_MAIN_CLOSED:
        FreeMainWindow();
        // Started plainly, closing the window ends the program; a resident
        // started at sign-in goes back to the tray.
        if (wp && !hidden_) Exit(static_cast<int>(wp));
        return 0;
    case WM_MOUSE_GONE:
        MouseGone();
        return 0;
    case WM_TIMER:
        if (wp == kLookTimer) LookForMouse();
        if (wp == kTrayTimer) {
            KillTimer(window_, kTrayTimer);
            ShowTrayIcon();
        }
        return 0;
    case WM_DEVICECHANGE:
        if (wp == DBT_DEVICEARRIVAL) LookForMouse();
        return TRUE;
    case WM_POWERBROADCAST:
        if (wp == PBT_APMRESUMEAUTOMATIC) {
            refreshWanted_ = true;
            TryRefresh();
        }
        return TRUE;
    case WM_QUERYENDSESSION:
        OnQueryEndSession();
        return TRUE;
    case WM_ENDSESSION:
        OnEndSession(wp != 0);
        return 0;
    default:
        if (msg == TaskbarCreatedMessage() && msg != 0) {
            tray_.OnTaskbarCreated();
            return 0;
        }
        return DefWindowProcW(window_, msg, wp, lp);
    }
}

LRESULT CALLBACK Resident::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = HiddenWindow::Owner<Resident>(wnd);
    return self ? self->Handle(msg, wp, lp) : DefWindowProcW(wnd, msg, wp, lp);
}
