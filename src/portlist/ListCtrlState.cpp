#include "ListCtrlState.h"

namespace kestrel {

void ListCtrlState::BeginSort(int column, int sortType) {
    switch (sortType) {
    case kSortAscending:
        sortDescending = false;
        break;
    case kSortDescending:
        sortDescending = true;
        break;
    case kSortToggle:
        sortDescending = column == sortColumn && !sortDescending;
        break;
    default:
        break;
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

}  // namespace kestrel
