#include "ui/Uploads.h"

#include <commctrl.h>

#include <string>

#include "config/ProgramProfiles.h"
#include "i18n/Language.h"
#include "i18n/UserMessage.h"
#include "link/Busy.h"
#include "ui/KeepDialog.h"
#include "ui/Messages.h"

namespace {

const wchar_t kWindowClass[] = L"MirvostanUploads";
const wchar_t kBusyText[] = L"System Busy!!!";
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
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = WndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kWindowClass;
        return RegisterClassW(&wc);
    }();
    (void)atom;
    window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                              nullptr);
    if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

UploadOwner::~UploadOwner() {
    ShowWaitCursor(false);
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

bool UploadOwner::RefuseWhenBusy() {
    if (!asking_ && !TheBusyEvent().IsBusy()) return false;
    ShowUserMessage(main_, kBusyText);
    lastStart_ = Start::Busy;
    return true;
}

UploadOwner::Start UploadOwner::ApplyButtons() {
    if (RefuseWhenBusy()) return lastStart_;
    if (LeftClickSlot(store_.Table()) < 0) {
        ShowUserMessage(main_, GetUiText(STR_ID_NEED_LEFT_KEY));
        return lastStart_ = Start::Refused;
    }
    before_ = store_.DeviceImage();
    beforeKnown_ = store_.Records().ImageKnown();
    return Begin(Kind::Buttons, store_.StartButtonUpload(window_, WM_TRANSFER_DONE));
}

UploadOwner::Start UploadOwner::ApplyPerformance(uint32_t dpi) {
    if (RefuseWhenBusy()) return lastStart_;
    before_ = store_.DeviceImage();
    beforeKnown_ = store_.Records().ImageKnown();
    beforeDpi_ = static_cast<uint32_t>(store_.GetDpi());
    newDpi_ = dpi;
    return Begin(Kind::Performance, store_.StartPerformanceUpload(window_, WM_TRANSFER_DONE, dpi));
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
    ShowUserMessage(main_, GetUiText(STR_ID_OPERATION_FAIL));
    return lastStart_ = Start::Failed;
}

UploadOwner::Switch UploadOwner::SwitchProfile(const RecordArray& records, std::function<void(bool)> done) {
    if (asking_ || Running() || TheBusyEvent().IsBusy()) return Switch::Busy;
    if (LeftClickSlot(records) < 0) return Switch::NoLeftClick;
    // The user's choices are never replaced behind their back.
    if (store_.HasUnappliedEdits()) return Switch::UnappliedEdits;
    const bool held = !RecordsDiffer(records, store_.DeviceImage()) && store_.Records().ImageKnown() == kAllSlots;
    store_.SetTable(records);
    if (showStore_) showStore_();
    if (held) return Switch::Same;
    const UploadStart start = store_.StartButtonUpload(window_, WM_TRANSFER_DONE, true);
    if (start == UploadStart::Started) {
        running_ = Kind::Switch;
        switchDone_ = std::move(done);
        return Switch::Started;
    }
    // Not started: the pages show what the mouse holds again.
    store_.SetTable(store_.DeviceImage(), store_.Records().ImageKnown());
    if (showStore_) showStore_();
    return start == UploadStart::Busy ? Switch::Busy : Switch::Failed;
}

void UploadOwner::Done(WPARAM result) {
    const Kind kind = running_;
    running_ = Kind::None;
    if (kind == Kind::Switch) {
        std::function<void(bool)> done = std::move(switchDone_);
        switchDone_ = nullptr;
        if (result != kTransferSucceeded) {
            // The table goes back to what the mouse holds, so no edit seems pending.
            store_.SetTable(store_.DeviceImage(), store_.Records().ImageKnown());
        }
        if (showStore_) showStore_();
        if (done) done(result == kTransferSucceeded);
        return;
    }
    ShowWaitCursor(false);
    if (kind != Kind::None) AfterApply(kind, result);
}

void UploadOwner::AfterApply(Kind kind, WPARAM result) {
    if (result == kTransferBusy || result != kTransferSucceeded) {
        // The window stays, with the choices that did not reach the mouse.
        end_ = nullptr;
        ShowUserMessage(main_, result == kTransferBusy ? std::wstring(kBusyText) : GetUiText(STR_ID_OPERATION_FAIL));
        return;
    }
    // A risky apply asks whether to keep it instead of saying it went well.
    if (AskToKeepIfRisky(kind)) return;
    if (end_) {
        Finish(true);
        return;
    }
    ShowUserMessage(main_, GetUiText(STR_ID_OPERATION_OK));
}

bool UploadOwner::AskToKeepIfRisky(Kind kind) {
    KeepRequest request;
    if (kind == Kind::Buttons) {
        const RecordArray& after = store_.DeviceImage();
        if (!MovesLeftClickAway(before_, after)) return false;
        const int slot = LeftClickSlot(after);
        request.questionId = STR_ID_KEEP_BUTTONS;
        if (slot >= 0) request.info = FillText(GetUiText(STR_ID_LEFT_CLICK_NOW), GetUiText(kButtonNames[slot]));
        request.undo = [this](HWND notify, UINT message) {
            store_.SetTable(before_, beforeKnown_);
            return store_.StartButtonUpload(notify, message);
        };
    } else {
        if (!DpiChangeNeedsConfirm(beforeDpi_, newDpi_)) return false;
        request.questionId = STR_ID_KEEP_DPI;
        request.info = FillText(GetUiText(STR_ID_DPI_NOW), std::to_wstring(newDpi_));
        request.undo = [this](HWND notify, UINT message) {
            // The rate goes back into the table, as a rate choice would.
            store_.SetTable(before_, beforeKnown_ & SlotBit(kReportRateSlot));
            return store_.StartPerformanceUpload(notify, message, beforeDpi_);
        };
    }
    asking_ = true;
    const KeepResult result = AskToKeep(main_, std::move(request));
    asking_ = false;
    if (result != KeepResult::Kept && showStore_) showStore_();
    if (result == KeepResult::UndoFailed) {
        end_ = nullptr;
        ShowUserMessage(main_, GetUiText(STR_ID_OPERATION_FAIL));
        return true;
    }
    Finish(end_ != nullptr);
    return true;
}

void UploadOwner::Finish(bool end) {
    std::function<void()> close = std::move(end_);
    end_ = nullptr;
    if (end && close) close();
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
    auto* self = reinterpret_cast<UploadOwner*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (self && msg == WM_TRANSFER_DONE) {
        self->Done(wp);
        return 0;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}
