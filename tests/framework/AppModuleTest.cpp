#include <gtest/gtest.h>

#include <thread>

#include "CAppModule.h"
#include "CMessageLoop.h"

namespace kestrel {
namespace {

TEST(AppModule, EachThreadFindsItsOwnLoop) {
    CAppModule module;
    CMessageLoop mainLoop;
    CMessageLoop workerLoop;
    EXPECT_FALSE(module.AddMessageLoop(&mainLoop));
    ASSERT_TRUE(module.Init(::GetModuleHandleW(nullptr)));
    EXPECT_TRUE(module.AddMessageLoop(&mainLoop));
    EXPECT_FALSE(module.AddMessageLoop(&workerLoop));

    DWORD workerId = 0;
    CMessageLoop* workerFound = nullptr;
    bool workerAdded = false;
    std::thread([&] {
        workerId = ::GetCurrentThreadId();
        workerAdded = module.AddMessageLoop(&workerLoop);
        workerFound = module.GetMessageLoop();
    }).join();
    EXPECT_TRUE(workerAdded);
    EXPECT_EQ(workerFound, &workerLoop);
    EXPECT_EQ(module.GetMessageLoop(workerId), &workerLoop);
    EXPECT_EQ(module.GetMessageLoop(), &mainLoop);

    EXPECT_TRUE(module.RemoveMessageLoop());
    EXPECT_FALSE(module.RemoveMessageLoop());
    EXPECT_EQ(module.GetMessageLoop(), nullptr);
    EXPECT_EQ(module.GetMessageLoop(workerId), &workerLoop);

    module.Term();
    EXPECT_EQ(module.GetMessageLoop(workerId), nullptr);
    EXPECT_FALSE(module.AddMessageLoop(&mainLoop));
}

}  // namespace
}  // namespace kestrel
