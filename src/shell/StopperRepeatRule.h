// When the -exitall stopper gives up on a running instance. Portable: no windows.h.
#pragma once

namespace kestrel {

// The stopper posts a quit request to the instance window it finds, waits and
// searches again. Finding the same window again counts as a repeat; a different
// window restarts the count. More than 20 repeats in a row (21 requests to one
// window) mean the instance does not go.
class StopperRepeatRule {
public:
    static constexpr int kMaxRepeats = 20;

    // Called with each window found, before posting to it.
    bool GiveUp(const void* window);

private:
    const void* previous = nullptr;
    int repeats = 0;
};

}  // namespace kestrel
