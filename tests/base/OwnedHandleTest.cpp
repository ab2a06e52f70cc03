#include <gtest/gtest.h>

#include <utility>

#include "CHandle.h"
#include "CMenu.h"

namespace kestrel {
namespace {

bool IsOpen(HANDLE handle) {
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != FALSE;
}

TEST(OwnedHandle, ClosesOnResetAndDestructionAndHandsOverOnMove) {
    const HANDLE first = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE second = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        CHandle owner(first);
        owner.Reset(second);
        EXPECT_FALSE(IsOpen(first));
        CHandle moved(std::move(owner));
        EXPECT_FALSE(owner.IsValid());
        EXPECT_EQ(moved.Get(), second);
        EXPECT_TRUE(IsOpen(second));
    }
    EXPECT_FALSE(IsOpen(second));
}

TEST(OwnedHandle, TakesInvalidHandleValueForEmpty) {
    EXPECT_FALSE(CHandle(INVALID_HANDLE_VALUE).IsValid());
}

TEST(OwnedHandle, ReleaseKeepsTheHandleOpen) {
    CHandle owner(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const HANDLE released = owner.Release();
    EXPECT_FALSE(owner.IsValid());
    EXPECT_TRUE(IsOpen(released));
    const CHandle closer(released);
}

TEST(OwnedHandle, MenuIsDestroyedWithItsOwner) {
    const HMENU popup = ::CreatePopupMenu();
    { const CMenu menu(popup); }
    EXPECT_FALSE(::IsMenu(popup));
}

}  // namespace
}  // namespace kestrel
