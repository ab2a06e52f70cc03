// When a silent service is tried again: the quiet period's exact end, also
// across a wrap of the tick counter.
#include <gtest/gtest.h>

#include <cstdint>

#include "StallWatch.h"

namespace kestrel {
namespace {

TEST(StallWatch, QuietPeriodEndsExactlyAtItsLengthAlsoAcrossAWrap) {
    constexpr uint32_t kQuiet = 30000;
    StallWatch watch(kQuiet, 2000);
    EXPECT_TRUE(watch.MayTry(0));

    watch.TimedOut(1000);
    EXPECT_FALSE(watch.MayTry(1000 + kQuiet - 1));
    EXPECT_TRUE(watch.MayTry(1000 + kQuiet));

    const uint32_t since = UINT32_MAX - 100;
    watch.TimedOut(since);
    EXPECT_FALSE(watch.MayTry(since + kQuiet - 1));
    EXPECT_TRUE(watch.MayTry(since + kQuiet));
    EXPECT_EQ(watch.Budget(10000), 2000u);
}

}  // namespace
}  // namespace kestrel
