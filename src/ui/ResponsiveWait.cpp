#include "ResponsiveWait.h"

#include "TickElapsed.h"

namespace kestrel {

namespace {

// What wakes the wait: a message sent from another thread or process, and a
// window that needs painting.
constexpr DWORD kAnsweredQueue = QS_SENDMESSAGE | QS_PAINT;

// The window manager takes a window whose thread has not looked at its queue
// for 5 s for hung, whatever it waits for: a long wait looks every second.
constexpr uint32_t kHungLookMs = 1000;

}  // namespace

DWORD ResponsiveWait::Wait(HANDLE handle, uint32_t timeoutMs) {
    const DWORD start = ::GetTickCount();
    const uint32_t sinceLook = TickElapsed(lastLook, start);
    if (handle != nullptr && sinceLook < kQueueLookIntervalMs) {
        const uint32_t rest = kQueueLookIntervalMs - sinceLook;
        const uint32_t slice = rest < timeoutMs ? rest : timeoutMs;
        const DWORD quick = ::WaitForSingleObject(handle, slice);
        if (quick != WAIT_TIMEOUT || slice == timeoutMs) return quick;
    }
    ++depth;
    const DWORD result = WaitLooking(handle, start, timeoutMs);
    --depth;
    lastLook = ::GetTickCount();
    return result;
}

DWORD ResponsiveWait::WaitLooking(HANDLE handle, DWORD start, uint32_t timeoutMs) {
    const DWORD count = handle != nullptr ? 1 : 0;
    // A paint already due when the wait began wakes it too; should a wake find
    // nothing to paint, only what arrives from then on does.
    DWORD flags = MWMO_INPUTAVAILABLE;
    for (;;) {
        const uint32_t elapsed = TickElapsed(start, ::GetTickCount());
        if (elapsed >= timeoutMs)
            return count != 0 ? ::WaitForSingleObject(handle, 0) : WAIT_TIMEOUT;
        const uint32_t left = timeoutMs - elapsed;
        const uint32_t slice = left < kHungLookMs ? left : kHungLookMs;
        const DWORD woke = ::MsgWaitForMultipleObjectsEx(count, count != 0 ? &handle : nullptr,
                                                         slice, kAnsweredQueue, flags);
        const bool looks = woke == WAIT_TIMEOUT && slice < left;
        if (woke != WAIT_OBJECT_0 + count && !looks) return woke;
        if (!AnswerWindowManager(start, timeoutMs)) flags = 0;
    }
}

bool ResponsiveWait::AnswerWindowManager(DWORD start, uint32_t timeoutMs) {
    MSG msg;
    // The peek delivers every sent message itself and retrieves nothing.
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    bool painted = false;
    while (TickElapsed(start, ::GetTickCount()) < timeoutMs &&
           ::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE | PM_QS_PAINT)) {
        ::DispatchMessageW(&msg);
        painted = true;
    }
    return painted;
}

}  // namespace kestrel
