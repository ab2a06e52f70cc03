// Test access to the transport: its raw connect, which skips the pipe owner's
// check, the pipe handle and the overlapped block.
#pragma once

#include <windows.h>

#include <cstring>

#include "CplPipeClient.h"
#include "RequestResults.h"

namespace kestrel::test {

class ProbeClient : public CplPipeClient {
public:
    explicit ProbeClient(const wchar_t* name) : CplPipeClient(name) {}
    using CplPipeClient::Connect;
    using CplPipeClient::Overlapped;
    using CplPipeClient::Pipe;
    bool OverlappedZero() const {
        const OVERLAPPED zero = {};
        return std::memcmp(&Overlapped(), &zero, sizeof zero) == 0;
    }
    // The connection invariant: the event exists exactly while the
    // handle is valid, and the block is all zero while not connected.
    bool InvariantHolds() const {
        if (!Pipe()) return OverlappedZero();
        if (Overlapped().hEvent == nullptr) return false;
        // A live event handle: a zero-time wait does not fail.
        return ::WaitForSingleObject(Overlapped().hEvent, 0) != WAIT_FAILED;
    }
};

// Open handles of this process, or 0 where the platform does not count them.
inline DWORD OpenHandleCount() {
    DWORD n = 0;
    return ::GetProcessHandleCount(::GetCurrentProcess(), &n) ? n : 0;
}

}  // namespace kestrel::test
