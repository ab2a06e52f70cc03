// The pipe transport on real named pipes: connect and close, and the waits
// they and the exchanges make.
#include <gtest/gtest.h>

#include <algorithm>

#include "PipeServer.h"

namespace kestrel::test {
namespace {

using Connect = PipeTest;
using Close = PipeTest;
using Destructor = PipeTest;
using Waits = PipeTest;

// Waits as the plain policy does and counts the waits; event waits can be
// made to fail.
class CountingWait : public WaitPolicy {
public:
    DWORD Wait(HANDLE handle, uint32_t timeoutMs) override {
        if (handle == nullptr) {
            ++pauses;
        } else if (failingEventWaits > 0) {
            --failingEventWaits;
            ::SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        } else {
            ++eventWaits;
        }
        return plain.Wait(handle, timeoutMs);
    }
    int pauses = 0;
    int eventWaits = 0;
    int failingEventWaits = 0;

private:
    PlainWait plain;
};

TEST_F(Connect, TimesOutAfterAboutTheTimeoutWithNothingLeftOpen) {
    server.reset();
    const DWORD handlesBefore = OpenHandleCount();
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(client.Connect(200), kErrorTimeout);
    const DWORD took = MsSince(start);
    EXPECT_GE(took, 190u);
    EXPECT_LT(took, 1000u);
    EXPECT_FALSE(client.IsConnected());
    EXPECT_TRUE(client.HoldsNoEvent());
    EXPECT_EQ(OpenHandleCount(), handlesBefore);

    // Through the service client the same time-out is 0xEEEE0007.
    const DWORD start2 = ::GetTickCount();
    EXPECT_EQ(client.ConnectService(200), RequestResult::LinkFailed(kResultConnectTimeout));
    EXPECT_GE(MsSince(start2), 190u);
    EXPECT_FALSE(client.IsConnected());
    EXPECT_TRUE(client.HoldsNoEvent());
    EXPECT_EQ(OpenHandleCount(), handlesBefore);
    EXPECT_EQ(client.Sequence(), 0u);
}

TEST_F(Connect, ZeroTimeoutStillMakesOneAttempt) {
    ASSERT_TRUE(server->Valid());
    EXPECT_EQ(client.Connect(0), kResultOk);
    EXPECT_TRUE(client.IsConnected());
    EXPECT_TRUE(client.InvariantHolds());

    const std::wstring nobodyName = UniquePipeName();
    ProbeClient nobody(nobodyName.c_str());
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(nobody.Connect(0), kErrorTimeout);
    EXPECT_LT(MsSince(start), 400u);
    EXPECT_TRUE(nobody.HoldsNoEvent());
}

TEST_F(Connect, RetriesUntilThePipeAppears) {
    server.reset();
    ServerThread thread([&] {
        ::Sleep(150);
        ServerPipe late(name);
        RequestFrame request{};
        if (late.Accept() && late.ReadRequest(request)) late.Respond(77);
        late.WaitClientGone();
    });
    const DWORD start = ::GetTickCount();
    ASSERT_EQ(client.Connect(2000), kResultOk);
    EXPECT_GE(MsSince(start), 100u);
    RequestFrame request{};
    ResponseFrame response{};
    uint32_t n = 0;
    EXPECT_EQ(client.Exchange(request.data(), response.data(), n), kResultOk);
    EXPECT_EQ(n, kResponseFrameSize);
    EXPECT_EQ(SequenceOf(response), 77u);
    client.Close();
}

TEST_F(Connect, WhileConnectedReturnsOneAndTheLinkStaysUsable) {
    ServerThread thread([&] {
        if (!server->AcceptAndHandshake()) return;
        RequestFrame request{};
        if (server->ReadRequest(request)) server->Respond(SequenceOf(request), 0);
        server->WaitClientGone();
    });
    ASSERT_EQ(client.ConnectService(1000), kDone);
    const HANDLE before = client.Pipe();
    EXPECT_EQ(client.Connect(1000), kErrorGeneric);
    EXPECT_EQ(client.ConnectService(1000),
              RequestResult::ClientFailed(kErrorGeneric));  // no QueryVersion sent
    EXPECT_EQ(client.Pipe(), before);
    EXPECT_EQ(client.Sequence(), 1u);
    EXPECT_EQ(client.UseDefaultDmsConfig(L"COM1"), kDone);  // the server saw sequence 1
    EXPECT_TRUE(client.InvariantHolds());
    client.Close();
}

// Every instance busy is a service that takes no new client: a time-out, as
// a request it lets lie. Only a pipe that is not there means not running.
TEST_F(Connect, EveryInstanceBusyIsASilentServiceNotAMissingOne) {
    ProbeClient first(name.c_str());
    ASSERT_EQ(first.Connect(500), kResultOk);  // the one instance
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(client.ConnectService(200), kTimedOut);
    EXPECT_GE(MsSince(start), 190u);
    EXPECT_EQ(client.LastConnect().kind, LinkState::Kind::NotResponding);
    EXPECT_TRUE(client.HoldsNoEvent());

    first.Close();
    server.reset();
    EXPECT_EQ(client.ConnectService(100), RequestResult::LinkFailed(kResultConnectTimeout));
    EXPECT_EQ(client.LastConnect().kind, LinkState::Kind::NotRunning);
}

TEST_F(Connect, PathLongerThan256CharactersGives87) {
    // The prefix (9) and 247 characters make 256, which fits; one more does not.
    const std::wstring fits(kMaxPipeNameChars, L'k');
    ProbeClient fitting(fits.c_str());
    EXPECT_EQ(fitting.Connect(0), kErrorTimeout);
    const std::wstring tooLong(kMaxPipeNameChars + 1, L'k');
    ProbeClient overlong(tooLong.c_str());
    const DWORD handlesBefore = OpenHandleCount();
    EXPECT_EQ(overlong.Connect(0), kErrorInvalidParameter);
    EXPECT_EQ(overlong.ConnectService(0), RequestResult::LinkFailed(kErrorInvalidParameter));
    EXPECT_TRUE(overlong.HoldsNoEvent());
    EXPECT_EQ(OpenHandleCount(), handlesBefore);
}

TEST_F(Close, OnANeverConnectedClientChangesNothing) {
    client.Close();
    client.Close();
    EXPECT_FALSE(client.IsConnected());
    EXPECT_TRUE(client.HoldsNoEvent());
}

TEST_F(Close, ReleasesHandleAndEventAndAllowsReconnect) {
    server.emplace(name, 2);
    ServerPipe second(name, 2);
    const DWORD handlesBefore = OpenHandleCount();
    ASSERT_EQ(client.Connect(500), kResultOk);
    EXPECT_TRUE(client.InvariantHolds());
    client.Close();
    EXPECT_FALSE(client.IsConnected());
    EXPECT_TRUE(client.HoldsNoEvent());
    EXPECT_EQ(OpenHandleCount(), handlesBefore);
    ASSERT_EQ(client.Connect(500), kResultOk);  // the second instance
    EXPECT_TRUE(client.InvariantHolds());
}

TEST_F(Destructor, ReleasesHandleAndEvent) {
    const DWORD handlesBefore = OpenHandleCount();
    {
        ProbeClient another(name.c_str());
        ASSERT_EQ(another.Connect(500), kResultOk);
    }
    EXPECT_EQ(OpenHandleCount(), handlesBefore);
    EXPECT_TRUE(server->WaitClientGone());
}

// The connect pauses and the waits for pending operations all go through the
// wait policy, so that a program with windows keeps them answering.
TEST_F(Waits, EveryWaitGoesThroughThePolicy) {
    CountingWait policy;
    client.SetWaitPolicy(&policy);
    server.reset();
    EXPECT_EQ(client.Connect(120), kErrorTimeout);
    EXPECT_GE(policy.pauses, 2);

    server.emplace(name);
    ServerThread thread([&] {
        if (!server->Accept()) return;
        ::Sleep(200);
        server->Respond(1);
        server->WaitClientGone();
    });
    ASSERT_EQ(client.Connect(1000), kResultOk);
    ResponseFrame response{};
    uint32_t n = 0;
    EXPECT_EQ(client.ReadFrame(response.data(), 2000, n), kResultOk);
    EXPECT_EQ(policy.eventWaits, 1);
    client.Close();
}

// A wait that fails, and a drain that cannot tell that the cancelled read has
// ended: the pipe is closed under it, and the late response can never land in
// the caller's buffer.
TEST_F(Waits, AReadNotKnownToHaveEndedIsEndedByClosingThePipe) {
    CountingWait policy;
    policy.failingEventWaits = 2;
    client.SetWaitPolicy(&policy);
    ServerThread thread([&] {
        if (!server->Accept()) return;
        ::Sleep(300);
        server->Respond(9);
    });
    ASSERT_EQ(client.Connect(1000), kResultOk);
    ResponseFrame response;
    response.fill(0xCC);
    uint32_t n = 7;
    EXPECT_EQ(client.ReadFrame(response.data(), 1000, n),
              static_cast<uint32_t>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(client.IsConnected());
    EXPECT_TRUE(client.HoldsNoEvent());
    thread.Join();
    ::Sleep(100);
    EXPECT_EQ(std::count(response.begin(), response.end(), 0xCC), 532);
}

}  // namespace
}  // namespace kestrel::test
