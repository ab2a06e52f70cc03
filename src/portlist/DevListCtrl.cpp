#include "DevListCtrl.h"

#include <memory>
#include <new>
#include <vector>

#include "CAppModule.h"
#include "Clipboard.h"
#include "PortListColumns.h"
#include "PortRecord.h"
#include "PortRowTexts.h"
#include "resource.h"

namespace kestrel {

// The refresh lets through no more ports than there are button ids, so a row
// never waits for one.
static_assert(kLastButtonId - kFirstButtonId + 1 == static_cast<int32_t>(kMaxPortCount));

namespace {

const COLORREF kAlertTextColour = RGB(255, 0, 0);

PortRowInfo* AsRow(LPARAM itemData) {
    return itemData == 0 || itemData == -1 ? nullptr : reinterpret_cast<PortRowInfo*>(itemData);
}

}  // namespace

DevListCtrl::~DevListCtrl() {
    if (Handle()) DeleteAllItems();
}

bool DevListCtrl::SubclassWindow(HWND window) {
    const bool bound = TListCtrl::SubclassWindow(window);
    checkBoxLock = true;
    customDraw = true;
    noSelection = true;
    fixedColumns = true;
    // Tab reaches the list, for editing from the keyboard.
    ::SetWindowLongPtrW(window, GWL_STYLE, ::GetWindowLongPtrW(window, GWL_STYLE) | WS_TABSTOP);
    const LRESULT exStyle = ::SendMessageW(window, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    ::SendMessageW(window, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                   exStyle | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES);
    if (InsertPortListColumns(window)) FillLastColumn(window);
    return bound;
}

int DevListCtrl::ItemCount() const {
    return static_cast<int>(Send(LVM_GETITEMCOUNT));
}

PortRowInfo* DevListCtrl::RowData(int index) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return AsRow(item.lParam);
}

bool DevListCtrl::SetRowData(int index, PortRowInfo* data) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    item.lParam = reinterpret_cast<LPARAM>(data);
    return Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

void DevListCtrl::SetCellText(int index, int column, std::wstring_view text) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.iSubItem = column;
    // CellText gives whole, terminated texts only.
    item.pszText = const_cast<wchar_t*>(text.empty() ? L"" : text.data());
    Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

int DevListCtrl::IndexOf(const PortRowInfo* data) const {
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = reinterpret_cast<LPARAM>(data);
    return static_cast<int>(
        Send(LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

bool DevListCtrl::UpdatePort(const PortRowInfo& info, bool* added) {
    if (added) *added = false;
    const auto found = rows.find(info.name);
    // Unchanged marks leave the row exactly as it is shown: nothing to send.
    // Most rows of a refresh pass are such, and every list message costs.
    if (found != rows.end() && info.countersOnly && found->second->rxChanged == info.rxChanged &&
        found->second->txChanged == info.txChanged) {
        return true;
    }
    const int index = found != rows.end() ? IndexOf(found->second) : -1;
    if (found != rows.end() && index < 0) FreeRow(found->second);  // item deleted behind our back
    if (index >= 0) {
        PortRowInfo& data = *found->second;
        if (info.countersOnly) {
            data.rxChanged = info.rxChanged;
            data.txChanged = info.txChanged;
        } else if (info.status == kStatusNoDevice) {
            DeleteRow(index);
            return true;
        } else {
            try {
                PortRowInfo copy(info);  // the row stays as it was if this fails
                copy.button = data.button;
                data = std::move(copy);
            } catch (const std::bad_alloc&) {
                return false;
            }
        }
        UpdateRowTexts(data, index);
        return true;
    }
    if (info.status == kStatusNoDevice) return true;
    const bool inserted = InsertPort(info);
    if (added) *added = inserted;
    return inserted;
}

bool DevListCtrl::InsertPort(const PortRowInfo& info) {
    const int n = ItemCount();
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = n;
    item.pszText = const_cast<wchar_t*>(L"");
    const bool notify = notifyCheckChanges;
    notifyCheckChanges = false;
    const auto index = static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    notifyCheckChanges = notify;
    if (index != n) {
        if (index >= 0) Send(LVM_DELETEITEM, static_cast<WPARAM>(index));
        return false;
    }
    FillLastColumn(Handle());

    // A row left without data would stay in the list for good, empty and
    // without its button: an unfinished row goes again.
    ListCtrlButton* button = nullptr;
    if (info.mode != kModeSerial) {
        button = buttons.Create(Handle(), n);
        if (!button) {
            Send(LVM_DELETEITEM, static_cast<WPARAM>(n));
            return false;
        }
    }
    PortRowInfo* data = MakeRow(info, button);
    if (data && SetRowData(n, data)) {
        UpdateRowTexts(*data, n);
        return true;
    }
    if (data) {
        FreeRow(data);  // the row's copy took the button: it goes with the copy
    } else {
        buttons.Destroy(button);
    }
    Send(LVM_DELETEITEM, static_cast<WPARAM>(n));
    return false;
}

PortRowInfo* DevListCtrl::MakeRow(const PortRowInfo& info, ListCtrlButton* button) {
    try {
        auto data = std::make_unique<PortRowInfo>(info);
        data->button = button;
        if (!rows.emplace(data->name, data.get()).second) return nullptr;
        return data.release();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void DevListCtrl::FreeRow(PortRowInfo* data) {
    buttons.Destroy(data->button);
    rows.erase(data->name);
    delete data;
}

void DevListCtrl::UpdateRowTexts(const PortRowInfo& data, int index) {
    if (!data.countersOnly) {
        // Our own tick change must pass the host's check-box lock.
        const bool lock = checkBoxLock;
        const bool notify = notifyCheckChanges;
        checkBoxLock = false;
        notifyCheckChanges = false;
        LVITEMW item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = data.comPortActive ? kStateImageTicked : kStateImageUnticked;
        Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        checkBoxLock = lock;
        notifyCheckChanges = notify;
    }
    for (int column = kColumnPort; column <= kColumnConnection; ++column) {
        if (RowWritesColumn(data, column)) SetCellText(index, column, CellText(data, column));
    }
}

void DevListCtrl::DeleteRow(int index) {
    if (index < 0 || index >= ItemCount()) return;
    PortRowInfo* data = RowData(index);
    SetRowData(index, nullptr);
    if (!data) return;
    FreeRow(data);
    Send(LVM_DELETEITEM, static_cast<WPARAM>(index));
}

void DevListCtrl::DeletePort(const std::wstring& name) {
    const auto found = rows.find(name);
    if (found != rows.end()) DeleteRow(IndexOf(found->second));
}

bool DevListCtrl::SortItems(int column, int sortType) {
    return TListCtrl::SortItems(column, sortType);
}

std::wstring DevListCtrl::GetPortOfButton(int buttonId) const {
    const HWND child = ::GetDlgItem(Handle(), buttonId);
    if (!child) return std::wstring();
    for (const auto& [name, data] : rows) {
        if (data->button && data->button->Handle() == child) {
            try {
                return name;
            } catch (const std::bad_alloc&) {
                break;
            }
        }
    }
    return std::wstring();
}

bool DevListCtrl::DeleteAllItems() {
    const int count = ItemCount();
    for (int i = 0; i < count; ++i) {
        PortRowInfo* data = RowData(i);
        SetRowData(i, nullptr);
        if (data) FreeRow(data);
    }
    const bool deleted = Send(LVM_DELETEALLITEMS) != 0;
    ResetSort();
    FillLastColumn(Handle());
    return deleted;
}

// The item data is the row's own record, so each cell's text comes from it
// directly: the same texts the cells show, without reading them back.
int DevListCtrl::CompareItems(LPARAM itemData1, LPARAM itemData2, int column) {
    return CompareRowCells(AsRow(itemData1), AsRow(itemData2), column);
}

// Every paint puts the buttons of the rows in view over their cells and hides
// the others: scrolling that bypasses WM_VSCROLL (mouse wheel, keyboard)
// repaints only the rows it uncovers, and a stale button must not sit over
// another row's cell.
bool DevListCtrl::OnPrePaint(HDC) {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const auto top = static_cast<int>(Send(LVM_GETTOPINDEX));
    auto inView = [&](int index, RECT& cell) {
        return index >= top && RowButtons::CellRect(Handle(), index, cell) && cell.top < client.bottom;
    };
    for (const auto& entry : rows) {
        const ListCtrlButton* button = entry.second->button;
        RECT cell;
        if (button && ::IsWindowVisible(button->Handle()) && !inView(IndexOf(entry.second), cell))
            ::ShowWindow(button->Handle(), SW_HIDE);
    }
    const int count = ItemCount();
    for (int i = top; i < count; ++i) {
        RECT cell;
        if (!inView(i, cell)) break;
        const PortRowInfo* data = RowData(i);
        if (!data || !data->button) continue;
        RowButtons::Place(Handle(), *data->button, i);
        if (!::IsWindowVisible(data->button->Handle()))
            ::ShowWindow(data->button->Handle(), SW_SHOWNA);
    }
    return false;
}

bool DevListCtrl::OnSubItemPrePaint(HDC, DWORD_PTR item, int subItem, UINT, LPARAM itemData,
                                    COLORREF& textColor, COLORREF&) {
    const PortRowInfo* row = AsRow(itemData);
    if (subItem == kColumnButton) {
        return row && row->button && RowButtons::Place(Handle(), *row->button, static_cast<int>(item));
    }
    if (lastKnownOnly) {
        textColor = ::GetSysColor(COLOR_GRAYTEXT);
        return false;
    }
    switch (CellTextColour(subItem, row)) {
    case CellColour::Red:
        textColor = kAlertTextColour;
        break;
    case CellColour::WindowText:
        textColor = ::GetSysColor(COLOR_WINDOWTEXT);
        break;
    case CellColour::Unchanged:
        break;
    }
    return false;
}

bool DevListCtrl::FocusPort(const std::wstring& name) {
    const auto found = rows.find(name);
    const int index = found != rows.end() ? IndexOf(found->second) : -1;
    FocusItem(index);
    return index >= 0;
}

void DevListCtrl::EditRow(int index) {
    const PortRowInfo* data = index >= 0 ? RowData(index) : nullptr;
    if (!data || !data->button) return;
    ::PostMessageW(::GetParent(Handle()), WM_EDITPORT, ::GetDlgCtrlID(data->button->Handle()), 0);
}

std::wstring DevListCtrl::TableText() const {
    std::vector<std::vector<std::wstring>> lines(1);
    for (int column = kColumnPort; column <= kColumnConnection; ++column)
        lines[0].push_back(PortListColumnTitle(Handle(), column));
    const int count = ItemCount();
    for (int index = 0; index < count; ++index) {
        std::vector<std::wstring>& cells = lines.emplace_back();
        for (int column = kColumnPort; column <= kColumnConnection; ++column)
            cells.push_back(ItemText(index, column));
    }
    return kestrel::TableText(lines);
}

bool DevListCtrl::CopyTable() const {
    return PutTextOnClipboard(Handle(), TableText());
}

void DevListCtrl::OnActivateItem(int index) {
    EditRow(index);
}

bool DevListCtrl::OnCopy() {
    CopyTable();
    return true;
}

// The context-menu key and Shift+F10 (lParam -1) open it at the focused row,
// a right click at the row clicked, which takes the focus mark.
LRESULT DevListCtrl::OnContextMenu(UINT, WPARAM, LPARAM lParam, BOOL&) {
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    int index = -1;
    if (lParam == -1) {
        index = FocusedItem();
        RECT row{LVIR_LABEL, 0, 0, 0};
        at = POINT{0, 0};
        if (index >= 0 && Send(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&row)))
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
    const PortRowInfo* data = index >= 0 ? RowData(index) : nullptr;
    const std::wstring port = data && data->button ? data->name : std::wstring();
    const HMENU menu = ::CreatePopupMenu();
    if (!menu) return 0;
    enum : UINT { kEdit = 1, kCopy };
    if (!port.empty()) ::AppendMenuW(menu, MF_STRING, kEdit, kMenuEditText);
    ::AppendMenuW(menu, MF_STRING, kCopy, kMenuCopyText);
    const UINT chosen = static_cast<UINT>(::TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr));
    ::DestroyMenu(menu);
    if (chosen == kEdit && FocusPort(port)) EditRow(FocusedItem());
    if (chosen == kCopy) CopyTable();
    return 0;
}

// Moved to a monitor of another DPI: the dialog has scaled itself and given
// the list its new font; the pixel widths and the buttons' font follow.
LRESULT DevListCtrl::OnDpiChanged(UINT, WPARAM, LPARAM, BOOL& handled) {
    ScalePortListColumns(Handle());
    const WPARAM font = static_cast<WPARAM>(Send(WM_GETFONT));
    for (const auto& entry : rows) {
        if (entry.second->button) ::SendMessageW(entry.second->button->Handle(), WM_SETFONT, font, TRUE);
    }
    handled = FALSE;
    return 0;
}

void DevListCtrl::ShowAsLastKnown(bool lastKnown) {
    if (lastKnown == lastKnownOnly) return;
    lastKnownOnly = lastKnown;
    if (Handle()) ::InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT DevListCtrl::OnButtonClicked(WORD, WORD id, HWND, BOOL&) {
    return ::PostMessageW(::GetParent(Handle()), WM_EDITPORT, id, 0);
}

}  // namespace kestrel
