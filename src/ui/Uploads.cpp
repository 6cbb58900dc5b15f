#include "ui/Uploads.h"

#include <commctrl.h>

#include <string>

#include "config/UploadPolicy.h"
#include "i18n/Language.h"
#include "i18n/UserMessage.h"
#include "link/DeviceLock.h"
#include "ui/KeepDialog.h"
#include "ui/Messages.h"

namespace {

const wchar_t kWindowClass[] = L"MirvostanUploads";
const wchar_t kBusyText[] = L"System Busy!!!";
// How long an unanswered keep question waits for its undo to end.
constexpr DWORD kUndoWaitMs = 4000;
// Names of the five buttons by slot (left, middle, right, 4, 5).
const int kButtonNames[5] = {STR_ID_L_BUTTON, STR_ID_M_BUTTON, STR_ID_R_BUTTON, STR_ID_BUTTON_4, STR_ID_BUTTON_5};

// The wait cursor over the whole window tree while an upload runs: controls
// pass WM_SETCURSOR up to their parents, so the top window answers for all.
constexpr UINT_PTR kWaitCursorSubclass = 0x4D58;
LRESULT CALLBACK WaitCursorProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == WM_SETCURSOR) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(wnd, WaitCursorProc, kWaitCursorSubclass);
    return DefSubclassProc(wnd, msg, wp, lp);
}

// Moves the pointer onto itself, so the window under it chooses the cursor again.
void RefreshCursor() {
    POINT p;
    if (GetCursorPos(&p)) SetCursorPos(p.x, p.y);
}

}  // namespace

UploadOwner::UploadOwner(DeviceStore& store) : store_(store) {
    window_.Create(kWindowClass, WndProc, this);
}

UploadOwner::~UploadOwner() { ShowWaitCursor(false); }

void UploadOwner::AddListener(UploadListener* listener) { listeners_.push_back(listener); }

void UploadOwner::RemoveListener(UploadListener* listener) {
    for (auto i = listeners_.begin(); i != listeners_.end();)
        i = *i == listener ? listeners_.erase(i) : i + 1;
}

bool UploadOwner::IsBusy() const {
    return running_ != Kind::None || asking_ || store_.TransferRunning() || DeviceLock::HeldElsewhere();
}

bool UploadOwner::RefuseWhenBusy() {
    if (!IsBusy()) return false;
    ShowUserMessage(main_, kBusyText);
    lastStart_ = Start::Busy;
    return true;
}

UploadOwner::Start UploadOwner::ApplyButtons() {
    if (RefuseWhenBusy()) return lastStart_;
    return Apply(Kind::Buttons, UploadPolicy(store_.Model()).Buttons());
}

UploadOwner::Start UploadOwner::ApplyPerformance() {
    if (RefuseWhenBusy()) return lastStart_;
    return Apply(Kind::Performance, UploadPolicy(store_.Model()).Performance());
}

UploadOwner::Start UploadOwner::Apply(Kind kind, const UploadPlan& plan) {
    switch (plan.verdict) {
    case UploadPlan::Verdict::NoLeftClick:
        ShowUserMessage(main_, GetUiText(STR_ID_NEED_LEFT_KEY));
        return lastStart_ = Start::Refused;
    case UploadPlan::Verdict::ButtonsUnread:
        ShowUserMessage(main_, GetUiText(STR_ID_BUTTONS_UNREAD));
        return lastStart_ = Start::Refused;
    case UploadPlan::Verdict::ReadFirst:
        // Which button holds the left click depends on what the mouse has:
        // one more configuration request.
        return Begin(Kind::ReadFirst, store_.StartRead(window_.Get(), WM_TRANSFER_DONE, 1));
    case UploadPlan::Verdict::Go:
    case UploadPlan::Verdict::Same:
        break;
    }
    plan_ = plan;
    before_ = store_.Model().Confirmed();
    return Begin(kind, store_.StartUpload(plan, window_.Get(), WM_TRANSFER_DONE));
}

UploadOwner::Start UploadOwner::Begin(Kind kind, UploadStart start) {
    switch (start) {
    case UploadStart::Started:
        running_ = kind;
        ShowWaitCursor(true);
        return lastStart_ = Start::Started;
    case UploadStart::Busy:
        ShowUserMessage(main_, kBusyText);
        return lastStart_ = Start::Busy;
    case UploadStart::Failed:
        break;
    }
    // The reader would not stop, or no thread: nothing was sent.
    ShowWaitCursor(false);
    ShowUserMessage(main_, GetUiText(STR_ID_OPERATION_FAIL));
    return lastStart_ = Start::Failed;
}

