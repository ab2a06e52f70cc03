// The tool's command line, read into one request by the command table, and
// the values of its keys. Commands, options and keys are case-insensitive;
// values and port names are kept as given. Portable: no windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "CtlCommandTable.h"
#include "ServiceProtocol.h"

namespace kestrel::ctl {

enum class PortsFormat { Table, Json, Csv };

struct CtlRequest {
    CtlCommand command = CtlCommand::Help;
    std::wstring port;
    PortsFormat format = PortsFormat::Table;
    bool yes = false;   // answers the question of a change with Yes
    std::wstring pipe;  // another pipe name than the service's (a simulator's); see PlainPipeName
    // check: this many ports not connected are critical; 0 never
    uint32_t criticalNotConnected = 0;
    // The run ends within this time; 0: no overall deadline.
    uint32_t timeoutSeconds = 0;
    std::map<std::wstring, std::wstring> values;  // by key in lower case; the last one given counts
};

struct CtlParse {
    bool ok = false;
    std::wstring error;  // what is wrong with the command line, when not ok
    CtlRequest request;
};

// The deadline --timeout takes, and the check's own when none is given.
inline constexpr uint32_t kMaxTimeoutSeconds = 3600;
inline constexpr uint32_t kCheckTimeoutSeconds = 10;

// A name --pipe takes: a plain name after \\.\pipe\, without \, / or .., that
// could lead elsewhere, of 1 to kMaxPipeNameChars characters, and none the
// system would read as another: not ".", no dot or blank at the end, no
// control character.
bool PlainPipeName(const std::wstring& name);

// args: the words after the program's name.
CtlParse ParseCtlArguments(const std::vector<std::wstring>& args);

// Lower case of the ASCII letters only: keys and options are ASCII.
std::wstring AsciiLower(std::wstring text);

// What --help prints: every command's line from the table.
std::wstring UsageText();

// ssl and active: 1 or true, 0 or false, in any case.
bool ParseFlag(const std::wstring& text, bool& value);
// A log level: a number 0 to 3, or the panel's text for it in any case.
bool ParseLevel(const std::wstring& text, uint32_t& level);

}  // namespace kestrel::ctl
