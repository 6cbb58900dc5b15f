// The command catalogue: editing, window and multimedia commands, how each
// is encoded in a function record, and how a record decodes to a list item.
#pragma once
#include <cstdint>
#include "config/FunctionRecord.h"

enum CommandGroup { Editing = 1, Window = 2, Multimedia = 3 };

// An editing or window command: a fixed keyboard combination.
struct KeyCommand {
    FunctionItem item;
    int textId;
    uint8_t number;     // command number within its group
    uint8_t modifiers;  // byte 4
    uint8_t usage;      // byte 6
};
extern const KeyCommand kEditingCommands[9];
extern const KeyCommand kWindowCommands[6];

// Entry of a function list on the buttons page: text id and item data.
struct ListEntry {
    int textId;
    FunctionItem item;
};
// Main list in display order; the last entry, "User-defined" (text 24,
// item 0), opens the multimedia list.
extern const ListEntry kFunctionList[23];

// Multimedia list in display order; the command number is the bit itself.
struct MediaEntry {
    int textId;
    FunctionItem item;
    uint8_t bit;
};
extern const MediaEntry kMultimediaList[7];

// Rewrites rec as command `number` of `group` for `slot`. An unknown group
// leaves rec untouched; an unknown number leaves an empty record of the group's type.
void EncodeCommand(FunctionRecord& rec, int slot, int group, uint8_t number);

// The list item a record stands for, for every record type.
FunctionItem DecodeFunctionItem(const FunctionRecord& rec);

// Store call for a picked item: true with group and number for items 8..14
// and 19..33, false otherwise.
bool CommandForItem(FunctionItem item, int* group, uint8_t* number);
// Mouse code for items 1..6, 0 for any other item.
int MouseCodeForItem(FunctionItem item);
