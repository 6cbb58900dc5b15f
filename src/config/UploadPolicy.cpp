#include "config/UploadPolicy.h"

#include <cstdlib>
#include <cstring>

namespace {

bool IsLeftClick(const FunctionRecord& r) { return r.bytes[kByteType] == Mouse && r.bytes[kByteCode] == kMouseLeft; }

// Bytes 0..2 only address the record; the mouse reports them as it likes.
bool SameFunction(const FunctionRecord& a, const FunctionRecord& b) {
    return std::memcmp(a.bytes + kByteType, b.bytes + kByteType, kRecordSize - kByteType) == 0;
}

}  // namespace

UploadPlan UploadPolicy::Buttons(bool readTried) const {
    UploadPlan plan;
    plan.records = AddressedRecords(mouse_.Table());
    plan.mask = mouse_.Known();
    return Checked(plan, readTried);
}

UploadPlan UploadPolicy::Performance() const {
    UploadPlan plan;
    plan.records = mouse_.DeviceImage();
    plan.mask = mouse_.ImageKnown();
    // The rate is the table's, where the performance page put it; one that
    // was never read nor chosen is left as the mouse has it.
    if (mouse_.Known() & SlotBit(kReportRateSlot)) {
        plan.records[kReportRateSlot] = mouse_.Table()[kReportRateSlot];
        plan.mask |= SlotBit(kReportRateSlot);
    }
    plan.records = AddressedRecords(plan.records);
    plan.dpi = static_cast<uint32_t>(mouse_.ShownDpi());
    plan.risk = RiskOf(plan);
    return plan;
}

UploadPlan UploadPolicy::Everything(bool readTried) const {
    UploadPlan plan = Buttons(readTried);
    if (plan.verdict != UploadPlan::Verdict::Go) return plan;
    plan.dpi = static_cast<uint32_t>(mouse_.ShownDpi());
    plan.risk = RiskOf(plan);
    return plan;
}

UploadPlan UploadPolicy::Profile(const RecordArray& records) const {
    UploadPlan plan;
    plan.records = AddressedRecords(records);
    plan.mask = kAllSlots;
    plan.adopt = true;
    if (LeftClickSlot(plan.records) < 0) {
        plan.verdict = UploadPlan::Verdict::NoLeftClick;
        return plan;
    }
    bool held = mouse_.ImageKnown() == kAllSlots;
    for (int slot = 0; held && slot < kRecordCount; ++slot)
        held = SameFunction(plan.records[slot], mouse_.DeviceImage()[slot]);
    if (held) plan.verdict = UploadPlan::Verdict::Same;
    return plan;
}

UploadPlan UploadPolicy::Undo(const MouseState& before, bool withDpi) {
    UploadPlan plan;
    plan.records = AddressedRecords(before.records);
    plan.mask = before.known;
    plan.adopt = true;
    if (withDpi && before.dpiKnown) plan.dpi = static_cast<uint32_t>(before.dpi);
    return plan;
}

// The left-click rule, on the mouse as the upload would leave it: what is
// sent, and what it holds elsewhere as far as it is known.
UploadPlan UploadPolicy::Checked(UploadPlan plan, bool readTried) const {
    RecordArray after = mouse_.DeviceImage();
    SlotMask known = mouse_.ImageKnown();
    for (int slot = 0; slot < kRecordCount; ++slot) {
        if (!(plan.mask & SlotBit(slot))) continue;
        after[slot] = plan.records[slot];
        known |= SlotBit(slot);
    }
    for (int slot = 0; slot < 5; ++slot)
        if ((known & SlotBit(slot)) && IsLeftClick(after[slot])) {
            plan.risk = RiskOf(plan);
            return plan;
        }
    if ((known & kButtonSlots) != kButtonSlots)
        plan.verdict = readTried ? UploadPlan::Verdict::ButtonsUnread : UploadPlan::Verdict::ReadFirst;
    else
        plan.verdict = UploadPlan::Verdict::NoLeftClick;
    return plan;
}

UploadPlan::Risk UploadPolicy::RiskOf(const UploadPlan& plan) const {
    const RecordArray& before = mouse_.DeviceImage();
    if ((plan.mask & SlotBit(0)) && (mouse_.ImageKnown() & SlotBit(0)) && IsLeftClick(before[0]) &&
        !IsLeftClick(plan.records[0]))
        return UploadPlan::Risk::LeftClickMoved;
    if (plan.dpi && mouse_.DpiKnown() && DpiChangeNeedsConfirm(static_cast<uint32_t>(mouse_.Dpi()), plan.dpi))
        return UploadPlan::Risk::DpiJump;
    return UploadPlan::Risk::None;
}

bool RecordsDiffer(const RecordArray& a, const RecordArray& b) {
    return std::memcmp(a.data(), b.data(), sizeof(RecordArray)) != 0;
}

int DpiMarkIndex(uint32_t dpi) {
    int best = 0;
    for (int i = 1; i < static_cast<int>(sizeof(kDpiMarks) / sizeof(kDpiMarks[0])); ++i) {
        uint32_t d = dpi > kDpiMarks[i] ? dpi - kDpiMarks[i] : kDpiMarks[i] - dpi;
        uint32_t b = dpi > kDpiMarks[best] ? dpi - kDpiMarks[best] : kDpiMarks[best] - dpi;
        if (d < b) best = i;
    }
    return best;
}

bool DpiChangeNeedsConfirm(uint32_t before, uint32_t after) {
    return std::abs(DpiMarkIndex(after) - DpiMarkIndex(before)) > 1;
}

int LeftClickSlot(const RecordArray& records) {
    for (int slot = 0; slot < 5; ++slot)
        if (IsLeftClick(records[slot])) return slot;
    return -1;
}

bool MovesLeftClickAway(const RecordArray& before, const RecordArray& after) {
    return IsLeftClick(before[0]) && !IsLeftClick(after[0]);
}
