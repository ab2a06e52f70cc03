// A list-view control's rows as the tests read and change them: through the
// control's messages, the way the user's clicks and the host's vetoes meet them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace kestrel::test {

inline int ItemCount(HWND list) {
    return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

inline UINT ItemState(HWND list, int item, UINT mask) {
    return static_cast<UINT>(
        ::SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(item), mask));
}

// The list asks its host first, which may refuse the change.
inline void SetItemState(HWND list, int item, UINT mask, UINT state) {
    LVITEMW lv{};
    lv.stateMask = mask;
    lv.state = state;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item),
                   reinterpret_cast<LPARAM>(&lv));
}

inline LPARAM ItemData(HWND list, int item) {
    LVITEMW lv{};
    lv.mask = LVIF_PARAM;
    lv.iItem = item;
    ::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv));
    return lv.lParam;
}

inline std::wstring ItemText(HWND list, int item, int column) {
    wchar_t text[512] = {};
    LVITEMW lv{};
    lv.iSubItem = column;
    lv.pszText = text;
    lv.cchTextMax = 512;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item),
                   reinterpret_cast<LPARAM>(&lv));
    return text;
}

}  // namespace kestrel::test
