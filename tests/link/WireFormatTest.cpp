#include <gtest/gtest.h>

#include "PortRecord.h"
#include "WireFormat.h"

namespace kestrel {
namespace {

TEST(WireFormat, U32IsLittleEndianAtAnyOffset) {
    RequestFrame f{};
    PutU32(f.data(), 720, 0x11223344u);
    EXPECT_EQ(f[720], 0x44);
    EXPECT_EQ(f[721], 0x33);
    EXPECT_EQ(f[722], 0x22);
    EXPECT_EQ(f[723], 0x11);
    EXPECT_EQ(f[719], 0);
    EXPECT_EQ(f[724], 0);
    EXPECT_EQ(GetU32(f.data(), 720), 0x11223344u);
    PutU32(f.data(), 318, 0xFFFFFFFFu);
    EXPECT_EQ(GetU32(f.data(), 318), 0xFFFFFFFFu);
}

// Sequence numbers wrap: just before and just after 2^32 an answer one ahead
// is from the future and one behind is stale.
TEST(WireFormat, LaterSequenceHoldsAcrossTheWrap) {
    EXPECT_TRUE(IsLaterSequence(0xFFFFFFFFu, 0xFFFFFFFEu));
    EXPECT_TRUE(IsLaterSequence(0u, 0xFFFFFFFFu));
    EXPECT_TRUE(IsLaterSequence(1u, 0xFFFFFFFFu));
    EXPECT_FALSE(IsLaterSequence(0xFFFFFFFFu, 0u)) << "stale after the wrap";
    EXPECT_FALSE(IsLaterSequence(0xFFFFFFFEu, 1u));
    EXPECT_FALSE(IsLaterSequence(7u, 7u));
    EXPECT_TRUE(IsLaterSequence(0x7FFFFFFFu, 0u));
    EXPECT_FALSE(IsLaterSequence(0x80000000u, 0u));
}

TEST(WireFormat, WideFieldTruncatesAndStopsAtItsEnd) {
    RequestFrame f{};
    f.fill(0xAB);
    const std::wstring longName(250, L'C');
    PutWide(f.data(), kReqPortNameOffset, kPortNameChars, longName);
    EXPECT_EQ(GetWide(f.data(), kReqPortNameOffset, kPortNameChars), std::wstring(200, L'C'));
    EXPECT_EQ(f[8 + 400], 0);  // terminating NUL of a full field
    EXPECT_EQ(f[8 + 401], 0);
    EXPECT_EQ(f[8 + 402], 0xAB);  // nothing written past the field

    ResponseFrame r{};
    r.fill(0x41);  // no NUL anywhere: the read ends at the field's end
    EXPECT_EQ(GetWide(r.data(), kRspPortLabelOffset, kPortLabelChars).size(), kPortLabelChars);
}

TEST(WireFormat, WideTextKeepsCodeUnitsAbove0x7FFF) {
    RequestFrame f{};
    const std::wstring text = {L'A', static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xFFFF)};
    PutWide(f.data(), 8, 10, text);
    EXPECT_EQ(f[10], 0x3D);
    EXPECT_EQ(f[11], 0xD8);
    EXPECT_EQ(GetWide(f.data(), 8, 10), text);
}

TEST(WireFormat, NarrowFieldTruncatesAndMeasures) {
    RequestFrame f{};
    PutNarrow(f.data(), 710, kDmsPortBytes, "1234567890123");
    EXPECT_EQ(NarrowFieldLength(f.data(), 710, kDmsPortBytes), 9u);
    EXPECT_EQ(f[719], 0);
    ResponseFrame r{};
    r.fill('x');
    EXPECT_EQ(NarrowFieldLength(r.data(), 8, kDmsHostBytes), kDmsHostBytes);
}

TEST(PortTableOrder, ComparesCodeUnitsAsUnsignedNumbers) {
    PortTable table;
    table[L"COM2"];
    table[L"COM10"];
    table[L"com3"];
    table[L"COM3"];
    table[L"COM"];
    std::wstring high = L"COM";
    high.push_back(static_cast<wchar_t>(0xFF21));
    table[high];
    std::vector<std::wstring> keys;
    for (const auto& entry : table) keys.push_back(entry.first);
    EXPECT_EQ(keys, (std::vector<std::wstring>{L"COM", L"COM10", L"COM2", L"COM3", high, L"com3"}));
}

}  // namespace
}  // namespace kestrel
