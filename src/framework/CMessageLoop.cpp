#include "CMessageLoop.h"

#include <algorithm>
#include <new>

namespace kestrel {

bool CMessageLoop::AddMessageFilter(CMessageFilter* filter) {
    if (!filter || std::find(filters.begin(), filters.end(), filter) != filters.end()) return false;
    try {
        filters.push_back(filter);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// While the filters are being offered a message, the entry is only blanked,
// so that positions stay valid; the offer drops the blanks afterwards.
bool CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) {
    const auto found = std::find(filters.begin(), filters.end(), filter);
    if (!filter || found == filters.end()) return false;
    if (busy > 0) {
        *found = nullptr;
    } else {
        filters.erase(found);
    }
    return true;
}

int CMessageLoop::Run() {
    MSG msg{};
    for (;;) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) continue;
        if (!got) break;
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}

bool CMessageLoop::PreTranslateMessage(MSG* msg) {
    ++busy;
    bool consumed = false;
    // Entries added meanwhile go to the end, beyond the walk.
    for (size_t i = filters.size(); i-- > 0 && !consumed;) {
        if (filters[i]) consumed = filters[i]->PreTranslateMessage(msg);
    }
    if (--busy == 0)
        filters.erase(std::remove(filters.begin(), filters.end(), nullptr), filters.end());
    return consumed;
}

}  // namespace kestrel
