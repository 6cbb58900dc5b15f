// What enumeration learns about each HID collection of our vendor and product
// id, and which one carries the configuration reports. A gaming mouse often
// has several: its pointer and keyboard (held by Windows), shared consumer or
// system controls, and more than one vendor-defined collection.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct CollectionInfo {
    std::wstring path;
    USHORT usagePage = 0;
    USHORT usage = 0;
    // Report lengths as the collection's capabilities give them, report id
    // byte included; 0 when the collection has none of that kind.
    USHORT inputLength = 0;
    USHORT outputLength = 0;
    USHORT featureLength = 0;
    bool opened = false;  // opened for reading and writing
};

// The report length that the program exchanges: report id and eight bytes.
constexpr USHORT kConfigReportLength = 9;

// A vendor-defined collection (usage page 0xFF00 and up), opened, whose
// input and output reports are both exactly 9 bytes. Only such a one is
// taken: a shorter output report would cut every record short while the
// write still succeeds.
bool ExactFit(const CollectionInfo& c);

// The interface number of a device path ("...&mi_02#..." gives 2), -1 for
// a path without one (a device with a single interface).
int InterfaceNumber(const std::wstring& path);

// Index into found of the collection to use, or -1 for none: among the
// exact fits, the lowest usage page, then the lowest interface number, then
// the path, so the same mouse gives the same choice in any enumeration order.
int ChooseCollection(const std::vector<CollectionInfo>& found);
