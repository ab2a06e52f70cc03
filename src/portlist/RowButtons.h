// The "Edit..." buttons of the port list's rows: each a live push button over
// its row's cell in the button column, with a command id from 2000 to 2999
// that stays taken until the button goes; the smallest free id is used first.
#pragma once

#include <windows.h>

#include <memory>

#include "ButtonIdPool.h"
#include "ListCtrlButton.h"

namespace kestrel {

class RowButtons {
public:
    // A button over the row's cell of the list, in the list's font; null when
    // no id is free or the window cannot be made.
    std::unique_ptr<ListCtrlButton> Create(HWND list, int index);
    // Window first, then the object, then the id goes back to the pool.
    void Destroy(std::unique_ptr<ListCtrlButton> button);
    // Puts the button over the row's cell; true when it could be placed.
    static bool Place(HWND list, const ListCtrlButton& button, int index);
    static bool CellRect(HWND list, int index, RECT& rect);

    const ButtonIdPool& Ids() const { return ids; }

private:
    ButtonIdPool ids;
};

}  // namespace kestrel
