// The request catalogue through a real pipe: what each request puts on the wire, how each
// response is decoded, argument checks and failure values.
#include <gtest/gtest.h>

#include <cstring>

#include "LinkProbe.h"
#include "RequestCodec.h"
#include "ScriptedService.h"

namespace kestrel::test {
namespace {

uint32_t CodeOf(const RequestFrame& r) { return GetU32(r.data(), kCodeOffset); }

void WideAt(uint8_t* f, size_t at, const std::wstring& s) {
    for (size_t i = 0; i < s.size(); ++i) {
        f[at + 2 * i] = static_cast<uint8_t>(s[i]);
        f[at + 2 * i + 1] = static_cast<uint8_t>(static_cast<uint16_t>(s[i]) >> 8);
    }
}

// Answers each request code with fixed, recognisable data.
uint32_t GoodService(const RequestFrame& request, uint8_t* r) {
    switch (CodeOf(request)) {
        case kGetPortListInfo:
            PutU32(r, 8, 0x5157A3Bu);
            PutU32(r, 12, 3);
            break;
        case kGetPortName:
            WideAt(r, 8, L"COM10");
            break;
        case kGetPortDevice:
            WideAt(r, 8, L"COM10 (Dock)");
            WideAt(r, 68, L"SN-0042");
            PutU32(r, 368, kModeVelmora);
            PutU32(r, 372, kStatusConnected);
            r[376] = 0;
            break;
        case kGetPortDmsConfig:
        case kGetDefaultDmsConfig:
            std::memcpy(r + 8, "dms.example.org", 15);
            std::memcpy(r + 308, "4711", 4);
            PutU32(r, 318, 30000);
            r[322] = CodeOf(request) == kGetPortDmsConfig ? 1 : 0;
            r[323] = 1;
            break;
        case kGetLogSettings:
            WideAt(r, 8, L"C:\\Logs");
            PutU32(r, 528, 4);
            break;
        case kGetPortCounters:
            PutU32(r, 8, 11);
            PutU32(r, 12, 22);
            PutU32(r, 16, 33);
            break;
        default:
            break;
    }
    return 0;
}

TEST(Catalogue, EveryRequestOnTheWireAndEveryResponseDecoded) {
    const std::wstring name = UniquePipeName();
    ScriptedService service(name, GoodService);
    ProbeClient client(name.c_str());
    ASSERT_EQ(client.ConnectService(1000), kResultOk);

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
    DmsConfig mine;
    std::strcpy(mine.host, "h");
    std::strcpy(mine.port, "1");
    mine.retryMs = 1000;
    mine.useSsl = 1;
    EXPECT_EQ(client.SetPortDmsConfig(L"COM1", mine), 0u);
    EXPECT_EQ(client.SetDefaultDmsConfig(mine), 0u);
    EXPECT_EQ(client.GetPortDmsConfig(L"COM1", mine), 0u);
    EXPECT_EQ(mine.useSsl, 1);
    EXPECT_STREQ(mine.host, "dms.example.org");

    client.Close();
    const std::vector<RequestFrame> requests = service.Requests();
    ASSERT_EQ(requests.size(), 14u);

    // What must have been on the wire: the codec's frames (checked byte by byte
    // against literal offsets in RequestCodecTest) with the sequence stamped.
    std::vector<RequestFrame> expected(14);
    EncodeGetPortListInfo(expected[0]);
    EncodeGetPortName(expected[1], 0x5157A3Bu, 2);
    EncodeGetPortDevice(expected[2], L"COM10");
    EncodeGetPortDmsConfig(expected[3], L"COM10");
    EncodeSetPortDmsConfig(expected[4], L"COM10", "10.1.2.3", "8080", 0x00012345u, false, true);
    EncodeUseDefaultDmsConfig(expected[5], L"COM10");
    EncodeGetDefaultDmsConfig(expected[6]);
    EncodeSetDefaultDmsConfig(expected[7], "dms2", "443", 5000, true, false);
    EncodeGetLogSettings(expected[8]);
    EncodeSetLogSettings(expected[9], L"D:\\Kestrel", 2);
    EncodeGetPortCounters(expected[10], L"COM10");
    EncodeSetPortDmsConfig(expected[11], L"COM1", "h", "1", 1000, true, false);
    EncodeSetDefaultDmsConfig(expected[12], "h", "1", 1000, true, false);
    EncodeGetPortDmsConfig(expected[13], L"COM1");
    for (size_t i = 0; i < expected.size(); ++i) {
        PutU32(expected[i].data(), kSequenceOffset, static_cast<uint32_t>(i + 1));
        EXPECT_EQ(requests[i], expected[i]) << "request " << i + 1;
    }
    // Spot checks of the very last bytes.
    EXPECT_EQ(requests[4][725], 1);  // comPortActive of SetPortDmsConfig
    EXPECT_EQ(GetU32(requests[4].data(), 720), 0x00012345u);
    EXPECT_EQ(GetU32(requests[9].data(), 528), 2u);
}

TEST(Catalogue, ArgumentChecksSendNothingAndKeepTheSequence) {
    const std::wstring name = UniquePipeName();
    ScriptedService service(name, GoodService);
    ProbeClient client(name.c_str());
    ASSERT_EQ(client.ConnectService(1000), kResultOk);
    const uint32_t before = client.Sequence();

    const std::string host300(300, 'h'), port10(10, '1');
    EXPECT_EQ(client.SetPortDmsConfig(L"COM1", host300.c_str(), "1", 0, false, false), kResultTextTooLong);
    EXPECT_EQ(client.SetPortDmsConfig(L"COM1", "h", port10.c_str(), 0, false, false), kResultTextTooLong);
    EXPECT_EQ(client.SetPortDmsConfig(L"COM1", nullptr, "1", 0, false, false), kErrorInvalidParameter);
    EXPECT_EQ(client.SetPortDmsConfig(L"COM1", "h", nullptr, 0, false, false), kErrorInvalidParameter);
    EXPECT_EQ(client.SetDefaultDmsConfig(host300.c_str(), "1", 0, false, false), kResultTextTooLong);
    EXPECT_EQ(client.SetDefaultDmsConfig("h", port10.c_str(), 0, false, false), kResultTextTooLong);
    EXPECT_EQ(client.SetDefaultDmsConfig(nullptr, "1", 0, false, false), kErrorInvalidParameter);
    EXPECT_EQ(client.SetLogSettings(std::wstring(260, L'f'), 1), kResultTextTooLong);
    EXPECT_EQ(client.GetPortListInfo(nullptr), kErrorInvalidParameter);
    uint32_t retry = 7;
    bool ssl = true, active = true;
    char port[10] = "x";
    char host[300] = "x";
    EXPECT_EQ(client.GetPortDmsConfig(L"COM1", nullptr, port, retry, ssl, active), kErrorInvalidParameter);
    EXPECT_EQ(client.GetDefaultDmsConfig(host, nullptr, retry, ssl, active), kErrorInvalidParameter);
    EXPECT_EQ(client.Sequence(), before);

    // The longest texts that fit are sent; a 250-character port name is cut.
    const std::string host299(299, 'h'), port9(9, '9');
    EXPECT_EQ(client.SetPortDmsConfig(std::wstring(250, L'N'), host299.c_str(), port9.c_str(), 1, true, true), 0u);
    EXPECT_EQ(client.SetLogSettings(std::wstring(259, L'f'), 5), 0u);
    uint32_t stamp = 9;
    EXPECT_EQ(client.GetPortListInfo(&stamp), 0u);  // without a count
    EXPECT_EQ(stamp, 0x5157A3Bu);
    client.Close();

    const std::vector<RequestFrame> requests = service.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(GetU32(requests[0].data(), 0), before);
    EXPECT_EQ(CodeOf(requests[0]), kSetPortDmsConfig);
    EXPECT_EQ(GetWide(requests[0].data(), 8, 201), std::wstring(200, L'N'));
    EXPECT_EQ(NarrowFieldLength(requests[0].data(), 410, 300), 299u);
    EXPECT_EQ(NarrowFieldLength(requests[0].data(), 710, 10), 9u);
    EXPECT_EQ(GetWide(requests[1].data(), 8, 260), std::wstring(259, L'f'));
    EXPECT_EQ(GetU32(requests[1].data(), 528), 5u);
    EXPECT_EQ(CodeOf(requests[2]), kGetPortListInfo);
}

// A service that refuses everything with 0xEEEE0005 but fills the payload with junk.
uint32_t RefusingService(const RequestFrame&, uint8_t* r) {
    std::memset(r + 8, 0x41, kResponseFrameSize - 8);
    return kResultPortUnavailable;
}

TEST(Catalogue, RefusedRequestsLeaveTheFailureValues) {
    const std::wstring name = UniquePipeName();
    ScriptedService service(name, RefusingService);
    ProbeClient client(name.c_str());
    ASSERT_EQ(client.ConnectService(1000), kResultOk);

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
    EXPECT_EQ(client.GetPortDevice(L"COM1", label, serial, mode, status, useDefault), kResultPortUnavailable);
    EXPECT_TRUE(label.empty());
    EXPECT_TRUE(serial.empty());
    EXPECT_EQ(mode, kModeSerial);
    EXPECT_EQ(status, kStatusNoDevice);
    EXPECT_TRUE(useDefault);
    char host[300] = "old", port[10] = "old";
    uint32_t retry = 9;
    bool ssl = true, active = true;
    EXPECT_EQ(client.GetPortDmsConfig(L"COM1", host, port, retry, ssl, active), kResultPortUnavailable);
    EXPECT_STREQ(host, "");
    EXPECT_STREQ(port, "");
    EXPECT_EQ(retry, 0u);
    EXPECT_FALSE(ssl);
    EXPECT_FALSE(active);
    std::strcpy(host, "old");
    ssl = true;
    EXPECT_EQ(client.GetDefaultDmsConfig(host, port, retry, ssl, active), kResultPortUnavailable);
    EXPECT_STREQ(host, "");
    EXPECT_FALSE(ssl);
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
    EXPECT_EQ(service.Requests().size(), 11u);
}

TEST(Catalogue, DmsResponsesWithoutTerminatorsAreRefusedWith87) {
    const std::wstring name = UniquePipeName();
    int call = 0;
    ScriptedService service(name, [&](const RequestFrame&, uint8_t* r) -> uint32_t {
        ++call;
        if (call % 2 == 1) {
            std::memset(r + 8, 'h', 300);  // host without NUL
            std::memcpy(r + 308, "1", 1);
        } else {
            std::memcpy(r + 8, "h", 1);
            std::memset(r + 308, '1', 10);  // port without NUL
        }
        PutU32(r, 318, 1234);
        r[322] = r[323] = 1;
        return 0;
    });
    ProbeClient client(name.c_str());
    ASSERT_EQ(client.ConnectService(1000), kResultOk);
    for (int i = 0; i < 2; ++i) {
        char host[300] = "old", port[10] = "old";
        uint32_t retry = 9;
        bool ssl = true, active = true;
        EXPECT_EQ(client.GetPortDmsConfig(L"COM1", host, port, retry, ssl, active), kErrorInvalidParameter);
        EXPECT_STREQ(host, "");
        EXPECT_STREQ(port, "");
        EXPECT_EQ(retry, 0u);
        EXPECT_FALSE(ssl);
        EXPECT_FALSE(active);
        std::strcpy(host, "old");
        retry = 9;
        EXPECT_EQ(client.GetDefaultDmsConfig(host, port, retry, ssl, active), kErrorInvalidParameter);
        EXPECT_STREQ(host, "");
        EXPECT_EQ(retry, 0u);
    }
    EXPECT_TRUE(client.IsConnected());
    client.Close();
}

TEST(Catalogue, NotConnectedLeavesTheFailureValues) {
    const std::wstring name = UniquePipeName();
    ProbeClient client(name.c_str());
    std::wstring label = L"x", serial = L"y";
    uint32_t mode = 0, status = 0;
    bool useDefault = false;
    EXPECT_EQ(client.GetPortDevice(L"COM1", label, serial, mode, status, useDefault), kResultNotConnected);
    EXPECT_TRUE(label.empty());
    EXPECT_EQ(mode, 1u);
    EXPECT_EQ(status, 3u);
    EXPECT_TRUE(useDefault);
    DmsConfig dms;
    std::strcpy(dms.host, "x");
    dms.retryMs = 5;
    dms.comPortActive = 1;
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
