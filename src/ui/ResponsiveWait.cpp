#include "ResponsiveWait.h"

#include "TickElapsed.h"

namespace kestrel {

namespace {

// What wakes the wait: a message sent from another thread or process, and a
// window that needs painting.
constexpr DWORD kAnsweredQueue = QS_SENDMESSAGE | QS_PAINT;

}  // namespace

DWORD ResponsiveWait::Wait(HANDLE handle, uint32_t timeoutMs) {
    ++depth;
    const DWORD start = ::GetTickCount();
    const DWORD count = handle != nullptr ? 1 : 0;
    DWORD result = WAIT_TIMEOUT;
    // A paint already due when the wait began wakes it too; should a wake find
    // nothing to paint, only what arrives from then on does.
    DWORD flags = MWMO_INPUTAVAILABLE;
    for (;;) {
        const uint32_t elapsed = TickElapsed(start, ::GetTickCount());
        if (elapsed >= timeoutMs) {
            result = count != 0 ? ::WaitForSingleObject(handle, 0) : WAIT_TIMEOUT;
            break;
        }
        result = ::MsgWaitForMultipleObjectsEx(count, count != 0 ? &handle : nullptr,
                                               timeoutMs - elapsed, kAnsweredQueue, flags);
        if (result != WAIT_OBJECT_0 + count) break;
        if (!AnswerWindowManager(start, timeoutMs)) flags = 0;
    }
    --depth;
    return result;
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
