#include "CMessageLoop.h"

#include <algorithm>
#include <new>

namespace kestrel {

namespace {
const UINT kSystemTimerMessage = 0x0118;

template <class T>
bool AddEntry(std::vector<T*>& entries, T* entry) {
    if (!entry || std::find(entries.begin(), entries.end(), entry) != entries.end()) return false;
    try {
        entries.push_back(entry);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// While the list is being walked, the entry is only blanked, so that positions
// stay valid; Compact drops the blanks afterwards.
template <class T>
bool RemoveEntry(std::vector<T*>& entries, T* entry, bool busy) {
    const auto found = std::find(entries.begin(), entries.end(), entry);
    if (!entry || found == entries.end()) return false;
    if (busy) {
        *found = nullptr;
    } else {
        entries.erase(found);
    }
    return true;
}
}  // namespace

bool CMessageLoop::AddMessageFilter(CMessageFilter* filter) { return AddEntry(filters, filter); }

bool CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) {
    return RemoveEntry(filters, filter, busy > 0);
}

bool CMessageLoop::AddIdleHandler(CIdleHandler* handler) { return AddEntry(idleHandlers, handler); }

bool CMessageLoop::RemoveIdleHandler(CIdleHandler* handler) {
    return RemoveEntry(idleHandlers, handler, busy > 0);
}

int CMessageLoop::Run() {
    bool idleArmed = true;
    MSG msg{};
    for (;;) {
        if (idleArmed && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            OnIdle();
            idleArmed = false;
        }
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) continue;
        if (!got) break;
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (IsIdleMessage(msg)) idleArmed = true;
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
    --busy;
    Compact();
    return consumed;
}

void CMessageLoop::OnIdle() {
    ++busy;
    const size_t count = idleHandlers.size();
    for (size_t i = 0; i < count; ++i) {
        if (idleHandlers[i]) idleHandlers[i]->OnIdle();
    }
    --busy;
    Compact();
}

bool CMessageLoop::IsIdleMessage(const MSG& msg) {
    switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case kSystemTimerMessage: return false;
    default: return true;
    }
}

void CMessageLoop::Compact() {
    if (busy > 0) return;
    filters.erase(std::remove(filters.begin(), filters.end(), nullptr), filters.end());
    idleHandlers.erase(std::remove(idleHandlers.begin(), idleHandlers.end(), nullptr),
                       idleHandlers.end());
}

}  // namespace kestrel
