#include "ListCtrlState.h"

namespace kestrel {

void ListCtrlState::BeginSort(int column, int sortType) {
    switch (sortType) {
    case kSortAscending: sortDescending = false; break;
    case kSortDescending: sortDescending = true; break;
    case kSortToggle: sortDescending = column == sortColumn && !sortDescending; break;
    default: break;
    }
    sortColumn = column;
}

void ListCtrlState::ResetSort() {
    sortColumn = -1;
    sortDescending = false;
}

int ListCtrlState::Order(int compared) const {
    if (!sortDescending) return compared;
    return compared == 0 ? 1 : -compared;
}

bool ListCtrlState::VetoesItemChange(uint32_t oldState, uint32_t newState) const {
    if (CheckBoxChanged(oldState, newState)) return checkBoxLock;
    return noSelection && (newState & kItemSelected) != 0;
}

int NavigationTarget(ListKey key, int focused, int count, int perPage) {
    if (count <= 0) return -1;
    const int page = perPage > 1 ? perPage - 1 : 1;
    int target = focused;
    switch (key) {
    case ListKey::Up: target = focused - 1; break;
    case ListKey::Down: target = focused + 1; break;
    case ListKey::PageUp: target = focused - page; break;
    case ListKey::PageDown: target = focused + page; break;
    case ListKey::Home: target = 0; break;
    case ListKey::End: target = count - 1; break;
    }
    if (focused < 0 && (key == ListKey::Up || key == ListKey::Down)) target = 0;
    return target < 0 ? 0 : target >= count ? count - 1 : target;
}

}  // namespace kestrel
