// Sort state, host vetoes, custom-draw stages and the button id pool, without a window.
#include <gtest/gtest.h>

#include "ButtonIdPool.h"
#include "CustomDrawStage.h"
#include "ListCtrlState.h"

using namespace kestrel;

TEST(ListCtrlState, SortDirectionRule) {
    ListCtrlState s;
    EXPECT_EQ(s.sortColumn, -1);
    EXPECT_FALSE(s.sortDescending);

    s.BeginSort(3, kSortToggle);  // new column: ascending
    EXPECT_EQ(s.sortColumn, 3);
    EXPECT_FALSE(s.sortDescending);
    s.BeginSort(3, kSortToggle);  // same column again: descending
    EXPECT_TRUE(s.sortDescending);
    s.BeginSort(3, kSortToggle);  // and back
    EXPECT_FALSE(s.sortDescending);
    s.BeginSort(3, kSortToggle);
    s.BeginSort(4, kSortToggle);  // another column starts ascending
    EXPECT_EQ(s.sortColumn, 4);
    EXPECT_FALSE(s.sortDescending);

    s.BeginSort(1, kSortDescending);
    EXPECT_TRUE(s.sortDescending);
    s.BeginSort(2, 7);  // unknown type keeps the direction
    EXPECT_EQ(s.sortColumn, 2);
    EXPECT_TRUE(s.sortDescending);
    s.BeginSort(2, kSortAscending);
    EXPECT_FALSE(s.sortDescending);

    s.BeginSort(5, kSortDescending);
    s.ResetSort();
    EXPECT_EQ(s.sortColumn, -1);
    EXPECT_FALSE(s.sortDescending);
}

TEST(ListCtrlState, OrderNeverAnswersEqualWhenDescending) {
    ListCtrlState s;
    EXPECT_EQ(s.Order(-1), -1);
    EXPECT_EQ(s.Order(0), 0);
    EXPECT_EQ(s.Order(1), 1);
    s.sortDescending = true;
    EXPECT_EQ(s.Order(-1), 1);
    EXPECT_EQ(s.Order(0), 1);
    EXPECT_EQ(s.Order(1), -1);
}

TEST(ListCtrlState, HostVetoes) {
    ListCtrlState s;
    EXPECT_TRUE(s.notifyCheckChanges);
    EXPECT_FALSE(s.VetoesItemChange(kStateImageUnticked, kStateImageTicked));
    EXPECT_FALSE(s.VetoesItemChange(0, kItemSelected));

    s.checkBoxLock = true;
    EXPECT_TRUE(s.VetoesItemChange(kStateImageUnticked, kStateImageTicked));
    EXPECT_TRUE(s.VetoesItemChange(kStateImageTicked, kStateImageUnticked));
    EXPECT_FALSE(s.VetoesItemChange(kStateImageTicked, kStateImageTicked | kItemSelected));

    s.checkBoxLock = false;
    s.noSelection = true;
    EXPECT_TRUE(s.VetoesItemChange(0, kItemSelected | kItemFocused));
    EXPECT_FALSE(s.VetoesItemChange(kItemSelected, 0));  // deselecting stays possible
    EXPECT_FALSE(s.VetoesItemChange(0, kItemFocused));
    // A check-box change is judged by the lock alone.
    EXPECT_FALSE(s.VetoesItemChange(kStateImageUnticked, kStateImageTicked | kItemSelected));
}

TEST(ListCtrlState, CheckBoxChange) {
    EXPECT_FALSE(CheckBoxChanged(kStateImageTicked, kStateImageTicked | kItemSelected));
    EXPECT_TRUE(CheckBoxChanged(0, kStateImageUnticked));
    EXPECT_FALSE(CheckBoxTicked(kStateImageUnticked | kItemSelected));
    EXPECT_TRUE(CheckBoxTicked(kStateImageTicked));
    EXPECT_TRUE(CheckBoxTicked(0));  // only index 1 means unticked
}

TEST(CustomDrawStage, StageTable) {
    struct Row { uint32_t stage; DrawHook hook; uint32_t plain; uint32_t skipped; };
    const Row rows[] = {
        {0x1, DrawHook::PrePaint, 0x30, 0x34},
        {0x2, DrawHook::PostPaint, 0, 0},
        {0x10001, DrawHook::ItemPrePaint, 0x30, 0x34},
        {0x10002, DrawHook::ItemPostPaint, 0, 0},
        {0x30001, DrawHook::SubItemPrePaint, 0x10, 0x14},
        {0x30002, DrawHook::SubItemPostPaint, 0, 0},
        {0x3, DrawHook::None, 0, 0},
        {0x10003, DrawHook::None, 0, 0},
        {0x20001, DrawHook::None, 0, 0},
        {0x30004, DrawHook::None, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.stage);
        EXPECT_EQ(HookForDrawStage(r.stage), r.hook);
        EXPECT_EQ(DrawStageResult(r.hook, false), r.plain);
        EXPECT_EQ(DrawStageResult(r.hook, true), r.skipped);
    }
}

TEST(ButtonIdPool, SmallestFreeIdAndFullPool) {
    ButtonIdPool pool;
    EXPECT_EQ(pool.NextFree(), 2000);
    for (int32_t id = kFirstButtonId; id <= kLastButtonId; ++id) {
        ASSERT_EQ(pool.NextFree(), id);
        ASSERT_TRUE(pool.Add(id));
    }
    EXPECT_EQ(pool.size(), 1000u);
    EXPECT_EQ(pool.NextFree(), 0);
    EXPECT_FALSE(pool.Add(2500));

    pool.Release(2700);
    pool.Release(2100);
    EXPECT_EQ(pool.NextFree(), 2100);  // smallest freed first
    EXPECT_TRUE(pool.Add(2100));
    EXPECT_EQ(pool.NextFree(), 2700);
    pool.Release(2000);
    EXPECT_EQ(pool.NextFree(), 2000);
    EXPECT_FALSE(pool.Contains(2000));
    EXPECT_TRUE(pool.Contains(2999));

    EXPECT_FALSE(IsButtonId(1999));
    EXPECT_TRUE(IsButtonId(2000));
    EXPECT_TRUE(IsButtonId(2999));
    EXPECT_FALSE(IsButtonId(3000));
}
