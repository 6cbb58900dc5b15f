// Keys a user presses and what the mouse sends for them. The mouse sends
// keyboard usages, which name key positions of the US layout; the user's
// layout may put other letters there. Captured keys are therefore taken by
// position, and stored keys are named again in the user's own layout.
#pragma once
#include <cstdint>
#include <string>

// Keyboard usage of a virtual key of the US layout; 0 when it has none.
uint8_t KeyboardUsageForVirtualKey(unsigned virtualKey);
// Media bit of a consumer key that becomes a media record; 0 otherwise.
uint8_t MediaBitForVirtualKey(unsigned virtualKey);
// Mouse code of the browser keys that the mouse's own buttons stand in for; 0 otherwise.
uint8_t MouseCodeForVirtualKey(unsigned virtualKey);
// A key a record can hold: a keyboard usage, a media bit or a mouse code.
bool IsCapturableKey(unsigned virtualKey);

// Scan codes are set-1 codes; extended keys carry 0xE000.
// The scan code of the key at a usage's position; 0 when none.
unsigned ScanCodeForUsage(int usage);
// The US layout's virtual key at a position; 0 when none.
unsigned UsVirtualKeyForScanCode(unsigned scanCode);
// Scan code (with 0xE000 for the extended flag) in a key message's key data.
unsigned ScanCodeFromKeyData(unsigned keyData);

// The user's keyboard layout, as far as keys are converted and named.
class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;
    // Scan code of a virtual key in this layout; 0 when none.
    virtual unsigned ScanCodeForVirtualKey(unsigned virtualKey) const = 0;
    // This layout's name of the key at a scan code; empty when it has none.
    virtual std::wstring KeyName(unsigned scanCode) const = 0;
};
// The active layout of the calling thread, through the system's key services.
const KeyboardLayout& SystemKeyboardLayout();

// The virtual key to store for a captured key: for the keys whose meaning
// follows the layout (letters, digits, punctuation), the US key at the
// position pressed, found from the key data's scan code, else from the
// layout; every other key as it is.
unsigned PositionVirtualKey(unsigned virtualKey, unsigned keyData, const KeyboardLayout& layout);

// Text of a stored combination: the modifier prefixes, then the name the
// layout gives the usage's key, or the usage name where it gives none.
std::wstring StoredCombinationText(uint8_t modifiers, int usage, const KeyboardLayout& layout);
