// Options and sort state of a report-view list, with the rules that depend on
// them alone. Portable: no windows.h, so the rules are testable without a window.
#pragma once

#include <cstdint>

#include "PortListColumn.h"  // the sort types of SortItems

namespace kestrel {

// List-view item state bits the rules look at (the platform's LVIS_* values;
// TListCtrl.cpp checks that they agree).
inline constexpr uint32_t kItemSelected = 0x0002;
inline constexpr uint32_t kItemFocused = 0x0001;
inline constexpr uint32_t kStateImageMask = 0xF000;
inline constexpr uint32_t kStateImageUnticked = 0x1000;  // state-image index 1
inline constexpr uint32_t kStateImageTicked = 0x2000;    // state-image index 2

class ListCtrlState {
public:
    bool fixedColumns = false;    // header dividers cannot be dragged
    int32_t sortColumn = -1;      // column of the last successful sort; -1 = none
    bool sortDescending = false;  // direction of the last sort
    bool customDraw = false;      // custom-draw hooks are called
    bool checkBoxLock = false;    // the host refuses check-box changes
    bool noSelection = false;     // the host refuses to select a row

    // Sets direction and column for a sort about to run.
    void BeginSort(int column, int sortType);
    // After a failed sort, or once the rows are gone: no column, ascending.
    void ResetSort();
    // Turns a comparison of two rows into the order of the current direction.
    // Descending never answers 0, so equal rows are not left "equal" to the sorter.
    int Order(int compared) const;

    // The host's LVN_ITEMCHANGING answer: true refuses the change.
    bool VetoesItemChange(uint32_t oldState, uint32_t newState) const;
};

// The row the keyboard focus goes to from `focused` (-1: none) for a
// navigation key, in a list of `count` rows that shows `perPage` at a time.
enum class ListKey { Up, Down, PageUp, PageDown, Home, End };
int NavigationTarget(ListKey key, int focused, int count, int perPage);

// LVN_ITEMCHANGED: whether the change touched the check box.
inline bool CheckBoxChanged(uint32_t oldState, uint32_t newState) {
    return ((oldState ^ newState) & kStateImageMask) != 0;
}

}  // namespace kestrel
