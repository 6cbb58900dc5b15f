// What an apply, a switch or an undo sends, decided from what the mouse
// confirmed, what is known of it and the user's pending choices.
#include <gtest/gtest.h>

#include <functional>

#include "config/UploadPolicy.h"

namespace {

using Verdict = UploadPlan::Verdict;
using Risk = UploadPlan::Risk;
constexpr SlotMask kRate = SlotBit(kReportRateSlot);

// A mouse that reported everything but the slots of unread, and its DPI
// when dpi is not 0.
RecordTable Mouse(SlotMask unread = 0, int32_t dpi = 600, const RecordArray& records = RecordTable::Defaults()) {
    RecordTable t;
    t.Forget();
    t.Adopt(records, kAllSlots & ~unread, dpi, dpi != 0);
    return t;
}

RecordArray WithLeftClickOn(int slot) {
    RecordArray r = RecordTable::Defaults();
    r[0].bytes[kByteType] = Keyboard;  // Ctrl+C
    r[0].bytes[kByteUsage] = 0x06;
    r[slot].bytes[kByteCode] = kMouseLeft;
    return r;
}

TEST(UploadPolicy, DecidesWhatGoesToTheMouse) {
    enum Kind { Buttons, ButtonsAfterRead, Performance, Profile };
    const struct Row {
        const char* name;
        std::function<RecordTable()> state;
        Kind kind;
        Verdict verdict;
        SlotMask mask;
        uint32_t dpi;
        Risk risk;
        bool pending;
    } rows[] = {
        {"a rate never read is not sent with a DPI change",
         [] { auto t = Mouse(kRate); t.ChooseDpi(1200); return t; }, Performance, Verdict::Go, kAllSlots & ~kRate, 1200,
         Risk::None, true},
        {"a rate chosen on the page is sent",
         [] { auto t = Mouse(kRate); t.SetMouseFunction(kReportRateSlot, kRateLetter1000Hz); return t; }, Performance,
         Verdict::Go, kAllSlots, 600, Risk::None, true},
        {"a DPI never read nor chosen is not sent", [] { return Mouse(0, 0); }, Performance, Verdict::Go, kAllSlots, 0,
         Risk::None, false},
        {"a jump of the known DPI asks", [] { auto t = Mouse(); t.ChooseDpi(3200); return t; }, Performance, Verdict::Go,
         kAllSlots, 3200, Risk::DpiJump, true},
        {"a jump from an unknown DPI cannot be judged", [] { auto t = Mouse(0, 0); t.ChooseDpi(3200); return t; },
         Performance, Verdict::Go, kAllSlots, 3200, Risk::None, true},
        {"left click moved off the left button asks",
         [] { auto t = Mouse(); t.SetCommand(0, 1, 2); t.SetMouseFunction(3, kMouseLeft); return t; }, Buttons,
         Verdict::Go, kAllSlots, 0, Risk::LeftClickMoved, true},
        {"no known button keeps the left click",
         [] { auto t = Mouse(); t.SetCommand(0, 1, 2); return t; }, Buttons, Verdict::NoLeftClick, kAllSlots, 0,
         Risk::None, true},
        {"the left button unread and the left click taken off button 4: read first",
         [] { auto t = Mouse(SlotBit(0), 600, WithLeftClickOn(3)); t.SetMouseFunction(3, kMouseBack); return t; },
         Buttons, Verdict::ReadFirst, kAllSlots & ~SlotBit(0), 0, Risk::None, true},
        {"still unread after the read: refused",
         [] { auto t = Mouse(SlotBit(0), 600, WithLeftClickOn(3)); t.SetMouseFunction(3, kMouseBack); return t; },
         ButtonsAfterRead, Verdict::ButtonsUnread, kAllSlots & ~SlotBit(0), 0, Risk::None, true},
        {"a known left click elsewhere needs no read",
         [] { auto t = Mouse(SlotBit(0), 600, WithLeftClickOn(3)); t.SetCommand(4, 1, 3); return t; }, Buttons,
         Verdict::Go, kAllSlots & ~SlotBit(0), 0, Risk::None, true},
        {"only the type changes (L-Button to the key Ctrl alone): pending",
         [] { auto t = Mouse(); t.SetCapturedKey(0, 4, 0x01, 0); return t; }, Buttons, Verdict::NoLeftClick, kAllSlots, 0,
         Risk::None, true},
        {"a wheel swap on slots the read missed is sent",
         [] { auto t = Mouse(SlotBit(7) | SlotBit(8)); t.ToggleWheelSwap(); return t; }, Buttons, Verdict::Go,
         kAllSlots, 0, Risk::None, true},
        {"the profile the mouse holds is not sent again", [] { return Mouse(); }, Profile, Verdict::Same, kAllSlots, 0,
         Risk::None, false},
        {"a profile goes to a mouse partly unread", [] { return Mouse(SlotBit(15)); }, Profile, Verdict::Go, kAllSlots,
         0, Risk::None, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const RecordTable state = row.state();
        const UploadPolicy policy(state);
        UploadPlan plan;
        switch (row.kind) {
        case Buttons: plan = policy.Buttons(); break;
        case ButtonsAfterRead: plan = policy.Buttons(true); break;
        case Performance: plan = policy.Performance(); break;
        case Profile: plan = policy.Profile(RecordTable::Defaults()); break;
        }
        EXPECT_EQ(plan.verdict, row.verdict);
        EXPECT_EQ(plan.mask, row.mask);
        EXPECT_EQ(plan.dpi, row.dpi);
        EXPECT_EQ(plan.risk, row.risk);
        EXPECT_EQ(state.HasUnappliedEdits(), row.pending);
        for (int slot = 0; slot < kRecordCount; ++slot)
            EXPECT_EQ(plan.records[slot].bytes[kByteSlot], slot) << "slot " << slot << " is addressed elsewhere";
    }
}

// An undo sends what the mouse was known to hold, and no DPI it never told.
TEST(UploadPolicy, UndoSendsOnlyWhatTheMouseWasKnownToHold) {
    MouseState before{RecordTable::Defaults(), kAllSlots & ~SlotBit(15), 0, false};
    UploadPlan undo = UploadPolicy::Undo(before, true);
    EXPECT_EQ(undo.mask, kAllSlots & ~SlotBit(15));
    EXPECT_EQ(undo.dpi, 0u);
    before.dpi = 1800;
    before.dpiKnown = true;
    EXPECT_EQ(UploadPolicy::Undo(before, true).dpi, 1800u);
    EXPECT_EQ(UploadPolicy::Undo(before, false).dpi, 0u) << "a button undo sends no DPI";
}

// What the mouse tells fills what was unknown and replaces what it was
// thought to hold, but never the user's pending choice.
TEST(UploadPolicy, WhatTheMouseTellsKeepsTheUsersChoices) {
    RecordTable t = Mouse(SlotBit(5) | kRate, 0);
    t.SetCommand(2, 1, 2);  // pending: right button Copy
    t.ChooseDpi(1800);      // pending
    RecordArray told = RecordTable::Defaults();
    told[1].bytes[kByteCode] = kMouseBack;          // changed by another computer
    told[2].bytes[kByteCode] = kMouseForward;       // under the user's choice
    told[kReportRateSlot].bytes[kByteCode] = kRate1000Hz;
    t.Adopt(told, kAllSlots, 3200, true);
    EXPECT_EQ(t.Table()[1].bytes[kByteCode], kMouseBack);
    EXPECT_EQ(t.GetFunctionItem(2), kItemCopy) << "the user's choice was replaced";
    EXPECT_EQ(t.ShownReportRateCode(), kRate1000Hz);
    EXPECT_EQ(t.Known(), kAllSlots);
    EXPECT_EQ(t.ShownDpi(), 1800);
    EXPECT_EQ(t.Dpi(), 3200);
    EXPECT_TRUE(t.HasUnappliedEdits());
    const RecordArray sent = AddressedRecords(t.Table());
    t.Confirm(sent, kAllSlots, 1800, true);
    EXPECT_FALSE(t.HasUnappliedEdits()) << "an upload of the choices leaves nothing pending";
}

}  // namespace
