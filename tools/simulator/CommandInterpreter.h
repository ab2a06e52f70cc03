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
// is given too; tx, rx and update take N to set or +N to advance. Words,
// quoting, comments and values are read by CommandParser. Portable: no windows.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SimState.h"

namespace kestrel::sim {

// Effects that belong to whoever runs the pipe server or the program.
enum class ServerAction { None, DropAll, CrashAll, Sleep, Quit };

struct CommandResult {
    bool ok = true;
    std::string text;  // the error when !ok, otherwise output to show (may be empty)
    ServerAction action = ServerAction::None;
    uint32_t sleepMs = 0;  // for Sleep
};

class CommandInterpreter {
public:
    explicit CommandInterpreter(SimState& target) : state(target) {}

    // Runs one line against the state. A refused command changes nothing.
    CommandResult Execute(const std::string& line);

private:
    using Arguments = std::vector<std::string>;
    // Each returns false with the reason in result.text when it refuses the command.
    using Handler = bool (CommandInterpreter::*)(const Arguments& args, CommandResult& result);
    struct Verb {
        const char* name;
        bool takesArguments;
        Handler run;
    };
    static const Verb kVerbs[];

    bool Port(const Arguments& args, CommandResult& result);
    bool Remove(const Arguments& args, CommandResult& result);
    bool Defaults(const Arguments& args, CommandResult& result);
    bool Log(const Arguments& args, CommandResult& result);
    bool Traffic(const Arguments& args, CommandResult& result);
    bool AddFault(const Arguments& args, CommandResult& result);
    bool ClearFaults(const Arguments& args, CommandResult& result);
    bool Reset(const Arguments& args, CommandResult& result);
    bool Demo(const Arguments& args, CommandResult& result);
    bool ShowState(const Arguments& args, CommandResult& result);
    bool ShowCounts(const Arguments& args, CommandResult& result);
    bool ShowHelp(const Arguments& args, CommandResult& result);
    bool Sleep(const Arguments& args, CommandResult& result);
    // drop-all, crash-all and quit: done by whoever runs the server.
    template <ServerAction kAction>
    bool HandOver(const Arguments&, CommandResult& result) {
        result.action = kAction;
        return true;
    }

    SimState& state;
};

}  // namespace kestrel::sim
