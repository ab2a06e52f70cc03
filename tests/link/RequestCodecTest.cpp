// Request and response frames by literal byte offset, without pipes: every encoder, every
// decoder, the argument checks and the failure values. Portable.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Frames.h"
#include "RequestCodec.h"

namespace kestrel {
namespace {

// Expected frames are built by hand from literal offsets, not with the codec.
using test::Narrow;
using test::U32;
using test::Wide;

RequestFrame Expected(uint32_t code) { return test::Request(code, 0); }

// A frame full of garbage, as a stack buffer may be before the encoder runs.
RequestFrame Dirty() {
    RequestFrame f;
    f.fill(0xCD);
    return f;
}

void ExpectSameFrame(const RequestFrame& actual, const RequestFrame& expected) {
    for (size_t i = 0; i < kRequestFrameSize; ++i)
        ASSERT_EQ(actual[i], expected[i]) << "byte " << i;
}

TEST(Encode, RequestsWithoutPayload) {
    const std::pair<void (*)(RequestFrame&), uint32_t> cases[] = {{EncodeQueryVersion, 0},
                                                                  {EncodeGetPortListInfo, 1},
                                                                  {EncodeGetDefaultDmsConfig, 7},
                                                                  {EncodeGetLogSettings, 9}};
    for (const auto& c : cases) {
        RequestFrame f = Dirty();
        c.first(f);
        ExpectSameFrame(f, Expected(c.second));
    }
}

TEST(Encode, GetPortNameCarriesStampAndIndex) {
    RequestFrame f = Dirty();
    EncodeGetPortName(f, 0xA1B2C3D4u, 7);
    RequestFrame e = Expected(2);
    U32(e.data(), 8, 0xA1B2C3D4u);
    U32(e.data(), 12, 7);
    ExpectSameFrame(f, e);
}

TEST(Encode, PortNameRequestsPutTheNameAtEight) {
    const std::pair<void (*)(RequestFrame&, const std::wstring&), uint32_t> cases[] = {
        {EncodeGetPortDevice, 3},
        {EncodeGetPortDmsConfig, 4},
        {EncodeUseDefaultDmsConfig, 6},
        {EncodeGetPortCounters, 11}};
    std::wstring name = L"COM3";
    name.push_back(static_cast<wchar_t>(0xFF21));  // a code unit above 0xFF
    for (const auto& c : cases) {
        RequestFrame f = Dirty();
        c.first(f, name);
        RequestFrame e = Expected(c.second);
        Wide(e.data(), 8, name);
        ExpectSameFrame(f, e);
        EXPECT_EQ(f[16], 0x21);
        EXPECT_EQ(f[17], 0xFF);
    }
}

TEST(Encode, PortNameIsCutToTwoHundredCharacters) {
    const std::wstring longName(250, L'C');
    RequestFrame f = Dirty();
    EncodeGetPortCounters(f, longName);
    RequestFrame e = Expected(11);
    Wide(e.data(), 8, std::wstring(200, L'C'));
    ExpectSameFrame(f, e);  // bytes 408 and 409 are the NUL, 410 on zero
    // Exactly 200 is kept whole.
    EncodeGetPortDevice(f, std::wstring(200, L'D'));
    EXPECT_EQ(f[406], 'D');
    EXPECT_EQ(f[408], 0);
    EXPECT_EQ(f[409], 0);
}

TEST(Encode, SetPortDmsConfigLayout) {
    RequestFrame f = Dirty();
    EncodeSetPortDmsConfig(f, L"COM12", "dms.example.org", "4711", 0x01020304u, true, true);
    RequestFrame e = Expected(5);
    Wide(e.data(), 8, L"COM12");
    Narrow(e.data(), 410, "dms.example.org");
    Narrow(e.data(), 710, "4711");
    e[720] = 0x04;  // unaligned retryMs
    e[721] = 0x03;
    e[722] = 0x02;
    e[723] = 0x01;
    e[724] = 1;  // useSsl
    e[725] = 1;  // comPortActive: the last byte of the frame
    ExpectSameFrame(f, e);

    EncodeSetPortDmsConfig(f, L"COM1", "h", "1", 0, false, true);
    EXPECT_EQ(f[724], 0);
    EXPECT_EQ(f[725], 1);
    EncodeSetPortDmsConfig(f, L"COM1", "h", "1", 0, true, false);
    EXPECT_EQ(f[724], 1);
    EXPECT_EQ(f[725], 0);
}

TEST(Encode, SetPortDmsConfigWithLongestTexts) {
    const std::string host(299, 'h');
    const std::string port(9, '9');
    const std::wstring name(250, L'N');
    RequestFrame f = Dirty();
    EncodeSetPortDmsConfig(f, name, host.c_str(), port.c_str(), 30000, false, false);
    RequestFrame e = Expected(5);
    Wide(e.data(), 8, std::wstring(200, L'N'));
    Narrow(e.data(), 410, host);  // 410..708, NUL at 709
    Narrow(e.data(), 710, port);  // 710..718, NUL at 719
    U32(e.data(), 720, 30000);
    ExpectSameFrame(f, e);
}

TEST(Encode, SetDefaultDmsConfigLayout) {
    RequestFrame f = Dirty();
    EncodeSetDefaultDmsConfig(f, "10.0.0.1", "123456789", 0xDEADBEEFu, true, false);
    RequestFrame e = Expected(8);
    Narrow(e.data(), 8, "10.0.0.1");
    Narrow(e.data(), 308, "123456789");
    U32(e.data(), 318, 0xDEADBEEFu);  // unaligned
    e[322] = 1;
    e[323] = 0;
    ExpectSameFrame(f, e);
    EncodeSetDefaultDmsConfig(f, "", "", 0, false, true);
    EXPECT_EQ(f[322], 0);
    EXPECT_EQ(f[323], 1);
}

TEST(Encode, SetLogSettingsLayout) {
    const std::wstring folder = L"C:\\ProgramData\\Kestrel\\Logs";
    RequestFrame f = Dirty();
    EncodeSetLogSettings(f, folder, 0x04030201u);
    RequestFrame e = Expected(10);
    Wide(e.data(), 8, folder);
    U32(e.data(), 528, 0x04030201u);
    ExpectSameFrame(f, e);

    const std::wstring longest(259, L'f');
    EncodeSetLogSettings(f, longest, 3);
    e = Expected(10);
    Wide(e.data(), 8, longest);  // 8..525, NUL at 526..527
    U32(e.data(), 528, 3);
    ExpectSameFrame(f, e);
}

TEST(Check, DmsTexts) {
    const std::string host299(299, 'h'), host300(300, 'h');
    const std::string port9(9, '1'), port10(10, '1');
    EXPECT_EQ(CheckDmsTexts(host299.c_str(), port9.c_str()), 0u);
    EXPECT_EQ(CheckDmsTexts("", ""), 0u);
    EXPECT_EQ(CheckDmsTexts(host300.c_str(), port9.c_str()), kResultTextTooLong);
    EXPECT_EQ(CheckDmsTexts(host299.c_str(), port10.c_str()), kResultTextTooLong);
    EXPECT_EQ(CheckDmsTexts(nullptr, "1"), kErrorInvalidParameter);
    EXPECT_EQ(CheckDmsTexts("h", nullptr), kErrorInvalidParameter);
    EXPECT_EQ(CheckDmsTexts(nullptr, port10.c_str()), kErrorInvalidParameter);
}

TEST(Check, LogFolder) {
    EXPECT_EQ(CheckLogFolder(std::wstring(259, L'f')), 0u);
    EXPECT_EQ(CheckLogFolder(L""), 0u);
    EXPECT_EQ(CheckLogFolder(std::wstring(260, L'f')), kResultTextTooLong);
}

ResponseFrame Response() {
    ResponseFrame f{};
    return f;
}

TEST(ResponseDecoding, ReadsVersionListInfoAndCountersFromTheSameWords) {
    ResponseFrame f = Response();
    U32(f.data(), 8, 2);
    U32(f.data(), 12, 14);
    U32(f.data(), 16, 0x80000001u);
    uint32_t a = 0, b = 0, c = 0;
    DecodeVersion(f, a, b, c);
    EXPECT_EQ(a, 2u);
    EXPECT_EQ(b, 14u);
    EXPECT_EQ(c, 0x80000001u);
    DecodePortCounters(f, a, b, c);  // tx 8, rx 12, update 16
    EXPECT_EQ(a, 2u);
    EXPECT_EQ(b, 14u);
    EXPECT_EQ(c, 0x80000001u);
    uint32_t stamp = 0, count = 0;
    DecodePortListInfo(f, stamp, &count);
    EXPECT_EQ(stamp, 2u);
    EXPECT_EQ(count, 14u);
    stamp = 0;
    DecodePortListInfo(f, stamp, nullptr);
    EXPECT_EQ(stamp, 2u);
}

TEST(ResponseDecoding, PortNameEndsAtItsNulOrAtTheFramesEnd) {
    ResponseFrame f = Response();
    Wide(f.data(), 8, L"COM4");
    Wide(f.data(), 18, L"junk");  // after the NUL at 16..17
    std::wstring name = L"previous content that is long enough to be on the heap";
    DecodePortName(f, name);
    EXPECT_EQ(name, L"COM4");

    const std::wstring longest(261, L'P');  // 261 + NUL fill the payload
    f = Response();
    Wide(f.data(), 8, longest);
    DecodePortName(f, name);
    EXPECT_EQ(name, longest);

    f.fill(0);
    Wide(f.data(), 8, std::wstring(262, L'Q'));  // no NUL at all: stops at the frame's end
    DecodePortName(f, name);
    EXPECT_EQ(name, std::wstring(262, L'Q'));

    f = Response();
    const std::wstring high = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0x0100)};
    Wide(f.data(), 8, high);  // U+0100 has a zero low byte but is no NUL
    DecodePortName(f, name);
    EXPECT_EQ(name, high);
}

