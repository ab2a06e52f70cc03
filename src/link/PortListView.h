// What the refresh and the editing flows need of the port list, and the
// columns and sort types its SortItems takes. Portable: no windows.h.
#pragma once

#include <string>

#include "PortRowInfo.h"

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

class PortListView {
public:
    // Adds, changes or, for a full row with status 3, deletes the port's row;
    // *added, when given, tells whether a row was added. False when the row
    // could not be made or changed, or when counters-only news found no row to
    // show them: the list does not show the port as told.
    [[nodiscard]] virtual bool UpdatePort(const PortRowInfo& info, bool* added) = 0;
    virtual void DeletePort(const std::wstring& name) = 0;
    virtual bool SortItems(int column, int sortType) = 0;

protected:
    ~PortListView() = default;
};

}  // namespace kestrel
