// When the next refresh pass may start. A pass against a slow service takes
// the thread for its whole length, so the next one starts no sooner than four
// times that length after it ended: the refresh then takes at most about a
// fifth of the thread's time. Passes that fit that share run on every tick.
// A pass is never cut short; only the start of the next one is put off.
// Portable: no windows.h.
#pragma once

#include <cstdint>

#include "TickElapsed.h"

namespace kestrel {

inline constexpr uint32_t kRefreshShareDivisor = 5;  // the refresh's share: one fifth

class RefreshCadence {
public:
    explicit RefreshCadence(uint32_t periodMs) : period(periodMs) {}

    // Whether a tick at now (tick count) may start a pass.
    bool Due(uint32_t now) const { return TickElapsed(lastEnd, now) >= hold; }

    // A pass ran from start to end (tick counts).
    void PassRan(uint32_t start, uint32_t end) {
        const uint64_t length = TickElapsed(start, end);
        lastEnd = end;
        // Within its share at the plain cadence: the next pass runs on the next tick.
        if (length * kRefreshShareDivisor <= period) {
            hold = 0;
            return;
        }
        const uint64_t rest = length * (kRefreshShareDivisor - 1);
        hold = rest < UINT32_MAX ? static_cast<uint32_t>(rest) : UINT32_MAX;
    }

    // The next tick may start a pass, whatever the last one took.
    void Reset() { hold = 0; }

private:
    uint32_t period;
    uint32_t lastEnd = 0;
    uint32_t hold = 0;  // from lastEnd on, no pass starts
};

}  // namespace kestrel
