#include <gtest/gtest.h>

#include "DecimalText.h"

namespace kestrel {
namespace {

TEST(DecimalText, ReadsTheLeadingDigitsAndMarksAnOverflow) {
    DecimalDigits digits = ReadDecimalDigits(L"0042x7");
    EXPECT_EQ(digits.value, 42u);
    EXPECT_EQ(digits.length, 4u);
    EXPECT_FALSE(digits.overflow);

    digits = ReadDecimalDigits("4294967295");
    EXPECT_EQ(digits.value, UINT32_MAX);
    EXPECT_FALSE(digits.overflow);

    // Past 32 bits the value stays at the largest, however many digits follow.
    digits = ReadDecimalDigits("42949672950000 ");
    EXPECT_EQ(digits.value, UINT32_MAX);
    EXPECT_EQ(digits.length, 14u);
    EXPECT_TRUE(digits.overflow);

    EXPECT_EQ(ReadDecimalDigits(L"-1").length, 0u);
}

TEST(DecimalText, ParsesOnlyWholeTextsOfDigitsThatFit) {
    uint32_t value = 7;
    EXPECT_TRUE(ParseDecimal(L"4294967295", value));
    EXPECT_EQ(value, UINT32_MAX);
    EXPECT_TRUE(ParseDecimal("0000000000012", value));
    EXPECT_EQ(value, 12u);

    for (const char* refused : {"", "4294967296", "+1", "-1", " 1", "1 ", "1x", "0x10"}) {
        value = 7;
        EXPECT_FALSE(ParseDecimal(refused, value)) << refused;
        EXPECT_EQ(value, 7u) << refused;
    }
    // A NUL is a character like any other, not the text's end.
    EXPECT_FALSE(ParseDecimal(std::string_view("12\0"
                                               "3",
                                               4),
                              value));
}

}  // namespace
}  // namespace kestrel
