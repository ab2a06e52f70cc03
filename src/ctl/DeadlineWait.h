// The run's overall deadline, counted from the process's creation as a
// monitoring system counts it: every wait of the link is cut to what is left
// of it, less a margin in which the tool still writes its answer.
#pragma once

#include <windows.h>

#include <cstdint>

#include "WaitPolicy.h"

namespace kestrel::ctl {

// What the waits leave of the deadline for the answer to be written.
inline constexpr uint32_t kDeadlineMarginMs = 500;

class DeadlineWait final : public WaitPolicy {
public:
    // seconds: 1 or more.
    explicit DeadlineWait(uint32_t seconds);

    DWORD Wait(HANDLE handle, uint32_t timeoutMs) override;
    uint32_t Allowance(uint32_t wantedMs) override;

    // A wait was cut short by the deadline and ran out, or no time is left.
    bool Expired() const { return cutShort || RemainingMs() == 0; }

private:
    uint32_t RemainingMs() const;

    ULONGLONG endTick = 0;
    bool cutShort = false;
};

}  // namespace kestrel::ctl
