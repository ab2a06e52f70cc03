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

// Paints per look at the queue: a window that invalidates itself as it paints
// must not keep the wait from its handle, its deadline or the sent messages.
constexpr int kPaintsPerLook = 16;

// As many posted messages as a thread's queue takes: what the queue would
// refuse is not kept either.
constexpr size_t kHeldLimit = 10000;

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
    if (depth == 0) PostHeld();
    return result;
}

// Whenever it gets here a look is due: on entry the last one is at least
// kQueueLookIntervalMs old, and later the queue woke the wait or a second
// passed.
DWORD ResponsiveWait::WaitLooking(HANDLE handle, DWORD start, uint32_t timeoutMs) {
    const DWORD count = handle != nullptr ? 1 : 0;
    for (;;) {
        const Look look = LookAtQueue(handle, start, timeoutMs);
        if (look == Look::Signalled) return WAIT_OBJECT_0;
        const uint32_t elapsed = TickElapsed(start, ::GetTickCount());
        if (elapsed >= timeoutMs)
            return count != 0 ? ::WaitForSingleObject(handle, 0) : WAIT_TIMEOUT;
        const uint32_t left = timeoutMs - elapsed;
        const uint32_t slice = left < kHungLookMs ? left : kHungLookMs;
        // A paint the look left wakes the wait at once; when it found nothing
        // to paint, only what arrives from then on does.
        const DWORD flags = look == Look::Painted ? MWMO_INPUTAVAILABLE : 0;
        const DWORD woke = ::MsgWaitForMultipleObjectsEx(count, count != 0 ? &handle : nullptr,
                                                         slice, kAnsweredQueue, flags);
        const bool looks = woke == WAIT_TIMEOUT && slice < left;
        if (woke != WAIT_OBJECT_0 + count && !looks) return woke;
    }
}

ResponsiveWait::Look ResponsiveWait::LookAtQueue(HANDLE handle, DWORD start, uint32_t timeoutMs) {
    MSG msg;
    // The peek delivers every sent message itself and retrieves nothing.
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    lastLook = ::GetTickCount();
    Look look = Look::Nothing;
    for (int paints = 0; paints < kPaintsPerLook; ++paints) {
        if (handle != nullptr && ::WaitForSingleObject(handle, 0) == WAIT_OBJECT_0)
            return Look::Signalled;
        if (TickElapsed(start, ::GetTickCount()) >= timeoutMs ||
            !::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE | PM_QS_PAINT))
            break;
        ::DispatchMessageW(&msg);
        look = Look::Painted;
    }
    return look;
}

void ResponsiveWait::PostAfterWait(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (depth == 0) {
        ::PostMessageW(window, msg, wParam, lParam);
        return;
    }
    if (held.size() >= kHeldLimit) return;
    MSG message{};
    message.hwnd = window;
    message.message = msg;
    message.wParam = wParam;
    message.lParam = lParam;
    held.push_back(message);
}

void ResponsiveWait::PostHeld() {
    for (const MSG& msg : held) ::PostMessageW(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    held.clear();
}

}  // namespace kestrel
