// The request catalogue through a real pipe: what each request puts on the wire, how each
// response is decoded, argument checks and failure values.
#include <gtest/gtest.h>

#include <cstring>

#include "DmsValues.h"
#include "ScriptedService.h"

namespace kestrel::test {
namespace {

using Catalogue = ScriptedTest;

// Answers each request code with fixed, recognisable data.
uint32_t GoodService(const RequestFrame& request, uint8_t* r) {
    switch (CodeOf(request)) {
    case kGetPortListInfo:
        U32(r, 8, 0x5157A3Bu);
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

TEST_F(Catalogue, EveryRequestOnTheWireAndEveryResponseDecoded) {
    Connect(GoodService);

    uint32_t stamp = 0, count = 0;
    EXPECT_EQ(client.GetPortListInfo(&stamp, &count), 0u);
    EXPECT_EQ(stamp, 0x5157A3Bu);
    EXPECT_EQ(count, 3u);

    std::wstring portName;
    EXPECT_EQ(client.GetPortName(stamp, 2, portName), 0u);
    EXPECT_EQ(portName, L"COM10");

    std::wstring label, serial;
    uint32_t mode = 0, status = 0;
    bool useDefault = true;
    EXPECT_EQ(client.GetPortDevice(portName, label, serial, mode, status, useDefault), 0u);
    EXPECT_EQ(label, L"COM10 (Dock)");
    EXPECT_EQ(serial, L"SN-0042");
    EXPECT_EQ(mode, 2u);
    EXPECT_EQ(status, 0u);
    EXPECT_FALSE(useDefault);

    char host[300], port[10];
    uint32_t retry = 0;
    bool ssl = false, active = false;
    EXPECT_EQ(client.GetPortDmsConfig(portName, host, port, retry, ssl, active), 0u);
    EXPECT_STREQ(host, "dms.example.org");
    EXPECT_STREQ(port, "4711");
    EXPECT_EQ(retry, 30000u);
    EXPECT_TRUE(ssl);
    EXPECT_TRUE(active);

    EXPECT_EQ(client.SetPortDmsConfig(portName, "10.1.2.3", "8080", 0x00012345u, false, true), 0u);
    EXPECT_EQ(client.UseDefaultDmsConfig(portName), 0u);

    DmsConfig defaults;
    EXPECT_EQ(client.GetDefaultDmsConfig(defaults), 0u);
    EXPECT_STREQ(defaults.host, "dms.example.org");
    EXPECT_STREQ(defaults.port, "4711");
    EXPECT_EQ(defaults.retryMs, 30000u);
    EXPECT_EQ(defaults.useSsl, 0);
    EXPECT_EQ(defaults.comPortActive, 1);

    EXPECT_EQ(client.SetDefaultDmsConfig("dms2", "443", 5000, true, false), 0u);

    std::wstring folder;
    uint32_t level = 0;
    EXPECT_EQ(client.GetLogSettings(folder, level), 0u);
    EXPECT_EQ(folder, L"C:\\Logs");
    EXPECT_EQ(level, 4u);
    EXPECT_EQ(client.SetLogSettings(L"D:\\Kestrel", 2), 0u);

    uint32_t tx = 0, rx = 0, up = 0;
    EXPECT_EQ(client.GetPortCounters(portName, tx, rx, up), 0u);
    EXPECT_EQ(tx, 11u);
    EXPECT_EQ(rx, 22u);
    EXPECT_EQ(up, 33u);

    // The DmsConfig forms.
    DmsConfig mine = Dms("h", "1", 1000, true, false);
    EXPECT_EQ(client.SetPortDmsConfig(L"COM1", mine), 0u);
    EXPECT_EQ(client.SetDefaultDmsConfig(mine), 0u);
    EXPECT_EQ(client.GetPortDmsConfig(L"COM1", mine), 0u);
    EXPECT_EQ(mine.useSsl, 1);
    EXPECT_STREQ(mine.host, "dms.example.org");

    client.Close();
    const std::vector<RequestFrame> requests = service->Requests();
    ASSERT_EQ(requests.size(), 14u);

    // What must have been on the wire, numbered from 1 after the handshake.
    const RequestFrame expected[] = {
        Request(kGetPortListInfo, 1),
        NameRequest(0x5157A3Bu, 2, 2),
        PortRequest(kGetPortDevice, L"COM10", 3),
        PortRequest(kGetPortDmsConfig, L"COM10", 4),
        SetPortDmsRequest(L"COM10", "10.1.2.3", "8080", 0x00012345u, false, true, 5),
        PortRequest(kUseDefaultDmsConfig, L"COM10", 6),
        Request(kGetDefaultDmsConfig, 7),
        SetDefaultDmsRequest("dms2", "443", 5000, true, false, 8),
        Request(kGetLogSettings, 9),
        SetLogRequest(L"D:\\Kestrel", 2, 10),
        PortRequest(kGetPortCounters, L"COM10", 11),
        SetPortDmsRequest(L"COM1", "h", "1", 1000, true, false, 12),
        SetDefaultDmsRequest("h", "1", 1000, true, false, 13),
        PortRequest(kGetPortDmsConfig, L"COM1", 14),
    };
    for (size_t i = 0; i < requests.size(); ++i)
        EXPECT_EQ(requests[i], expected[i]) << "request " << i + 1;
    // Spot checks of the very last bytes.
    EXPECT_EQ(requests[4][725], 1);  // comPortActive of SetPortDmsConfig
    EXPECT_EQ(GetU32(requests[4].data(), 720), 0x00012345u);
    EXPECT_EQ(GetU32(requests[9].data(), 528), 2u);
}

TEST_F(Catalogue, ArgumentChecksSendNothingAndKeepTheSequence) {
    Connect(GoodService);
    const uint32_t before = client.Sequence();

    const std::string host300(300, 'h'), port10(10, '1');
    EXPECT_EQ(client.SetPortDmsConfig(L"COM1", host300.c_str(), "1", 0, false, false),
              kResultTextTooLong);
    EXPECT_EQ(client.SetPortDmsConfig(L"COM1", "h", port10.c_str(), 0, false, false),
              kResultTextTooLong);
    EXPECT_EQ(client.SetPortDmsConfig(L"COM1", nullptr, "1", 0, false, false),
              kErrorInvalidParameter);
    EXPECT_EQ(client.SetPortDmsConfig(L"COM1", "h", nullptr, 0, false, false),
              kErrorInvalidParameter);
    EXPECT_EQ(client.SetDefaultDmsConfig(host300.c_str(), "1", 0, false, false),
              kResultTextTooLong);
    EXPECT_EQ(client.SetDefaultDmsConfig("h", port10.c_str(), 0, false, false), kResultTextTooLong);
    EXPECT_EQ(client.SetDefaultDmsConfig(nullptr, "1", 0, false, false), kErrorInvalidParameter);
    EXPECT_EQ(client.SetLogSettings(std::wstring(260, L'f'), 1), kResultTextTooLong);
    EXPECT_EQ(client.GetPortListInfo(nullptr), kErrorInvalidParameter);
    uint32_t retry = 7;
    bool ssl = true, active = true;
    char port[10] = "x";
    char host[300] = "x";
    EXPECT_EQ(client.GetPortDmsConfig(L"COM1", nullptr, port, retry, ssl, active),
              kErrorInvalidParameter);
    EXPECT_EQ(client.GetDefaultDmsConfig(host, nullptr, retry, ssl, active),
              kErrorInvalidParameter);
    EXPECT_EQ(client.Sequence(), before);

    // The longest texts that fit are sent; a 250-character port name is cut.
    const std::string host299(299, 'h'), port9(9, '9');
    EXPECT_EQ(client.SetPortDmsConfig(std::wstring(250, L'N'), host299.c_str(), port9.c_str(), 1,
                                      true, true),
              0u);
    EXPECT_EQ(client.SetLogSettings(std::wstring(259, L'f'), 5), 0u);
    uint32_t stamp = 9;
    EXPECT_EQ(client.GetPortListInfo(&stamp), 0u);  // without a count
    EXPECT_EQ(stamp, 0x5157A3Bu);
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
void ExpectDmsReadsFail(ProbeClient& client, uint32_t result) {
    char host[300] = "old", port[10] = "old";
    uint32_t retry = 9;
    bool ssl = true, active = true;
    EXPECT_EQ(client.GetPortDmsConfig(L"COM1", host, port, retry, ssl, active), result);
    const auto expectFailureValues = [&] {
        EXPECT_STREQ(host, "");
        EXPECT_STREQ(port, "");
        EXPECT_EQ(retry, 0u);
        EXPECT_FALSE(ssl);
        EXPECT_FALSE(active);
    };
    expectFailureValues();
    std::strcpy(host, "old");
    std::strcpy(port, "old");
    retry = 9;
    ssl = active = true;
    EXPECT_EQ(client.GetDefaultDmsConfig(host, port, retry, ssl, active), result);
    expectFailureValues();
}

// A service that refuses everything with 0xEEEE0005 but fills the payload with junk.
uint32_t RefusingService(const RequestFrame&, uint8_t* r) {
    std::memset(r + 8, 0x41, kResponseFrameSize - 8);
    return kResultPortUnavailable;
}

TEST_F(Catalogue, RefusedRequestsLeaveTheFailureValues) {
    Connect(RefusingService);

    uint32_t stamp = 9, count = 9;
    EXPECT_EQ(client.GetPortListInfo(&stamp, &count), kResultPortUnavailable);
    EXPECT_EQ(stamp, 0u);
    EXPECT_EQ(count, 0u);
    std::wstring portName = L"old";
    EXPECT_EQ(client.GetPortName(1, 0, portName), kResultPortUnavailable);
    EXPECT_TRUE(portName.empty());
    std::wstring label = L"old", serial = L"old";
    uint32_t mode = 0, status = 0;
    bool useDefault = false;
    EXPECT_EQ(client.GetPortDevice(L"COM1", label, serial, mode, status, useDefault),
              kResultPortUnavailable);
    EXPECT_TRUE(label.empty());
    EXPECT_TRUE(serial.empty());
    EXPECT_EQ(mode, kModeSerial);
    EXPECT_EQ(status, kStatusNoDevice);
    EXPECT_TRUE(useDefault);
    ExpectDmsReadsFail(client, kResultPortUnavailable);
    std::wstring folder = L"old";
    uint32_t level = 9;
    EXPECT_EQ(client.GetLogSettings(folder, level), kResultPortUnavailable);
    EXPECT_TRUE(folder.empty());
    EXPECT_EQ(level, 0u);
    uint32_t tx = 9, rx = 9, up = 9;
    EXPECT_EQ(client.GetPortCounters(L"COM1", tx, rx, up), kResultPortUnavailable);
    EXPECT_EQ(tx + rx + up, 0u);
    EXPECT_EQ(client.SetPortDmsConfig(L"COM1", "h", "1", 0, false, false), kResultPortUnavailable);
    EXPECT_EQ(client.UseDefaultDmsConfig(L"COM1"), kResultPortUnavailable);
    EXPECT_EQ(client.SetDefaultDmsConfig("h", "1", 0, false, false), kResultPortUnavailable);
    EXPECT_EQ(client.SetLogSettings(L"f", 0), kResultPortUnavailable);
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
    for (int i = 0; i < 2; ++i) ExpectDmsReadsFail(client, kErrorInvalidParameter);
    EXPECT_TRUE(client.IsConnected());
    client.Close();
}

TEST_F(Catalogue, NotConnectedLeavesTheFailureValues) {
    std::wstring label = L"x", serial = L"y";
    uint32_t mode = 0, status = 0;
    bool useDefault = false;
    EXPECT_EQ(client.GetPortDevice(L"COM1", label, serial, mode, status, useDefault),
              kResultNotConnected);
    EXPECT_TRUE(label.empty());
    EXPECT_EQ(mode, 1u);
    EXPECT_EQ(status, 3u);
    EXPECT_TRUE(useDefault);
    DmsConfig dms = Dms("x", "", 5, false, true);
    EXPECT_EQ(client.GetDefaultDmsConfig(dms), kResultNotConnected);
    EXPECT_STREQ(dms.host, "");
    EXPECT_EQ(dms.retryMs, 0u);
    EXPECT_EQ(dms.comPortActive, 0);
    uint32_t major = 1, minor = 1, patch = 1;
    EXPECT_EQ(client.QueryVersion(major, minor, patch), kResultNotConnected);
    EXPECT_EQ(major + minor + patch, 0u);
    EXPECT_EQ(client.Sequence(), 0u);
}

}  // namespace
}  // namespace kestrel::test
