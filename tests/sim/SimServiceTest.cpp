// Request frames answered by the simulated service, byte by byte, without a pipe.
#include <gtest/gtest.h>

#include <vector>

#include "DmsValues.h"
#include "Frames.h"
#include "RequestHandler.h"
#include "SimService.h"

namespace kestrel::sim {
namespace {

using namespace kestrel::test;

class SimServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        Run("port COM3 label=Lab3 serial=SN-1 mode=2 status=1 default=0 host=10.1.2.3 "
            "dmsport=4000 retry=15000 ssl=1 active=1");
        Run("port COM5 default=1");
    }

    void Run(const std::string& line) {
        const CommandResult result = service.Execute(line);
        ASSERT_TRUE(result.ok) << line << ": " << result.text;
    }

    // The one 532-byte answer a request gets when no fault applies.
    ResponseFrame Ask(const RequestFrame& request) {
        const Reply reply = service.Handle(request.data(), request.size());
        ResponseFrame response{};
        EXPECT_EQ(reply.messages.size(), 1u);
        if (reply.messages.size() != 1 || reply.messages[0].size() != response.size())
            return response;
        std::copy(reply.messages[0].begin(), reply.messages[0].end(), response.begin());
        return response;
    }

    uint32_t Update(const std::wstring& name) { return service.Snapshot().FindPort(name)->update; }

    SimService service;
};

TEST_F(SimServiceTest, VersionAndListInfoEchoTheSequence) {
    ResponseFrame r = Ask(Request(kQueryVersion, 0xA1B2C3D4u));
    EXPECT_EQ(SequenceOf(r), 0xA1B2C3D4u);
    EXPECT_EQ(StatusOf(r), kResultOk);
    EXPECT_EQ(GetU32(r.data(), 8), 2u);
    EXPECT_EQ(GetU32(r.data(), 12), 14u);
    EXPECT_EQ(GetU32(r.data(), 16), 0u);

    r = Ask(Request(kGetPortListInfo));
    EXPECT_EQ(GetU32(r.data(), kRspStampOffset), service.Snapshot().Stamp());
    EXPECT_NE(GetU32(r.data(), kRspStampOffset), 0u);
    EXPECT_EQ(GetU32(r.data(), kRspCountOffset), 2u);
}

TEST_F(SimServiceTest, DeviceDataLayout) {
    const ResponseFrame r = Ask(PortRequest(kGetPortDevice, L"COM3"));
    ASSERT_EQ(StatusOf(r), kResultOk);
    EXPECT_EQ(GetWide(r.data(), 8, kPortLabelChars), L"Lab3");
    EXPECT_EQ(GetWide(r.data(), 68, kSerialNumberChars), L"SN-1");
    EXPECT_EQ(GetU32(r.data(), 368), static_cast<uint32_t>(kModeVelmora));
    EXPECT_EQ(GetU32(r.data(), 372), static_cast<uint32_t>(kStatusNotConnected));
    EXPECT_EQ(r[376], 0);
    for (size_t i = 377; i < r.size(); ++i) ASSERT_EQ(r[i], 0) << i;

    EXPECT_EQ(Ask(PortRequest(kGetPortDevice, L"COM5"))[376], 1);
}

TEST_F(SimServiceTest, PortDmsConfigIsTheEffectiveSet) {
    EXPECT_PRED2(SameDms, DmsAt(Ask(PortRequest(kGetPortDmsConfig, L"COM3")).data(), 8),
                 Dms("10.1.2.3", "4000", 15000, true, true));

    const ResponseFrame r = Ask(PortRequest(kGetPortDmsConfig, L"COM5"));
    EXPECT_EQ(NarrowAt(r.data(), 8, kDmsHostBytes), "dms.example.local");
    EXPECT_EQ(GetU32(r.data(), 318), 30000u);
}

TEST_F(SimServiceTest, SetPortDmsConfigStoresOwnParametersAndMovesTheUpdateCounter) {
    const uint32_t before = Update(L"COM5");
    ASSERT_EQ(StatusOf(Ask(SetPortDmsRequest(L"COM5", "dms2.example.local", "4443", 0x01020304u,
                                             true, true))),
              kResultOk);
    EXPECT_EQ(Update(L"COM5"), before + 1);

    EXPECT_PRED2(SameDms, DmsAt(Ask(PortRequest(kGetPortDmsConfig, L"COM5")).data(), 8),
                 Dms("dms2.example.local", "4443", 0x01020304u, true, true));
    EXPECT_EQ(Ask(PortRequest(kGetPortDevice, L"COM5"))[376], 0);

    // Following the defaults again keeps the own set for later.
    ASSERT_EQ(StatusOf(Ask(PortRequest(kUseDefaultDmsConfig, L"COM5"))), kResultOk);
    EXPECT_EQ(Update(L"COM5"), before + 2);
    const ResponseFrame r = Ask(PortRequest(kGetPortDmsConfig, L"COM5"));
    EXPECT_EQ(NarrowAt(r.data(), 8, kDmsHostBytes), "dms.example.local");
    EXPECT_EQ(service.Snapshot().FindPort(L"COM5")->own.host, "dms2.example.local");
}

