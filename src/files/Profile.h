// Profile files (.mvf): the function record table as an XML document,
// root "Mirvostan", a Version and MouseFun/ButtonN/ByteM element texts.
// Works on a record array and returns a status; the caller shows texts.
#pragma once
#include <string>

#include "config/FunctionRecord.h"

class CXmlNode;

enum class ProfileStatus {
    Accepted,
    InvalidFormat,       // Version missing, empty or 255
    UnsupportedVersion,  // any other Version above 1
    Unreadable,          // missing, unsafe or not well-formed file
};

// Reads a profile into records; records change only when Accepted. Bytes
// 0..2 of each record become 00 04 i (i = its slot): a file must not address
// anything but its own slot on the mouse. Shows nothing.
ProfileStatus ReadProfileFile(const std::wstring& path, RecordArray& records);
// 1 written, 0 not; a failed save leaves any file already at path as it was.
int WriteProfileFile(const std::wstring& path, const RecordArray& records);

// The inner steps, given the document element. WriteProfileTree returns 1
// only when every element and text was created.
int WriteProfileTree(const RecordArray& records, CXmlNode& root);
ProfileStatus ReadProfileTree(RecordArray& records, CXmlNode& root);
