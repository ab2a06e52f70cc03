#include "RowButtons.h"

#include <commctrl.h>

#include <memory>
#include <new>

#include "PortRowTexts.h"

namespace kestrel {

namespace {

const wchar_t kEditCaption[] = L"Edit...";

}  // namespace

std::unique_ptr<ListCtrlButton> RowButtons::Create(HWND list, int index) {
    const int32_t id = ids.NextFree();
    if (!id) return nullptr;
    std::unique_ptr<ListCtrlButton> button;
    try {
        button = std::make_unique<ListCtrlButton>();
        ids.Add(id);  // free, as NextFree found it
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    RECT cell{};
    CellRect(list, index, cell);
    if (!button->Create(list, cell, kEditCaption, WS_CHILD | WS_VISIBLE, static_cast<UINT>(id))) {
        ids.Release(id);
        return nullptr;
    }
    // Same font as the rows, so that the caption fits the cell.
    ::SendMessageW(button->Handle(), WM_SETFONT, ::SendMessageW(list, WM_GETFONT, 0, 0), FALSE);
    return button;
}

void RowButtons::Destroy(std::unique_ptr<ListCtrlButton> button) {
    if (!button) return;
    const int id = ::GetDlgCtrlID(button->Handle());
    ::DestroyWindow(button->Handle());
    button.reset();
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
