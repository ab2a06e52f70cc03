// The service's own logging, as the panel last read or set it. Portable.
#pragma once

#include <cstdint>
#include <string>

namespace kestrel {

struct LogSettings {
    std::wstring folder;  // at most 259 characters
    uint32_t level = 0;
};

}  // namespace kestrel
