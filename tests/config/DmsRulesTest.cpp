#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "DmsRules.h"
#include "DmsValues.h"

using namespace kestrel;
using kestrel::test::Dms;

TEST(Conversion, SignWhiteSpaceSaturationAndConsumption) {
    struct Case {
        const wchar_t* text;
        uint32_t value;
        bool whole;
    };
    const Case cases[] = {
        {L"", 0, true},
        {L"   ", 0, false},
        {L"+", 0, false},
        {L"- 1", 0, false},
        {L" \t\n\v\f\r42", 42, true},
        {L"+7", 7, true},
        {L"-1", 4294967295u, true},
        {L"-4294967295", 1, true},
        {L"4294967296", 4294967295u, true},
        {L"-4294967296", 4294967295u, true},  // saturates whatever the sign
        {L"12 ", 12, false},
        {L"12a", 12, false},
    };
    for (const Case& c : cases) {
        const UnsignedText r = ConvertUnsigned(c.text);
        EXPECT_EQ(r.value, c.value) << c.text;
        EXPECT_EQ(r.whole, c.whole) << c.text;
    }
}

TEST(InputCheck, FirstFaultInOrderHostPortRetry) {
    using E = DmsInputError;
    struct Case {
        std::wstring host, port, retry;
        E error;
        uint32_t argument;
    };
    const Case cases[] = {
        {std::wstring(299, L'a'), L"80", L"1", E::None, 0},
        {std::wstring(300, L'a'), L"80", L"1", E::HostTooLong, 299},
        {L"\u00e9" + std::wstring(299, L'a'), L"80", L"1", E::HostTooLong, 299},
        {L"h\u00e9\u00fc", L"x", L"0", E::HostInvalidChar, 0xE9},  // the first one named
        // No control character in any text, though the conversion skips some as blanks.
        {L"a\nactive=1", L"80", L"1", E::HostInvalidChar, 0x0A},
        {L"h\x7f", L"80", L"1", E::HostInvalidChar, 0x7F},
        {L"h", L"\t80", L"1", E::PortInvalid, 0},
        {L"h", L"80", L"\r1", E::RetryInvalid, 0},
        {L"", L"", L"1", E::None, 0},
        {L"h", L"0", L"1", E::None, 0},
        {L"h", L"65535", L"1", E::None, 0},
        {L"h", L"65536", L"1", E::PortInvalid, 0},
        {L"h", L"8080 ", L"1", E::PortInvalid, 0},
        {L"h", L"   ", L"1", E::PortInvalid, 0},
        {L"h", L"-1", L"1", E::PortInvalid, 0},
        {L"h", L"000000080", L"1", E::None, 0},
        {L"h", L"0000000080", L"1", E::PortInvalid, 0},  // cut to 9 it would be port 0
        {L"h", L"x", L"0", E::PortInvalid, 0},
        {L"h", L"80", L"", E::RetryInvalid, 0},
        {L"h", L"80", L"0", E::RetryInvalid, 0},
        {L"h", L"80", L"1 ", E::RetryInvalid, 0},
        {L"h", L"80", L"4294967", E::None, 0},
        {L"h", L"80", L"4294968", E::RetryInvalid, 0},  // its milliseconds would wrap
        {L"h", L"80", L"-1", E::RetryInvalid, 0},
    };
    for (const Case& c : cases) {
        const DmsInputCheck r = CheckDmsInput(c.host, c.port, c.retry);
        EXPECT_EQ(r.error, c.error) << c.port << L" " << c.retry;
        EXPECT_EQ(r.argument, c.argument) << c.port << L" " << c.retry;
    }
}

TEST(InputCheck, KeepsTheTextsAsEntered) {
    const DmsInputCheck r = CheckDmsInput(L" a_b!~", L" 8080", L"+1");
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.input.host, " a_b!~");
    EXPECT_EQ(r.input.port, " 8080");
    EXPECT_EQ(r.input.retrySeconds, 1u);
}

