#include <gtest/gtest.h>

#include "CAppModule.h"
#include "CMessageLoop.h"

namespace kestrel {
namespace {

TEST(AppModule, HoldsOneLoopAtATime) {
    CAppModule module;
    CMessageLoop mainLoop;
    CMessageLoop otherLoop;
    EXPECT_FALSE(module.AddMessageLoop(nullptr));
    EXPECT_TRUE(module.AddMessageLoop(&mainLoop));
    EXPECT_FALSE(module.AddMessageLoop(&otherLoop));
    EXPECT_EQ(module.GetMessageLoop(), &mainLoop);

    EXPECT_TRUE(module.RemoveMessageLoop());
    EXPECT_FALSE(module.RemoveMessageLoop());
    EXPECT_EQ(module.GetMessageLoop(), nullptr);
    EXPECT_TRUE(module.AddMessageLoop(&otherLoop));
    EXPECT_EQ(module.GetMessageLoop(), &otherLoop);
}

}  // namespace
}  // namespace kestrel
