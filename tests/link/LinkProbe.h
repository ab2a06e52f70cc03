// Test access to the transport: its raw connect, which skips the pipe owner's
// check, the pipe handle and the operations' event.
#pragma once

#include <windows.h>

#include "CplPipeClient.h"
#include "RequestResults.h"

namespace kestrel::test {

class ProbeClient : public CplPipeClient {
public:
    explicit ProbeClient(const wchar_t* name) : CplPipeClient(name) {}
    using CplPipeClient::Connect;
    using CplPipeClient::IoEvent;
    using CplPipeClient::Pipe;
    bool HoldsNoEvent() const { return IoEvent() == nullptr; }
    // The connection invariant: the event exists exactly while the
    // handle is valid.
    bool InvariantHolds() const {
        if (!Pipe()) return HoldsNoEvent();
        if (HoldsNoEvent()) return false;
        // A live event handle: a zero-time wait does not fail.
        return ::WaitForSingleObject(IoEvent(), 0) != WAIT_FAILED;
    }
};

// Open handles of this process, or 0 where the platform does not count them.
inline DWORD OpenHandleCount() {
    DWORD n = 0;
    return ::GetProcessHandleCount(::GetCurrentProcess(), &n) ? n : 0;
}

}  // namespace kestrel::test
