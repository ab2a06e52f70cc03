// The simulated Kestrel service without its pipe: the state behind one mutex,
// the answers to request frames with their injected faults, and the command
// language. SimServer puts it on a named pipe. Portable: no windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "CommandInterpreter.h"
#include "FaultPlan.h"
#include "SimState.h"

namespace kestrel::sim {

// What to send back for one request message.
struct Reply {
    uint32_t delayMs = 0;                        // wait this long first
    Disconnect disconnect = Disconnect::None;    // then, instead of answering, drop the client
    std::vector<std::vector<uint8_t>> messages;  // otherwise write these in order; none: no answer
};

class SimService {
public:
    // Counts the message, applies the faults that match its code and answers it.
    Reply Handle(const uint8_t* request, size_t length);

    // Runs one command line; the server actions, a sleep among them, are left
    // to the caller.
    CommandResult Execute(const std::string& line);

    void AdvanceTraffic();

    SimModel Snapshot() const;
    RequestCounts Counts() const;

private:
    mutable std::mutex mutex;
    SimState state;
};

}  // namespace kestrel::sim