TEST_F(SimServiceTest, SetDefaultDmsConfigMovesOnlyPortsThatFollowIt) {
    const uint32_t own = Update(L"COM3");
    const uint32_t follower = Update(L"COM5");
    ASSERT_EQ(StatusOf(Ask(SetDefaultDmsRequest("new.example.local", "4001", 5000, false, true))),
              kResultOk);
    EXPECT_EQ(Update(L"COM3"), own);
    EXPECT_EQ(Update(L"COM5"), follower + 1);

    EXPECT_PRED2(SameDms, DmsAt(Ask(Request(kGetDefaultDmsConfig)).data(), 8),
                 Dms("new.example.local", "4001", 5000, false, true));
}

TEST_F(SimServiceTest, LogSettingsUseTheLastBytesOfBothFrames) {
    const std::wstring folder(259, L'F');
    ASSERT_EQ(StatusOf(Ask(SetLogRequest(folder, 3))), kResultOk);

    const ResponseFrame r = Ask(Request(kGetLogSettings));
    EXPECT_EQ(GetWide(r.data(), 8, kLogFolderChars), folder);
    EXPECT_EQ(GetU32(r.data(), 528), 3u);
}

TEST_F(SimServiceTest, CountersLayout) {
    Run("port COM3 tx=11 rx=22 update=33");
    const ResponseFrame r = Ask(PortRequest(kGetPortCounters, L"COM3"));
    EXPECT_EQ(GetU32(r.data(), 8), 11u);
    EXPECT_EQ(GetU32(r.data(), 12), 22u);
    EXPECT_EQ(GetU32(r.data(), 16), 33u);
}

TEST_F(SimServiceTest, PortNamesAreAnsweredOnlyForTheCurrentStamp) {
    Run("port COM10");
    const uint32_t stamp = GetU32(Ask(Request(kGetPortListInfo)).data(), kRspStampOffset);
    std::vector<std::wstring> names;
    for (uint32_t i = 0; i < 3; ++i) {
        const ResponseFrame r = Ask(NameRequest(stamp, i));
        ASSERT_EQ(StatusOf(r), kResultOk);
        names.push_back(GetWide(r.data(), 8, (kResponseFrameSize - 8) / 2));
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"COM10", L"COM3", L"COM5"}));
    EXPECT_EQ(StatusOf(Ask(NameRequest(stamp, 3))), kRefuseIndexOutOfRange);
    EXPECT_EQ(StatusOf(Ask(NameRequest(stamp, 0xFFFFFFFFu))), kRefuseIndexOutOfRange);

    Run("remove COM10");
    const uint32_t after = GetU32(Ask(Request(kGetPortListInfo)).data(), kRspStampOffset);
    EXPECT_NE(after, stamp);
    const ResponseFrame stale = Ask(NameRequest(stamp, 0));
    EXPECT_EQ(StatusOf(stale), kRefuseStaleStamp);
    for (size_t i = 8; i < stale.size(); ++i) ASSERT_EQ(stale[i], 0) << i;

    // Changing a port's data is no change of the list.
    Run("port COM3 label=Other");
    EXPECT_EQ(GetU32(Ask(Request(kGetPortListInfo)).data(), kRspStampOffset), after);
}

TEST_F(SimServiceTest, UnknownPortsAndCodesAreRefused) {
    for (uint32_t code :
         {kGetPortDevice, kGetPortDmsConfig, kUseDefaultDmsConfig, kGetPortCounters}) {
        EXPECT_EQ(StatusOf(Ask(PortRequest(code, L"COM99"))), kResultPortUnavailable) << code;
        EXPECT_EQ(StatusOf(Ask(PortRequest(code, L"com3"))), kResultPortUnavailable) << code;
    }
    EXPECT_EQ(StatusOf(Ask(SetPortDmsRequest(L"COM99", "h", "1", 1, false, false))),
              kResultPortUnavailable);

    const ResponseFrame r = Ask(Request(12, 99));
    EXPECT_EQ(StatusOf(r), kRefuseUnknownRequest);
    EXPECT_EQ(SequenceOf(r), 99u);
    EXPECT_EQ(StatusOf(Ask(Request(0xFFFFFFFFu))), kRefuseUnknownRequest);
}

