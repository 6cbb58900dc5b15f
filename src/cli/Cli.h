// The commands of mirvostan-cli over the device store: read the mouse,
// change it, upload, read back and compare. Output and messages are
// returned as text; main writes them to stdout and stderr.
#pragma once
#include <string>
#include <vector>

#include "cli/CliArgs.h"

// Runs the arguments after the program name against the mouse reached
// through libraryPath (empty: SonixUSB.DLL beside the program). Returns the
// exit code; out gets the output, err one line per message.
int RunCli(const std::vector<std::wstring>& args, std::string& out, std::string& err,
           const std::wstring& libraryPath = std::wstring());
