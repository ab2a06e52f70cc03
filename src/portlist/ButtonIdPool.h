// Command ids of the row buttons: an ordered set, so the smallest free id is
// reused first. Portable: no windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>

namespace kestrel {

inline constexpr int32_t kFirstButtonId = 2000;
inline constexpr int32_t kLastButtonId = 2999;

class ButtonIdPool {
public:
    // The smallest id not in use, or 0 when all are taken.
    int32_t NextFree() const;
    // False when the id is already in use.
    bool Add(int32_t id) { return ids.insert(id).second; }
    void Release(int32_t id) { ids.erase(id); }
    bool Contains(int32_t id) const { return ids.count(id) != 0; }
    size_t Count() const { return ids.size(); }
    bool IsEmpty() const { return ids.empty(); }

private:
    std::set<int32_t> ids;
};

}  // namespace kestrel
