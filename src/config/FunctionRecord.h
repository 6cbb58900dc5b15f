// One button function as the mouse stores it: 9 bytes that are at the same
// time the output report uploading it and the unit a profile file keeps.
#pragma once
#include <array>
#include <cstdint>

struct FunctionRecord {
    uint8_t bytes[9];
};
static_assert(sizeof(FunctionRecord) == 9, "a record is exactly one 9-byte report");

constexpr int kRecordCount = 20;  // two modes of ten positions
constexpr int kRecordSize = 9;
constexpr int kPositionsPerMode = 10;
constexpr int kReportRateSlot = 9;  // position 9 of mode 0 carries the report rate

using RecordArray = std::array<FunctionRecord, kRecordCount>;
static_assert(sizeof(RecordArray) == kRecordCount * kRecordSize, "the table is 180 packed bytes");

// Byte positions inside a record.
constexpr int kByteReportId = 0;  // always 0
constexpr int kByteCommand = 1;   // always 4
constexpr int kByteSlot = 2;
constexpr int kByteType = 3;
constexpr int kByteCode = 4;      // mouse/media/rate code, or keyboard modifier bits
constexpr int kByteReserved = 5;
constexpr int kByteUsage = 6;     // keyboard usage of keyboard records

constexpr uint8_t kRecordCommand = 4;

enum FunctionType : uint8_t {
    Mouse = 0,
    Keyboard = 1,
    Media = 2,
    Combination = 3,  // never written here; carried as it comes
    ReportRate = 4,
};

// Mouse codes (type Mouse, byte 4), one bit each.
constexpr uint8_t kMouseLeft = 1;
constexpr uint8_t kMouseRight = 2;
constexpr uint8_t kMouseMiddle = 4;
constexpr uint8_t kMouseBack = 8;
constexpr uint8_t kMouseForward = 16;
constexpr uint8_t kMouseWheelUp = 32;
constexpr uint8_t kMouseWheelDown = 64;
constexpr uint8_t kMouseDoubleClick = 128;

// Media codes (type Media, byte 4), one bit each.
constexpr uint8_t kMediaPlayPause = 1;
constexpr uint8_t kMediaStop = 2;
constexpr uint8_t kMediaPrevTrack = 4;
constexpr uint8_t kMediaNextTrack = 8;
constexpr uint8_t kMediaVolumeUp = 16;
constexpr uint8_t kMediaVolumeDown = 32;
constexpr uint8_t kMediaMute = 64;
constexpr uint8_t kMediaReserved = 128;  // default of positions 5 and 6, in no list

// Report-rate codes (type ReportRate, byte 4): the polling interval in ms.
constexpr uint8_t kRate125Hz = 8;
constexpr uint8_t kRate500Hz = 2;
constexpr uint8_t kRate1000Hz = 1;

// Letters that SetMouseFunction turns into a report-rate record.
constexpr int kRateLetter125Hz = 'f';
constexpr int kRateLetter500Hz = 'U';
constexpr int kRateLetter1000Hz = 'D';

// Performance page selection 0, 1, 2 -> letter; 0 for any other selection.
constexpr int ReportRateLetter(int selection) {
    return selection == 0 ? kRateLetter125Hz
         : selection == 1 ? kRateLetter500Hz
         : selection == 2 ? kRateLetter1000Hz
         : 0;
}

// HID keyboard modifier bits (type Keyboard, byte 4).
constexpr uint8_t kModLeftCtrl = 0x01;
constexpr uint8_t kModLeftShift = 0x02;
constexpr uint8_t kModLeftAlt = 0x04;
constexpr uint8_t kModLeftGui = 0x08;
constexpr uint8_t kModRightCtrl = 0x10;
constexpr uint8_t kModRightShift = 0x20;
constexpr uint8_t kModRightAlt = 0x40;
constexpr uint8_t kModRightGui = 0x80;

// Number of a function choice in the buttons page's lists, and the result of
// decoding a record. 7 and 15..18 are unused.
using FunctionItem = int;
constexpr FunctionItem kItemNone = 0;
constexpr FunctionItem kItemForward = 1;
constexpr FunctionItem kItemBack = 2;
constexpr FunctionItem kItemLeftButton = 3;
constexpr FunctionItem kItemRightButton = 4;
constexpr FunctionItem kItemWheelButton = 5;
constexpr FunctionItem kItemDoubleClick = 6;
constexpr FunctionItem kItemMute = 8;
constexpr FunctionItem kItemNext = 9;
constexpr FunctionItem kItemPrev = 10;
constexpr FunctionItem kItemPlayPause = 11;
constexpr FunctionItem kItemStop = 12;
constexpr FunctionItem kItemVolumeDown = 13;
constexpr FunctionItem kItemVolumeUp = 14;
constexpr FunctionItem kItemCut = 19;
constexpr FunctionItem kItemCopy = 20;
constexpr FunctionItem kItemPaste = 21;
constexpr FunctionItem kItemDelete = 22;
constexpr FunctionItem kItemSelectAll = 23;
constexpr FunctionItem kItemFind = 24;
constexpr FunctionItem kItemNew = 25;
constexpr FunctionItem kItemPrint = 26;
constexpr FunctionItem kItemSave = 27;
constexpr FunctionItem kItemSwitchWindow = 28;
constexpr FunctionItem kItemCloseWindow = 29;
constexpr FunctionItem kItemExplorer = 30;
constexpr FunctionItem kItemRun = 31;
constexpr FunctionItem kItemDesktop = 32;
constexpr FunctionItem kItemMinimizeWindow = 33;
constexpr FunctionItem kItemKeyCombination = 34;

// The empty form every writer starts from: 0, 4, slot, then zeros.
inline FunctionRecord EmptyRecord(int slot) {
    FunctionRecord rec{};
    rec.bytes[kByteCommand] = kRecordCommand;
    rec.bytes[kByteSlot] = static_cast<uint8_t>(slot);
    return rec;
}

inline bool IsValidSlot(int slot) { return slot >= 0 && slot < kRecordCount; }

// Bytes 0..2 are the report id, the command and the target: whatever a record
// came from, it may address nothing but its own slot (byte 2 = 0xAA would
// start a configuration dump, 0xFF set the DPI).
inline void AddressRecord(FunctionRecord& rec, int slot) {
    rec.bytes[kByteReportId] = 0;
    rec.bytes[kByteCommand] = kRecordCommand;
    rec.bytes[kByteSlot] = static_cast<uint8_t>(slot);
}

inline RecordArray AddressedRecords(RecordArray records) {
    for (int slot = 0; slot < kRecordCount; ++slot) AddressRecord(records[slot], slot);
    return records;
}
