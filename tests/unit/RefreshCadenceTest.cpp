// When the next refresh pass may start: every tick while passes are short,
// four lengths after a long one has ended, on the wrapping tick counter.
#include <gtest/gtest.h>

#include "RefreshCadence.h"

namespace kestrel {
namespace {

constexpr uint32_t kPeriod = 500;

TEST(RefreshCadence, ShortPassesRunOnEveryTick) {
    RefreshCadence cadence(kPeriod);
    EXPECT_TRUE(cadence.Due(0)) << "the first pass";
    cadence.PassRan(1000, 1100);  // a fifth of the period
    EXPECT_TRUE(cadence.Due(1100));
}

TEST(RefreshCadence, ALongPassPutsTheNextOffByFourLengths) {
    RefreshCadence cadence(kPeriod);
    cadence.PassRan(1000, 2350);  // 1350 ms: nine answers 150 ms late
    EXPECT_FALSE(cadence.Due(2350 + 5399));
    EXPECT_TRUE(cadence.Due(2350 + 5400));
    cadence.PassRan(7750, 7760);  // short again: back to every tick
    EXPECT_TRUE(cadence.Due(7760));
    cadence.PassRan(8000, 8101);  // just over a fifth of the period
    EXPECT_FALSE(cadence.Due(8101 + 403));
    EXPECT_TRUE(cadence.Due(8101 + 404));
}

TEST(RefreshCadence, CountsAcrossTheWrapOfTheTickCounter) {
    RefreshCadence cadence(kPeriod);
    // 1099 ms across the wrap, as the service link measures it (TickElapsed).
    cadence.PassRan(UINT32_MAX - 999, 100);
    EXPECT_FALSE(cadence.Due(100 + 4395));
    EXPECT_TRUE(cadence.Due(100 + 4396));
    // 600 ms ending 400 ms before the wrap: put off until 2000 after it.
    cadence.PassRan(UINT32_MAX - 1000, UINT32_MAX - 400);
    EXPECT_FALSE(cadence.Due(UINT32_MAX - 1));
    EXPECT_FALSE(cadence.Due(1999));
    EXPECT_TRUE(cadence.Due(2000));
    cadence.Reset();
    EXPECT_TRUE(cadence.Due(UINT32_MAX - 400));
}

}  // namespace
}  // namespace kestrel
