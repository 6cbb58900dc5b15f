#include "keys/KeyNames.h"

namespace {

struct UsageEntry {
    uint8_t code;
    const char* name;
};

// Keyboard/Keypad usages 0x04..0xA4 without gaps, then the modifier keys.
// Digit keys carry their shifted symbols, as printed on the keys.
const UsageEntry KeyUsageNames[169] = {
    {0x04, "A"}, {0x05, "B"}, {0x06, "C"}, {0x07, "D"}, {0x08, "E"}, {0x09, "F"},
    {0x0A, "G"}, {0x0B, "H"}, {0x0C, "I"}, {0x0D, "J"}, {0x0E, "K"}, {0x0F, "L"},
    {0x10, "M"}, {0x11, "N"}, {0x12, "O"}, {0x13, "P"}, {0x14, "Q"}, {0x15, "R"},
    {0x16, "S"}, {0x17, "T"}, {0x18, "U"}, {0x19, "V"}, {0x1A, "W"}, {0x1B, "X"},
    {0x1C, "Y"}, {0x1D, "Z"},
    {0x1E, "!"}, {0x1F, "@"}, {0x20, "#"}, {0x21, "$"}, {0x22, "%"},
    {0x23, "^"}, {0x24, "&"}, {0x25, "*"}, {0x26, "("}, {0x27, ")"},
    {0x28, "Enter"}, {0x29, "Esc"}, {0x2A, "Backspace"}, {0x2B, "Tab"},
    {0x2C, "Spacebar"}, {0x2D, "-"}, {0x2E, "="}, {0x2F, "["}, {0x30, "]"},
    {0x31, "\\"}, {0x32, "~"}, {0x33, ";"}, {0x34, "'"}, {0x35, "Tilde"},
    {0x36, "<"}, {0x37, "."}, {0x38, "/"},
    {0x39, "Caps Lock"},
    {0x3A, "F1"}, {0x3B, "F2"}, {0x3C, "F3"}, {0x3D, "F4"}, {0x3E, "F5"}, {0x3F, "F6"},
    {0x40, "F7"}, {0x41, "F8"}, {0x42, "F9"}, {0x43, "F10"}, {0x44, "F11"}, {0x45, "F12"},
    {0x46, "Prnt Scrn"}, {0x47, "Scroll Lock"}, {0x48, "Pause"}, {0x49, "Insert"},
    {0x4A, "Home"}, {0x4B, "PageUp"}, {0x4C, "Delete"}, {0x4D, "End"},
    {0x4E, "PageDown"}, {0x4F, "Right"}, {0x50, "Left"}, {0x51, "Down"}, {0x52, "Up"},
    {0x53, "Num Lock"}, {0x54, "Num /"}, {0x55, "Num *"}, {0x56, "Num -"},
    {0x57, "Num +"}, {0x58, "Num ENTER"},
    {0x59, "Num 1"}, {0x5A, "Num 2"}, {0x5B, "Num 3"}, {0x5C, "Num 4"}, {0x5D, "Num 5"},
    {0x5E, "Num 6"}, {0x5F, "Num 7"}, {0x60, "Num 8"}, {0x61, "Num 9"},
    {0x62, "Num 0"}, {0x63, "Num ."},
    {0x64, "Non-US \\"}, {0x65, "Application"}, {0x66, "Power"}, {0x67, "Num ="},
    {0x68, "F13"}, {0x69, "F14"}, {0x6A, "F15"}, {0x6B, "F16"}, {0x6C, "F17"}, {0x6D, "F18"},
    {0x6E, "F19"}, {0x6F, "F20"}, {0x70, "F21"}, {0x71, "F22"}, {0x72, "F23"}, {0x73, "F24"},
    {0x74, "Execute"}, {0x75, "Help"}, {0x76, "Menu"}, {0x77, "Select"}, {0x78, "Stop"},
    {0x79, "Again"}, {0x7A, "Undo"}, {0x7B, "Cut"}, {0x7C, "Copy"}, {0x7D, "Paste"},
    {0x7E, "Find"}, {0x7F, "Mute"}, {0x80, "Volume Up"}, {0x81, "Volume Down"},
    {0x82, "Locking Caps Lock"}, {0x83, "Locking Num Lock"}, {0x84, "Locking Scroll Lock"},
    {0x85, "Num Comma"}, {0x86, "Num Equal Sign"},
    {0x87, "International1"}, {0x88, "International2"}, {0x89, "International3"},
    {0x8A, "International4"}, {0x8B, "International5"}, {0x8C, "International6"},
    {0x8D, "International7"}, {0x8E, "International8"}, {0x8F, "International9"},
    {0x90, "LANG1"}, {0x91, "LANG2"}, {0x92, "LANG3"}, {0x93, "LANG4"}, {0x94, "LANG5"},
    {0x95, "LANG6"}, {0x96, "LANG7"}, {0x97, "LANG8"}, {0x98, "LANG9"},
    {0x99, "Alternate Erase"}, {0x9A, "SysReq/Attention"}, {0x9B, "Cancel"},
    {0x9C, "Clear"}, {0x9D, "Prior"}, {0x9E, "Return"}, {0x9F, "Separator"},
    {0xA0, "Out"}, {0xA1, "Oper"}, {0xA2, "Clear/Again"}, {0xA3, "CrSel/Props"},
    {0xA4, "ExSel"},
    {0xE0, "LeftControl"}, {0xE1, "LeftShift"}, {0xE2, "LeftAlt"}, {0xE3, "Left GUI"},
    {0xE4, "RightControl"}, {0xE5, "RightShift"}, {0xE6, "RightAlt"}, {0xE7, "Right GUI"},
};

// Multimedia and browser keys, virtual keys 0xA6..0xB7 in order.
constexpr unsigned kFirstConsumerKey = 0xA6;
const char* const kConsumerKeyNames[] = {
    "Browse Back", "Browse Forward", "Browse Fresh", "Browse Stop", "Browse Search",
    "Favorites",   "Browse Home",    "Vol Mute",     "Vol Down",    "Vol Up",
    "Next Track",  "Prev Track",     "Media Stop",   "Pause/Play",  "Mail",
    "Media Select", "APP1",          "APP2",
};

std::wstring Widen(const char* ascii) {
    std::wstring text;
    for (const char* p = ascii; *p; ++p) text += static_cast<wchar_t>(*p);
    return text;
}

// What the key text field keeps of its old text.
constexpr size_t kKeptTextLength = 31;

}  // namespace

std::wstring UsageName(int code) {
    for (const UsageEntry& e : KeyUsageNames)
        if (e.code == code) return Widen(e.name);
    return std::wstring();
}

std::wstring KeyCombinationText(uint8_t modifiers, int usage) {
    std::wstring text;
    if (modifiers & 0x11) text += L"Ctrl+";
    if (modifiers & 0x22) text += L"Shift+";
    if (modifiers & 0x44) text += L"Alt+";
    if (modifiers & 0x88) text += L"Win+";
    return text + UsageName(usage);
}

std::wstring ConsumerKeyName(unsigned virtualKey) {
    const unsigned index = (virtualKey & 0xFF) - kFirstConsumerKey;  // wraps below the range
    if (index < sizeof(kConsumerKeyNames) / sizeof(kConsumerKeyNames[0]))
        return Widen(kConsumerKeyNames[index]);
    return std::wstring();
}

std::wstring CapturedKeyText(const std::wstring& current, const std::wstring& systemKeyName,
                             unsigned virtualKey) {
    std::wstring text = current.substr(0, kKeptTextLength);
    if (!text.empty()) text += L"+";
    text += systemKeyName.empty() ? ConsumerKeyName(virtualKey) : systemKeyName;
    return text;
}
