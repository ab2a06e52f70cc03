// The port list's columns and the sort types its SortItems takes. Portable:
// no windows.h.
#pragma once

namespace kestrel {

// The port list's columns, each named for what it shows.
enum PortListColumn : int {
    kColumnCheck = 0,  // the item itself: empty text, the (hidden) check box
    kColumnPortLabel = 1,
    kColumnRx = 2,
    kColumnTx = 3,
    kColumnSerial = 4,
    kColumnMode = 5,
    kColumnStatus = 6,
    kColumnConnection = 7,
    kColumnButton = 8,
    kPortListColumnCount = 9,
};

// Sort types of SortItems; a toggle flips the direction on the column sorted
// last and starts another column ascending.
inline constexpr int kSortAscending = 0;
inline constexpr int kSortDescending = 1;
inline constexpr int kSortToggle = 2;

}  // namespace kestrel
