#include "StopperRepeatRule.h"

namespace kestrel {

bool StopperRepeatRule::GiveUp(const void* window) {
    if (window == previous_) {
        ++repeats_;
        if (repeats_ > kMaxRepeats) return true;
    } else {
        repeats_ = 0;
    }
    previous_ = window;
    return false;
}

}  // namespace kestrel
