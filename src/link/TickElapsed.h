// Elapsed time on the wrapping 32-bit millisecond tick counter: now - start when
// now >= start; after a wrap (now < start) it is (2^32 - 1 - start) + now, one
// millisecond short of the modular difference, as the service link has always
// measured it. Portable: no windows.h.
#pragma once

#include <cstdint>

namespace kestrel {

inline uint32_t TickElapsed(uint32_t start, uint32_t now) {
    return now >= start ? now - start : (UINT32_MAX - start) + now;
}

}  // namespace kestrel
