// When the next refresh pass is due: the cadence paces the passes a service
// answers, and the stall watch those of a service that went silent. The
// mirror owns one and asks it on every tick of the refresh timer.
// Portable: no windows.h.
#pragma once

#include <cstdint>

#include "RefreshCadence.h"
#include "RequestResult.h"
#include "StallWatch.h"

namespace kestrel {

inline constexpr uint32_t kRefreshPeriodMs = 500;  // the refresh timer's period

class RefreshSchedule {
public:
    explicit RefreshSchedule(uint32_t periodMs = kRefreshPeriodMs) : cadence(periodMs) {}

    // Whether a tick at now starts a pass: the hold after a long pass is over,
    // and so is the quiet period of a silent service.
    bool Due(uint32_t now) const { return cadence.Due(now) && stall.MayTry(now); }
    // Whether a pass may talk to the service at now, whatever the cadence.
    bool MayTry(uint32_t now) const { return stall.MayTry(now); }
    bool NotResponding() const { return stall.NotResponding(); }
    // The exchange budget for a pass, given the normal one.
    uint32_t Budget(uint32_t normal) const { return stall.Budget(normal); }

    // What a request ended with at now; see StallWatch::Note.
    void Note(const RequestResult& result, uint32_t now) { stall.Note(result, now); }
    // A tick's pass ran from start to end (tick counts). One the service
    // answered paces the next; after any other the stall watch alone decides,
    // and a connect attempt runs on every tick.
    void PassRan(uint32_t start, uint32_t end, bool answered) {
        if (answered) {
            cadence.PassRan(start, end);
        } else {
            cadence.Reset();
        }
    }

    void SetStallTiming(uint32_t quietMs, uint32_t attemptBudgetMs) {
        stall = StallWatch(quietMs, attemptBudgetMs);
    }

private:
    RefreshCadence cadence;
    StallWatch stall;
};

}  // namespace kestrel
