#include "config/RecordTable.h"
#include "keys/Commands.h"

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

// Virtual keys that map one to one onto a keyboard usage.
struct KeyRow {
    uint8_t virtualKey;
    uint8_t usage;
};
const KeyRow kKeyRows[] = {
    {48, 0x27},                                                // '0'
    {13, 0x28}, {27, 0x29}, {8, 0x2A}, {9, 0x2B}, {32, 0x2C},  // Return Esc Back Tab Space
    {189, 0x2D}, {187, 0x2E}, {219, 0x2F}, {220, 0x31}, {221, 0x30},
    {186, 0x33}, {222, 0x34}, {192, 0x35}, {188, 0x36}, {190, 0x37}, {191, 0x38},
    {20, 0x39},                                                // Caps Lock
    {44, 0x46}, {145, 0x47}, {19, 0x48},                       // PrtSc ScrLk Pause
    {45, 0x49}, {36, 0x4A}, {33, 0x4B}, {46, 0x4C}, {35, 0x4D}, {34, 0x4E},
    {39, 0x4F}, {37, 0x50}, {40, 0x51}, {38, 0x52},            // arrows
    {144, 0x53}, {111, 0x54}, {106, 0x55}, {109, 0x56}, {107, 0x57},
    {96, 0x62}, {110, 0x63},                                   // numpad 0 and decimal
    {93, 0x65},                                                // Applications
};

// Consumer keys that become a media record.
const KeyRow kMediaKeyRows[] = {
    {173, kMediaMute},      {174, kMediaVolumeDown}, {175, kMediaVolumeUp},
    {176, kMediaNextTrack}, {177, kMediaPrevTrack},  {178, kMediaStop},
    {179, kMediaPlayPause},
};

constexpr unsigned kVkBrowserBack = 166;
constexpr unsigned kVkBrowserForward = 167;

uint8_t UsageForVirtualKey(unsigned vk) {
    if (vk >= 'A' && vk <= 'Z') return static_cast<uint8_t>(vk - 61);
    if (vk >= '1' && vk <= '9') return static_cast<uint8_t>(vk - 19);
    if (vk >= 112 && vk <= 123) return static_cast<uint8_t>(vk - 54);  // F1..F12
    if (vk >= 97 && vk <= 105) return static_cast<uint8_t>(vk - 8);    // numpad 1..9
    for (const KeyRow& r : kKeyRows)
        if (r.virtualKey == vk) return r.usage;
    return 0;
}

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
    table_ = Defaults();
    image_ = table_;
    dpi_ = kDefaultDpi;
    reportRateCode_ = kDefaultReportRateCode;
    return 1;
}

void RecordTable::ClearRecord(int slot) {
    if (!IsValidSlot(slot)) return;
    table_[slot] = EmptyRecord(slot);
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
    // A performance apply uploads the image, not the table; this is how the
    // new rate gets there without unapplied button edits.
    if (slot == kReportRateSlot) image_[slot] = rec;
    return 1;
}

int RecordTable::SetCommand(int slot, int group, uint8_t number) {
    if (!IsValidSlot(slot)) return 0;
    EncodeCommand(table_[slot], slot, group, number);
    return 1;
}

int RecordTable::SetCapturedKey(int slot, int length, int modifiers, unsigned virtualKey) {
    if (length != 4 || !IsValidSlot(slot)) return 0;
    ClearRecord(slot);
    FunctionRecord& rec = table_[slot];

    // The browser keys have no keyboard usage; the mouse's own back and
    // forward buttons do the same job.
    if (virtualKey == kVkBrowserBack || virtualKey == kVkBrowserForward) {
        rec.bytes[kByteType] = Mouse;
        rec.bytes[kByteCode] = virtualKey == kVkBrowserBack ? kMouseBack : kMouseForward;
        return 1;
    }
    for (const KeyRow& r : kMediaKeyRows) {
        if (r.virtualKey == virtualKey) {
            rec.bytes[kByteType] = Media;
            rec.bytes[kByteCode] = r.usage;
            return 1;
        }
    }
    rec.bytes[kByteType] = Keyboard;
    rec.bytes[kByteCode] = static_cast<uint8_t>(modifiers & 0xFF);
    rec.bytes[kByteUsage] = UsageForVirtualKey(virtualKey);
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
}
