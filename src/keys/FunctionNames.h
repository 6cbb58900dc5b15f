// Stable ASCII names of button functions for the command line: every entry
// of the function lists ("copy", "left-click"), the multimedia commands
// ("media:mute") and key combinations ("keys:ctrl+shift+f5"). One table per
// kind serves both directions, so a name shown is a name that can be set.
#pragma once
#include <cstdint>
#include <string>

#include "config/FunctionRecord.h"

// A named function as the store is asked to write it.
struct FunctionChoice {
    enum Kind { MouseCode, Command, Key } kind = MouseCode;
    int mouseCode = 0;        // MouseCode: byte 4 of a mouse record
    int group = 0;            // Command: catalogue group and number
    uint8_t number = 0;
    uint8_t modifiers = 0;    // Key: modifier bits, the key's usage and the
    uint8_t usage = 0;        //      virtual key that the capture path converts
    unsigned virtualKey = 0;
};

// Parses a function name (ASCII, any case). On failure error says why.
bool ParseFunctionName(const std::string& name, FunctionChoice& choice, std::string& error);

// The record a choice stands for in a slot, byte for byte as the store writes it.
FunctionRecord EncodeChoice(const FunctionChoice& choice, int slot);

// The name of a record: the function it encodes exactly, else
// "raw:TT-CC-RR-UU-XX-YY" (bytes 3 to 8 in hex), which has no function name.
std::string FunctionNameOf(const FunctionRecord& record);

// Every plain function name (list entries and multimedia commands), and
// every key name and modifier name, for help texts and tests.
int FunctionNameCount();
const char* FunctionNameAt(int index);
int KeyNameCount();
const char* KeyNameAt(int index);
int ModifierNameCount();
const char* ModifierNameAt(int index);
