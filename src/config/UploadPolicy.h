// What goes to the mouse, decided in one place: whether an upload may
// start, which slots and values it sends, and whether the change is risky
// enough to ask the user to keep it. Decided from what the mouse confirmed,
// what is known of it and the user's pending choices; no windows, no mouse.
#pragma once
#include <cstdint>

#include "config/RecordTable.h"

struct UploadPlan {
    enum class Verdict {
        Go,             // send records (mask) and, when dpi is not 0, the DPI
        Same,           // the mouse already holds it: nothing to send
        ReadFirst,      // some buttons are unknown: read the mouse, then plan again
        NoLeftClick,    // no known button would hold the left click
        ButtonsUnread,  // the same, and the mouse did not tell what its buttons hold
    };
    enum class Risk { None, LeftClickMoved, DpiJump };

    Verdict verdict = Verdict::Go;
    RecordArray records{};  // addressed to their own slots
    SlotMask mask = 0;
    uint32_t dpi = 0;       // 0: no DPI report
    Risk risk = Risk::None;
    // The records are not the user's choices (a profile, an undo): once the
    // mouse has them, the pages show them where nothing is pending.
    bool adopt = false;
};

class UploadPolicy {
public:
    explicit UploadPolicy(const RecordTable& mouse) : mouse_(mouse) {}

    // The record table: every known slot. readTried: the mouse was read
    // once more for unknown buttons, so they stay unknown for good.
    UploadPlan Buttons(bool readTried = false) const;
    // What the mouse holds, with the rate of the table's slot 9, then the
    // chosen DPI (or the mouse's, when known). A rate or DPI that is not
    // known is not sent.
    UploadPlan Performance() const;
    // The command line's: every known slot and the chosen DPI in one upload.
    UploadPlan Everything(bool readTried = false) const;
    // A profile's whole table (a switch); Same when the mouse holds it.
    UploadPlan Profile(const RecordArray& records) const;
    // Back to what the mouse held before: only what it was known to hold,
    // and its DPI when withDpi (the undo of a performance apply).
    static UploadPlan Undo(const MouseState& before, bool withDpi);

private:
    UploadPlan Checked(UploadPlan plan, bool readTried) const;
    UploadPlan::Risk RiskOf(const UploadPlan& plan) const;

    const RecordTable& mouse_;
};

// Whether the mouse must be written: a profile whose records are what the
// mouse already holds is not uploaded again.
bool RecordsDiffer(const RecordArray& a, const RecordArray& b);
// DPI marks of the performance page, low to high.
constexpr uint32_t kDpiMarks[] = {600, 1200, 1800, 2400, 3200, 4800, 6000};
// The mark nearest to a DPI (the lower one on a tie).
int DpiMarkIndex(uint32_t dpi);
// A change of more than one mark is asked to be confirmed.
bool DpiChangeNeedsConfirm(uint32_t before, uint32_t after);
// The first of the five button slots that holds the left click, or -1.
int LeftClickSlot(const RecordArray& records);
// An upload that takes the left click away from the left button (slot 0).
bool MovesLeftClickAway(const RecordArray& before, const RecordArray& after);
