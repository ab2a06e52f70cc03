// The link tests' pipes: a server end (ServerPipe) scripted on a thread of its
// own. PipeTest gives a test its pipe name, server end, script and client.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "LinkProbe.h"
#include "PipeName.h"
#include "ServerPipe.h"

namespace kestrel::test {

// Runs a server script on its own thread; joins on destruction.
class ServerThread {
public:
    template <typename Script>
    explicit ServerThread(Script script) : thread(std::move(script)) {}
    ~ServerThread() { Join(); }
    void Join() {
        if (thread.joinable()) thread.join();
    }

private:
    std::thread thread;
};

// A test on a pipe of its own: the server end (one instance with buffers;
// made anew with other arguments, or reset where a test wants none) and the
// client under test. A script serving the server end runs on a ServerThread
// of the test, declared after what it writes to; the test closes the client
// first, so that a script waiting for it to leave returns.
class PipeTest : public ::testing::Test {
protected:
    const std::wstring name = UniquePipeName();
    std::optional<ServerPipe> server{std::in_place, name};
    ProbeClient client{name.c_str()};
};

// Milliseconds since start on the tick counter.
inline DWORD MsSince(DWORD start) { return ::GetTickCount() - start; }

}  // namespace kestrel::test
