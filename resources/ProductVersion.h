// The product's own version as C++ constants, the one in its version block.
// The protocol version the service must report is a separate constant
// (ServiceProtocol.h).
#pragma once

#include "ProductInfo.h"

namespace kestrel {

inline constexpr unsigned kProductVersionMajor = KESTREL_VERSION_MAJOR;
inline constexpr unsigned kProductVersionMinor = KESTREL_VERSION_MINOR;
inline constexpr unsigned kProductVersionPatch = KESTREL_VERSION_PATCH;

}  // namespace kestrel
