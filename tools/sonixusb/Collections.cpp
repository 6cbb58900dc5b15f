#include "Collections.h"

namespace {

// Shorter reports fit the program's buffers too; longer ones would not.
bool Fits(const CollectionInfo& c) {
    return c.opened && c.inputLength >= 1 && c.inputLength <= kConfigReportLength && c.outputLength >= 1 &&
           c.outputLength <= kConfigReportLength;
}

}  // namespace

bool ExactFit(const CollectionInfo& c) {
    return c.opened && c.usagePage >= 0xFF00 && c.inputLength == kConfigReportLength &&
           c.outputLength == kConfigReportLength;
}

int ChooseCollection(const std::vector<CollectionInfo>& found) {
    for (size_t i = 0; i < found.size(); ++i)
        if (ExactFit(found[i])) return static_cast<int>(i);
    for (size_t i = 0; i < found.size(); ++i)
        if (Fits(found[i])) return static_cast<int>(i);
    return -1;
}
