#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "DmsRules.h"
#include "DmsTexts.h"

using namespace kestrel;

namespace {

DmsInputCheck check(const std::wstring& host, const std::wstring& port = L"80",
                    const std::wstring& retry = L"10") {
    return checkDmsInput(host, port, retry);
}

DmsInputError portError(const std::wstring& port) { return check(L"h", port).error; }
DmsInputError retryError(const std::wstring& retry) { return check(L"h", L"80", retry).error; }

DmsConfig config(const char* host, const char* port, bool ssl, bool active) {
    DmsConfig c;
    std::strcpy(c.host, host);
    std::strcpy(c.port, port);
    c.retryMs = 5000;
    c.useSsl = ssl;
    c.comPortActive = active;
    return c;
}

}  // namespace

TEST(Conversion, SignWhiteSpaceAndSaturation) {
    EXPECT_EQ(convertUnsigned(L" \t\n\v\f\r42").value, 42u);
    EXPECT_TRUE(convertUnsigned(L" \t\n\v\f\r42").whole);
    EXPECT_EQ(convertUnsigned(L"+7").value, 7u);
    EXPECT_EQ(convertUnsigned(L"-1").value, 4294967295u);
    EXPECT_EQ(convertUnsigned(L"-4294967295").value, 1u);
    EXPECT_EQ(convertUnsigned(L"4294967295").value, 4294967295u);
    EXPECT_EQ(convertUnsigned(L"4294967296").value, 4294967295u);
    EXPECT_EQ(convertUnsigned(L"99999999999999999999").value, 4294967295u);
    EXPECT_EQ(convertUnsigned(L"-4294967296").value, 4294967295u);  // saturates, not negated
    EXPECT_EQ(convertUnsigned(L"00012").value, 12u);
}

TEST(Conversion, WholeOnlyWhenEverythingIsConsumed) {
    EXPECT_TRUE(convertUnsigned(L"").whole);
    for (const wchar_t* text : {L"   ", L"+", L"-", L"x1", L"- 1", L"++1"}) {
        const UnsignedText r = convertUnsigned(text);
        EXPECT_EQ(r.value, 0u) << text;
        EXPECT_FALSE(r.whole) << text;
    }
    EXPECT_FALSE(convertUnsigned(L"12 ").whole);
    EXPECT_EQ(convertUnsigned(L"12a").value, 12u);
    EXPECT_FALSE(convertUnsigned(L"12a").whole);
}

TEST(HostCheck, LengthLimitAndFirstInvalidCharacter) {
    EXPECT_TRUE(check(std::wstring(299, L'a')).ok());
    const DmsInputCheck tooLong = check(std::wstring(300, L'a'));
    EXPECT_EQ(tooLong.error, DmsInputError::HostTooLong);
    EXPECT_EQ(tooLong.argument, 299u);

    const DmsInputCheck accented = check(L"h\u00e9st\u00fc");
    EXPECT_EQ(accented.error, DmsInputError::HostInvalidChar);
    EXPECT_EQ(accented.argument, 0xE9u);
    // The length is checked before the characters.
    EXPECT_EQ(check(L"\u00e9" + std::wstring(299, L'a')).error, DmsInputError::HostTooLong);
    // Host faults come before port and retry faults.
    EXPECT_EQ(check(L"\u00e9", L"x", L"0").error, DmsInputError::HostInvalidChar);
}

TEST(HostCheck, AnySevenBitTextPassesUnchanged) {
    EXPECT_EQ(check(L"").input.host, "");
    EXPECT_EQ(check(L"   ").input.host, "   ");
    EXPECT_EQ(check(L" a_b!\x7f\x01").input.host, std::string(" a_b!\x7f\x01"));
}

TEST(PortCheck, RangeAndConsumption) {
    for (const wchar_t* good : {L"", L"0", L"65535", L" 8080", L"+80", L"000000080"})
        EXPECT_EQ(portError(good), DmsInputError::None) << good;
    for (const wchar_t* bad : {L"65536", L"8080 ", L"   ", L"-1", L"80a", L"99999999999"})
        EXPECT_EQ(portError(bad), DmsInputError::PortInvalid) << bad;
    EXPECT_EQ(check(L"h", L" 8080").input.port, " 8080");
    EXPECT_EQ(check(L"h", L"").input.port, "");
}

