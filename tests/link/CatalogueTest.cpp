// The request catalogue through a real pipe: what each request puts on the wire, how each
// response is decoded, argument checks and failure values.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>

#include "DmsValues.h"
#include "ScriptedService.h"

namespace kestrel::test {
namespace {

using Catalogue = ScriptedTest;

constexpr uint32_t kStamp = 0x5157A3Bu;

// Answers each request code with fixed, recognisable data.
uint32_t GoodService(const RequestFrame& request, uint8_t* r) {
    switch (CodeOf(request)) {
    case kGetPortListInfo:
        U32(r, 8, kStamp);
        U32(r, 12, 3);
        break;
    case kGetPortName: Wide(r, 8, L"COM10"); break;
    case kGetPortDevice:
        Wide(r, 8, L"COM10 (Dock)");
        Wide(r, 68, L"SN-0042");
        U32(r, 368, kModeVelmora);
        U32(r, 372, kStatusConnected);
        r[376] = 0;
        break;
    case kGetPortDmsConfig:
    case kGetDefaultDmsConfig:
        Narrow(r, 8, "dms.example.org");
        Narrow(r, 308, "4711");
        U32(r, 318, 30000);
        r[322] = CodeOf(request) == kGetPortDmsConfig ? 1 : 0;
        r[323] = 1;
        break;
    case kGetLogSettings:
        Wide(r, 8, L"C:\\Logs");
        U32(r, 528, 4);
        break;
    case kGetPortCounters:
        U32(r, 8, 11);
        U32(r, 12, 22);
        U32(r, 16, 33);
        break;
    default: break;
    }
    return 0;
}

TEST_F(Catalogue, ReadingRequestsGoOutAsFramedAndDecodeEveryField) {
    Connect(GoodService);

    uint32_t stamp = 0, count = 0;
    EXPECT_EQ(client.GetPortListInfo(&stamp, &count), kDone);
    EXPECT_EQ(stamp, kStamp);
    EXPECT_EQ(count, 3u);

    std::wstring portName;
    EXPECT_EQ(client.GetPortName(stamp, 2, portName), kDone);
    EXPECT_EQ(portName, L"COM10");

    std::wstring label, serial;
    uint32_t mode = 0, status = 0;
    bool useDefault = true;
    EXPECT_EQ(client.GetPortDevice(portName, label, serial, mode, status, useDefault), kDone);
    EXPECT_EQ(label, L"COM10 (Dock)");
    EXPECT_EQ(serial, L"SN-0042");
    EXPECT_EQ(mode, kModeVelmora);
    EXPECT_EQ(status, kStatusConnected);
    EXPECT_FALSE(useDefault);

    DmsConfig dms;
    EXPECT_EQ(client.GetPortDmsConfig(portName, dms), kDone);
    EXPECT_PRED2(SameDms, dms, Dms("dms.example.org", "4711", 30000, true, true));
    EXPECT_EQ(client.GetDefaultDmsConfig(dms), kDone);
    EXPECT_PRED2(SameDms, dms, Dms("dms.example.org", "4711", 30000, false, true));

    std::wstring folder;
    uint32_t level = 0;
    EXPECT_EQ(client.GetLogSettings(folder, level), kDone);
    EXPECT_EQ(folder, L"C:\\Logs");
    EXPECT_EQ(level, 4u);

    uint32_t tx = 0, rx = 0, up = 0;
    EXPECT_EQ(client.GetPortCounters(portName, tx, rx, up), kDone);
    EXPECT_EQ(tx, 11u);
    EXPECT_EQ(rx, 22u);
    EXPECT_EQ(up, 33u);

    client.Close();
    // What must have been on the wire, numbered from 1 after the handshake.
    const RequestFrame expected[] = {
        Request(kGetPortListInfo, 1),
        NameRequest(kStamp, 2, 2),
        PortRequest(kGetPortDevice, L"COM10", 3),
        PortRequest(kGetPortDmsConfig, L"COM10", 4),
        Request(kGetDefaultDmsConfig, 5),
        Request(kGetLogSettings, 6),
        PortRequest(kGetPortCounters, L"COM10", 7),
    };
    const std::vector<RequestFrame> requests = service->Requests();
    ASSERT_EQ(requests.size(), std::size(expected));
    for (size_t i = 0; i < requests.size(); ++i)
        EXPECT_EQ(requests[i], expected[i]) << "request " << i + 1;
}

TEST_F(Catalogue, WritingRequestsPutEveryFieldOnTheWire) {
    Connect(GoodService);
    EXPECT_EQ(client.SetPortDmsConfig(L"COM10", Dms("10.1.2.3", "8080", 0x00012345u, false, true)),
              kDone);
    EXPECT_EQ(client.UseDefaultDmsConfig(L"COM10"), kDone);
    EXPECT_EQ(client.SetDefaultDmsConfig(Dms("dms2", "443", 5000, true, false)), kDone);
    EXPECT_EQ(client.SetLogSettings(L"D:\\Kestrel", 2), kDone);

    client.Close();
    const RequestFrame expected[] = {
        SetPortDmsRequest(L"COM10", "10.1.2.3", "8080", 0x00012345u, false, true, 1),
        PortRequest(kUseDefaultDmsConfig, L"COM10", 2),
        SetDefaultDmsRequest("dms2", "443", 5000, true, false, 3),
        SetLogRequest(L"D:\\Kestrel", 2, 4),
    };
    const std::vector<RequestFrame> requests = service->Requests();
    ASSERT_EQ(requests.size(), std::size(expected));
    for (size_t i = 0; i < requests.size(); ++i)
        EXPECT_EQ(requests[i], expected[i]) << "request " << i + 1;
    // Spot checks of the very last bytes and of an unaligned field.
    EXPECT_EQ(requests[0][725], 1);  // comPortActive of SetPortDmsConfig
    EXPECT_EQ(GetU32(requests[0].data(), 720), 0x00012345u);
    EXPECT_EQ(GetU32(requests[3].data(), 528), 2u);
}

// A DMS parameter set whose host or port fills its whole field, without a NUL.
DmsConfig UnterminatedDms(bool host, bool port) {
    DmsConfig dms = Dms("h", "1", 0, false, false);
    if (host) std::memset(dms.host, 'h', sizeof dms.host);
    if (port) std::memset(dms.port, '1', sizeof dms.port);
    return dms;
}

TEST_F(Catalogue, ArgumentChecksSendNothingAndKeepTheSequence) {
    Connect(GoodService);
    const uint32_t before = client.Sequence();

    for (const DmsConfig& tooLong : {UnterminatedDms(true, false), UnterminatedDms(false, true)}) {
        EXPECT_EQ(client.SetPortDmsConfig(L"COM1", tooLong),
                  RequestResult::ClientFailed(kResultTextTooLong));
        EXPECT_EQ(client.SetDefaultDmsConfig(tooLong),
                  RequestResult::ClientFailed(kResultTextTooLong));
    }
    EXPECT_EQ(client.SetLogSettings(std::wstring(260, L'f'), 1),
              RequestResult::ClientFailed(kResultTextTooLong));
    EXPECT_EQ(client.GetPortListInfo(nullptr), RequestResult::ClientFailed(kErrorInvalidParameter));
    EXPECT_EQ(client.Sequence(), before);
    client.Close();
    EXPECT_TRUE(service->Requests().empty());
}

TEST_F(Catalogue, LongestTextsThatFitAreSentAndLongPortNamesCut) {
    Connect(GoodService);
    const uint32_t before = client.Sequence();
    DmsConfig longest = Dms("", "", 1, true, true);
    std::memset(longest.host, 'h', sizeof longest.host - 1);
    std::memset(longest.port, '9', sizeof longest.port - 1);
    EXPECT_EQ(client.SetPortDmsConfig(std::wstring(250, L'N'), longest), kDone);
    EXPECT_EQ(client.SetLogSettings(std::wstring(259, L'f'), 5), kDone);
    uint32_t stamp = 9;
    EXPECT_EQ(client.GetPortListInfo(&stamp), kDone) << "without a count";
    EXPECT_EQ(stamp, kStamp);
    client.Close();

    const std::vector<RequestFrame> requests = service->Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(SequenceOf(requests[0]), before);
    EXPECT_EQ(CodeOf(requests[0]), kSetPortDmsConfig);
    EXPECT_EQ(GetWide(requests[0].data(), 8, 201), std::wstring(200, L'N'));
    EXPECT_EQ(NarrowFieldLength(requests[0].data(), 410, 300), 299u);
    EXPECT_EQ(NarrowFieldLength(requests[0].data(), 710, 10), 9u);
    EXPECT_EQ(GetWide(requests[1].data(), 8, 260), std::wstring(259, L'f'));
    EXPECT_EQ(GetU32(requests[1].data(), 528), 5u);
    EXPECT_EQ(CodeOf(requests[2]), kGetPortListInfo);
}

// Both DMS reads fail with result and leave their failure values: empty texts,
// no retry time, both flags off.
void ExpectDmsReadsFail(ProbeClient& client, const RequestResult& result) {
    const DmsConfig failed = Dms("", "", 0, false, false);
    DmsConfig dms = Dms("old", "old", 9, true, true);
    EXPECT_EQ(client.GetPortDmsConfig(L"COM1", dms), result);
    EXPECT_PRED2(SameDms, dms, failed);
    dms = Dms("old", "old", 9, true, true);
    EXPECT_EQ(client.GetDefaultDmsConfig(dms), result);
    EXPECT_PRED2(SameDms, dms, failed);
}

// A service that refuses everything with 0xEEEE0005 but fills the payload with junk.
uint32_t RefusingService(const RequestFrame&, uint8_t* r) {
    std::memset(r + 8, 0x41, kResponseFrameSize - 8);
    return kResultPortUnavailable;
}

TEST_F(Catalogue, RefusedRequestsLeaveTheFailureValues) {
    Connect(RefusingService);

    uint32_t stamp = 9, count = 9;
    EXPECT_EQ(client.GetPortListInfo(&stamp, &count), kPortGoneAnswer);
    EXPECT_EQ(stamp, 0u);
    EXPECT_EQ(count, 0u);
    std::wstring portName = L"old";
    EXPECT_EQ(client.GetPortName(1, 0, portName), kPortGoneAnswer);
    EXPECT_TRUE(portName.empty());
    std::wstring label = L"old", serial = L"old";
    uint32_t mode = 0, status = 0;
    bool useDefault = false;
    EXPECT_EQ(client.GetPortDevice(L"COM1", label, serial, mode, status, useDefault),
              kPortGoneAnswer);
    EXPECT_TRUE(label.empty());
    EXPECT_TRUE(serial.empty());
    EXPECT_EQ(mode, kModeSerial);
    EXPECT_EQ(status, kStatusNoDevice);
    EXPECT_TRUE(useDefault);
    ExpectDmsReadsFail(client, kPortGoneAnswer);
    std::wstring folder = L"old";
    uint32_t level = 9;
    EXPECT_EQ(client.GetLogSettings(folder, level), kPortGoneAnswer);
    EXPECT_TRUE(folder.empty());
    EXPECT_EQ(level, 0u);
    uint32_t tx = 9, rx = 9, up = 9;
    EXPECT_EQ(client.GetPortCounters(L"COM1", tx, rx, up), kPortGoneAnswer);
    EXPECT_EQ(tx + rx + up, 0u);
    const DmsConfig dms = Dms("h", "1", 0, false, false);
    EXPECT_EQ(client.SetPortDmsConfig(L"COM1", dms), kPortGoneAnswer);
    EXPECT_EQ(client.UseDefaultDmsConfig(L"COM1"), kPortGoneAnswer);
    EXPECT_EQ(client.SetDefaultDmsConfig(dms), kPortGoneAnswer);
    EXPECT_EQ(client.SetLogSettings(L"f", 0), kPortGoneAnswer);
    EXPECT_TRUE(client.IsConnected());  // a refusal leaves the pipe open
    client.Close();
    EXPECT_EQ(service->Requests().size(), 11u);
}

TEST_F(Catalogue, DmsResponsesWithoutTerminatorsAreRefusedWith87) {
    // Sequence numbers 1 to 4 after the handshake.
    Connect([](const RequestFrame& request, uint8_t* r) -> uint32_t {
        if (SequenceOf(request) % 2 == 1) {
            Narrow(r, 8, std::string(300, 'h'));  // host without NUL
            Narrow(r, 308, "1");
        } else {
            Narrow(r, 8, "h");
            Narrow(r, 308, std::string(10, '1'));  // port without NUL
        }
        U32(r, 318, 1234);
        r[322] = r[323] = 1;
        return 0;
    });
    for (int i = 0; i < 2; ++i)
        ExpectDmsReadsFail(client, RequestResult::ClientFailed(kErrorInvalidParameter));
    EXPECT_TRUE(client.IsConnected());
    client.Close();
}

TEST_F(Catalogue, NotConnectedLeavesTheFailureValues) {
    std::wstring label = L"x", serial = L"y";
    uint32_t mode = 0, status = 0;
    bool useDefault = false;
    EXPECT_EQ(client.GetPortDevice(L"COM1", label, serial, mode, status, useDefault),
              kNotConnected);
    EXPECT_TRUE(label.empty());
    EXPECT_EQ(mode, kModeSerial);
    EXPECT_EQ(status, kStatusNoDevice);
    EXPECT_TRUE(useDefault);
    DmsConfig dms = Dms("x", "", 5, false, true);
    EXPECT_EQ(client.GetDefaultDmsConfig(dms), kNotConnected);
    EXPECT_STREQ(dms.host, "");
    EXPECT_EQ(dms.retryMs, 0u);
    EXPECT_EQ(dms.comPortActive, 0);
    uint32_t major = 1, minor = 1, patch = 1;
    EXPECT_EQ(client.QueryVersion(major, minor, patch), kNotConnected);
    EXPECT_EQ(major + minor + patch, 0u);
    EXPECT_EQ(client.Sequence(), 0u);
}

}  // namespace
}  // namespace kestrel::test
