// The simulator's text command language, shared by scenario files, the console,
// the control file and in-process tests. One command per line:
//
//   port NAME [label=T] [serial=T] [mode=N] [status=N] [default=B] [host=T]
//             [dmsport=T] [retry=MS] [ssl=B] [active=B] [traffic=B] [tx=N] [rx=N] [update=N]
//   remove NAME
//   defaults [host=T] [dmsport=T] [retry=MS] [ssl=B] [active=B]
//   log [folder=T] [level=N]
//   traffic on|off [NAME...]
//   fault KIND [ARG] [on=CODE|any] [after=N] [count=N|always]
//   clear-faults | reset | demo | state | counts | drop-all | crash-all | sleep MS | quit | help
//
// DMS parameters given to port are the port's own (default=0) unless default=
// is given too; tx, rx and update take N to set or +N to advance.
// Words are separated by blanks; a value in double quotes may hold blanks, and
// "" inside quotes stands for one quote (backslashes are plain characters, so
// Windows paths need no escaping). B is 0, 1, on or off; N is decimal or 0x hex.
// Lines whose first non-blank character is # are comments. Texts are UTF-8.
// Portable: no windows.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SimState.h"

namespace kestrel::sim {

// Effects that belong to whoever runs the pipe server or the program.
enum class ServerAction { kNone, kDropAll, kCrashAll, kSleep, kQuit };

struct CommandResult {
    bool ok = true;
    std::string text;  // the error when !ok, otherwise output to show (may be empty)
    ServerAction action = ServerAction::kNone;
    uint32_t sleepMs = 0;  // for kSleep
};

class CommandInterpreter {
public:
    explicit CommandInterpreter(SimState& state) : state_(state) {}

    CommandResult Execute(const std::string& line);

    // The model as command lines that rebuild it (faults included).
    static std::string Describe(const SimState& state);

    // Splits a line into words, removing quotes. False on an unterminated quote.
    static bool Split(const std::string& line, std::vector<std::string>* words, std::string* error);

private:
    bool Port(const std::vector<std::string>& args, std::string* error);
    bool Remove(const std::vector<std::string>& args, std::string* error);
    bool Defaults(const std::vector<std::string>& args, std::string* error);
    bool Log(const std::vector<std::string>& args, std::string* error);
    bool Traffic(const std::vector<std::string>& args, std::string* error);
    bool AddFault(const std::vector<std::string>& args, std::string* error);
    bool Demo(std::string* error);

    SimState& state_;
};

}  // namespace kestrel::sim
