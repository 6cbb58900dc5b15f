#include "ui/SafeApply.h"

#include "config/DeviceStore.h"
#include "config/ProgramProfiles.h"
#include "i18n/Language.h"
#include "i18n/UserMessage.h"
#include "ui/KeepDialog.h"

namespace {

// Names of the five buttons by slot (left, middle, right, 4, 5).
const int kButtonNames[5] = {STR_ID_L_BUTTON, STR_ID_M_BUTTON, STR_ID_R_BUTTON, STR_ID_BUTTON_4, STR_ID_BUTTON_5};

}  // namespace

void SafeApply::Remember(const DeviceStore& store) {
    heldRate_ = store.DeviceImage()[kReportRateSlot];
    haveRate_ = true;
}

void SafeApply::BeforeButtonUpload(const DeviceStore& store) {
    pending_ = Pending::Buttons;
    before_ = store.DeviceImage();
}

void SafeApply::BeforePerformanceUpload(const DeviceStore& store, uint32_t dpi) {
    pending_ = Pending::Performance;
    before_ = store.DeviceImage();
    if (haveRate_) before_[kReportRateSlot] = heldRate_;
    beforeDpi_ = static_cast<uint32_t>(store.GetDpi());
    newDpi_ = dpi;
}

int SafeApply::AfterUpload(HWND owner, DeviceStore& store, bool ok, const std::function<void()>& reshow) {
    const Pending pending = pending_;
    pending_ = Pending::None;
    if (!ok || pending == Pending::None) return 0;
    KeepRequest request;
    if (pending == Pending::Buttons) {
        const RecordArray& after = store.DeviceImage();
        if (!MovesLeftClickAway(before_, after)) {
            Remember(store);
            return 0;
        }
        const int slot = LeftClickSlot(after);
        request.questionId = STR_ID_KEEP_BUTTONS;
        if (slot >= 0) request.info = FillText(GetUiText(STR_ID_LEFT_CLICK_NOW), GetUiText(kButtonNames[slot]));
        const RecordArray before = before_;
        request.undo = [&store, before](HWND notify, UINT message) {
            store.Records().Table() = before;
            return store.StartButtonUpload(notify, message);
        };
    } else {
        if (!DpiChangeNeedsConfirm(beforeDpi_, newDpi_)) {
            Remember(store);
            return 0;
        }
        request.questionId = STR_ID_KEEP_DPI;
        request.info = FillText(GetUiText(STR_ID_DPI_NOW), std::to_wstring(newDpi_));
        const FunctionRecord rate = before_[kReportRateSlot];
        const uint32_t dpi = beforeDpi_;
        request.undo = [&store, rate, dpi](HWND notify, UINT message) {
            // The rate goes back into both tables, as a rate choice would.
            store.Records().Table()[kReportRateSlot] = rate;
            store.Records().DeviceImage()[kReportRateSlot] = rate;
            return store.StartPerformanceUpload(notify, message, dpi);
        };
    }
    const KeepResult result = AskToKeep(owner, std::move(request));
    if (result != KeepResult::Kept && reshow) reshow();
    if (result == KeepResult::UndoFailed) ShowUserMessage(owner, GetUiText(STR_ID_OPERATION_FAIL));
    Remember(store);
    return 1;
}
