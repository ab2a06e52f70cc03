// How the port list draws: its buttons over their cells, the cells' colours,
// the grey of a last known state, and the widths and font after a DPI change.
#include "DevListCtrl.h"

#include "PortListColumns.h"
#include "PortRowTexts.h"

namespace kestrel {
namespace {

const COLORREF kAlertTextColour = RGB(255, 0, 0);

}  // namespace

// Every paint puts the buttons of the rows in view over their cells and hides
// the others: scrolling that bypasses WM_VSCROLL (mouse wheel, keyboard)
// repaints only the rows it uncovers, and a stale button must not sit over
// another row's cell.
bool DevListCtrl::OnPrePaint(HDC) {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const auto top = static_cast<int>(Send(LVM_GETTOPINDEX));
    auto inView = [&](int index, RECT& cell) {
        return index >= top && RowButtons::CellRect(Handle(), index, cell) &&
               cell.top < client.bottom;
    };
    for (const auto& entry : rows) {
        const ListCtrlButton* button = entry.second->button.get();
        RECT cell;
        if (button && ::IsWindowVisible(button->Handle()) &&
            !inView(IndexOf(entry.second.get()), cell))
            ::ShowWindow(button->Handle(), SW_HIDE);
    }
    const int count = ItemCount();
    for (int i = top; i < count; ++i) {
        RECT cell;
        if (!inView(i, cell)) break;
        const Row* row = RowAt(i);
        if (!row || !row->button) continue;
        RowButtons::Place(Handle(), *row->button, i);
        if (!::IsWindowVisible(row->button->Handle()))
            ::ShowWindow(row->button->Handle(), SW_SHOWNA);
    }
    return false;
}

bool DevListCtrl::OnSubItemPrePaint(HDC, DWORD_PTR item, int subItem, UINT, LPARAM itemData,
                                    COLORREF& textColor, COLORREF&) {
    const Row* row = AsRow(itemData);
    if (subItem == kColumnButton) {
        return row && row->button &&
               RowButtons::Place(Handle(), *row->button, static_cast<int>(item));
    }
    if (lastKnownOnly) {
        textColor = ::GetSysColor(COLOR_GRAYTEXT);
        return false;
    }
    switch (CellTextColour(subItem, row ? &row->info : nullptr)) {
    case CellColour::Red: textColor = kAlertTextColour; break;
    case CellColour::WindowText: textColor = ::GetSysColor(COLOR_WINDOWTEXT); break;
    case CellColour::Unchanged: break;
    }
    return false;
}

// Moved to a monitor of another DPI: the dialog has scaled itself and given
// the list its new font; the pixel widths and the buttons' font follow.
LRESULT DevListCtrl::OnDpiChanged() {
    ScalePortListColumns(Handle());
    const WPARAM font = static_cast<WPARAM>(Send(WM_GETFONT));
    for (const auto& entry : rows) {
        if (entry.second->button)
            ::SendMessageW(entry.second->button->Handle(), WM_SETFONT, font, TRUE);
    }
    SetMsgHandled(false);
    return 0;
}

void DevListCtrl::ShowAsLastKnown(bool lastKnown) {
    if (lastKnown == lastKnownOnly) return;
    lastKnownOnly = lastKnown;
    if (Handle()) ::InvalidateRect(Handle(), nullptr, TRUE);
}

}  // namespace kestrel
