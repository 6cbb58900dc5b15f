// The mouse's button configuration in memory: the function record table the
// user edits, the image of what the mouse last held, DPI and report rate.
// The device store builds on it and adds the mouse.
#pragma once
#include <cstdint>
#include "config/FunctionRecord.h"

// One bit per slot (bit s = slot s).
using SlotMask = uint32_t;
constexpr SlotMask kAllSlots = (SlotMask{1} << kRecordCount) - 1;
constexpr SlotMask SlotBit(int slot) { return SlotMask{1} << slot; }

class RecordTable {
public:
    RecordTable();
    virtual ~RecordTable() = default;

    // Table and DeviceImage = defaults, DPI 600, report-rate code 2, every
    // slot known. Returns 1.
    int ResetToDefaults();
    // The table only = defaults (a user's choice): DeviceImage, DPI and rate
    // stay what the mouse holds. Every slot becomes known.
    void ResetTableToDefaults();
    // Record becomes 0, 4, slot, 0, 0, 0, 0, 0, 0.
    void ClearRecord(int slot);
    // Mouse code, or 'D'/'U'/'f' for a report rate. Returns 1 (0 for a slot
    // outside the table).
    int SetMouseFunction(int slot, int code);
    // A catalogue command (group 1 editing, 2 window, 3 multimedia). An
    // unknown group changes nothing. Returns 1 (0 for a slot outside the table).
    int SetCommand(int slot, int group, uint8_t number);
    // A key combination from the capture dialog: modifier bits and a Windows
    // virtual key. Returns 0 and changes nothing unless length is 4.
    int SetCapturedKey(int slot, int length, int modifiers, unsigned virtualKey);

    uint8_t GetFunctionType(int slot) const;
    FunctionItem GetFunctionItem(int slot) const;
    uint8_t GetModifiers(int slot) const;
    uint8_t GetKeyUsage(int slot) const;

    // Wheel directions of mode 0 (slots 7 and 8).
    int IsWheelSwapped() const;
    void ToggleWheelSwap();

    RecordArray& Table() { return table_; }
    const RecordArray& Table() const { return table_; }
    RecordArray& DeviceImage() { return image_; }
    const RecordArray& DeviceImage() const { return image_; }

    // Slots of the table that hold a real value: reported by the mouse or
    // given by the user. An upload leaves the others as the mouse has them.
    SlotMask Known() const { return known_; }
    void SetKnown(SlotMask known) { known_ = known & kAllSlots; }
    // Slots of DeviceImage the mouse confirmed (read, or sent successfully).
    SlotMask ImageKnown() const { return imageKnown_; }
    void SetImageKnown(SlotMask known) { imageKnown_ = known & kAllSlots; }
    // The whole table from elsewhere (a profile, an undo); mask: the slots
    // that become known.
    void SetTable(const RecordArray& records, SlotMask mask = kAllSlots);
    // The table differs from what the mouse holds in a slot it would send.
    bool HasUnappliedEdits() const;

    int32_t Dpi() const { return dpi_; }
    void SetDpi(int32_t dpi) { dpi_ = dpi; }
    int32_t ReportRateCode() const { return reportRateCode_; }
    void SetReportRateCode(int32_t code) { reportRateCode_ = code; }

    static RecordArray Defaults();

    static constexpr int32_t kDefaultDpi = 600;
    static constexpr int32_t kDefaultReportRateCode = kRate500Hz;

private:
    uint8_t Byte(int slot, int index) const;

    RecordArray table_{};
    RecordArray image_{};
    SlotMask known_ = kAllSlots;
    SlotMask imageKnown_ = kAllSlots;
    int32_t dpi_ = kDefaultDpi;
    int32_t reportRateCode_ = kDefaultReportRateCode;
};
