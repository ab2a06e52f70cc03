// When the next refresh pass may start: every tick while passes are short,
// four lengths after a long one has ended, on the wrapping tick counter, whose
// elapsed time is exact across the wrap; and the schedule that weighs that
// against the quiet period of a silent service.
#include <gtest/gtest.h>

#include "RefreshCadence.h"
#include "RefreshSchedule.h"
#include "TickElapsed.h"

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

TEST(TickElapsed, IsTheModularDifferenceAlsoAcrossTheWrap) {
    EXPECT_EQ(TickElapsed(5, 10), 5u);
    EXPECT_EQ(TickElapsed(10, 10), 0u);
    EXPECT_EQ(TickElapsed(0xFFFFFFF0u, 0x10u), 0x20u);
    EXPECT_EQ(TickElapsed(0xFFFFFFFFu, 0u), 1u);
}

TEST(RefreshCadence, CountsAcrossTheWrapOfTheTickCounter) {
    RefreshCadence cadence(kPeriod);
    // 1100 ms across the wrap.
    cadence.PassRan(UINT32_MAX - 999, 100);
    EXPECT_FALSE(cadence.Due(100 + 4399));
    EXPECT_TRUE(cadence.Due(100 + 4400));
    // 600 ms ending 401 ms before the counter wraps to 0: put off 2400 ms.
    cadence.PassRan(UINT32_MAX - 1000, UINT32_MAX - 400);
    EXPECT_FALSE(cadence.Due(UINT32_MAX - 1));
    EXPECT_FALSE(cadence.Due(1998));
    EXPECT_TRUE(cadence.Due(1999));
    cadence.Reset();
    EXPECT_TRUE(cadence.Due(UINT32_MAX - 400));
}

TEST(RefreshSchedule, ASilentServiceIsPacedByItsQuietPeriodAloneAndAnAnswerByTheCadence) {
    RefreshSchedule schedule(kPeriod);
    schedule.SetStallTiming(1000, 200);
    schedule.PassRan(0, 1000, true);  // a long pass the service answered
    EXPECT_FALSE(schedule.Due(4999));
    EXPECT_TRUE(schedule.Due(5000));

    schedule.Note(RequestResult::LinkFailed(kErrorTimeout), 5000);
    schedule.PassRan(5000, 7000, false);  // its length no longer counts
    EXPECT_EQ(schedule.Budget(10000), 200u);
    EXPECT_FALSE(schedule.Due(5999)) << "the quiet period holds whatever the cadence";
    EXPECT_FALSE(schedule.MayTry(5999));
    EXPECT_TRUE(schedule.Due(6000));

    schedule.Note(RequestResult{}, 6000);
    EXPECT_FALSE(schedule.NotResponding());
    EXPECT_EQ(schedule.Budget(10000), 10000u);
    schedule.PassRan(6000, 6001, false);  // a connect attempt: the next tick tries again
    EXPECT_TRUE(schedule.Due(6001));
}

}  // namespace
}  // namespace kestrel