TEST_F(SimServiceTest, UnterminatedTextsAreRefusedAndChangeNothing) {
    const SimModel before = service.Snapshot();

    RequestFrame name = Request(kGetPortDevice);
    std::fill(name.begin() + 8, name.begin() + 410, 'A');  // 201 units, none of them NUL
    EXPECT_EQ(StatusOf(Ask(name)), kRefuseMalformed);

    RequestFrame host = SetPortDmsRequest(L"COM3", "h", "1", 1, false, false);
    std::fill(host.begin() + 410, host.begin() + 710, 'h');
    EXPECT_EQ(StatusOf(Ask(host)), kRefuseMalformed);

    RequestFrame port = PortRequest(kSetPortDmsConfig, L"COM3");
    std::fill(port.begin() + 710, port.begin() + 720, '9');
    EXPECT_EQ(StatusOf(Ask(port)), kRefuseMalformed);

    RequestFrame defaults = Request(kSetDefaultDmsConfig);
    std::fill(defaults.begin() + 308, defaults.begin() + 318, '9');
    EXPECT_EQ(StatusOf(Ask(defaults)), kRefuseMalformed);

    RequestFrame folder = Request(kSetLogSettings);
    std::fill(folder.begin() + 8, folder.begin() + 528, 'x');
    EXPECT_EQ(StatusOf(Ask(folder)), kRefuseMalformed);

    // A name that is known but followed by garbage within its field is still found.
    RequestFrame tail = PortRequest(kGetPortCounters, L"COM3");
    tail[8 + 2 * 5] = 'X';
    EXPECT_EQ(StatusOf(Ask(tail)), kResultOk);

    const SimModel after = service.Snapshot();
    EXPECT_EQ(after.FindPort(L"COM3")->own, before.FindPort(L"COM3")->own);
    EXPECT_EQ(after.FindPort(L"COM3")->update, before.FindPort(L"COM3")->update);
    EXPECT_EQ(after.DefaultDms(), before.DefaultDms());
    EXPECT_EQ(after.LogFolder(), before.LogFolder());
}

TEST_F(SimServiceTest, MessagesOfTheWrongLengthAreRefusedOrIgnored) {
    const RequestFrame request = PortRequest(kUseDefaultDmsConfig, L"COM3", 41);
    std::vector<uint8_t> frame(request.begin(), request.end());
    frame.push_back(0);
    const uint32_t update = Update(L"COM3");

    for (size_t length : {kRequestFrameSize + 1, kRequestFrameSize - 1, size_t{4}}) {
        const Reply reply = service.Handle(frame.data(), length);
        ASSERT_EQ(reply.messages.size(), 1u) << length;
        ASSERT_EQ(reply.messages[0].size(), kResponseFrameSize);
        EXPECT_EQ(SequenceOf(reply.messages[0]), 41u);
        EXPECT_EQ(StatusOf(reply.messages[0]), kRefuseMalformed);
    }
    EXPECT_TRUE(service.Handle(frame.data(), 3).messages.empty());
    EXPECT_TRUE(service.Handle(frame.data(), 0).messages.empty());
    EXPECT_EQ(Update(L"COM3"), update);

    const RequestCounts counts = service.Counts();
    EXPECT_EQ(counts.total, 5u);
    EXPECT_EQ(counts.malformed, 5u);
    EXPECT_EQ(counts.byCode[kUseDefaultDmsConfig], 0u);
}

TEST_F(SimServiceTest, RefuseFaultDoesNotActOnTheRequest) {
    Run("fault refuse 0xEEEE0005 on=UseDefaultDmsConfig");
    const uint32_t update = Update(L"COM3");
    EXPECT_EQ(StatusOf(Ask(Request(kGetPortListInfo))), kResultOk);  // another code: untouched
    const ResponseFrame r = Ask(PortRequest(kUseDefaultDmsConfig, L"COM3"));
    EXPECT_EQ(StatusOf(r), kResultPortUnavailable);
    EXPECT_EQ(Update(L"COM3"), update);
    EXPECT_FALSE(service.Snapshot().FindPort(L"COM3")->useDefault);
    EXPECT_EQ(StatusOf(Ask(PortRequest(kUseDefaultDmsConfig, L"COM3"))), kResultOk);  // used up
}

TEST_F(SimServiceTest, SilenceFaultNeitherActsOnNorAnswersTheRequest) {
    Run("fault silence on=UseDefaultDmsConfig");
    const RequestFrame request = PortRequest(kUseDefaultDmsConfig, L"COM3");
    EXPECT_TRUE(service.Handle(request.data(), request.size()).messages.empty());
    EXPECT_FALSE(service.Snapshot().FindPort(L"COM3")->useDefault);
    EXPECT_EQ(service.Counts().byCode[kUseDefaultDmsConfig], 1u) << "counted all the same";
    EXPECT_EQ(StatusOf(Ask(request)), kResultOk);  // used up
}

