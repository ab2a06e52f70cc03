#include "CUpdateUI.h"

#include <new>

namespace kestrel {

bool CUpdateUI::UIAddChildWindowContainer(HWND container) {
    if (!container) return false;
    try {
        containers.push_back(container);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace kestrel
