// The simulated service's state as text: the model and its faults as command
// lines that rebuild them (the state command), and the request counters (the
// counts command). Portable: no windows.h.
#pragma once

#include <string>

#include "SimState.h"

namespace kestrel::sim {

class StateDescription {
public:
    // Defaults, log settings, every port and every pending fault, one command
    // a line, then a comment with the stamp and the number of ports. The
    // stamp is not rebuilt: it counts the changes that led to the state.
    static std::string Describe(const SimState& state);

    static std::string DescribeCounts(const RequestCounts& counts);
};

}  // namespace kestrel::sim
