// The command line of mirvostan-cli: what a request asks for, parsed
// completely before the mouse is touched.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "keys/FunctionNames.h"

// Exit codes, as documented in the help text.
enum CliExit {
    kExitOk = 0,
    kExitUsage = 1,     // bad command line, or a change the mouse must refuse
    kExitNoMouse = 2,   // no mouse, or no library
    kExitDevice = 3,    // upload or verification failed
    kExitFile = 4,      // the file could not be read or is not a valid profile
    kExitBusy = 5,      // another program used the mouse for longer than the wait
};

enum class CliCommand { None, Help, Version, Show, Set, Export, Import, Verify, Reset };

// Buttons in the order they are shown; slot is the record position.
struct ButtonName {
    const char* name;
    int slot;
};
extern const ButtonName kButtonNames[5];

struct ButtonChange {
    int slot = 0;
    std::string function;  // as given
    FunctionChoice choice;
};

struct CliRequest {
    CliCommand command = CliCommand::None;
    CliCommand helpFor = CliCommand::None;  // Help: the command asked about, None for all
    bool json = false;
    std::vector<ButtonChange> changes;
    int swapWheel = -1;  // -1 unchanged, 0 off, 1 on
    int dpi = 0;         // 0 unchanged
    int rateHz = 0;      // 0 unchanged
    std::wstring path;
};

// Parses the arguments after the program name. On failure error holds one line.
bool ParseCliArgs(const std::vector<std::wstring>& args, CliRequest& request, std::string& error);

// Help text of one command, or of the program for CliCommand::None.
std::string HelpText(CliCommand command);
std::string VersionText();

// DPI values the mouse takes: multiples of 200 from 600 to 6000.
constexpr int kMinDpi = 600;
constexpr int kMaxDpi = 6000;
constexpr int kDpiStep = 200;

// UTF-8 text of a wide string, for messages and output.
std::string Utf8(const std::wstring& text);
