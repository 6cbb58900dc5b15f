#include "ui/ProfileFollower.h"

#include "files/Profile.h"
#include "i18n/Language.h"

namespace {

const wchar_t kWindowClass[] = L"MirvostanProfileFollower";
constexpr UINT_PTR kSettleTimer = 1;
constexpr UINT_PTR kFrontTimer = 3;
// How often the window in front is looked at; a waiting switch tries again
// then too (another program's hold on the mouse ends without telling us).
// 0.4 s: with the half second a program must stay in front, a switch comes
// within a second, and the looks cost little CPU at idle.
constexpr UINT kFrontPollMs = 400;

// The hook reports to the one follower of the thread that set it.
ProfileFollower* g_follower = nullptr;

}  // namespace

ProfileFollower::ProfileFollower(UploadOwner& uploads) : uploads_(uploads) {
    window_.Create(kWindowClass, WndProc, this);
    uploads_.AddListener(this);
}

ProfileFollower::~ProfileFollower() {
    uploads_.ForgetSwitch();
    uploads_.RemoveListener(this);
    if (hook_) UnhookWinEvent(hook_);
    if (g_follower == this) g_follower = nullptr;
}

int ProfileFollower::SetProfiles(const ProgramProfiles& profiles) {
    profiles_ = profiles;
    if (!profiles_.Follow()) {
        if (hook_) UnhookWinEvent(hook_);
        hook_ = nullptr;
        if (g_follower == this) g_follower = nullptr;
        if (window_.Get()) {
            KillTimer(window_.Get(), kSettleTimer);
            KillTimer(window_.Get(), kFrontTimer);
        }
        wanted_ = Wanted{};
        return 1;
    }
    if (!hook_) {
        settle_.Reset();
        g_follower = this;
        hook_ = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, HookProc, 0, 0,
                                WINEVENT_OUTOFCONTEXT);
        if (!hook_) return 0;
        if (window_.Get()) SetTimer(window_.Get(), kFrontTimer, kFrontPollMs, nullptr);
        // The program already in front counts as the first change.
        lastFront_ = GetForegroundWindow();
        if (lastFront_) OnWindowInFront(lastFront_);
    }
    return 1;
}

void ProfileFollower::Reconsider() {
    if (!Following()) return;
    settle_.Reset();
    lastFront_ = nullptr;
    PollForeground();
}

void ProfileFollower::PollForeground() {
    HWND front = GetForegroundWindow();
    if (front && front != lastFront_) OnWindowInFront(front);
    TrySwitch();
}

std::wstring ProfileFollower::ProgramOfWindow(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (!process) return std::wstring();
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (!h) return std::wstring();
    wchar_t path[MAX_PATH * 4];
    DWORD size = static_cast<DWORD>(sizeof(path) / sizeof(path[0]));
    std::wstring name;
    if (QueryFullProcessImageNameW(h, 0, path, &size)) name = FileNameOf(std::wstring(path, size));
    CloseHandle(h);
    return name;
}

void CALLBACK ProfileFollower::HookProc(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG, DWORD, DWORD) {
    if (event != EVENT_SYSTEM_FOREGROUND || object != OBJID_WINDOW || !window || !g_follower) return;
    ++g_follower->hookEvents_;
    g_follower->OnWindowInFront(window);
}

void ProfileFollower::OnWindowInFront(HWND window) {
    lastFront_ = window;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    const bool own = process == GetCurrentProcessId();
    OnForeground(GetTickCount(), own ? std::wstring() : ProgramOfWindow(window), own);
}

void ProfileFollower::OnForeground(uint32_t now, const std::wstring& program, bool ownWindow) {
    settle_.OnForeground(now, program, ownWindow);
    ArmSettleTimer(now);
}

