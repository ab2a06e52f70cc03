// The DMS parameter set of a port or of the defaults, as held in memory.
// Portable: no windows.h.
#pragma once

#include <cstdint>

#include "ServiceProtocol.h"

namespace kestrel {

struct DmsConfig {
    char host[kDmsHostBytes] = {};  // NUL-terminated, at most 299 characters
    char port[kDmsPortBytes] = {};  // decimal text as entered, at most 9 characters
    uint32_t retryMs = 0;
    uint8_t useSsl = 0;
    uint8_t comPortActive = 0;
};

}  // namespace kestrel
