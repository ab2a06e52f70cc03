// How the pipe transport waits: on its event while an operation is pending,
// and between connect attempts. The plain way blocks the thread; a program
// with windows installs one that keeps its windows answering meanwhile.
#pragma once

#include <windows.h>

#include <cstdint>

namespace kestrel {

class WaitPolicy {
public:
    // Waits until handle is signalled or timeoutMs have passed by the clock;
    // with a null handle only the time passes. Gives WAIT_OBJECT_0,
    // WAIT_TIMEOUT, or WAIT_FAILED with the thread's last error set.
    virtual DWORD Wait(HANDLE handle, uint32_t timeoutMs) = 0;
    // How long of wantedMs a step that waits in several goes (the connect's
    // retries) may take in all; a policy with a deadline gives less.
    virtual uint32_t Allowance(uint32_t wantedMs) { return wantedMs; }

    // Whether a wait is under way that lets the thread's windows handle the
    // messages sent to them. A window must then leave alone whatever the
    // waiting call holds, and start no menu, dialog or other modal loop: it
    // would run inside the request. A plain wait delivers nothing.
    virtual bool Waiting() const { return false; }

protected:
    ~WaitPolicy() = default;
};

// Blocks the thread: what a program without windows (KestrelCtl) wants.
class PlainWait final : public WaitPolicy {
public:
    DWORD Wait(HANDLE handle, uint32_t timeoutMs) override {
        if (handle == nullptr) {
            ::Sleep(timeoutMs);
            return WAIT_TIMEOUT;
        }
        return ::WaitForSingleObject(handle, timeoutMs);
    }
};

}  // namespace kestrel
