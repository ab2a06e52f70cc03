// The service client on real named pipes: handshake, sequence numbers, stale and future
// responses, wrong lengths, the service going away.
#include <gtest/gtest.h>

#include <vector>

#include "AccountSids.h"
#include "CHandle.h"
#include "CRegKey.h"
#include "PipeServer.h"

namespace kestrel::test {
namespace {

using Handshake = PipeTest;
using Transact = PipeTest;

// A connect that fails leaves the client closed and its overlapped state clear.
void ExpectConnectFails(ProbeClient& client, const RequestResult& result) {
    EXPECT_EQ(client.ConnectService(1000), result);
    EXPECT_FALSE(client.IsConnected());
    EXPECT_TRUE(client.HoldsNoEvent());
}

TEST_F(Handshake, SendsQueryVersionWithSequenceZeroAndAcceptsTwoFourteenZero) {
    RequestFrame seen{};
    ServerThread thread([&] {
        if (!server->Accept() || !server->ReadRequest(seen)) return;
        server->RespondVersion(SequenceOf(seen));
        server->WaitClientGone();
    });
    EXPECT_EQ(client.Sequence(), 0u);
    ASSERT_EQ(client.ConnectService(1000), kDone);
    EXPECT_TRUE(client.IsConnected());
    EXPECT_TRUE(client.InvariantHolds());
    EXPECT_EQ(client.Sequence(), 1u);
    client.Close();
    thread.Join();
    EXPECT_EQ(SequenceOf(seen), 0u);
    EXPECT_EQ(CodeOf(seen), kQueryVersion);
    for (size_t i = 8; i < kRequestFrameSize; ++i) ASSERT_EQ(seen[i], 0) << i;
}

TEST_F(Handshake, WrongVersionClosesAndSequenceNumbersContinueAcrossReconnects) {
    std::vector<uint32_t> sequences;
    ServerThread thread([&] {
        const uint32_t versions[3][3] = {{2, 14, 1}, {3, 14, 0}, {2, 14, 0}};
        for (const auto& v : versions) {
            RequestFrame request{};
            if (!server->Accept() || !server->ReadRequest(request)) return;
            sequences.push_back(SequenceOf(request));
            server->RespondVersion(SequenceOf(request), v[0], v[1], v[2]);
            if (v[2] == 0 && v[0] == 2) break;
            server->WaitClientGone();
            server->Disconnect();
        }
        RequestFrame request{};
        if (server->ReadRequest(request)) {
            sequences.push_back(SequenceOf(request));
            server->Respond(SequenceOf(request), 0);
        }
        server->WaitClientGone();
    });
    ExpectConnectFails(client, RequestResult::LinkFailed(kResultWrongVersion));
    ExpectConnectFails(client, RequestResult::LinkFailed(kResultWrongVersion));
    ASSERT_EQ(client.ConnectService(1000), kDone);
    EXPECT_EQ(client.UseDefaultDmsConfig(L"COM7"), kDone);
    EXPECT_EQ(client.Sequence(), 4u);
    client.Close();
    thread.Join();
    EXPECT_EQ(sequences, (std::vector<uint32_t>{0, 1, 2, 3}));
}

TEST_F(Handshake, AFailedHandshakeClosesAndReturnsItsResult) {
    ServerThread thread([&] {
        RequestFrame request{};
        // A nonzero status, then a short response, then a response from the future.
        if (!server->Accept() || !server->ReadRequest(request)) return;
        server->Respond(SequenceOf(request), kResultPortUnavailable);
        server->WaitClientGone();
        server->Disconnect();
        if (!server->Accept() || !server->ReadRequest(request)) return;
        server->RespondSized(SequenceOf(request), 0, 300);
        server->WaitClientGone();
        server->Disconnect();
        if (!server->Accept() || !server->ReadRequest(request)) return;
        server->Respond(SequenceOf(request) + 1, 0);
        server->WaitClientGone();
    });
    ExpectConnectFails(client, kPortGoneAnswer);
    ExpectConnectFails(client, RequestResult::ClientFailed(kErrorGeneric));
    ExpectConnectFails(client, RequestResult::ClientFailed(kResultFutureSequence));
    EXPECT_EQ(client.Sequence(), 3u);
}

// A pipe held by an account the panel does not trust is closed before anything
// is sent; one of the service accounts, or one a policy names, is talked to.
TEST_F(Handshake, OnlyATrustedOwnerIsSentAnything) {
    constexpr wchar_t kStranger[] = L"S-1-5-21-1-2-3-4242";
    int bytesSeen = -1;
    server.emplace(name, 1, 4096, kStranger);
    {
        ServerThread thread([&] {
            uint8_t buffer[2048];
            if (server->Accept()) bytesSeen = server->Read(buffer, sizeof buffer, 2000);
        });
        ExpectConnectFails(client, RequestResult::LinkFailed(kResultUntrustedPipe));
        EXPECT_EQ(client.LastConnect().kind, LinkState::Kind::Untrusted);
        EXPECT_EQ(client.Sequence(), 0u);
    }
    EXPECT_EQ(bytesSeen, -1) << "the server read something";

    CRegKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTrustPolicyKey, 0, nullptr, 0,
                                KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, key.Put(), nullptr),
              ERROR_SUCCESS);
    const auto writePolicy = [&](const std::wstring& written) {
        ::RegSetValueExW(key.Get(), kTrustPolicyValue, 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(written.c_str()),
                         static_cast<DWORD>((written.size() + 1) * sizeof(wchar_t)));
    };
    writePolicy(L"WD");
    EXPECT_EQ(PolicyTrustedAccount(), L"") << "an alias is no SID string";
    writePolicy(L"s-1-5-21-1-2-3-4242");
    EXPECT_EQ(PolicyTrustedAccount(), kStranger);
    for (const wchar_t* owner : {kStranger, L"LS"}) {
        server.emplace(name, 1, 4096, owner);
        ServerThread thread([&] {
            if (server->AcceptAndHandshake()) server->WaitClientGone();
        });
        EXPECT_EQ(client.ConnectService(1000), kDone) << owner;
        client.Close();
    }
    ::RegDeleteValueW(key.Get(), kTrustPolicyValue);
    EXPECT_EQ(PolicyTrustedAccount(), L"");
}

