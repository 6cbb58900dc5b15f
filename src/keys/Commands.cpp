#include "keys/Commands.h"

// Item, text id, number, modifiers, usage. Command numbers and items follow
// different orders; each column is looked up, never computed from another.
const KeyCommand kEditingCommands[9] = {
    {kItemCut, 8, 1, kModLeftCtrl, 0x1B},        // Ctrl+X
    {kItemCopy, 9, 2, kModLeftCtrl, 0x06},       // Ctrl+C
    {kItemPaste, 10, 3, kModLeftCtrl, 0x19},     // Ctrl+V
    {kItemDelete, 11, 4, 0x00, 0x4C},            // Delete
    {kItemSelectAll, 12, 5, kModLeftCtrl, 0x04}, // Ctrl+A
    {kItemFind, 15, 6, kModLeftCtrl, 0x09},      // Ctrl+F
    {kItemNew, 13, 7, kModLeftCtrl, 0x11},       // Ctrl+N
    {kItemPrint, 14, 8, kModLeftCtrl, 0x13},     // Ctrl+P
    {kItemSave, 16, 9, kModLeftCtrl, 0x16},      // Ctrl+S
};

const KeyCommand kWindowCommands[6] = {
    {kItemSwitchWindow, 17, 0, kModLeftAlt, 0x2B},   // Alt+Tab
    {kItemCloseWindow, 18, 1, kModLeftCtrl, 0x1A},   // Ctrl+W
    {kItemExplorer, 19, 3, kModLeftGui, 0x08},       // Win+E
    {kItemRun, 20, 4, kModLeftGui, 0x15},            // Win+R
    {kItemDesktop, 21, 5, kModLeftGui, 0x07},        // Win+D
    {kItemMinimizeWindow, 22, 2, kModLeftGui, 0x10}, // Win+M
};

const ListEntry kFunctionList[23] = {
    {3, kItemBack},          {4, kItemForward},       {2, kItemLeftButton},
    {5, kItemRightButton},   {6, kItemWheelButton},   {7, kItemDoubleClick},
    {8, kItemCut},           {9, kItemCopy},          {10, kItemPaste},
    {11, kItemDelete},       {12, kItemSelectAll},    {13, kItemNew},
    {14, kItemPrint},        {15, kItemFind},         {16, kItemSave},
    {17, kItemSwitchWindow}, {18, kItemCloseWindow},  {19, kItemExplorer},
    {20, kItemRun},          {21, kItemDesktop},      {22, kItemMinimizeWindow},
    {23, kItemKeyCombination},
    {24, kItemNone},  // "User-defined": opens the multimedia list
};

const MediaEntry kMultimediaList[7] = {
    {26, kItemMute, kMediaMute},
    {27, kItemNext, kMediaNextTrack},
    {28, kItemPlayPause, kMediaPlayPause},
    {29, kItemPrev, kMediaPrevTrack},
    {30, kItemStop, kMediaStop},
    {31, kItemVolumeDown, kMediaVolumeDown},
    {32, kItemVolumeUp, kMediaVolumeUp},
};

namespace {

template <size_t N>
const KeyCommand* FindByNumber(const KeyCommand (&table)[N], uint8_t number) {
    for (const KeyCommand& c : table)
        if (c.number == number) return &c;
    return nullptr;
}

template <size_t N>
const KeyCommand* FindByKey(const KeyCommand (&table)[N], uint8_t modifiers, uint8_t usage) {
    for (const KeyCommand& c : table)
        if (c.modifiers == modifiers && c.usage == usage) return &c;
    return nullptr;
}

template <size_t N>
const KeyCommand* FindByItem(const KeyCommand (&table)[N], FunctionItem item) {
    for (const KeyCommand& c : table)
        if (c.item == item) return &c;
    return nullptr;
}

bool IsSingleBit(uint8_t v) { return v != 0 && (v & (v - 1)) == 0; }

FunctionItem DecodeMouse(uint8_t code) {
    switch (code) {
    case kMouseLeft: return kItemLeftButton;
    case kMouseRight: return kItemRightButton;
    case kMouseMiddle: return kItemWheelButton;
    case kMouseBack: return kItemBack;
    case kMouseForward: return kItemForward;
    case kMouseDoubleClick: return kItemDoubleClick;
    default: return kItemNone;  // wheel directions and several bits
    }
}

FunctionItem DecodeKeyboard(const FunctionRecord& rec) {
    // A command is an exact modifier/usage pair with no reserved byte; any
    // other keyboard record is something the user captured.
    if (rec.bytes[kByteReserved] == 0) {
        const uint8_t mods = rec.bytes[kByteCode];
        const uint8_t usage = rec.bytes[kByteUsage];
        if (const KeyCommand* c = FindByKey(kEditingCommands, mods, usage)) return c->item;
        if (const KeyCommand* c = FindByKey(kWindowCommands, mods, usage)) return c->item;
    }
    return kItemKeyCombination;
}

FunctionItem DecodeMedia(uint8_t code) {
    for (const MediaEntry& m : kMultimediaList)
        if (m.bit == code) return m.item;
    return kItemNone;  // 0, the reserved bit 0x80, several bits
}

}  // namespace

void EncodeCommand(FunctionRecord& rec, int slot, int group, uint8_t number) {
    if (group != Editing && group != Window && group != Multimedia) return;
    rec = EmptyRecord(slot);
    if (group == Multimedia) {
        rec.bytes[kByteType] = Media;
        if (IsSingleBit(number)) rec.bytes[kByteCode] = number;
        return;
    }
    rec.bytes[kByteType] = Keyboard;
    const KeyCommand* c = group == Editing ? FindByNumber(kEditingCommands, number)
                                           : FindByNumber(kWindowCommands, number);
    if (c) {
        rec.bytes[kByteCode] = c->modifiers;
        rec.bytes[kByteUsage] = c->usage;
    }
}

FunctionItem DecodeFunctionItem(const FunctionRecord& rec) {
    switch (rec.bytes[kByteType]) {
    case Mouse: return DecodeMouse(rec.bytes[kByteCode]);
    case Keyboard: return DecodeKeyboard(rec);
    case Media: return DecodeMedia(rec.bytes[kByteCode]);
    case Combination: return kItemKeyCombination;
    default: return kItemNone;  // report rate and unknown types
    }
}

bool CommandForItem(FunctionItem item, int* group, uint8_t* number) {
    int g = 0;
    uint8_t n = 0;
    if (const KeyCommand* c = FindByItem(kEditingCommands, item)) {
        g = Editing;
        n = c->number;
    } else if (const KeyCommand* c = FindByItem(kWindowCommands, item)) {
        g = Window;
        n = c->number;
    } else {
        for (const MediaEntry& m : kMultimediaList)
            if (m.item == item) {
                g = Multimedia;
                n = m.bit;
            }
    }
    if (g == 0) return false;
    if (group) *group = g;
    if (number) *number = n;
    return true;
}

int MouseCodeForItem(FunctionItem item) {
    switch (item) {
    case kItemForward: return kMouseForward;
    case kItemBack: return kMouseBack;
    case kItemLeftButton: return kMouseLeft;
    case kItemRightButton: return kMouseRight;
    case kItemWheelButton: return kMouseMiddle;
    case kItemDoubleClick: return kMouseDoubleClick;
    default: return 0;
    }
}
