// Profile files (.mvf): the function record table as an XML document,
// root "Mirvostan", a Version and MouseFun/ButtonN/ByteM element texts.
#pragma once
#include <string>

class RecordTable;
class CXmlNode;

// Writes the table to path. Returns 1 when the file was written; a failed
// save leaves any file already at path as it was.
int SaveProfile(const RecordTable& table, const std::wstring& path);
// Replaces the table (and DeviceImage) from the file. Returns 0, shows
// nothing and changes nothing when the file is missing, unsafe or not
// well-formed; a rejected version shows its message and returns 0.
int LoadProfile(RecordTable& table, const std::wstring& path);

// The inner steps, given the document element.
int WriteProfileTree(const RecordTable& table, CXmlNode& root);
int ReadProfileTree(RecordTable& table, CXmlNode& root);
