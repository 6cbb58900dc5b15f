#include "config/RecordTable.h"
#include "keys/Commands.h"
#include "keys/KeyUsage.h"

namespace {

struct DefaultRow {
    uint8_t type;
    uint8_t code;
};

// Mode 1 differs only in positions 3 and 4, whose codes are exchanged.
const DefaultRow kDefaults[kRecordCount] = {
    {Mouse, kMouseLeft},      {Mouse, kMouseMiddle},   {Mouse, kMouseRight},
    {Mouse, kMouseForward},   {Mouse, kMouseBack},     {Media, kMediaReserved},
    {Media, kMediaReserved},  {Mouse, kMouseWheelUp},  {Mouse, kMouseWheelDown},
    {ReportRate, kRate500Hz},
    {Mouse, kMouseLeft},      {Mouse, kMouseMiddle},   {Mouse, kMouseRight},
    {Mouse, kMouseBack},      {Mouse, kMouseForward},  {Media, kMediaReserved},
    {Media, kMediaReserved},  {Mouse, kMouseWheelUp},  {Mouse, kMouseWheelDown},
    {ReportRate, kRate500Hz},
};

constexpr int kWheelUpSlot = 7;
constexpr int kWheelDownSlot = 8;

}  // namespace

RecordTable::RecordTable() { ResetToDefaults(); }

RecordArray RecordTable::Defaults() {
    RecordArray table{};
    for (int slot = 0; slot < kRecordCount; ++slot) {
        table[slot] = EmptyRecord(slot);
        table[slot].bytes[kByteType] = kDefaults[slot].type;
        table[slot].bytes[kByteCode] = kDefaults[slot].code;
    }
    return table;
}

int RecordTable::ResetToDefaults() {
    ResetTableToDefaults();
    image_ = table_;
    imageKnown_ = kAllSlots;
    dpi_ = kDefaultDpi;
    dpiKnown_ = true;
    chosenDpi_ = 0;
    return 1;
}

void RecordTable::Forget() {
    table_ = Defaults();
    image_ = table_;
    known_ = 0;
    imageKnown_ = 0;
    dpi_ = kDefaultDpi;
    dpiKnown_ = false;
    chosenDpi_ = 0;
}

void RecordTable::ResetTableToDefaults() {
    table_ = Defaults();
    known_ = kAllSlots;
}

void RecordTable::SetTable(const RecordArray& records, SlotMask mask) {
    for (int slot = 0; slot < kRecordCount; ++slot)
        if (mask & SlotBit(slot)) table_[slot] = records[slot];
    known_ |= mask & kAllSlots;
}

bool RecordTable::IsPending(int slot) const {
    if (!IsValidSlot(slot) || !(known_ & SlotBit(slot))) return false;
    if (!(imageKnown_ & SlotBit(slot))) return true;
    for (int i = kByteType; i < kRecordSize; ++i)
        if (table_[slot].bytes[i] != image_[slot].bytes[i]) return true;
    return false;
}

bool RecordTable::HasUnappliedEdits() const {
    for (int slot = 0; slot < kRecordCount; ++slot)
        if (IsPending(slot)) return true;
    return chosenDpi_ && (!dpiKnown_ || chosenDpi_ != dpi_);
}

int32_t RateCodeOf(const FunctionRecord& record) {
    return record.bytes[kByteType] == ReportRate ? record.bytes[kByteCode] : 0;
}

int32_t RecordTable::ReportRateCode() const {
    return imageKnown_ & SlotBit(kReportRateSlot) ? RateCodeOf(image_[kReportRateSlot]) : 0;
}

int32_t RecordTable::ShownReportRateCode() const {
    return known_ & SlotBit(kReportRateSlot) ? RateCodeOf(table_[kReportRateSlot]) : 0;
}

MouseState RecordTable::Confirmed() const { return MouseState{image_, imageKnown_, dpi_, dpiKnown_}; }

void RecordTable::Adopt(const RecordArray& records, SlotMask mask, int32_t dpi, bool dpiKnown) {
    for (int slot = 0; slot < kRecordCount; ++slot) {
        if (!(mask & SlotBit(slot)) || IsPending(slot)) continue;
        table_[slot] = records[slot];
        known_ |= SlotBit(slot);
    }
    Confirm(records, mask, dpi, dpiKnown);
}