TEST_F(Transact, NotConnectedGivesNotConnectedWithoutConsumingASequenceNumber) {
    RequestFrame request{};
    ResponseFrame response{};
    EXPECT_EQ(client.Transact(request, response), kNotConnected);
    uint32_t stamp = 5, count = 5;
    EXPECT_EQ(client.GetPortListInfo(&stamp, &count), kNotConnected);
    EXPECT_EQ(stamp, 0u);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(client.Sequence(), 0u);
    EXPECT_EQ(SequenceOf(request), 0u);
}

TEST_F(Transact, StaleResponsesAreSkippedWithoutResending) {
    std::vector<uint32_t> sequences;
    int extraRequests = 0;
    ServerThread thread([&] {
        if (!server->AcceptAndHandshake()) return;
        RequestFrame request{};
        for (int i = 0; i < 2; ++i) {
            if (!server->ReadRequest(request)) return;
            sequences.push_back(SequenceOf(request));
            server->Respond(SequenceOf(request), 0);
        }
        if (!server->ReadRequest(request)) return;
        sequences.push_back(SequenceOf(request));  // 3
        // Two stale answers in a row, then the right one.
        server->Respond(1, 111);
        server->Respond(2, 222);
        ::Sleep(50);
        server->Respond(SequenceOf(request), 333);
        // Nothing more must be sent by the client.
        while (server->ReadRequest(request, 300)) ++extraRequests;
        server->WaitClientGone();
    });
    ASSERT_EQ(client.ConnectService(1000), kDone);
    EXPECT_EQ(client.UseDefaultDmsConfig(L"COM1"), kDone);
    EXPECT_EQ(client.UseDefaultDmsConfig(L"COM1"), kDone);
    EXPECT_EQ(client.UseDefaultDmsConfig(L"COM1"), RequestResult::Answer(333u));
    EXPECT_TRUE(client.IsConnected());
    ::Sleep(400);
    client.Close();
    thread.Join();
    EXPECT_EQ(sequences, (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(extraRequests, 0);
}

// A stream of old answers, or one just before the budget runs out and then
// silence: either way the exchange ends within its one budget.
TEST_F(Transact, StaleResponsesAreSkippedWithinTheOneBudgetOfTheExchange) {
    ServerThread thread([&] {
        if (!server->AcceptAndHandshake()) return;
        RequestFrame request{};
        if (!server->ReadRequest(request)) return;
        // Old answers, each well within a budget, for three seconds.
        for (int i = 0; i < 30 && server->Respond(0, 0); ++i) ::Sleep(100);
        if (!server->ReadRequest(request)) return;
        ::Sleep(900);
        server->Respond(0, 0);
        server->WaitClientGone();
    });
    // Were the budget restarted by a stale answer, the first exchange would
    // last the stream's three seconds and the second 900 ms + the budget.
    client.SetExchangeBudget(1000);
    ASSERT_EQ(client.ConnectService(1000), kDone);
    DWORD start = ::GetTickCount();
    EXPECT_EQ(client.UseDefaultDmsConfig(L"COM1"), kTimedOut);
    EXPECT_LT(MsSince(start), 1500u);
    EXPECT_TRUE(client.IsConnected());

    ::Sleep(3000);  // the stream has ended; what it left is skipped as stale
    start = ::GetTickCount();
    EXPECT_EQ(client.UseDefaultDmsConfig(L"COM1"), kTimedOut);
    EXPECT_LT(MsSince(start), 1500u);
    client.Close();
}

TEST_F(Transact, FutureSequenceGivesErrorAndLeavesTheFollowingResponsesQueued) {
    ServerThread thread([&] {
        if (!server->AcceptAndHandshake()) return;
        RequestFrame request{};
        if (!server->ReadRequest(request)) return;  // 1
        server->Respond(2, 42);                     // from the future
        server->Respond(2, 43);                     // follows it: stays queued
        if (!server->ReadRequest(request)) return;  // 2
        server->Respond(2, 44);                     // answered again: stays queued
        if (!server->ReadRequest(request)) return;  // 3
        server->Respond(3, 45);
        server->WaitClientGone();
    });
    ASSERT_EQ(client.ConnectService(1000), kDone);
    EXPECT_EQ(client.UseDefaultDmsConfig(L"COM1"),
              RequestResult::ClientFailed(kResultFutureSequence));
    EXPECT_TRUE(client.IsConnected());
    EXPECT_TRUE(client.InvariantHolds());
    ::Sleep(100);
    EXPECT_EQ(client.UseDefaultDmsConfig(L"COM1"),
              RequestResult::Answer(43u));  // the queued one matches now
    EXPECT_EQ(client.UseDefaultDmsConfig(L"COM1"),
              RequestResult::Answer(45u));  // 44 is stale and skipped
    client.Close();
}

TEST_F(Transact, WrongLengthGivesOneAndThePipeStaysOpen) {
    ServerThread thread([&] {
        if (!server->AcceptAndHandshake()) return;
        RequestFrame request{};
        if (!server->ReadRequest(request)) return;
        server->RespondSized(SequenceOf(request), 0, 531);
        if (!server->ReadRequest(request)) return;
        server->RespondSized(SequenceOf(request), 0, 300);
        if (!server->ReadRequest(request)) return;
        server->RespondSized(SequenceOf(request), 0, 533);
        if (!server->ReadRequest(request)) return;
        server->Respond(SequenceOf(request), 7);
        server->WaitClientGone();
    });
    ASSERT_EQ(client.ConnectService(1000), kDone);
    EXPECT_EQ(client.UseDefaultDmsConfig(L"COM1"), RequestResult::ClientFailed(kErrorGeneric));
    EXPECT_TRUE(client.IsConnected());
    EXPECT_EQ(client.UseDefaultDmsConfig(L"COM1"), RequestResult::ClientFailed(kErrorGeneric));
    EXPECT_TRUE(client.IsConnected());
    EXPECT_EQ(client.UseDefaultDmsConfig(L"COM1"), RequestResult::ClientFailed(kErrorMoreData));
    EXPECT_TRUE(client.IsConnected());
    EXPECT_TRUE(client.InvariantHolds());
    // The rest of the oversized message (one byte) comes next: again a wrong length.
    EXPECT_EQ(client.UseDefaultDmsConfig(L"COM1"), RequestResult::ClientFailed(kErrorGeneric));
    EXPECT_TRUE(client.IsConnected());
    client.Close();
}

TEST_F(Transact, ReadTimeOutLeavesThePipeOpenAndTheLateResponseIsSkipped) {
    ServerThread thread([&] {
        if (!server->AcceptAndHandshake()) return;
        RequestFrame request{};
        if (!server->ReadRequest(request)) return;
        ::Sleep(600);
        server->Respond(SequenceOf(request), 1001);  // late
        if (!server->ReadRequest(request)) return;
        server->Respond(SequenceOf(request), 1002);
        server->WaitClientGone();
    });
    client.SetExchangeBudget(300);
    ASSERT_EQ(client.ConnectService(1000), kDone);
    uint32_t tx = 9, rx = 9, up = 9;
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(client.GetPortCounters(L"COM3", tx, rx, up), kTimedOut);
    EXPECT_LT(MsSince(start), 1000u);
    EXPECT_EQ(tx + rx + up, 0u);
    EXPECT_TRUE(client.IsConnected());
    EXPECT_TRUE(client.InvariantHolds());
    ::Sleep(500);  // the late response is queued by now
    EXPECT_EQ(client.UseDefaultDmsConfig(L"COM3"), RequestResult::Answer(1002u));
    client.Close();
}

// How the service goes away, and when.
enum class Gone {
    DisconnectBeforeRequest,
    DisconnectDuringRead,
    CloseBeforeRequest,
    CloseDuringRead
};

// The service goes away: the request gives 0xEEEE0001 and closes the pipe, the
// next one 0xEEEE0009 without consuming a number, and a reconnect continues the
// sequence.
class ServiceGone : public PipeTest {
protected:
    void Expect(Gone how) {
        const CHandle gone(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        // Going away discards an answer still in the pipe: the handshake's must be read first.
        const CHandle connected(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        const bool beforeRequest =
            how == Gone::DisconnectBeforeRequest || how == Gone::CloseBeforeRequest;
        ServerThread thread([&] {
            if (!server->AcceptAndHandshake()) return;
            if (beforeRequest) {
                if (::WaitForSingleObject(connected.Get(), 5000) != WAIT_OBJECT_0) return;
            } else {
                RequestFrame request{};
                if (!server->ReadRequest(request)) return;
                ::Sleep(100);  // the client is waiting for its answer
            }
            if (how == Gone::CloseBeforeRequest || how == Gone::CloseDuringRead) {
                server->CloseEnd();  // as a crashing service does
                server->Create();
            } else {
                server->Disconnect();
            }
            ::SetEvent(gone.Get());
            // The client comes back.
            if (server->AcceptAndHandshake()) server->WaitClientGone();
        });
        ASSERT_EQ(client.ConnectService(1000), kDone);
        ::SetEvent(connected.Get());
        if (beforeRequest) {
            ASSERT_EQ(::WaitForSingleObject(gone.Get(), 5000), WAIT_OBJECT_0);
        }
        uint32_t tx = 1, rx = 1, up = 1;
        EXPECT_EQ(client.GetPortCounters(L"COM1", tx, rx, up), kGone);
        EXPECT_FALSE(client.IsConnected());
        EXPECT_TRUE(client.HoldsNoEvent());
        EXPECT_EQ(tx + rx + up, 0u);
        const uint32_t sequenceAfter = client.Sequence();
        EXPECT_EQ(sequenceAfter, 2u);
        EXPECT_EQ(client.GetPortCounters(L"COM1", tx, rx, up), kNotConnected);
        EXPECT_EQ(client.Sequence(), sequenceAfter);
        ASSERT_EQ(::WaitForSingleObject(gone.Get(), 5000), WAIT_OBJECT_0);
        ASSERT_EQ(client.ConnectService(2000), kDone);
        EXPECT_EQ(client.Sequence(), 3u);
        client.Close();
    }
};

TEST_F(ServiceGone, DisconnectedBeforeTheRequest) { Expect(Gone::DisconnectBeforeRequest); }
TEST_F(ServiceGone, DisconnectedDuringTheRead) { Expect(Gone::DisconnectDuringRead); }
TEST_F(ServiceGone, HandleClosedBeforeTheRequest) { Expect(Gone::CloseBeforeRequest); }
TEST_F(ServiceGone, HandleClosedDuringTheRead) { Expect(Gone::CloseDuringRead); }

}  // namespace
}  // namespace kestrel::test
