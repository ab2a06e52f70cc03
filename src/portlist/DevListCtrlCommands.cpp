// What the user does with the port list besides looking: edit a row (its
// button, the keyboard or the context menu) and copy the table.
#include "DevListCtrl.h"

#include <vector>

#include "CMenu.h"
#include "Clipboard.h"
#include "PortListColumns.h"
#include "PortRowTexts.h"
#include "resource.h"

namespace kestrel {

bool DevListCtrl::FocusPort(const std::wstring& name) {
    const auto found = rows.find(name);
    const int index = found != rows.end() ? IndexOf(found->second.get()) : -1;
    FocusItem(index);
    return index >= 0;
}

void DevListCtrl::EditRow(int index) {
    const HWND button = index >= 0 ? RowButton(index) : nullptr;
    if (!button) return;
    ::PostMessageW(::GetParent(Handle()), WM_EDITPORT, ::GetDlgCtrlID(button), 0);
}

std::wstring DevListCtrl::TableText() const {
    std::vector<std::vector<std::wstring>> lines(1);
    for (int column = kColumnPortLabel; column <= kColumnConnection; ++column)
        lines[0].push_back(PortListColumnTitle(Handle(), column));
    const int count = ItemCount();
    for (int index = 0; index < count; ++index) {
        std::vector<std::wstring>& cells = lines.emplace_back();
        for (int column = kColumnPortLabel; column <= kColumnConnection; ++column)
            cells.push_back(ItemText(index, column));
    }
    return kestrel::TableText(lines);
}

bool DevListCtrl::CopyTable() const { return PutTextOnClipboard(Handle(), TableText()); }

void DevListCtrl::OnActivateItem(int index) { EditRow(index); }

bool DevListCtrl::OnCopy() {
    CopyTable();
    return true;
}

// The context-menu key and Shift+F10 (lParam -1) open it at the focused row,
// a right click at the row clicked, which takes the focus mark. None while a
// request waits: the menu's loop would run inside it.
void DevListCtrl::OnContextMenu(HWND, POINT at) {
    if (RequestWaits()) return;
    int index = -1;
    if (at.x == -1 && at.y == -1) {
        index = FocusedItem();
        RECT row{LVIR_LABEL, 0, 0, 0};
        at = POINT{0, 0};
        if (index >= 0 &&
            Send(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&row)))
            at = POINT{row.left, row.bottom};
        ::ClientToScreen(Handle(), &at);
    } else {
        LVHITTESTINFO hit{};
        hit.pt = at;
        ::ScreenToClient(Handle(), &hit.pt);
        index = static_cast<int>(Send(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        FocusItem(index);
    }
    // By name: the menu's loop lets the refresh move and remove rows meanwhile.
    const Row* row = index >= 0 ? RowAt(index) : nullptr;
    const std::wstring port = row && row->button ? row->info.name : std::wstring();
    const CMenu menu(::CreatePopupMenu());
    if (!menu.IsValid()) return;
    enum : UINT { kEdit = 1, kCopy };
    if (!port.empty()) ::AppendMenuW(menu.Get(), MF_STRING, kEdit, kMenuEditText);
    ::AppendMenuW(menu.Get(), MF_STRING, kCopy, kMenuCopyText);
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0,
                         Handle(), nullptr));
    if (chosen == kEdit && FocusPort(port)) EditRow(FocusedItem());
    if (chosen == kCopy) CopyTable();
}

LRESULT DevListCtrl::OnMouseButton(UINT, WPARAM, LPARAM) {
    SetMsgHandled(RequestWaits());
    return 0;
}

void DevListCtrl::OnButtonClicked(UINT, int id, HWND) {
    ::PostMessageW(::GetParent(Handle()), WM_EDITPORT, static_cast<WPARAM>(id), 0);
}

}  // namespace kestrel
