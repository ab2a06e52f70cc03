// The decision rules without a window, where the list-view tests cannot reach:
// unknown sort types, the veto order, texts of out-of-range values, code units
// above 0x7FFF, the keyboard's focus moves and the table text for the clipboard.
#include <gtest/gtest.h>

#include "ListCtrlState.h"
#include "PortRowTexts.h"

using namespace kestrel;

TEST(ListRules, SortStateAndVetoes) {
    ListCtrlState s;
    s.BeginSort(1, kSortDescending);
    s.BeginSort(2, 7);  // unknown type: new column, same direction
    EXPECT_EQ(s.sortColumn, 2);
    EXPECT_TRUE(s.sortDescending);
    s.ResetSort();
    EXPECT_EQ(s.sortColumn, -1);
    EXPECT_FALSE(s.sortDescending);

    // A check-box change is judged by the lock alone; deselecting always passes.
    s.noSelection = true;
    EXPECT_FALSE(s.VetoesItemChange(kStateImageUnticked, kStateImageTicked | kItemSelected));
    EXPECT_FALSE(s.VetoesItemChange(kItemSelected, 0));
    EXPECT_TRUE(s.VetoesItemChange(0, kItemSelected | kItemFocused));
    s.checkBoxLock = true;
    EXPECT_TRUE(s.VetoesItemChange(kStateImageTicked, kStateImageUnticked));
}

TEST(ListRules, TextsAndOrder) {
    EXPECT_STREQ(StatusText(0xFFFFFFFFu), L"Unknown");
    EXPECT_STREQ(ModeText(0xFFFFFFFFu), L"???");
    EXPECT_EQ(CompareOrdinal(L"\xE000", L"z"), 1);  // code units compare unsigned
    EXPECT_EQ(CompareOrdinal(L"COM1", L"COM10"), -1);
    EXPECT_EQ(CompareOrdinal(L"", L""), 0);

    PortRowInfo row;
    row.portLabel = L"COM1";
    EXPECT_EQ(CompareRowCells(nullptr, &row, kColumnPortLabel), -1);  // no data reads as empty
    EXPECT_EQ(CompareRowCells(nullptr, nullptr, kColumnStatus), 0);
    EXPECT_EQ(CellText(row, 9), L"");
    EXPECT_EQ(CellTextColour(kColumnStatus, nullptr), CellColour::Unchanged);
    EXPECT_EQ(CellTextColour(kColumnConnection, nullptr), CellColour::WindowText);
}

TEST(ListRules, KeyboardFocusTargets) {
    EXPECT_EQ(NavigationTarget(ListKey::Down, -1, 0, 5), -1);  // no rows, no focus
    EXPECT_EQ(NavigationTarget(ListKey::Up, -1, 3, 5), 0);     // none yet: the first row
    EXPECT_EQ(NavigationTarget(ListKey::Down, -1, 3, 5), 0);
    EXPECT_EQ(NavigationTarget(ListKey::Up, 0, 3, 5), 0);  // held at both ends
    EXPECT_EQ(NavigationTarget(ListKey::Down, 2, 3, 5), 2);
    EXPECT_EQ(NavigationTarget(ListKey::End, 0, 3, 5), 2);
    EXPECT_EQ(NavigationTarget(ListKey::Home, 2, 3, 5), 0);
    // A page keeps one row of the last in view; a list that shows one row or
    // none still moves.
    EXPECT_EQ(NavigationTarget(ListKey::PageDown, 0, 20, 5), 4);
    EXPECT_EQ(NavigationTarget(ListKey::PageUp, 10, 20, 5), 6);
    EXPECT_EQ(NavigationTarget(ListKey::PageDown, 18, 20, 5), 19);
    EXPECT_EQ(NavigationTarget(ListKey::PageDown, 3, 20, 0), 4);
    EXPECT_EQ(NavigationTarget(ListKey::PageUp, 3, 20, 1), 2);
}

TEST(ListRules, TableTextForTheClipboard) {
    EXPECT_EQ(TableText({}), L"");
    EXPECT_EQ(TableText({{L"COM Port", L"RX"}, {L"COM3", L""}, {L"", L"*"}}),
              L"COM Port\tRX\r\nCOM3\t\r\n\t*\r\n");  // empty cells keep their tabs
}