TEST(ComPortAvailability, NeedsHostAndPortAfterTrimming) {
    EXPECT_TRUE(ComPortAvailable(L" \th ", L"\r80\n"));
    EXPECT_FALSE(ComPortAvailable(L"", L"80"));
    EXPECT_FALSE(ComPortAvailable(L"   ", L"80"));
    EXPECT_FALSE(ComPortAvailable(L"h", L"\t\v\f"));
}

TEST(ChangeTest, HostPortAndSslButNotRetry) {
    const DmsConfig ref = Dms("dms", "80", 0, false, true);
    EXPECT_FALSE(DmsEntriesChanged(DmsInput{"dms", "80", 99}, false, ref));
    EXPECT_TRUE(DmsEntriesChanged(DmsInput{"dms", "80", 99}, true, ref));
    EXPECT_TRUE(DmsEntriesChanged(DmsInput{"dms", "080", 5}, false, ref));
    EXPECT_TRUE(DmsEntriesChanged(DmsInput{"DMS", "80", 5}, false, ref));
}

TEST(Confirmation, OnlyForAnActiveReference) {
    const DmsConfig active = Dms("dms", "80", 0, false, true);
    const DmsConfig inactive = Dms("dms", "80", 0, false, false);
    EXPECT_EQ(ConfirmationFor(active, false, true), DmsConfirmation::Deactivation);
    EXPECT_EQ(ConfirmationFor(active, true, true), DmsConfirmation::Change);
    EXPECT_EQ(ConfirmationFor(active, true, false), DmsConfirmation::None);
    EXPECT_EQ(ConfirmationFor(inactive, false, true), DmsConfirmation::None);
}

TEST(Storing, FieldsFromTheCheckedEntries) {
    DmsConfig c = Dms("old-host-name", "12345", 0, true, true);
    StoreDmsInput(DmsInput{std::string(400, 'a'), "", 4294967}, false, false, c);
    EXPECT_EQ(std::strlen(c.host), 299u);  // cut to fit
    EXPECT_STREQ(c.port, "");
    EXPECT_EQ(c.retryMs, 4294967000u);
    EXPECT_EQ(c.useSsl, 0);
    EXPECT_EQ(c.comPortActive, 0);
}

TEST(ApplyReport, OneMessageChosenByTheFirstError) {
    using R = RequestResult;
    EXPECT_EQ(ApplyMessageFor(R{}, false), ApplyMessage::None);
    EXPECT_EQ(ApplyMessageFor(R::LinkFailed(kResultServiceGone), false),
              ApplyMessage::ServiceUnreachable);
    EXPECT_EQ(ApplyMessageFor(R::LinkFailed(kResultNotConnected), false),
              ApplyMessage::ServiceUnreachable);
    // A connect time-out or a wrong version is not "not running".
    EXPECT_EQ(ApplyMessageFor(R::LinkFailed(kResultConnectTimeout), false),
              ApplyMessage::NotAccepted);
    EXPECT_EQ(ApplyMessageFor(R::LinkFailed(kResultWrongVersion), false),
              ApplyMessage::NotAccepted);
    EXPECT_EQ(ApplyMessageFor(R::ClientFailed(kResultTextTooLong), false),
              ApplyMessage::NotAccepted);
    // A time-out is no refusal: the service did not answer.
    EXPECT_EQ(ApplyMessageFor(R::LinkFailed(kErrorTimeout), false), ApplyMessage::NotResponding);
    // The service's statuses are refusals, also those that look like the link's codes.
    for (const uint32_t status : {kErrorTimeout, kResultServiceGone, kResultNotConnected})
        EXPECT_EQ(ApplyMessageFor(R::Answer(status), false), ApplyMessage::NotAccepted) << status;
    // Without a removed port the service's "no such port" is just a refusal.
    EXPECT_EQ(ApplyMessageFor(kPortGoneAnswer, false), ApplyMessage::NotAccepted);
    EXPECT_EQ(ApplyMessageFor(kPortGoneAnswer, true), ApplyMessage::PortGone);
    EXPECT_EQ(ApplyMessageFor(R::Answer(87), true), ApplyMessage::PortGone);
}
