// The whole mouse in memory. For each setting (the 20 record slots, the
// report rate in slot 9 among them, and the DPI) it keeps what the mouse
// confirmed, the user's pending choice, and whether each is known. The
// device store builds on it and adds the mouse.
#pragma once
#include <cstdint>
#include "config/FunctionRecord.h"

// One bit per slot (bit s = slot s).
using SlotMask = uint32_t;
constexpr SlotMask kAllSlots = (SlotMask{1} << kRecordCount) - 1;
constexpr SlotMask SlotBit(int slot) { return SlotMask{1} << slot; }
// The five buttons of mode 0 (left, middle, right, 4, 5).
constexpr SlotMask kButtonSlots = 0x1F;

// What the mouse holds, as far as it told us or took an upload.
struct MouseState {
    RecordArray records{};
    SlotMask known = 0;
    int32_t dpi = 0;
    bool dpiKnown = false;
};

class RecordTable {
public:
    RecordTable();
    virtual ~RecordTable() = default;

    // Table and DeviceImage = defaults, DPI 600, every setting known and
    // nothing pending. Returns 1.
    int ResetToDefaults();
    // Nothing of the mouse known and nothing chosen: before the first read.
    void Forget();
    // The table only = defaults (a user's choice): DeviceImage and the DPI
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

    // The table the user edits: the mouse's records with the user's choices.
    RecordArray& Table() { return table_; }
    const RecordArray& Table() const { return table_; }
    const RecordArray& DeviceImage() const { return image_; }

    // Slots of the table that hold a real value: reported by the mouse or
    // given by the user. An upload leaves the others as the mouse has them.
    SlotMask Known() const { return known_; }
    // Slots of DeviceImage the mouse confirmed (read, or sent successfully).
    SlotMask ImageKnown() const { return imageKnown_; }
    // The whole table from elsewhere (a profile, the defaults); mask: the
    // slots that become known.
    void SetTable(const RecordArray& records, SlotMask mask = kAllSlots);
    // A slot whose table record is a choice the mouse does not hold yet.
    // Every byte from the function type on counts.
    bool IsPending(int slot) const;
    // Any choice not applied yet: a record slot (the rate among them) or the DPI.
    bool HasUnappliedEdits() const;

    // The DPI the mouse holds (600 while unknown) and whether it is known.
    int32_t Dpi() const { return dpi_; }
    bool DpiKnown() const { return dpiKnown_; }
    // The user's DPI choice; 0 while there is none.
    int32_t ChosenDpi() const { return chosenDpi_; }
    void ChooseDpi(int32_t dpi) { chosenDpi_ = dpi > 0 ? dpi : 0; }
    // What the pages show: the choice, else the mouse's DPI; 0 while unknown.
    int32_t ShownDpi() const { return chosenDpi_ ? chosenDpi_ : dpiKnown_ ? dpi_ : 0; }
    // Report-rate code (8, 2, 1) the mouse holds, or 0 when unknown.
    int32_t ReportRateCode() const;
    // The rate code of the table's slot 9 (chosen or held); 0 when unknown.
    int32_t ShownReportRateCode() const;

    // What the mouse holds, as a whole (for an undo).
    MouseState Confirmed() const;
    // An upload of the user's choices succeeded: the mouse holds these
    // records (mask) and, when dpiKnown, this DPI. The table stays as the
    // user has it now (a choice made meanwhile stays pending).
    void Confirm(const RecordArray& records, SlotMask mask, int32_t dpi, bool dpiKnown);
    // The mouse holds these records and DPI for another reason: it told us
    // in a read, or took a profile or an undo. Slots without a pending
    // choice show them; a pending choice stays the user's.
    void Adopt(const RecordArray& records, SlotMask mask, int32_t dpi, bool dpiKnown);

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
    bool dpiKnown_ = true;
    int32_t chosenDpi_ = 0;
};

// The report-rate code of a record, or 0 when it is no rate record.
int32_t RateCodeOf(const FunctionRecord& record);

// What the mouse holds now differs from what was known of it before: a
// known record (from the function type on) or a known DPI changed.
bool MouseChanged(const MouseState& before, const MouseState& now);