UploadOwner::Switch UploadOwner::SwitchProfile(const RecordArray& records, std::function<void(TransferStatus)> done) {
    if (IsBusy()) return Switch::Busy;
    const UploadPlan plan = UploadPolicy(store_.Model()).Profile(records);
    if (plan.verdict == UploadPlan::Verdict::NoLeftClick) return Switch::NoLeftClick;
    // The user's choices are never replaced behind their back.
    if (store_.HasUnappliedEdits()) return Switch::UnappliedEdits;
    if (plan.verdict == UploadPlan::Verdict::Same) return Switch::Same;
    // The pages show the profile once the mouse has it; a failed switch
    // leaves everything as it was.
    switch (store_.StartUpload(plan, window_.Get(), WM_TRANSFER_DONE)) {
    case UploadStart::Started:
        running_ = Kind::Switch;
        switchDone_ = std::move(done);
        return Switch::Started;
    case UploadStart::Busy:
        return Switch::Busy;
    case UploadStart::Failed:
        break;
    }
    return Switch::Failed;
}

// The explicit end of every transfer of ours: the store takes what the mouse
// now holds, then the user hears of it.
void UploadOwner::Done() {
    const Kind kind = running_;
    // Finished already (the session ended), or not ours.
    if (kind == Kind::None) return;
    const TransferResult result = store_.FinishTransfer();
    running_ = Kind::None;
    for (UploadListener* l : std::vector<UploadListener*>(listeners_)) l->OnTransferEnded(result);
    switch (kind) {
    case Kind::None:
        break;
    case Kind::Profile:
        ShowWaitCursor(false);
        if (!result.Ok()) ShowFailure(result);
        else if (showStore_) showStore_();
        break;
    case Kind::Refresh: {
        const bool changed = MouseChanged(beforeRefresh_, store_.Model().Confirmed());
        if (showStore_) showStore_();
        std::function<void(const TransferResult&, bool)> done = std::move(refreshDone_);
        refreshDone_ = nullptr;
        if (done) done(result, changed);
        break;
    }
    case Kind::Switch: {
        std::function<void(TransferStatus)> done = std::move(switchDone_);
        switchDone_ = nullptr;
        if (result.Ok() && showStore_) showStore_();
        if (done) done(result.status);
        break;
    }
    case Kind::ReadFirst:
        AfterRead(result);
        break;
    case Kind::Buttons:
    case Kind::Performance:
        ShowWaitCursor(false);
        AfterApply(kind, result);
        break;
    }
    TellIdle();
}

void UploadOwner::AfterRead(const TransferResult& read) {
    if (showStore_) showStore_();
    if (read.status == TransferStatus::NoMouse || read.status == TransferStatus::Busy) {
        ShowWaitCursor(false);
        end_ = nullptr;
        ShowFailure(read);
        return;
    }
    // Buttons the mouse still did not report stay unknown for good now.
    const UploadPlan plan = UploadPolicy(store_.Model()).Buttons(true);
    if (plan.verdict == UploadPlan::Verdict::Go) {
        plan_ = plan;
        before_ = store_.Model().Confirmed();
        const UploadStart start = store_.StartUpload(plan, window_.Get(), WM_TRANSFER_DONE);
        if (start == UploadStart::Started) {
            running_ = Kind::Buttons;
            return;
        }
    }
    ShowWaitCursor(false);
    end_ = nullptr;
    if (plan.verdict == UploadPlan::Verdict::Go) ShowUserMessage(main_, GetUiText(STR_ID_OPERATION_FAIL));
    else Apply(Kind::Buttons, plan);  // says why it is refused
}

void UploadOwner::ShowFailure(const TransferResult& result) {
    if (result.status == TransferStatus::Busy) {
        ShowUserMessage(main_, kBusyText);
        return;
    }
    if (result.status == TransferStatus::NoMouse) ShowUserMessage(main_, GetUiText(STR_ID_CANT_OPEN_USB));
    ShowUserMessage(main_, GetUiText(STR_ID_OPERATION_FAIL));
}

void UploadOwner::AfterApply(Kind kind, const TransferResult& result) {
    if (!result.Ok()) {
        // The window stays, with the choices that did not reach the mouse.
        end_ = nullptr;
        ShowFailure(result);
        return;
    }
    // A risky apply asks whether to keep it instead of saying it went well.
    if (plan_.risk != UploadPlan::Risk::None) {
        AskToKeep(kind);
        return;
    }
    TellApplied();
    if (end_) {
        Finish(true);
        return;
    }
    ShowUserMessage(main_, GetUiText(STR_ID_OPERATION_OK));
}

