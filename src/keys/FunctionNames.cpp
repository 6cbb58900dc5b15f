#include "keys/FunctionNames.h"

#include <cstdio>

#include "keys/Commands.h"

namespace {

struct NamedItem {
    const char* name;
    FunctionItem item;
};

// Every entry of the main list except "Key Combination" (that is keys:...)
// and "User-defined" (that opens the multimedia list), then that list.
const NamedItem kFunctionNames[] = {
    {"left-click", kItemLeftButton},
    {"right-click", kItemRightButton},
    {"middle-click", kItemWheelButton},
    {"back", kItemBack},
    {"forward", kItemForward},
    {"double-click", kItemDoubleClick},
    {"cut", kItemCut},
    {"copy", kItemCopy},
    {"paste", kItemPaste},
    {"delete", kItemDelete},
    {"select-all", kItemSelectAll},
    {"new", kItemNew},
    {"print", kItemPrint},
    {"find", kItemFind},
    {"save", kItemSave},
    {"switch-window", kItemSwitchWindow},
    {"close-window", kItemCloseWindow},
    {"explorer", kItemExplorer},
    {"run", kItemRun},
    {"desktop", kItemDesktop},
    {"minimize-window", kItemMinimizeWindow},
    {"media:mute", kItemMute},
    {"media:next", kItemNext},
    {"media:prev", kItemPrev},
    {"media:play-pause", kItemPlayPause},
    {"media:stop", kItemStop},
    {"media:volume-down", kItemVolumeDown},
    {"media:volume-up", kItemVolumeUp},
};

struct NamedKey {
    const char* name;
    uint8_t usage;
    uint8_t virtualKey;
};

// The keys a combination can hold: exactly those the capture path converts
// from a virtual key into a usage, so that every name can be written.
const NamedKey kKeyNames[] = {
    {"a", 0x04, 'A'}, {"b", 0x05, 'B'}, {"c", 0x06, 'C'}, {"d", 0x07, 'D'}, {"e", 0x08, 'E'},
    {"f", 0x09, 'F'}, {"g", 0x0A, 'G'}, {"h", 0x0B, 'H'}, {"i", 0x0C, 'I'}, {"j", 0x0D, 'J'},
    {"k", 0x0E, 'K'}, {"l", 0x0F, 'L'}, {"m", 0x10, 'M'}, {"n", 0x11, 'N'}, {"o", 0x12, 'O'},
    {"p", 0x13, 'P'}, {"q", 0x14, 'Q'}, {"r", 0x15, 'R'}, {"s", 0x16, 'S'}, {"t", 0x17, 'T'},
    {"u", 0x18, 'U'}, {"v", 0x19, 'V'}, {"w", 0x1A, 'W'}, {"x", 0x1B, 'X'}, {"y", 0x1C, 'Y'},
    {"z", 0x1D, 'Z'},
    {"1", 0x1E, '1'}, {"2", 0x1F, '2'}, {"3", 0x20, '3'}, {"4", 0x21, '4'}, {"5", 0x22, '5'},
    {"6", 0x23, '6'}, {"7", 0x24, '7'}, {"8", 0x25, '8'}, {"9", 0x26, '9'}, {"0", 0x27, '0'},
    {"enter", 0x28, 13}, {"esc", 0x29, 27}, {"backspace", 0x2A, 8}, {"tab", 0x2B, 9},
    {"space", 0x2C, 32}, {"minus", 0x2D, 189}, {"equal", 0x2E, 187}, {"lbracket", 0x2F, 219},
    {"rbracket", 0x30, 221}, {"backslash", 0x31, 220}, {"semicolon", 0x33, 186},
    {"quote", 0x34, 222}, {"grave", 0x35, 192}, {"comma", 0x36, 188}, {"period", 0x37, 190},
    {"slash", 0x38, 191}, {"capslock", 0x39, 20},
    {"f1", 0x3A, 112}, {"f2", 0x3B, 113}, {"f3", 0x3C, 114}, {"f4", 0x3D, 115},
    {"f5", 0x3E, 116}, {"f6", 0x3F, 117}, {"f7", 0x40, 118}, {"f8", 0x41, 119},
    {"f9", 0x42, 120}, {"f10", 0x43, 121}, {"f11", 0x44, 122}, {"f12", 0x45, 123},
    {"printscreen", 0x46, 44}, {"scrolllock", 0x47, 145}, {"pause", 0x48, 19},
    {"insert", 0x49, 45}, {"home", 0x4A, 36}, {"pageup", 0x4B, 33}, {"delete", 0x4C, 46},
    {"end", 0x4D, 35}, {"pagedown", 0x4E, 34},
    {"right", 0x4F, 39}, {"left", 0x50, 37}, {"down", 0x51, 40}, {"up", 0x52, 38},
    {"numlock", 0x53, 144}, {"num-divide", 0x54, 111}, {"num-multiply", 0x55, 106},
    {"num-minus", 0x56, 109}, {"num-plus", 0x57, 107},
    {"num1", 0x59, 97}, {"num2", 0x5A, 98}, {"num3", 0x5B, 99}, {"num4", 0x5C, 100},
    {"num5", 0x5D, 101}, {"num6", 0x5E, 102}, {"num7", 0x5F, 103}, {"num8", 0x60, 104},
    {"num9", 0x61, 105}, {"num0", 0x62, 96}, {"num-period", 0x63, 110},
    {"menu", 0x65, 93},
};

struct NamedModifier {
    const char* name;
    uint8_t bit;
};

// In bit order, which is also the order a name lists them in.
const NamedModifier kModifierNames[] = {
    {"ctrl", kModLeftCtrl},   {"shift", kModLeftShift},   {"alt", kModLeftAlt},
    {"win", kModLeftGui},     {"rctrl", kModRightCtrl},   {"rshift", kModRightShift},
    {"ralt", kModRightAlt},   {"rwin", kModRightGui},
};

constexpr char kKeysPrefix[] = "keys:";
constexpr size_t kKeysPrefixLength = sizeof(kKeysPrefix) - 1;

template <typename T, size_t N>
constexpr int Count(const T (&)[N]) {
    return static_cast<int>(N);
}

std::string Lower(const std::string& text) {
    std::string lower = text;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

bool ChoiceForItem(FunctionItem item, FunctionChoice& choice) {
    choice = FunctionChoice();
    if (const int code = MouseCodeForItem(item)) {
        choice.kind = FunctionChoice::MouseCode;
        choice.mouseCode = code;
        return true;
    }
    choice.kind = FunctionChoice::Command;
    return CommandForItem(item, &choice.group, &choice.number);
}

bool ParseKeys(const std::string& text, FunctionChoice& choice, std::string& error) {
    choice = FunctionChoice();
    choice.kind = FunctionChoice::Key;
    bool haveKey = false;
    size_t start = 0;
    while (true) {
        const size_t plus = text.find('+', start);
        const std::string part = text.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        if (part.empty()) {
            error = "empty part in key combination \"" + text + "\"";
            return false;
        }
        if (haveKey) {
            error = "the key must come last in \"" + text + "\"";
            return false;
        }
        bool known = false;
        for (const NamedModifier& m : kModifierNames)
            if (part == m.name) {
                if (choice.modifiers & m.bit) {
                    error = "modifier \"" + part + "\" named twice";
                    return false;
                }
                choice.modifiers |= m.bit;
                known = true;
            }
        for (const NamedKey& k : kKeyNames)
            if (!known && part == k.name) {
                choice.usage = k.usage;
                choice.virtualKey = k.virtualKey;
                haveKey = known = true;
            }
        if (!known) {
            error = "unknown key or modifier \"" + part + "\"";
            return false;
        }
        if (plus == std::string::npos) break;
        start = plus + 1;
    }
    if (!haveKey) {
        error = "key combination \"" + text + "\" names no key";
        return false;
    }
    return true;
}

// bytes 3 to 8: the part of a record that says what the button does.
bool SameFunction(const FunctionRecord& a, const FunctionRecord& b) {
    for (int i = kByteType; i < kRecordSize; ++i)
        if (a.bytes[i] != b.bytes[i]) return false;
    return true;
}

std::string KeysName(const FunctionRecord& record) {
    for (const NamedKey& k : kKeyNames) {
        if (k.usage != record.bytes[kByteUsage]) continue;
        std::string name = kKeysPrefix;
        for (const NamedModifier& m : kModifierNames)
            if (record.bytes[kByteCode] & m.bit) name += std::string(m.name) + "+";
        return name + k.name;
    }
    return std::string();
}

}  // namespace

bool ParseFunctionName(const std::string& name, FunctionChoice& choice, std::string& error) {
    const std::string lower = Lower(name);
    for (const NamedItem& n : kFunctionNames)
        if (lower == n.name) return ChoiceForItem(n.item, choice);
    if (lower.compare(0, kKeysPrefixLength, kKeysPrefix) == 0)
        return ParseKeys(lower.substr(kKeysPrefixLength), choice, error);
    error = "unknown function \"" + name + "\"";
    return false;
}

FunctionRecord EncodeChoice(const FunctionChoice& choice, int slot) {
    FunctionRecord record = EmptyRecord(slot);
    switch (choice.kind) {
    case FunctionChoice::MouseCode:
        record.bytes[kByteType] = Mouse;
        record.bytes[kByteCode] = static_cast<uint8_t>(choice.mouseCode);
        break;
    case FunctionChoice::Command:
        EncodeCommand(record, slot, choice.group, choice.number);
        break;
    case FunctionChoice::Key:
        record.bytes[kByteType] = Keyboard;
        record.bytes[kByteCode] = choice.modifiers;
        record.bytes[kByteUsage] = choice.usage;
        break;
    }
    return record;
}

std::string FunctionNameOf(const FunctionRecord& record) {
    // A name is given only when it writes back this very record.
    const FunctionItem item = DecodeFunctionItem(record);
    FunctionChoice choice;
    std::string error;
    for (const NamedItem& n : kFunctionNames)
        if (n.item == item && ChoiceForItem(item, choice) &&
            SameFunction(EncodeChoice(choice, record.bytes[kByteSlot]), record))
            return n.name;
    if (record.bytes[kByteType] == Keyboard) {
        const std::string keys = KeysName(record);
        if (!keys.empty() && ParseFunctionName(keys, choice, error) &&
            SameFunction(EncodeChoice(choice, record.bytes[kByteSlot]), record))
            return keys;
    }
    char raw[32];
    std::snprintf(raw, sizeof raw, "raw:%02X-%02X-%02X-%02X-%02X-%02X", record.bytes[3], record.bytes[4],
                  record.bytes[5], record.bytes[6], record.bytes[7], record.bytes[8]);
    return raw;
}

int FunctionNameCount() { return Count(kFunctionNames); }
const char* FunctionNameAt(int index) {
    return index >= 0 && index < Count(kFunctionNames) ? kFunctionNames[index].name : nullptr;
}
int KeyNameCount() { return Count(kKeyNames); }
const char* KeyNameAt(int index) { return index >= 0 && index < Count(kKeyNames) ? kKeyNames[index].name : nullptr; }
int ModifierNameCount() { return Count(kModifierNames); }
const char* ModifierNameAt(int index) {
    return index >= 0 && index < Count(kModifierNames) ? kModifierNames[index].name : nullptr;
}
