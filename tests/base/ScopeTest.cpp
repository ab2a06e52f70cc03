#include <gtest/gtest.h>

#include "FlagScope.h"
#include "TScopeGuard.h"

namespace kestrel {
namespace {

TEST(ScopeGuard, RunsOnceOnEveryWayOut) {
    int runs = 0;
    const auto leave = [&runs](bool early) {
        const TScopeGuard count([&runs]() noexcept { ++runs; });
        return early ? 1 : 2;
    };
    EXPECT_EQ(leave(true), 1);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(leave(false), 2);
    EXPECT_EQ(runs, 2);
}

TEST(FlagScope, HoldsTheValueAndGivesBackTheOneBefore) {
    bool flag = true;
    {
        const FlagScope off(flag, false);
        EXPECT_FALSE(flag);
    }
    EXPECT_TRUE(flag);

    // Nested, the inner scope leaves the outer one's hold in place.
    flag = false;
    {
        const FlagScope outer(flag);
        { const FlagScope inner(flag); }
        EXPECT_TRUE(flag);
    }
    EXPECT_FALSE(flag);
}

}  // namespace
}  // namespace kestrel
