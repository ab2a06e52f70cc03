#include <gtest/gtest.h>

#include <cstdint>

#include "WideText.h"

namespace kestrel {
namespace {

TEST(WideText, RoundTripsSurrogatePairsAndRejectsBrokenUtf8) {
    std::wstring wide;
    ASSERT_TRUE(Utf8ToWide("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", wide));
    ASSERT_EQ(wide.size(), 5u);
    EXPECT_EQ(static_cast<uint32_t>(wide[3]), 0xD83Du);
    EXPECT_EQ(static_cast<uint32_t>(wide[4]), 0xDE00u);
    EXPECT_EQ(WideToUtf8(wide), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_FALSE(Utf8ToWide("\xC0\x80", wide));      // overlong NUL
    EXPECT_FALSE(Utf8ToWide("\xED\xA0\x80", wide));  // encoded surrogate
    EXPECT_FALSE(Utf8ToWide("\xE2\x82", wide));      // cut short
    EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xDC00))), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace kestrel
