// Display texts of keyboard keys: HID usage names, modifier prefixes and the
// names of the consumer keys that the system cannot name.
#pragma once
#include <cstdint>
#include <string>

// Name of a Keyboard/Keypad usage code; empty when it has none.
std::wstring UsageName(int code);

// "Ctrl+Shift+Alt+Win+" (each at most once, left and right alike) then the usage name.
std::wstring KeyCombinationText(uint8_t modifiers, int usage);

// Name of a multimedia or browser key by virtual key (low byte only); empty otherwise.
std::wstring ConsumerKeyName(unsigned virtualKey);

// Running text of the key text field while keys are captured: the first 31
// characters of current, "+" if current is not empty, then the system's key
// name or, when it has none, ConsumerKeyName(virtualKey).
std::wstring CapturedKeyText(const std::wstring& current, const std::wstring& systemKeyName,
                             unsigned virtualKey);
