// The panel's wait for the pipe transport. While a request waits, the thread
// keeps answering the messages sent to its windows and keeps painting them,
// so that the window manager never takes the window for hung. It retrieves
// no input and no posted message: no click, key, menu, timer or command
// starts anything inside a request; they wait in the queue, in order, until
// the request has returned. The time-out is kept by the clock, so answering
// messages never lengthens a wait.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "WaitPolicy.h"

namespace kestrel {

// How long sent messages and paints may wait at most for a look at the queue.
// Within it, an answer that comes quickly is waited for plainly: a pass
// against a fast service makes hundreds of such waits, and a look at the
// queue costs more than the wait itself.
inline constexpr uint32_t kQueueLookIntervalMs = 50;

class ResponsiveWait final : public WaitPolicy {
public:
    DWORD Wait(HANDLE handle, uint32_t timeoutMs) override;

    // Whether a request waits under the message being handled: a window
    // procedure must then leave alone whatever that request holds.
    bool Waiting() const override { return depth > 0; }

    // Posts the message to the window once the wait has returned (at once
    // when none is under way): a command sent during a request runs after
    // it, in the order sent. Held, not posted, meanwhile: nothing in the
    // queue can then be dispatched and posted back again inside the wait.
    void PostAfterWait(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    enum class Look { Nothing, Painted, Signalled };

    // The wait that looks at the queue, from start on.
    DWORD WaitLooking(HANDLE handle, DWORD start, uint32_t timeoutMs);
    // Delivers the messages sent to the thread's windows and paints a few of
    // them, until none is left, the handle is signalled or the deadline has
    // passed.
    Look LookAtQueue(HANDLE handle, DWORD start, uint32_t timeoutMs);
    void PostHeld();

    int depth = 0;
    DWORD lastLook = 0;  // tick count of the last look at the queue
    std::vector<MSG> held;
};

}  // namespace kestrel