void RecordTable::Confirm(const RecordArray& records, SlotMask mask, int32_t dpi, bool dpiKnown) {
    for (int slot = 0; slot < kRecordCount; ++slot) {
        if (!(mask & SlotBit(slot))) continue;
        image_[slot] = records[slot];
        imageKnown_ |= SlotBit(slot);
    }
    if (dpiKnown) {
        dpi_ = dpi;
        dpiKnown_ = true;
        // A choice the mouse now holds is no longer pending.
        if (chosenDpi_ == dpi) chosenDpi_ = 0;
    }
}

void RecordTable::ClearRecord(int slot) {
    if (!IsValidSlot(slot)) return;
    table_[slot] = EmptyRecord(slot);
    known_ |= SlotBit(slot);
}

int RecordTable::SetMouseFunction(int slot, int code) {
    if (!IsValidSlot(slot)) return 0;
    ClearRecord(slot);
    FunctionRecord& rec = table_[slot];
    switch (code) {
    case kRateLetter1000Hz:
        rec.bytes[kByteType] = ReportRate;
        rec.bytes[kByteCode] = kRate1000Hz;
        break;
    case kRateLetter500Hz:
        rec.bytes[kByteType] = ReportRate;
        rec.bytes[kByteCode] = kRate500Hz;
        break;
    case kRateLetter125Hz:
        rec.bytes[kByteType] = ReportRate;
        rec.bytes[kByteCode] = kRate125Hz;
        break;
    default:
        rec.bytes[kByteCode] = static_cast<uint8_t>(code & 0xFF);
        break;
    }
    return 1;
}

int RecordTable::SetCommand(int slot, int group, uint8_t number) {
    if (!IsValidSlot(slot)) return 0;
    EncodeCommand(table_[slot], slot, group, number);
    known_ |= SlotBit(slot);
    return 1;
}

int RecordTable::SetCapturedKey(int slot, int length, int modifiers, unsigned virtualKey) {
    if (length != 4 || !IsValidSlot(slot)) return 0;
    ClearRecord(slot);
    FunctionRecord& rec = table_[slot];

    // The browser keys have no keyboard usage; the mouse's own back and
    // forward buttons do the same job.
    if (const uint8_t code = MouseCodeForVirtualKey(virtualKey)) {
        rec.bytes[kByteType] = Mouse;
        rec.bytes[kByteCode] = code;
        return 1;
    }
    if (const uint8_t bit = MediaBitForVirtualKey(virtualKey)) {
        rec.bytes[kByteType] = Media;
        rec.bytes[kByteCode] = bit;
        return 1;
    }
    rec.bytes[kByteType] = Keyboard;
    rec.bytes[kByteCode] = static_cast<uint8_t>(modifiers & 0xFF);
    rec.bytes[kByteUsage] = KeyboardUsageForVirtualKey(virtualKey);
    return 1;
}

uint8_t RecordTable::Byte(int slot, int index) const {
    return IsValidSlot(slot) ? table_[slot].bytes[index] : 0;
}

uint8_t RecordTable::GetFunctionType(int slot) const { return Byte(slot, kByteType); }
uint8_t RecordTable::GetModifiers(int slot) const { return Byte(slot, kByteCode); }
uint8_t RecordTable::GetKeyUsage(int slot) const { return Byte(slot, kByteUsage); }

FunctionItem RecordTable::GetFunctionItem(int slot) const {
    return IsValidSlot(slot) ? DecodeFunctionItem(table_[slot]) : kItemNone;
}

int RecordTable::IsWheelSwapped() const {
    return table_[kWheelUpSlot].bytes[kByteCode] == kMouseWheelDown &&
           table_[kWheelDownSlot].bytes[kByteCode] == kMouseWheelUp;
}

void RecordTable::ToggleWheelSwap() {
    const bool swapped = IsWheelSwapped();
    table_[kWheelUpSlot].bytes[kByteCode] = swapped ? kMouseWheelUp : kMouseWheelDown;
    table_[kWheelDownSlot].bytes[kByteCode] = swapped ? kMouseWheelDown : kMouseWheelUp;
    known_ |= SlotBit(kWheelUpSlot) | SlotBit(kWheelDownSlot);
}

bool MouseChanged(const MouseState& before, const MouseState& now) {
    for (int slot = 0; slot < kRecordCount; ++slot) {
        if (!(before.known & now.known & SlotBit(slot))) continue;
        for (int i = kByteType; i < kRecordSize; ++i)
            if (before.records[slot].bytes[i] != now.records[slot].bytes[i]) return true;
    }
    return before.dpiKnown && now.dpiKnown && before.dpi != now.dpi;
}