// Stored cut to nine characters, "000000000080" would name port 0.
TEST(PortCheck, TextLongerThanTheFieldIsRefused) {
    EXPECT_EQ(portError(L"000000000080"), DmsInputError::PortInvalid);
    EXPECT_EQ(portError(L"         80"), DmsInputError::PortInvalid);
    EXPECT_EQ(portError(L"0000000080"), DmsInputError::PortInvalid);
}

TEST(RetryCheck, PositiveAndFittingMilliseconds) {
    for (const wchar_t* bad : {L"", L"0", L"-0", L"1 ", L"x", L"4294968", L"-1"})
        EXPECT_EQ(retryError(bad), DmsInputError::RetryInvalid) << bad;
    EXPECT_EQ(check(L"h", L"80", L"1").input.retrySeconds, 1u);
    EXPECT_EQ(check(L"h", L"80", L"4294967").input.retrySeconds, 4294967u);
    // Port faults come before retry faults.
    EXPECT_EQ(check(L"h", L"x", L"0").error, DmsInputError::PortInvalid);
}

TEST(ErrorTexts, FormatsPerError) {
    EXPECT_STREQ(dmsErrorFormat(DmsInputError::HostTooLong),
                 L"DMS host name is too long. Maximum supported length is %d.");
    EXPECT_STREQ(dmsErrorFormat(DmsInputError::HostInvalidChar),
                 L"Invalid character '%lc' in DMS host name.");
    EXPECT_STREQ(dmsErrorFormat(DmsInputError::PortInvalid), L"Invalid DMS port number.");
    EXPECT_STREQ(dmsErrorFormat(DmsInputError::RetryInvalid),
                 L"Invalid period to retry to connect to DMS. Must be > 0.");
}

TEST(ComPortAvailability, NeedsHostAndPortAfterTrimming) {
    EXPECT_TRUE(comPortAvailable(L"h", L"80"));
    EXPECT_TRUE(comPortAvailable(L" \th ", L"\r80\n"));
    EXPECT_FALSE(comPortAvailable(L"", L"80"));
    EXPECT_FALSE(comPortAvailable(L"   ", L"80"));
    EXPECT_FALSE(comPortAvailable(L"h", L""));
    EXPECT_FALSE(comPortAvailable(L"h", L"\t\v\f"));
}

TEST(ChangeTest, HostPortAndSslButNotRetry) {
    const DmsConfig ref = config("dms", "80", false, true);
    DmsInput input{"dms", "80", 99};
    EXPECT_FALSE(dmsEntriesChanged(input, false, ref));
    EXPECT_TRUE(dmsEntriesChanged(input, true, ref));
    EXPECT_TRUE(dmsEntriesChanged(DmsInput{"dms", "080", 5}, false, ref));
    EXPECT_TRUE(dmsEntriesChanged(DmsInput{"DMS", "80", 5}, false, ref));
    EXPECT_TRUE(dmsEntriesChanged(DmsInput{"dms2", "80", 5}, false, ref));
}

TEST(Confirmation, OnlyForAnActiveReference) {
    const DmsConfig active = config("dms", "80", false, true);
    const DmsConfig inactive = config("dms", "80", false, false);
    EXPECT_EQ(dmsConfirmation(active, false, false), DmsConfirmation::Deactivation);
    EXPECT_EQ(dmsConfirmation(active, false, true), DmsConfirmation::Deactivation);
    EXPECT_EQ(dmsConfirmation(active, true, true), DmsConfirmation::Change);
    EXPECT_EQ(dmsConfirmation(active, true, false), DmsConfirmation::None);
    EXPECT_EQ(dmsConfirmation(inactive, true, true), DmsConfirmation::None);
    EXPECT_EQ(dmsConfirmation(inactive, false, true), DmsConfirmation::None);
}

TEST(Storing, FieldsFromTheCheckedEntries) {
    DmsConfig c = config("old-host-name", "12345", true, true);
    storeDmsInput(DmsInput{"h", " 80", 4294967}, false, false, c);
    EXPECT_STREQ(c.host, "h");
    EXPECT_STREQ(c.port, " 80");
    EXPECT_EQ(c.retryMs, 4294967000u);
    EXPECT_EQ(c.useSsl, 0);
    EXPECT_EQ(c.comPortActive, 0);

    storeDmsInput(DmsInput{std::string(400, 'a'), "", 1}, true, true, c);  // cut to fit
    EXPECT_EQ(std::strlen(c.host), 299u);
    EXPECT_STREQ(c.port, "");
    EXPECT_EQ(c.retryMs, 1000u);
    EXPECT_EQ(c.useSsl, 1);
    EXPECT_EQ(c.comPortActive, 1);
}
