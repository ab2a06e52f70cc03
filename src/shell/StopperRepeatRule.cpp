#include "StopperRepeatRule.h"

namespace kestrel {

bool StopperRepeatRule::GiveUp(const void* window) {
    if (window == previous) {
        ++repeats;
        if (repeats > kMaxRepeats) return true;
    } else {
        repeats = 0;
    }
    previous = window;
    return false;
}

}  // namespace kestrel
