#include "keys/KeyUsage.h"

#include <windows.h>

#include "config/FunctionRecord.h"
#include "keys/KeyNames.h"

namespace {

constexpr unsigned kExtended = 0xE000;

// One key: its usage, its virtual key in the US layout and its position.
// The first row of a usage gives its position; later rows add virtual keys
// that mean the same key (VK_CLEAR is numpad 5 without NumLock, VK_CANCEL
// is what Ctrl+Pause delivers). Return is the main Enter, not the numpad's.
struct KeyRow {
    uint8_t usage;
    uint8_t virtualKey;
    unsigned scanCode;
};
const KeyRow kKeys[] = {
    {0x04, 'A', 0x1E}, {0x05, 'B', 0x30}, {0x06, 'C', 0x2E}, {0x07, 'D', 0x20}, {0x08, 'E', 0x12},
    {0x09, 'F', 0x21}, {0x0A, 'G', 0x22}, {0x0B, 'H', 0x23}, {0x0C, 'I', 0x17}, {0x0D, 'J', 0x24},
    {0x0E, 'K', 0x25}, {0x0F, 'L', 0x26}, {0x10, 'M', 0x32}, {0x11, 'N', 0x31}, {0x12, 'O', 0x18},
    {0x13, 'P', 0x19}, {0x14, 'Q', 0x10}, {0x15, 'R', 0x13}, {0x16, 'S', 0x1F}, {0x17, 'T', 0x14},
    {0x18, 'U', 0x16}, {0x19, 'V', 0x2F}, {0x1A, 'W', 0x11}, {0x1B, 'X', 0x2D}, {0x1C, 'Y', 0x15},
    {0x1D, 'Z', 0x2C},
    {0x1E, '1', 0x02}, {0x1F, '2', 0x03}, {0x20, '3', 0x04}, {0x21, '4', 0x05}, {0x22, '5', 0x06},
    {0x23, '6', 0x07}, {0x24, '7', 0x08}, {0x25, '8', 0x09}, {0x26, '9', 0x0A}, {0x27, '0', 0x0B},
    {0x28, VK_RETURN, 0x1C}, {0x29, VK_ESCAPE, 0x01}, {0x2A, VK_BACK, 0x0E}, {0x2B, VK_TAB, 0x0F},
    {0x2C, VK_SPACE, 0x39}, {0x2D, VK_OEM_MINUS, 0x0C}, {0x2E, VK_OEM_PLUS, 0x0D},
    {0x2F, VK_OEM_4, 0x1A}, {0x30, VK_OEM_6, 0x1B}, {0x31, VK_OEM_5, 0x2B}, {0x33, VK_OEM_1, 0x27},
    {0x34, VK_OEM_7, 0x28}, {0x35, VK_OEM_3, 0x29}, {0x36, VK_OEM_COMMA, 0x33},
    {0x37, VK_OEM_PERIOD, 0x34}, {0x38, VK_OEM_2, 0x35}, {0x39, VK_CAPITAL, 0x3A},
    {0x3A, VK_F1, 0x3B}, {0x3B, VK_F2, 0x3C}, {0x3C, VK_F3, 0x3D}, {0x3D, VK_F4, 0x3E},
    {0x3E, VK_F5, 0x3F}, {0x3F, VK_F6, 0x40}, {0x40, VK_F7, 0x41}, {0x41, VK_F8, 0x42},
    {0x42, VK_F9, 0x43}, {0x43, VK_F10, 0x44}, {0x44, VK_F11, 0x57}, {0x45, VK_F12, 0x58},
    {0x46, VK_SNAPSHOT, kExtended | 0x37}, {0x47, VK_SCROLL, 0x46}, {0x48, VK_PAUSE, 0x45},
    {0x48, VK_CANCEL, kExtended | 0x46},
    {0x49, VK_INSERT, kExtended | 0x52}, {0x4A, VK_HOME, kExtended | 0x47},
    {0x4B, VK_PRIOR, kExtended | 0x49}, {0x4C, VK_DELETE, kExtended | 0x53},
    {0x4D, VK_END, kExtended | 0x4F}, {0x4E, VK_NEXT, kExtended | 0x51},
    {0x4F, VK_RIGHT, kExtended | 0x4D}, {0x50, VK_LEFT, kExtended | 0x4B},
    {0x51, VK_DOWN, kExtended | 0x50}, {0x52, VK_UP, kExtended | 0x48},
    {0x53, VK_NUMLOCK, kExtended | 0x45}, {0x54, VK_DIVIDE, kExtended | 0x35},
    {0x55, VK_MULTIPLY, 0x37}, {0x56, VK_SUBTRACT, 0x4A}, {0x57, VK_ADD, 0x4E},
    {0x58, 0, kExtended | 0x1C},
    {0x59, VK_NUMPAD1, 0x4F}, {0x5A, VK_NUMPAD2, 0x50}, {0x5B, VK_NUMPAD3, 0x51},
    {0x5C, VK_NUMPAD4, 0x4B}, {0x5D, VK_NUMPAD5, 0x4C}, {0x5D, VK_CLEAR, 0x4C},
    {0x5E, VK_NUMPAD6, 0x4D}, {0x5F, VK_NUMPAD7, 0x47}, {0x60, VK_NUMPAD8, 0x48},
    {0x61, VK_NUMPAD9, 0x49}, {0x62, VK_NUMPAD0, 0x52}, {0x63, VK_DECIMAL, 0x53},
    {0x64, VK_OEM_102, 0x56}, {0x65, VK_APPS, kExtended | 0x5D},
    {0x68, VK_F13, 0x64}, {0x69, VK_F14, 0x65}, {0x6A, VK_F15, 0x66}, {0x6B, VK_F16, 0x67},
    {0x6C, VK_F17, 0x68}, {0x6D, VK_F18, 0x69}, {0x6E, VK_F19, 0x6A}, {0x6F, VK_F20, 0x6B},
    {0x70, VK_F21, 0x6C}, {0x71, VK_F22, 0x6D}, {0x72, VK_F23, 0x6E}, {0x73, VK_F24, 0x76},
};

// Consumer keys: media records, and the browser keys the mouse's side
// buttons stand in for.
struct CodeRow {
    uint8_t virtualKey;
    uint8_t code;
};
const CodeRow kMediaKeys[] = {
    {VK_VOLUME_MUTE, kMediaMute},           {VK_VOLUME_DOWN, kMediaVolumeDown},
    {VK_VOLUME_UP, kMediaVolumeUp},         {VK_MEDIA_NEXT_TRACK, kMediaNextTrack},
    {VK_MEDIA_PREV_TRACK, kMediaPrevTrack}, {VK_MEDIA_STOP, kMediaStop},
    {VK_MEDIA_PLAY_PAUSE, kMediaPlayPause},
};
const CodeRow kMouseKeys[] = {{VK_BROWSER_BACK, kMouseBack}, {VK_BROWSER_FORWARD, kMouseForward}};

template <size_t N>
uint8_t CodeFor(const CodeRow (&rows)[N], unsigned virtualKey) {
    for (const CodeRow& r : rows)
        if (r.virtualKey == virtualKey) return r.code;
    return 0;
}

// Keys whose virtual key follows the layout's letters rather than a position.
bool FollowsLayout(unsigned vk) {
    return (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9') || (vk >= VK_OEM_1 && vk <= VK_OEM_3) ||
           (vk >= VK_OEM_4 && vk <= VK_OEM_8) || vk == VK_OEM_102;
}

class SystemLayout : public KeyboardLayout {
public:
    unsigned ScanCodeForVirtualKey(unsigned virtualKey) const override {
        const UINT scan = MapVirtualKeyExW(virtualKey, MAPVK_VK_TO_VSC_EX, GetKeyboardLayout(0));
        // The system writes the extended prefix as 0xE0 in the high byte.
        return (scan & 0xFF00) ? kExtended | (scan & 0xFF) : scan & 0xFF;
    }
    std::wstring KeyName(unsigned scanCode) const override {
        const LONG data = static_cast<LONG>(((scanCode & 0xFF) << 16) | ((scanCode & kExtended) ? 1u << 24 : 0));
        wchar_t name[32] = {};
        const int n = GetKeyNameTextW(data, name, 32);
        return std::wstring(name, n > 0 ? n : 0);
    }
};

}  // namespace

uint8_t KeyboardUsageForVirtualKey(unsigned virtualKey) {
    if (virtualKey == 0) return 0;
    for (const KeyRow& r : kKeys)
        if (r.virtualKey == virtualKey) return r.usage;
    return 0;
}

uint8_t MediaBitForVirtualKey(unsigned virtualKey) { return CodeFor(kMediaKeys, virtualKey); }
uint8_t MouseCodeForVirtualKey(unsigned virtualKey) { return CodeFor(kMouseKeys, virtualKey); }

bool IsCapturableKey(unsigned virtualKey) {
    return KeyboardUsageForVirtualKey(virtualKey) || MediaBitForVirtualKey(virtualKey) ||
           MouseCodeForVirtualKey(virtualKey);
}

unsigned ScanCodeForUsage(int usage) {
    for (const KeyRow& r : kKeys)
        if (r.usage == usage) return r.scanCode;
    return 0;
}

unsigned UsVirtualKeyForScanCode(unsigned scanCode) {
    if (scanCode == 0) return 0;
    for (const KeyRow& r : kKeys)
        if (r.scanCode == scanCode && r.virtualKey) return r.virtualKey;
    return 0;
}

unsigned ScanCodeFromKeyData(unsigned keyData) {
    const unsigned scan = (keyData >> 16) & 0xFF;
    return scan && (keyData & (1u << 24)) ? kExtended | scan : scan;
}

const KeyboardLayout& SystemKeyboardLayout() {
    static const SystemLayout layout;
    return layout;
}

unsigned PositionVirtualKey(unsigned virtualKey, unsigned keyData, const KeyboardLayout& layout) {
    if (!FollowsLayout(virtualKey)) return virtualKey;
    unsigned scan = ScanCodeFromKeyData(keyData);
    if (!scan) scan = layout.ScanCodeForVirtualKey(virtualKey);
    const unsigned us = UsVirtualKeyForScanCode(scan);
    return FollowsLayout(us) ? us : virtualKey;
}

std::wstring StoredCombinationText(uint8_t modifiers, int usage, const KeyboardLayout& layout) {
    const unsigned scan = ScanCodeForUsage(usage);
    const std::wstring name = scan ? layout.KeyName(scan) : std::wstring();
    if (name.empty()) return KeyCombinationText(modifiers, usage);
    return KeyCombinationText(modifiers, 0) + name;
}
