#include "ButtonIdPool.h"

namespace kestrel {

int32_t ButtonIdPool::NextFree() const {
    int32_t candidate = kFirstButtonId;
    for (auto it = ids.lower_bound(kFirstButtonId); it != ids.end() && *it == candidate; ++it)
        ++candidate;
    return candidate <= kLastButtonId ? candidate : 0;
}

}  // namespace kestrel