TEST(ResponseDecoding, DeviceTextsStopAtTheirFieldsEndAndAnyDefaultByteMeansDefault) {
    ResponseFrame f = Response();
    Wide(f.data(), 8, std::wstring(30, L'L'));    // no NUL: the field's end (byte 67) stops it
    Wide(f.data(), 68, std::wstring(150, L'S'));  // same up to byte 367
    U32(f.data(), 368, 2);
    U32(f.data(), 372, 7);
    f[376] = 0x80;
    std::wstring label, serial;
    uint32_t mode = 0, status = 0;
    bool useDefault = false;
    DecodePortDevice(f, label, serial, mode, status, useDefault);
    EXPECT_EQ(label, std::wstring(30, L'L'));
    EXPECT_EQ(serial, std::wstring(150, L'S'));
    EXPECT_EQ(mode, 2u);
    EXPECT_EQ(status, 7u);
    EXPECT_TRUE(useDefault);
    f[376] = 0;
    f[8] = 0;
    f[9] = 0;
    Wide(f.data(), 68, L"SN-1");
    f[76] = 0;
    f[77] = 0;
    DecodePortDevice(f, label, serial, mode, status, useDefault);
    EXPECT_EQ(label, L"");
    EXPECT_EQ(serial, L"SN-1");
    EXPECT_FALSE(useDefault);
}

