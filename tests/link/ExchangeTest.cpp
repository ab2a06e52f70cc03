// Exchanges on real named pipes: message boundaries, time-outs, cancels.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "PipeServer.h"

namespace kestrel::test {
namespace {

class Exchange : public PipeTest {
protected:
    // Connects with a budget of 300 ms; the exchange (a read alone without a
    // request) times out after about that, reports no bytes and leaves the
    // pipe open and the client sound.
    void ExpectTimeOutWithinAShortBudget(const uint8_t* request, ResponseFrame& response) {
        client.SetExchangeBudget(300);
        ASSERT_EQ(client.Connect(1000), kResultOk);
        uint32_t n = 5;
        const DWORD start = ::GetTickCount();
        EXPECT_EQ(client.Exchange(request, response.data(), n), kErrorTimeout);
        const DWORD took = MsSince(start);
        EXPECT_GE(took, 280u);
        EXPECT_LT(took, 1000u);
        EXPECT_EQ(n, 0u);
        EXPECT_TRUE(client.IsConnected());
        EXPECT_TRUE(client.InvariantHolds());
    }
};

TEST_F(Exchange, KeepsMessageBoundariesBothWays) {
    std::vector<int> requestSizes;
    ServerThread thread([&] {
        if (!server->Accept()) return;
        uint8_t buffer[2048];
        for (int i = 0; i < 2; ++i) requestSizes.push_back(server->Read(buffer, sizeof buffer));
        // Three messages in a burst; each read must return exactly one.
        server->Respond(1, 0, [](uint8_t* f) { f[531] = 0xA1; });
        server->Respond(
            2, 0, [](uint8_t* f) { f[299] = 0xA2; }, 300);
        server->Respond(3, 0, [](uint8_t* f) { f[531] = 0xA3; });
        server->WaitClientGone();
    });
    ASSERT_EQ(client.Connect(1000), kResultOk);
    RequestFrame request{};
    request.fill(0x5A);
    EXPECT_EQ(client.WriteFrame(request.data()), kResultOk);
    EXPECT_EQ(client.WriteFrame(request.data()), kResultOk);
    ResponseFrame response{};
    uint32_t n = 0;
    EXPECT_EQ(client.ReadFrame(response.data(), 2000, n), kResultOk);
    EXPECT_EQ(n, 532u);
    EXPECT_EQ(SequenceOf(response), 1u);
    EXPECT_EQ(response[531], 0xA1);
    EXPECT_EQ(client.Exchange(nullptr, response.data(), n), kResultOk);
    EXPECT_EQ(n, 300u);
    EXPECT_EQ(SequenceOf(response), 2u);
    EXPECT_EQ(response[299], 0xA2);
    EXPECT_EQ(client.ReadFrame(response.data(), 2000, n), kResultOk);
    EXPECT_EQ(n, 532u);
    EXPECT_EQ(SequenceOf(response), 3u);
    EXPECT_EQ(response[531], 0xA3);
    client.Close();
    thread.Join();
    EXPECT_EQ(requestSizes, (std::vector<int>{726, 726}));
}

TEST_F(Exchange, OversizedResponseGives234AndThePipeStaysOpen) {
    ServerThread thread([&] {
        if (!server->Accept()) return;
        server->RespondSized(0, 0, 533);
        server->WaitClientGone();
    });
    ASSERT_EQ(client.Connect(1000), kResultOk);
    ResponseFrame response{};
    uint32_t n = 99;
    ::Sleep(100);  // the message is queued: the read fails at once
    EXPECT_EQ(client.ReadFrame(response.data(), 1000, n), kErrorMoreData);
    EXPECT_EQ(n, 0u);
    EXPECT_TRUE(client.IsConnected());
    EXPECT_TRUE(client.InvariantHolds());
    client.Close();
}

TEST_F(Exchange, ReadWithoutRequestWaitsForTheBudgetThenLeavesThePipeOpen) {
    ServerThread thread([&] {
        if (!server->Accept()) return;
        ::Sleep(700);
        server->Respond(5, 0);
        server->WaitClientGone();
    });
    ResponseFrame response{};
    ExpectTimeOutWithinAShortBudget(nullptr, response);
    uint32_t n = 0;
    // The late response stays queued and comes up unchanged on the next read.
    client.SetExchangeBudget(kExchangeBudgetMs);
    EXPECT_EQ(client.Exchange(nullptr, response.data(), n), kResultOk);
    EXPECT_EQ(n, 532u);
    EXPECT_EQ(SequenceOf(response), 5u);
    client.Close();
}

// A server end without buffer space takes a request only when it reads it, so the
// write of an exchange lasts until then.
TEST_F(Exchange, AWriteThatIsNeverTakenTimesOutWithoutARead) {
    server.emplace(name, 1, 0);
    RequestFrame request{};
    ResponseFrame response{};
    ExpectTimeOutWithinAShortBudget(request.data(), response);
}

TEST_F(Exchange, ASlowWriteLeavesTheRestOfTheBudgetForTheRead) {
    server.emplace(name, 1, 0);
    ServerThread thread([&] {
        if (!server->Accept()) return;
        RequestFrame request{};
        ::Sleep(250);  // the first write lasts about 250 ms
        if (!server->ReadRequest(request)) return;
        ::Sleep(150);  // answered well within the 1200 ms budget
        server->Respond(1);
        ::Sleep(500);
        if (!server->ReadRequest(request)) return;
        ::Sleep(900);  // 500 + 900 > 1200: the read gets only what is left
        server->Respond(2);
        server->WaitClientGone();
    });
    client.SetExchangeBudget(1200);
    ASSERT_EQ(client.Connect(1000), kResultOk);
    RequestFrame request{};
    ResponseFrame response{};
    uint32_t n = 0;
    DWORD start = ::GetTickCount();
    EXPECT_EQ(client.Exchange(request.data(), response.data(), n), kResultOk);
    EXPECT_EQ(SequenceOf(response), 1u);
    EXPECT_GE(MsSince(start), 370u);
    // The answer comes about 900 ms after the write ended, within a full budget:
    // the time-out shows that the read was given only what the write left.
    start = ::GetTickCount();
    EXPECT_EQ(client.Exchange(request.data(), response.data(), n), kErrorTimeout);
    const DWORD took = MsSince(start);
    EXPECT_GE(took, 1170u);
    EXPECT_LT(took, 2000u);
    EXPECT_TRUE(client.IsConnected());
    client.Close();
}

// Operations that complete while they are being cancelled, provoked by
// giving them no time to wait while the server end is busy: a read that took a
// response delivers it, and a write that the server took counts as sent.
TEST_F(Exchange, AnOperationThatCompletesAsItIsCancelledCountsAsCompleted) {
    constexpr uint32_t kMessages = 1000;
    const auto pause = [](uint32_t i) {
        for (volatile uint32_t spin = 0; spin < (i % 7) * 2000; spin = spin + 1) {
        }
    };
    {
        ServerThread thread([&] {
            if (!server->Accept()) return;
            for (uint32_t i = 1; i <= kMessages && server->Respond(i); ++i) pause(i);
            server->WaitClientGone();
        });
        ASSERT_EQ(client.Connect(1000), kResultOk);
        ResponseFrame response{};
        uint32_t expected = 1;
        const DWORD start = ::GetTickCount();
        while (expected <= kMessages && MsSince(start) < 20000) {
            uint32_t n = 0;
            const uint32_t r = client.ReadFrame(response.data(), 0, n);
            if (r == kErrorTimeout) continue;
            ASSERT_EQ(r, kResultOk);
            ASSERT_EQ(SequenceOf(response), expected) << "a response was lost";
            ++expected;
        }
        EXPECT_EQ(expected, kMessages + 1);
        client.Close();
    }
    {
        server.emplace(name, 1, 0);  // no buffer: a write lasts until it is read
        std::vector<uint32_t> taken;
        ServerThread thread([&] {
            if (!server->Accept()) return;
            RequestFrame request{};
            for (uint32_t i = 1; i <= kMessages && server->ReadRequest(request); ++i) {
                taken.push_back(SequenceOf(request));
                pause(i);
            }
        });
        client.SetExchangeBudget(0);
        ASSERT_EQ(client.Connect(1000), kResultOk);
        std::vector<uint32_t> sent;
        RequestFrame request{};
        const DWORD start = ::GetTickCount();
        for (uint32_t next = 1; next <= kMessages && MsSince(start) < 20000;) {
            U32(request.data(), 0, next);
            const uint32_t r = client.WriteFrame(request.data());
            if (r == kErrorTimeout) continue;
            ASSERT_EQ(r, kResultOk);
            sent.push_back(next++);
        }
        thread.Join();
        EXPECT_EQ(taken, sent) << "a request reported as not sent was taken";
        client.Close();
    }
}

TEST_F(Exchange, ProductionBudgetIsTenSeconds) {
    // The one test that waits out the real 10000 ms budget.
    ServerThread thread([&] {
        if (!server->AcceptAndHandshake()) return;
        RequestFrame request{};
        server->ReadRequest(request);  // and never answers
        server->WaitClientGone(15000);
    });
    EXPECT_EQ(client.ExchangeBudgetMs(), 10000u);
    ASSERT_EQ(client.ConnectService(1000), kDone);
    uint32_t stamp = 1, count = 1;
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(client.GetPortListInfo(&stamp, &count), kTimedOut);
    const DWORD took = MsSince(start);
    EXPECT_GE(took, 9950u);
    EXPECT_LT(took, 11500u);
    EXPECT_EQ(stamp, 0u);
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(client.IsConnected());
    EXPECT_TRUE(client.InvariantHolds());
    client.Close();
}

}  // namespace
}  // namespace kestrel::test
