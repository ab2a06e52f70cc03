// Elapsed time on the wrapping 32-bit millisecond tick counter: now - start
// modulo 2^32, exact across a wrap as long as less than 2^32 ms (49.7 days)
// have passed. Portable: no windows.h.
#pragma once

#include <cstdint>

namespace kestrel {

inline uint32_t TickElapsed(uint32_t start, uint32_t now) { return now - start; }

}  // namespace kestrel