void ProfileFollower::ArmSettleTimer(uint32_t now) {
    if (!window_.Get()) return;
    const int32_t wait = settle_.WaitMs(now);
    if (wait < 0) {
        KillTimer(window_.Get(), kSettleTimer);
        return;
    }
    SetTimer(window_.Get(), kSettleTimer, static_cast<UINT>(wait > 0 ? wait : 1), nullptr);
}

void ProfileFollower::OnSettleTimer() {
    const uint32_t now = GetTickCount();
    std::wstring program;
    if (settle_.Poll(now, program)) {
        // No rule, no default (or their files are gone): the mouse keeps
        // what it has.
        const std::wstring profile = profiles_.ProfileFor(program);
        if (!profile.empty()) Want(profile);
    }
    ArmSettleTimer(now);
}

// The profile is read here, once: a switch that waits keeps its records.
void ProfileFollower::Want(const std::wstring& profile) {
    Wanted wanted{profile, {}};
    if (ReadProfileFile(profile, wanted.records) != ProfileStatus::Accepted) {
        wanted_ = Wanted{};
        active_ = std::move(wanted);
        Report(true);
        return;
    }
    wanted_ = std::move(wanted);
    TrySwitch();
}

void ProfileFollower::TrySwitch() {
    if (wanted_.profile.empty() || !window_.Get()) return;
    const UploadOwner::Switch result =
        uploads_.SwitchProfile(wanted_.records, [this](TransferStatus status) { SwitchDone(status); });
    const std::wstring name = FileNameOf(wanted_.profile);
    switch (result) {
    case UploadOwner::Switch::Busy:
        // A running upload (the user's, or a switch before) is never cut
        // short: the owner says when it is idle.
        return;
    case UploadOwner::Switch::UnappliedEdits: {
        const std::wstring text = FillText(GetUiText(STR_ID_PROFILE_WAITS), name);
        if (text != lastStatus_) ReportText(text, false);
        return;
    }
    default:
        break;
    }
    active_ = std::move(wanted_);
    wanted_ = Wanted{};
    switch (result) {
    case UploadOwner::Switch::Started:
        ++uploadsStarted_;
        break;
    case UploadOwner::Switch::NoLeftClick:
        ReportText(FillText(GetUiText(STR_ID_PROFILE_NO_LEFT_CLICK), name), true);
        break;
    case UploadOwner::Switch::Same:
        Report(false);
        break;
    default:
        Report(true);
        break;
    }
}

void ProfileFollower::SwitchDone(TransferStatus status) {
    if (status == TransferStatus::Busy) {
        // Another program had the mouse: try again once it is free, unless
        // another profile is wanted by now.
        if (wanted_.profile.empty()) wanted_ = active_;
        return;
    }
    Report(status != TransferStatus::Ok);
}

// The user just put their own choices into the mouse while looking at
// Mirvostan: the program before it does not take them away.
void ProfileFollower::OnUserApplied() {
    DWORD process = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &process);
    if (wanted_.profile.empty() || process != GetCurrentProcessId()) return;
    wanted_ = Wanted{};
    ReportText(std::wstring(), false);
}

void ProfileFollower::Report(bool failed) {
    ReportText(failed ? GetUiText(STR_ID_PROFILE_SWITCH_FAILED)
                      : FillText(GetUiText(STR_ID_PROFILE_STATUS), FileNameOf(active_.profile)),
               failed);
}

void ProfileFollower::ReportText(const std::wstring& text, bool failed) {
    lastStatus_ = text;
    if (status_) status_(lastStatus_, failed);
}

LRESULT CALLBACK ProfileFollower::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = HiddenWindow::Owner<ProfileFollower>(wnd);
    if (!self) return DefWindowProcW(wnd, msg, wp, lp);
    switch (msg) {
    case WM_TIMER:
        if (wp == kSettleTimer) {
            KillTimer(wnd, kSettleTimer);
            self->OnSettleTimer();
        } else if (wp == kFrontTimer) {
            self->PollForeground();
        }
        return 0;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}
