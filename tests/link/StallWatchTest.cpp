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

// Only a time-out of the link makes the service not responding: a status the
// service answered with is a refusal, whatever its number, and ends the state.
// While the service answers, a pass keeps the full budget.
TEST(StallWatch, OnlyALinkTimeOutMakesTheServiceNotResponding) {
    StallWatch watch(30000, 2000);
    for (const uint32_t status : {kErrorTimeout, kResultServiceGone, kResultNotConnected}) {
        watch.Note(RequestResult::Answer(status), 5);
        EXPECT_FALSE(watch.NotResponding()) << status;
        EXPECT_EQ(watch.Budget(10000), 10000u);
    }
    watch.Note(RequestResult::ClientFailed(kErrorTimeout), 5);
    watch.Note(RequestResult::LinkFailed(kResultServiceGone), 5);
    EXPECT_FALSE(watch.NotResponding());

    watch.Note(RequestResult::LinkFailed(kErrorTimeout), 5);
    EXPECT_TRUE(watch.NotResponding());
    EXPECT_FALSE(watch.MayTry(6));
    watch.Note(RequestResult::Answer(kErrorTimeout), 7);
    EXPECT_FALSE(watch.NotResponding());
    EXPECT_TRUE(watch.MayTry(8));
    EXPECT_EQ(watch.Budget(10000), 10000u);
}

}  // namespace
}  // namespace kestrel
