#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <utility>

#include "CHandle.h"
#include "CMenu.h"
#include "TLocalMemory.h"

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

TEST(OwnedHandle, PutLetsTheOldHandleGoAndAdoptsWhatTheCallWrites) {
    CHandle owner(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const HANDLE old = owner.Get();
    HANDLE* const place = owner.Put();
    EXPECT_FALSE(IsOpen(old));
    const HANDLE process = ::GetCurrentProcess();
    ASSERT_TRUE(
        ::DuplicateHandle(process, process, process, place, 0, FALSE, DUPLICATE_SAME_ACCESS));
    const HANDLE adopted = owner.Get();
    EXPECT_TRUE(IsOpen(adopted));
    // A call that fails with INVALID_HANDLE_VALUE leaves the owner empty.
    *owner.Put() = INVALID_HANDLE_VALUE;
    EXPECT_FALSE(IsOpen(adopted));
    EXPECT_FALSE(owner.IsValid());
    EXPECT_EQ(owner.Release(), nullptr);

    TLocalMemory<void> sid;
    TLocalMemory<wchar_t> text;
    ASSERT_TRUE(::ConvertStringSidToSidW(L"S-1-5-18", sid.Put()));
    ASSERT_TRUE(::ConvertSidToStringSidW(sid.Get(), text.Put()));
    EXPECT_STREQ(text.Get(), L"S-1-5-18");
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