void UploadOwner::AskToKeep(Kind kind) {
    KeepRequest request;
    const bool speed = plan_.risk == UploadPlan::Risk::DpiJump;
    if (speed) {
        request.questionId = STR_ID_KEEP_DPI;
        request.info = FillText(GetUiText(STR_ID_DPI_NOW), std::to_wstring(plan_.dpi));
    } else {
        const int slot = LeftClickSlot(store_.DeviceImage());
        request.questionId = STR_ID_KEEP_BUTTONS;
        if (slot >= 0) request.info = FillText(GetUiText(STR_ID_LEFT_CLICK_NOW), GetUiText(kButtonNames[slot]));
    }
    const UploadPlan undo = UploadPolicy::Undo(before_, kind == Kind::Performance);
    request.undo = [this, undo](HWND notify, UINT message) {
        // The session's end undid it already.
        if (sessionEnded_) return UploadStart::Failed;
        return store_.StartUpload(undo, notify, message);
    };
    request.shown = [this](HWND dialog) { keepDialog_ = dialog; };
    askedUndo_ = undo;
    asking_ = true;
    KeepResult result = ::AskToKeep(main_, std::move(request));
    keepDialog_ = nullptr;
    if (sessionEnded_) {
        // EndSession answered for the user.
        asking_ = false;
        return;
    }
    TransferResult undone;
    if (result == KeepResult::Kept) {
        undone.status = TransferStatus::Ok;
    } else if (store_.TransferPending()) {
        // Its done message may have gone to a dialog that is gone now.
        store_.WaitTransfer(kUndoWaitMs);
        undone = store_.FinishTransfer();
    } else {
        // Not answered (the program ends, the dialog failed), and no undo
        // began: it runs now.
        undone = store_.UploadNow(undo);
    }
    asking_ = false;
    if (result == KeepResult::Kept) TellApplied();
    else if (showStore_) showStore_();
    if (!undone.Ok()) {
        end_ = nullptr;
        ShowUserMessage(main_, GetUiText(STR_ID_OPERATION_FAIL));
        return;
    }
    Finish(end_ != nullptr);
}

void UploadOwner::Finish(bool end) {
    std::function<void()> close = std::move(end_);
    end_ = nullptr;
    if (end && close) close();
}

void UploadOwner::TellIdle() {
    if (running_ != Kind::None || asking_) return;
    for (UploadListener* l : std::vector<UploadListener*>(listeners_)) l->OnUploadsIdle();
}

void UploadOwner::TellApplied() {
    for (UploadListener* l : std::vector<UploadListener*>(listeners_)) l->OnUserApplied();
}

UploadOwner::Start UploadOwner::ApplyProfile(const RecordArray& records) {
    if (RefuseWhenBusy()) return lastStart_;
    const UploadPlan plan = UploadPolicy(store_.Model()).Profile(records);
    if (plan.verdict == UploadPlan::Verdict::NoLeftClick) {
        ShowUserMessage(main_, GetUiText(STR_ID_NEED_LEFT_KEY));
        return lastStart_ = Start::Refused;
    }
    // The mouse holds it already: nothing to send.
    if (plan.verdict == UploadPlan::Verdict::Same) return lastStart_ = Start::Started;
    plan_ = plan;
    before_ = store_.Model().Confirmed();
    return Begin(Kind::Profile, store_.StartUpload(plan, window_.Get(), WM_TRANSFER_DONE));
}

bool UploadOwner::Refresh(int requests, std::function<void(const TransferResult&, bool)> done) {
    if (IsBusy()) return false;
    beforeRefresh_ = store_.Model().Confirmed();
    if (store_.StartRead(window_.Get(), WM_TRANSFER_DONE, requests) != UploadStart::Started) return false;
    running_ = Kind::Refresh;
    refreshDone_ = std::move(done);
    return true;
}

TransferResult UploadOwner::FinishQuietly(DWORD ms) {
    store_.WaitTransfer(ms);
    const TransferResult result = store_.FinishTransfer();
    running_ = Kind::None;
    switchDone_ = nullptr;
    refreshDone_ = nullptr;
    ShowWaitCursor(false);
    return result;
}

bool UploadOwner::EndSession(DWORD ms) {
    sessionEnded_ = true;
    end_ = nullptr;
    bool waited = false;
    if (running_ != Kind::None) {
        waited = true;
        const Kind kind = running_;
        const TransferResult result = FinishQuietly(ms);
        // Applied, but the user never got the question whether to keep it.
        if ((kind == Kind::Buttons || kind == Kind::Performance) && result.Ok() && plan_.risk != UploadPlan::Risk::None)
            store_.UploadNow(UploadPolicy::Undo(before_, kind == Kind::Performance));
    }
    if (asking_) {
        waited = true;
        if (store_.TransferPending()) FinishQuietly(ms);  // the undo the question began
        else store_.UploadNow(askedUndo_);
        if (keepDialog_) EndDialog(keepDialog_, IDCANCEL);
    }
    return waited;
}

void UploadOwner::ShowWaitCursor(bool on) {
    if (on == (cursorRoot_ != nullptr)) return;
    if (on) {
        HWND root = main_ ? GetAncestor(main_, GA_ROOT) : nullptr;
        if (root && SetWindowSubclass(root, WaitCursorProc, kWaitCursorSubclass, 0)) {
            cursorRoot_ = root;
            RefreshCursor();
        }
        return;
    }
    if (IsWindow(cursorRoot_)) RemoveWindowSubclass(cursorRoot_, WaitCursorProc, kWaitCursorSubclass);
    cursorRoot_ = nullptr;
    RefreshCursor();
}

LRESULT CALLBACK UploadOwner::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = HiddenWindow::Owner<UploadOwner>(wnd);
    if (self && msg == WM_TRANSFER_DONE) {
        self->Done();
        return 0;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}
