// Whether the service counts as not responding: an exchange timed out. Then
// the refresh leaves it alone for a quiet period and makes one attempt with a
// short exchange budget; an attempt that times out starts another quiet
// period, and any answer ends the state, a refusal too, whatever its status.
// Portable: no windows.h.
#pragma once

#include <cstdint>

#include "RequestResult.h"
#include "TickElapsed.h"

namespace kestrel {

inline constexpr uint32_t kStallQuietMs = 30000;
inline constexpr uint32_t kStallAttemptBudgetMs = 2000;

class StallWatch {
public:
    explicit StallWatch(uint32_t quietMs = kStallQuietMs,
                        uint32_t attemptBudgetMs = kStallAttemptBudgetMs)
        : quiet(quietMs), attemptBudget(attemptBudgetMs) {}

    bool NotResponding() const { return notResponding; }

    // A refresh exchange timed out at now (tick count).
    void TimedOut(uint32_t now) {
        notResponding = true;
        since = now;
    }
    // The service answered, or was found gone: the state ends.
    void Clear() { notResponding = false; }
    // What a request ended with at now: only a time-out makes the service
    // not responding; anything else ends the state.
    void Note(const RequestResult& result, uint32_t now) {
        if (result.TimedOut()) {
            TimedOut(now);
        } else {
            Clear();
        }
    }

    // Whether a pass may talk to the service at now.
    bool MayTry(uint32_t now) const { return !notResponding || TickElapsed(since, now) >= quiet; }

    // The exchange budget for a pass, given the normal one.
    uint32_t Budget(uint32_t normal) const {
        return notResponding && attemptBudget < normal ? attemptBudget : normal;
    }

private:
    uint32_t quiet;
    uint32_t attemptBudget;
    bool notResponding = false;
    uint32_t since = 0;
};

}  // namespace kestrel
