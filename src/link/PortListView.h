// What the refresh and the editing flows need of the port list. Portable: no
// windows.h.
#pragma once

#include <string>

#include "PortRowInfo.h"

namespace kestrel {

class PortListView {
public:
    // Adds, changes or, for a full row with status 3, deletes the port's row.
    // False when the row
    // could not be made or changed, or when counters-only news found no row to
    // show them: the list does not show the port as told.
    [[nodiscard]] virtual bool UpdatePort(const PortRowInfo& info) = 0;
    virtual void DeletePort(const std::wstring& name) = 0;
    // A refresh pass went through: every port it found was handed over, and
    // the list may put its rows in order.
    virtual void PassEnded() = 0;

protected:
    ~PortListView() = default;
};

}  // namespace kestrel
