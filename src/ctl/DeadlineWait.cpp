#include "DeadlineWait.h"

#include <algorithm>

namespace kestrel::ctl {

namespace {

uint64_t FileTimeValue(const FILETIME& time) {
    return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

// How long the process has run: the time spent starting it counts against
// the deadline too.
uint64_t MsSinceCreation() {
    FILETIME creation{}, exited{}, kernel{}, user{}, now{};
    if (!::GetProcessTimes(::GetCurrentProcess(), &creation, &exited, &kernel, &user)) return 0;
    ::GetSystemTimeAsFileTime(&now);
    const uint64_t from = FileTimeValue(creation), to = FileTimeValue(now);
    return to > from ? (to - from) / 10000 : 0;  // 100 ns units
}

}  // namespace

DeadlineWait::DeadlineWait(uint32_t seconds) {
    const uint64_t budget = uint64_t{seconds} * 1000 - kDeadlineMarginMs;
    const uint64_t spent = MsSinceCreation();
    endTick = ::GetTickCount64() + (budget > spent ? budget - spent : 0);
}

uint32_t DeadlineWait::RemainingMs() const {
    const ULONGLONG now = ::GetTickCount64();
    return now >= endTick ? 0
                          : static_cast<uint32_t>(std::min<ULONGLONG>(endTick - now, UINT32_MAX));
}

DWORD DeadlineWait::Wait(HANDLE handle, uint32_t timeoutMs) {
    const uint32_t left = RemainingMs();
    const uint32_t cut = std::min(timeoutMs, left);
    DWORD result = WAIT_TIMEOUT;
    if (handle == nullptr) {
        ::Sleep(cut);
    } else {
        // Even with no time left an operation that has ended is taken.
        result = ::WaitForSingleObject(handle, cut);
    }
    if (cut < timeoutMs && result == WAIT_TIMEOUT) cutShort = true;
    return result;
}

uint32_t DeadlineWait::Allowance(uint32_t wantedMs) { return std::min(wantedMs, RemainingMs()); }

}  // namespace kestrel::ctl