TEST(ResponseDecoding, DmsSettingsReadLongestTextsAndAnyNonZeroFlagAsSet) {
    ResponseFrame f = Response();
    Narrow(f.data(), 8, std::string(299, 'h'));  // NUL at 307
    Narrow(f.data(), 308, "123456789");          // NUL at 317
    U32(f.data(), 318, 0x0A0B0C0Du);
    f[322] = 2;
    f[323] = 0xFF;
    char host[300], port[10];
    std::memset(host, 'x', sizeof host);
    std::memset(port, 'x', sizeof port);
    uint32_t retry = 0;
    bool ssl = false, active = false;
    EXPECT_EQ(DecodeDmsConfig(f, host, port, retry, ssl, active), 0u);
    EXPECT_EQ(std::string(host), std::string(299, 'h'));
    EXPECT_STREQ(port, "123456789");
    EXPECT_EQ(retry, 0x0A0B0C0Du);
    EXPECT_TRUE(ssl);
    EXPECT_TRUE(active);
    f[322] = 0;
    f[323] = 0;
    EXPECT_EQ(DecodeDmsConfig(f, host, port, retry, ssl, active), 0u);
    EXPECT_FALSE(ssl);
    EXPECT_FALSE(active);
}

TEST(ResponseDecoding, DmsSettingsWithoutNulInHostOrPortAreRefusedAndWriteNothing) {
    char host[300] = "keep", port[10] = "keep";
    uint32_t retry = 5;
    bool ssl = true, active = false;

    ResponseFrame f = Response();
    Narrow(f.data(), 8, std::string(300, 'h'));  // 8..307, no NUL
    Narrow(f.data(), 308, "1");
    U32(f.data(), 318, 77);
    EXPECT_EQ(DecodeDmsConfig(f, host, port, retry, ssl, active), kErrorInvalidParameter);
    EXPECT_STREQ(host, "keep");
    EXPECT_STREQ(port, "keep");
    EXPECT_EQ(retry, 5u);
    EXPECT_TRUE(ssl);
    EXPECT_FALSE(active);

    f = Response();
    Narrow(f.data(), 8, "host");
    Narrow(f.data(), 308, std::string(10, '1'));  // 308..317, no NUL
    EXPECT_EQ(DecodeDmsConfig(f, host, port, retry, ssl, active), kErrorInvalidParameter);
    EXPECT_STREQ(host, "keep");
}

TEST(ResponseDecoding, LogFolderFillsItsWholeFieldAndLevelIsTheLastWord) {
    ResponseFrame f = Response();
    Wide(f.data(), 8, std::wstring(260, L'F'));  // no NUL: 8..527
    U32(f.data(), 528, 0xFFFFFFFEu);             // the last four bytes
    std::wstring folder;
    uint32_t level = 0;
    DecodeLogSettings(f, folder, level);
    EXPECT_EQ(folder, std::wstring(260, L'F'));
    EXPECT_EQ(level, 0xFFFFFFFEu);
    f[8] = 'C';
    f[10] = 0;
    f[11] = 0;
    DecodeLogSettings(f, folder, level);
    EXPECT_EQ(folder, L"C");
}

}  // namespace
}  // namespace kestrel
