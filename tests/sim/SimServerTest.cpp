// The simulator on real named pipes, driven by a raw client in this process.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "DmsValues.h"
#include "Frames.h"
#include "PipeName.h"
#include "RawPipeClient.h"
#include "RequestHandler.h"
#include "SimServer.h"

namespace kestrel::sim {
namespace {

using namespace kestrel::test;

class SimServerTest : public ::testing::Test {
protected:
    SimServerTest() : server(UniquePipeName(), SimServerOptions{4, 0, {}}) {}

    void SetUp() override {
        Run("port COM3 label=Lab3 serial=SN-1 mode=0 status=0 default=0 host=10.1.2.3 "
            "dmsport=4000 retry=30000 active=1 tx=5 rx=6");
        std::string error;
        ASSERT_TRUE(server.Start(&error)) << error;
        ASSERT_TRUE(client.Connect(server.PipePath()));
    }

    void Run(const std::string& line) {
        std::string reply;
        ASSERT_TRUE(server.Execute(line, &reply)) << line << ": " << reply;
    }

    // Sends a request and reads the one response expected for it.
    static std::vector<uint8_t> Ask(RawPipeClient& c, const RequestFrame& request) {
        std::vector<uint8_t> response;
        EXPECT_EQ(c.Exchange(request, &response), 0u);
        if (response.size() != kResponseFrameSize) {
            ADD_FAILURE() << "response of " << response.size() << " bytes";
            response.assign(kResponseFrameSize, 0);
        }
        return response;
    }
    std::vector<uint8_t> Ask(const RequestFrame& request) { return Ask(client, request); }

