#include "Collections.h"

#include <cwctype>
#include <tuple>

bool ExactFit(const CollectionInfo& c) {
    return c.opened && c.usagePage >= 0xFF00 && c.inputLength == kConfigReportLength &&
           c.outputLength == kConfigReportLength;
}

int InterfaceNumber(const std::wstring& path) {
    for (size_t i = 0; i + 5 <= path.size(); ++i) {
        if (path[i] != L'&' || std::towlower(path[i + 1]) != L'm' || std::towlower(path[i + 2]) != L'i' ||
            path[i + 3] != L'_')
            continue;
        int number = 0, digits = 0;
        for (size_t j = i + 4; j < path.size() && digits < 2 && std::iswxdigit(path[j]); ++j, ++digits)
            number = number * 16 + (std::iswdigit(path[j]) ? path[j] - L'0' : std::towlower(path[j]) - L'a' + 10);
        if (digits) return number;
    }
    return -1;
}

int ChooseCollection(const std::vector<CollectionInfo>& found) {
    int best = -1;
    for (size_t i = 0; i < found.size(); ++i) {
        const CollectionInfo& c = found[i];
        if (!ExactFit(c)) continue;
        if (best >= 0) {
            const CollectionInfo& b = found[static_cast<size_t>(best)];
            if (std::make_tuple(c.usagePage, InterfaceNumber(c.path), c.path) >=
                std::make_tuple(b.usagePage, InterfaceNumber(b.path), b.path))
                continue;
        }
        best = static_cast<int>(i);
    }
    return best;
}
