#include "ui/KeepDialog.h"

#include "controls/Look.h"
#include "controls/SkinPicture.h"
#include "i18n/Language.h"
#include "resources/resource.h"
#include "ui/Messages.h"

namespace {

constexpr UINT_PTR kCountdownTimer = 1;
UINT g_tickMs = 1000;

// The skin's colours for the dialog and its buttons (as in the artwork).
constexpr COLORREF kPanel = RGB(17, 20, 25);
constexpr COLORREF kText = RGB(228, 234, 242);
constexpr COLORREF kTextDim = RGB(138, 148, 162);
constexpr COLORREF kFace = RGB(25, 29, 36);
constexpr COLORREF kFaceOver = RGB(0, 72, 102);
constexpr COLORREF kGlyphKey = RGB(0, 255, 0);

}  // namespace

void KeepDialog::SetTickMs(UINT ms) { g_tickMs = ms ? ms : 1000; }

KeepDialog::KeepDialog(KeepRequest request) : Dialog(IDD_KEEP), request_(std::move(request)) {}

BOOL KeepDialog::OnInitDialog() {
    background_.Reset(CreateSolidBrush(kPanel));
    // Set here, not named in the template, so the picture's control has no
    // text of its own.
    emblem_.Reset(look::Plain() ? nullptr : skin::LoadPicture(IDB_KEEP_EMBLEM, skin::DpiOf(Hwnd())));
    SendDlgItemMessageW(Hwnd(), IDC_KEEP_EMBLEM, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(emblem_.Get()));
    SetDlgItemTextW(Hwnd(), IDC_KEEP_QUESTION, GetUiText(request_.questionId).c_str());
    SetDlgItemTextW(Hwnd(), IDC_KEEP_INFO, request_.info.c_str());
    struct {
        SkinButton& button;
        int id, textId, over, resting;
    } buttons[] = {{keep_, IDOK, STR_ID_KEEP, IDB_KEEP_OVER, IDB_KEEP},
                   {undo_, IDCANCEL, STR_ID_UNDO, IDB_UNDO_OVER, IDB_UNDO}};
    for (auto& b : buttons) {
        SetDlgItemTextW(Hwnd(), b.id, GetUiText(b.textId).c_str());
        if (!b.button.Attach(Hwnd(), b.id)) continue;
        b.button.SetBitmaps(b.over, kGlyphKey, b.resting, kGlyphKey);
        b.button.SetColour(SkinButton::kBackRest, kFace, false);
        b.button.SetColour(SkinButton::kBackFocus, kFace, false);
        b.button.SetColour(SkinButton::kBackOver, kFaceOver, false);
        b.button.SetColour(SkinButton::kTextRest, kText, false);
        b.button.SetColour(SkinButton::kTextFocus, RGB(255, 255, 255), false);
        b.button.SetColour(SkinButton::kTextOver, RGB(255, 255, 255), true);
    }
    left_ = request_.seconds > 0 ? request_.seconds : 1;
    ShowCountdown();
    SetTimer(Hwnd(), kCountdownTimer, g_tickMs, nullptr);
    // Enter keeps: the focus starts on Keep.
    SetFocus(Item(IDOK));
    if (request_.shown) request_.shown(Hwnd());
    return FALSE;
}

void KeepDialog::ShowCountdown() {
    SetDlgItemTextW(Hwnd(), IDC_KEEP_COUNTDOWN,
                    FillText(GetUiText(STR_ID_UNDO_COUNTDOWN), std::to_wstring(left_)).c_str());
}

bool KeepDialog::OnTimer(UINT_PTR id) {
    if (id != kCountdownTimer || undoing_) return false;
    if (--left_ > 0) {
        ShowCountdown();
        return true;
    }
    StartUndo();
    return true;
}

bool KeepDialog::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED || undoing_) return id == IDOK || id == IDCANCEL;
    if (id == IDOK) {
        KillTimer(Hwnd(), kCountdownTimer);
        result_ = KeepResult::Kept;
        EndDialog(IDOK);
        return true;
    }
    if (id == IDCANCEL) {
        StartUndo();
        return true;
    }
    return false;
}

void KeepDialog::OnClose() {
    if (!undoing_) StartUndo();
}

void KeepDialog::StartUndo() {
    KillTimer(Hwnd(), kCountdownTimer);
    undoing_ = true;
    EnableWindow(Item(IDOK), FALSE);
    EnableWindow(Item(IDCANCEL), FALSE);
    const UploadStart start = request_.undo ? request_.undo(Hwnd(), WM_KEEP_UNDO_DONE) : UploadStart::Failed;
    if (start != UploadStart::Started) {
        result_ = KeepResult::UndoFailed;
        EndDialog(IDCANCEL);
    }
    // Otherwise the dialog stays until the undo upload has ended.
}

HBRUSH KeepDialog::OnCtlColor(HDC dc, HWND control, UINT message) {
    if (look::Plain()) return look::PlainCtlColor(dc, message);
    if (message != WM_CTLCOLORDLG && message != WM_CTLCOLORSTATIC) return nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetDlgCtrlID(control) == IDC_KEEP_COUNTDOWN ? kTextDim : kText);
    return background_.Get();
}

bool KeepDialog::HandleMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg == WM_KEEP_UNDO_DONE) {
        result_ = static_cast<TransferStatus>(wp) == TransferStatus::Ok ? KeepResult::Undone : KeepResult::UndoFailed;
        EndDialog(IDCANCEL);
        result = 0;
        return true;
    }
    return false;
}

KeepResult AskToKeep(HWND owner, KeepRequest request) {
    KeepDialog dialog(std::move(request));
    if (dialog.DoModal(owner) < 0) return KeepResult::Unanswered;
    return dialog.Result();
}