    SimServer server;
    RawPipeClient client;
};

TEST_F(SimServerTest, AnswersAPanelSessionByOffset) {
    std::vector<uint8_t> r = Ask(Request(kQueryVersion, 0));
    EXPECT_EQ(SequenceOf(r), 0u);
    EXPECT_EQ(GetU32(r.data(), 8), 2u);
    EXPECT_EQ(GetU32(r.data(), 12), 14u);
    EXPECT_EQ(GetU32(r.data(), 16), 0u);

    r = Ask(Request(kGetPortListInfo, 1));
    EXPECT_EQ(SequenceOf(r), 1u);
    const uint32_t stamp = GetU32(r.data(), kRspStampOffset);
    EXPECT_NE(stamp, 0u);
    ASSERT_EQ(GetU32(r.data(), kRspCountOffset), 1u);

    r = Ask(NameRequest(stamp, 0, 2));
    EXPECT_EQ(GetWide(r.data(), 8, 262), L"COM3");

    r = Ask(PortRequest(kGetPortCounters, L"COM3", 3));
    EXPECT_EQ(GetU32(r.data(), 8), 5u);
    EXPECT_EQ(GetU32(r.data(), 12), 6u);
    EXPECT_EQ(GetU32(r.data(), 16), 1u);

    r = Ask(PortRequest(kGetPortDevice, L"COM3", 4));
    EXPECT_EQ(GetWide(r.data(), 8, kPortLabelChars), L"Lab3");
    EXPECT_EQ(GetWide(r.data(), 68, kSerialNumberChars), L"SN-1");
    EXPECT_EQ(GetU32(r.data(), 368), 0u);
    EXPECT_EQ(GetU32(r.data(), 372), 0u);
    EXPECT_EQ(r[376], 0);

    r = Ask(PortRequest(kGetPortDmsConfig, L"COM3", 5));
    EXPECT_PRED2(SameDms, DmsAt(r.data(), 8), Dms("10.1.2.3", "4000", 30000, false, true));

    r = Ask(Request(kGetLogSettings, 6));
    EXPECT_EQ(GetWide(r.data(), 8, kLogFolderChars), L"C:\\ProgramData\\Kestrel\\Logs");
    EXPECT_EQ(GetU32(r.data(), 528), 2u);

    const RequestCounts counts = server.Counts();
    EXPECT_EQ(counts.total, 7u);
    EXPECT_EQ(counts.byCode[kGetPortDevice], 1u);
}

TEST_F(SimServerTest, StampAndUpdateCounterFollowChanges) {
    const uint32_t first = GetU32(Ask(Request(kGetPortListInfo)).data(), kRspStampOffset);
    Run("port COM4");
    std::vector<uint8_t> r = Ask(Request(kGetPortListInfo));
    const uint32_t second = GetU32(r.data(), kRspStampOffset);
    EXPECT_NE(second, first);
    EXPECT_EQ(GetU32(r.data(), kRspCountOffset), 2u);
    EXPECT_EQ(StatusOf(Ask(NameRequest(first, 0))), kRefuseStaleStamp);
    EXPECT_EQ(GetWide(Ask(NameRequest(second, 1)).data(), 8, 262), L"COM4");

    ASSERT_EQ(StatusOf(Ask(SetPortDmsRequest(L"COM4", "h.example", "99", 1000, false, true))),
              kResultOk);
    EXPECT_EQ(GetU32(Ask(PortRequest(kGetPortCounters, L"COM4")).data(), 16), 2u);

    Run("remove COM4");
    EXPECT_NE(GetU32(Ask(Request(kGetPortListInfo)).data(), kRspStampOffset), second);
    EXPECT_EQ(StatusOf(Ask(PortRequest(kGetPortCounters, L"COM4"))), kResultPortUnavailable);
}

TEST_F(SimServerTest, RefusesMalformedRequestsAndServesOn) {
    std::vector<uint8_t> big(800, 0);
    U32(big.data(), 0, 31);
    std::vector<uint8_t> r;
    ASSERT_EQ(client.Write(big.data(), big.size()), 0u);
    ASSERT_EQ(client.Read(&r), 0u);
    EXPECT_EQ(SequenceOf(r), 31u);
    EXPECT_EQ(StatusOf(r), kRefuseMalformed);

    ASSERT_EQ(client.Write(big.data(), 100), 0u);
    ASSERT_EQ(client.Read(&r), 0u);
    EXPECT_EQ(StatusOf(r), kRefuseMalformed);

    RequestFrame name = Request(kGetPortDevice, 32);
    std::fill(name.begin() + 8, name.begin() + 410, 'A');
    EXPECT_EQ(StatusOf(Ask(name)), kRefuseMalformed);
    EXPECT_EQ(StatusOf(Ask(Request(12))), kRefuseUnknownRequest);
    EXPECT_EQ(StatusOf(Ask(Request(kQueryVersion, 33))), kResultOk);
    EXPECT_EQ(server.Counts().malformed, 2u);
}

TEST_F(SimServerTest, ServesTwoClientsAtOnce) {
    RawPipeClient second;
    ASSERT_TRUE(second.Connect(server.PipePath()));
    // Both requests are in flight before either answer is read.
    ASSERT_EQ(client.Write(PortRequest(kGetPortCounters, L"COM3", 100)), 0u);
    ASSERT_EQ(second.Write(Request(kGetPortListInfo, 200)), 0u);
    std::vector<uint8_t> ra, rb;
    ASSERT_EQ(second.Read(&rb), 0u);
    ASSERT_EQ(client.Read(&ra), 0u);
    EXPECT_EQ(SequenceOf(ra), 100u);
    EXPECT_EQ(GetU32(ra.data(), 8), 5u);
    EXPECT_EQ(SequenceOf(rb), 200u);
    EXPECT_EQ(GetU32(rb.data(), kRspCountOffset), 1u);
}

TEST_F(SimServerTest, AcceptsANewClientAtOnceAfterADisconnect) {
    for (uint32_t i = 0; i < 6; ++i) {
        client.Close();
        const ULONGLONG start = ::GetTickCount64();
        ASSERT_TRUE(client.Connect(server.PipePath(), 1000));
        EXPECT_LT(::GetTickCount64() - start, 500u);
        EXPECT_EQ(SequenceOf(Ask(Request(kQueryVersion, i))), i);
    }
}

TEST_F(SimServerTest, ANameThatIsServedCannotBeServedTwice) {
    std::wstring path = server.PipePath();
    SimServer other(path.substr(path.rfind(L'\\') + 1));
    std::string error;
    EXPECT_FALSE(other.Start(&error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(StatusOf(Ask(Request(kQueryVersion))), kResultOk);
}

TEST_F(SimServerTest, RestartsWithTheSameModelAfterStop) {
    Ask(Request(kQueryVersion));
    server.Stop();
    std::vector<uint8_t> r;
    EXPECT_NE(client.Exchange(Request(kGetPortListInfo), &r, 500), 0u);
    EXPECT_FALSE(client.Connect(server.PipePath(), 100));

    Run("port COM4");
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    ASSERT_TRUE(client.Connect(server.PipePath()));
    EXPECT_EQ(GetU32(Ask(Request(kGetPortListInfo)).data(), kRspCountOffset), 2u);
    EXPECT_EQ(server.TotalRequests(), 2u);
    EXPECT_EQ(server.RequestCount(kGetPortListInfo), 1u);
}

TEST_F(SimServerTest, DelayFaultAnswersLate) {
    Run("fault delay 300 on=GetPortListInfo");
    EXPECT_EQ(StatusOf(Ask(Request(kQueryVersion))), kResultOk);
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(SequenceOf(Ask(Request(kGetPortListInfo, 9))), 9u);
    EXPECT_GE(::GetTickCount64() - start, 280u);
}

TEST_F(SimServerTest, LateAnswerStaysQueuedForTheNextRead) {
    Run("fault delay 300");
    ASSERT_EQ(client.Write(Request(kGetPortListInfo, 1)), 0u);
    std::vector<uint8_t> r;
    EXPECT_EQ(client.Read(&r, 50), static_cast<DWORD>(ERROR_TIMEOUT));
    ASSERT_EQ(client.Write(Request(kGetPortListInfo, 2)), 0u);
    ASSERT_EQ(client.Read(&r), 0u);
    EXPECT_EQ(SequenceOf(r), 1u);
    ASSERT_EQ(client.Read(&r), 0u);
    EXPECT_EQ(SequenceOf(r), 2u);
}

TEST_F(SimServerTest, DropAndCrashFaultsEndTheExchangeAfterActing) {
    Run("fault drop on=UseDefaultDmsConfig");
    ASSERT_EQ(client.Write(PortRequest(kUseDefaultDmsConfig, L"COM3")), 0u);
    std::vector<uint8_t> r;
    EXPECT_EQ(client.Read(&r), static_cast<DWORD>(ERROR_PIPE_NOT_CONNECTED));
    EXPECT_TRUE(server.Snapshot().FindPort(L"COM3")->useDefault);

    ASSERT_TRUE(client.Connect(server.PipePath()));
    Run("fault crash");
    ASSERT_EQ(client.Write(Request(kGetPortListInfo)), 0u);
    EXPECT_EQ(client.Read(&r), static_cast<DWORD>(ERROR_BROKEN_PIPE));

    // The crashed instance is replaced; every instance still serves.
    std::vector<std::unique_ptr<RawPipeClient>> clients;
    for (int i = 0; i < 4; ++i) {
        clients.push_back(std::make_unique<RawPipeClient>());
        ASSERT_TRUE(clients.back()->Connect(server.PipePath())) << i;
        EXPECT_EQ(StatusOf(Ask(*clients.back(), Request(kQueryVersion))), kResultOk);
    }
}

TEST_F(SimServerTest, DropConnectionsEndsEveryCurrentConnection) {
    RawPipeClient second;
    ASSERT_TRUE(second.Connect(server.PipePath()));
    Ask(Request(kQueryVersion));
    Ask(second, Request(kQueryVersion));

    server.DropConnections(Disconnect::Drop);
    const RequestFrame info = Request(kGetPortListInfo);
    std::vector<uint8_t> r;
    for (RawPipeClient* c : {&client, &second})
        EXPECT_EQ(c->Exchange(info, &r), static_cast<DWORD>(ERROR_PIPE_NOT_CONNECTED));

    ASSERT_TRUE(client.Connect(server.PipePath()));
    Ask(Request(kQueryVersion));
    Run("crash-all");
    // A write into a pipe whose server end is gone fails with ERROR_NO_DATA.
    const DWORD crashed = client.Exchange(info, &r);
    EXPECT_TRUE(crashed == ERROR_BROKEN_PIPE || crashed == ERROR_NO_DATA) << crashed;
    ASSERT_TRUE(client.Connect(server.PipePath()));
    EXPECT_EQ(StatusOf(Ask(Request(kQueryVersion))), kResultOk);
}

TEST_F(SimServerTest, WrongLengthFaultSendsThatManyBytes) {
    Run("fault length 300");
    const RequestFrame info = Request(kGetPortListInfo, 4);
    std::vector<uint8_t> r;
    ASSERT_EQ(client.Exchange(info, &r), 0u);
    EXPECT_EQ(r.size(), 300u);
    EXPECT_EQ(SequenceOf(r), 4u);

    Run("fault length 600");
    EXPECT_EQ(client.Exchange(info, &r), static_cast<DWORD>(ERROR_MORE_DATA));
}

TEST_F(SimServerTest, SequenceFaultsOverThePipe) {
    Run("fault stale 2 on=GetPortCounters");
    ASSERT_EQ(client.Write(PortRequest(kGetPortCounters, L"COM3", 50)), 0u);
    std::vector<uint8_t> r;
    for (uint32_t expected : {48u, 49u, 50u}) {
        ASSERT_EQ(client.Read(&r), 0u);
        EXPECT_EQ(SequenceOf(r), expected);
    }
    EXPECT_EQ(client.Read(&r, 100), static_cast<DWORD>(ERROR_TIMEOUT));

    Run("fault future");
    EXPECT_EQ(SequenceOf(Ask(Request(kGetPortListInfo, 60))), 61u);
    EXPECT_EQ(SequenceOf(Ask(Request(kGetPortListInfo, 61))), 61u);
}

TEST_F(SimServerTest, VersionAndRefuseFaults) {
    Run("fault version 3.14.0");
    Run("fault refuse 5 on=GetPortDevice count=always");
    std::vector<uint8_t> r = Ask(Request(kQueryVersion));
    EXPECT_EQ(GetU32(r.data(), 8), 3u);
    EXPECT_EQ(GetU32(r.data(), 12), 14u);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(StatusOf(Ask(PortRequest(kGetPortDevice, L"COM3"))), 5u);
    EXPECT_EQ(StatusOf(Ask(PortRequest(kGetPortCounters, L"COM3"))), kResultOk);
    EXPECT_EQ(GetU32(Ask(Request(kQueryVersion)).data(), 8), 2u);
}

}  // namespace
}  // namespace kestrel::sim
