// Everything the simulated service keeps, as one value that SimService guards
// with its mutex. Portable: no windows.h.
#pragma once

#include <array>
#include <cstdint>

#include "FaultPlan.h"
#include "ServiceProtocol.h"
#include "SimModel.h"

namespace kestrel::sim {

struct RequestCounts {
    uint64_t total = 0;                                // every message received
    std::array<uint64_t, kRequestCodeCount> byCode{};  // 726-byte requests by code
    uint64_t unknownCode = 0;                          // 726-byte requests of other codes
    uint64_t malformed = 0;                            // messages of another length
};

struct SimState {
    SimModel model;
    FaultPlan faults;
    RequestCounts counts;
};

}  // namespace kestrel::sim
