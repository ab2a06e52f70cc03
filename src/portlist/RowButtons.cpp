#include "RowButtons.h"

#include <commctrl.h>

#include <memory>
#include <new>

#include "PortRowTexts.h"

namespace kestrel {

namespace {

const wchar_t kEditCaption[] = L"Edit...";

}  // namespace

ListCtrlButton* RowButtons::Create(HWND list, int index) {
    RECT cell{};
    CellRect(list, index, cell);
    std::unique_ptr<ListCtrlButton> button(new (std::nothrow) ListCtrlButton);
    const int32_t id = ids.NextFree();
    if (!button || !id) return nullptr;
    if (!button->Create(list, cell, kEditCaption, WS_CHILD | WS_VISIBLE, static_cast<UINT>(id)))
        return nullptr;
    // Same font as the rows, so that the caption fits the cell.
    ::SendMessageW(button->Handle(), WM_SETFONT, ::SendMessageW(list, WM_GETFONT, 0, 0), FALSE);
    bool added = false;
    try {
        added = ids.Add(id);
    } catch (const std::bad_alloc&) {
    }
    if (!added) {
        ::DestroyWindow(button->Handle());
        return nullptr;
    }
    return button.release();
}

void RowButtons::Destroy(ListCtrlButton*& button) {
    if (!button) return;
    const int id = ::GetDlgCtrlID(button->Handle());
    ::DestroyWindow(button->Handle());
    delete button;
    button = nullptr;
    ids.Release(id);
}

bool RowButtons::Place(HWND list, const ListCtrlButton& button, int index) {
    RECT cell;
    if (!CellRect(list, index, cell)) return false;
    return ::MoveWindow(button.Handle(), cell.left, cell.top, cell.right - cell.left,
                        cell.bottom - cell.top, TRUE) != FALSE;
}

bool RowButtons::CellRect(HWND list, int index, RECT& rect) {
    rect = RECT{LVIR_BOUNDS, kColumnButton, 0, 0};
    return ::SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(index),
                          reinterpret_cast<LPARAM>(&rect)) != 0;
}

}  // namespace kestrel