TEST_F(SimServiceTest, FaultCanLetMatchingRequestsPassFirst) {
    Run("fault refuse 87 on=GetPortName after=2");
    const uint32_t stamp = service.Snapshot().Stamp();
    EXPECT_EQ(StatusOf(Ask(NameRequest(stamp, 0))), kResultOk);
    EXPECT_EQ(StatusOf(Ask(Request(kGetPortListInfo))), kResultOk);  // not counted: another code
    EXPECT_EQ(StatusOf(Ask(NameRequest(stamp, 1))), kResultOk);
    EXPECT_EQ(StatusOf(Ask(NameRequest(stamp, 0))), 87u);
    EXPECT_EQ(StatusOf(Ask(NameRequest(stamp, 0))), kResultOk);
}

// A service that lies about its list: more ports than it has, and names past
// its end, given again or made up.
TEST_F(SimServiceTest, ClaimAndNamesFaultsLieAboutTheList) {
    Run("fault claim 4294967295 count=always");
    EXPECT_EQ(GetU32(Ask(Request(kGetPortListInfo)).data(), kRspCountOffset), 0xFFFFFFFFu);
    const uint32_t stamp = service.Snapshot().Stamp();
    const auto nameAt = [&](uint32_t stampAsked, uint32_t index) {
        const ResponseFrame r = Ask(NameRequest(stampAsked, index));
        return StatusOf(r) == kResultOk ? GetWide(r.data(), kRspPortNameOffset, kRspPortNameChars)
                                        : L"status " + std::to_wstring(StatusOf(r));
    };
    EXPECT_EQ(nameAt(stamp, 2), L"status 259");
    Run("fault names repeat");
    EXPECT_EQ(nameAt(stamp, 5), L"COM5");
    Run("fault names invent count=always");
    EXPECT_EQ(nameAt(stamp, 1), L"COM5") << "the list's own names stay";
    EXPECT_EQ(nameAt(stamp, 6), L"COM1006");
    EXPECT_EQ(nameAt(stamp + 1, 6), L"status 13") << "a stale stamp is still refused";
}

TEST_F(SimServiceTest, StaleSequenceNumbersWrapLikeTheClients) {
    Run("fault stale 2");
    const Reply reply = service.Handle(Request(kGetPortListInfo, 1).data(), kRequestFrameSize);
    ASSERT_EQ(reply.messages.size(), 3u);
    EXPECT_EQ(GetU32(reply.messages[0].data(), 0), 0xFFFFFFFFu);
    EXPECT_EQ(GetU32(reply.messages[1].data(), 0), 0u);
    EXPECT_EQ(GetU32(reply.messages[2].data(), 0), 1u);
}

TEST_F(SimServiceTest, VersionDelayAndDisconnectFaults) {
    Run("fault version 2.14.1");
    Reply reply =
        service.Handle(Request(kGetPortListInfo).data(), kRequestFrameSize);  // not used up
    reply = service.Handle(Request(kQueryVersion).data(), kRequestFrameSize);
    EXPECT_EQ(GetU32(reply.messages[0].data(), 16), 1u);
    reply = service.Handle(Request(kQueryVersion).data(), kRequestFrameSize);
    EXPECT_EQ(GetU32(reply.messages[0].data(), 16), 0u);

    Run("fault delay 300 on=GetPortListInfo count=2");
    Run("fault crash on=1 count=1");
    reply = service.Handle(Request(kGetPortListInfo).data(), kRequestFrameSize);
    EXPECT_EQ(reply.delayMs, 300u);
    EXPECT_EQ(reply.disconnect, Disconnect::Crash);
    reply = service.Handle(Request(kGetPortListInfo).data(), kRequestFrameSize);
    EXPECT_EQ(reply.delayMs, 300u);
    EXPECT_EQ(reply.disconnect, Disconnect::None);
    reply = service.Handle(Request(kGetPortListInfo).data(), kRequestFrameSize);
    EXPECT_EQ(reply.delayMs, 0u);

    Run("fault drop count=always");
    for (int i = 0; i < 3; ++i) {
        reply = service.Handle(Request(kQueryVersion).data(), kRequestFrameSize);
        EXPECT_EQ(reply.disconnect, Disconnect::Drop);
    }
    Run("clear-faults");
    EXPECT_EQ(service.Handle(Request(kQueryVersion).data(), kRequestFrameSize).disconnect,
              Disconnect::None);
}

}  // namespace
}  // namespace kestrel::sim
