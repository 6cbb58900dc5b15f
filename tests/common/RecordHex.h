// Records as "00 04 ..." text, so a failing check shows the wrong byte.
#pragma once
#include <cstdio>
#include <string>
#include "config/FunctionRecord.h"

inline std::string Hex(const FunctionRecord& rec) {
    std::string text;
    char byte[4];
    for (int i = 0; i < kRecordSize; ++i) {
        std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", rec.bytes[i]);
        text += byte;
    }
    return text;
}

// The record 0, 4, slot, type, code, 0, usage, 0, 0.
inline std::string Rec(int slot, int type, int code, int usage = 0) {
    FunctionRecord rec{{0, 4, uint8_t(slot), uint8_t(type), uint8_t(code), 0, uint8_t(usage), 0, 0}};
    return Hex(rec);
}
