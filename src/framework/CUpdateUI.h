// UI-update base of a window. Only the registration of child-window containers
// exists: windows register themselves at initialisation, and no update table
// is kept, because nothing in the program updates its controls this way.
#pragma once

#include <windows.h>

#include <vector>

namespace kestrel {

class CUpdateUI {
public:
    bool UIAddChildWindowContainer(HWND container);

protected:
    ~CUpdateUI() = default;

private:
    std::vector<HWND> containers;
};

}  // namespace kestrel
