// Misbehaviour to inject into the answers of the simulated service, for tests of
// the panel's error paths. Portable: no windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ServiceProtocol.h"

namespace kestrel::sim {

enum class FaultKind {
    Delay,    // value: answer that many milliseconds late
    Drop,     // read the request, then DisconnectNamedPipe without answering
    Crash,    // read the request, then close the server end without disconnecting
    Length,   // value: send a response of that many bytes instead of 532
    Stale,    // value: send that many responses with older sequence numbers first
    Future,   // value: answer with the sequence number plus value instead
    Version,  // version: QueryVersion reports this protocol version
    Refuse,   // value: refuse the request with this status, without acting on it
    Claim,    // value: GetPortListInfo reports that many ports
    Names,    // value: GetPortName answers an index past the end (PastEndNames)
    Silence,  // read the request, neither act on it nor answer it
};

// How GetPortName answers an index past the end of the list under a Names fault.
enum class PastEndNames : uint32_t { Refuse, Repeat, Invent };

enum class Disconnect { None, Drop, Crash };

// Largest response a Length fault may ask for; anything above 532 already
// makes the client's read fail with ERROR_MORE_DATA.
inline constexpr size_t kMaxFaultResponseBytes = 4096;
inline constexpr uint32_t kMaxStaleResponses = 16;

struct Fault {
    FaultKind kind = FaultKind::Delay;
    uint32_t value = 0;
    uint32_t version[3] = {};
    bool anyCode = true;
    uint32_t code = 0;    // the request code it applies to, unless anyCode
    std::wstring port;    // only requests that name this port; empty: any request
    uint32_t skip = 0;    // matching requests to let pass before it applies
    bool always = false;  // never used up
    uint32_t remaining = 1;
};

// What to do with one request, gathered from every fault that applies to it.
struct FaultAction {
    uint32_t delayMs = 0;
    Disconnect disconnect = Disconnect::None;
    bool overrideLength = false;
    size_t length = 0;
    uint32_t staleCount = 0;
    uint32_t sequenceShift = 0;
    bool overrideVersion = false;
    uint32_t version[3] = {};
    uint32_t refuseStatus = kResultOk;  // kResultOk: no refusal
    bool overrideCount = false;
    uint32_t count = 0;
    PastEndNames pastEnd = PastEndNames::Refuse;
    bool silent = false;
};

class FaultPlan {
public:
    void Add(const Fault& fault) { faults.push_back(fault); }
    void Clear() { faults.clear(); }
    const std::vector<Fault>& Faults() const { return faults; }

    // Every pending fault that applies to the request code and the port it
    // names (empty: none), and has no requests left to skip, is used once, in
    // the order they were added; a later fault of the same kind overrides an
    // earlier one.
    FaultAction Take(uint32_t code, const std::wstring& port);

private:
    std::vector<Fault> faults;
};

}  // namespace kestrel::sim
