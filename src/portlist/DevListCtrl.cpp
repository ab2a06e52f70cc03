#include "DevListCtrl.h"

#include <memory>
#include <new>
#include <vector>

#include "CAppModule.h"
#include "CMenu.h"
#include "Clipboard.h"
#include "FlagScope.h"
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

}  // namespace

DevListCtrl::Row* DevListCtrl::AsRow(LPARAM itemData) {
    return itemData == 0 || itemData == -1 ? nullptr : reinterpret_cast<Row*>(itemData);
}

const PortRowInfo* DevListCtrl::InfoOf(LPARAM itemData) {
    const Row* row = AsRow(itemData);
    return row ? &row->info : nullptr;
}

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

int DevListCtrl::ItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }

DevListCtrl::Row* DevListCtrl::RowAt(int index) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return AsRow(item.lParam);
}

const PortRowInfo* DevListCtrl::RowInfo(int index) const {
    const Row* row = RowAt(index);
    return row ? &row->info : nullptr;
}

HWND DevListCtrl::RowButton(int index) const {
    const Row* row = RowAt(index);
    return row && row->button ? row->button->Handle() : nullptr;
}

bool DevListCtrl::SetRowData(int index, Row* row) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    item.lParam = reinterpret_cast<LPARAM>(row);
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

int DevListCtrl::IndexOf(const Row* row) const {
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = reinterpret_cast<LPARAM>(row);
    return static_cast<int>(
        Send(LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

bool DevListCtrl::UpdatePort(const PortRowInfo& info, bool* added) {
    if (added) *added = false;
    const auto found = rows.find(info.name);
    Row* row = found != rows.end() ? found->second.get() : nullptr;
    // Unchanged marks leave the row exactly as it is shown: nothing to send.
    // Most rows of a refresh pass are such, and every list message costs.
    if (row && info.countersOnly && row->info.rxChanged == info.rxChanged &&
        row->info.txChanged == info.txChanged) {
        return true;
    }
    const int index = row ? IndexOf(row) : -1;
    if (row && index < 0) {
        FreeRow(*row);  // item deleted behind our back
        row = nullptr;
    }
    if (row) {
        if (info.countersOnly) {
            row->info.rxChanged = info.rxChanged;
            row->info.txChanged = info.txChanged;
        } else if (info.status == kStatusNoDevice) {
            DeleteRow(index);
            return true;
        } else if (!ReplaceInfo(*row, info)) {
            return false;  // the row shows the old state; the caller offers the port again
        }
        UpdateRowTexts(row->info, index);
        return true;
    }
    // Counters-only news of a port without a row show nothing; a full row
    // with status 3 leaves the list as told.
    if (info.status == kStatusNoDevice) return !info.countersOnly;
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
    const auto index = static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (index != n) {
        if (index >= 0) Send(LVM_DELETEITEM, static_cast<WPARAM>(index));
        return false;
    }
    FillLastColumn(Handle());

    // A row left without data would stay in the list for good, empty and
    // without its button: an unfinished row goes again.
    std::unique_ptr<ListCtrlButton> button;
    if (info.mode != kModeSerial) {
        button = buttons.Create(Handle(), n);
        if (!button) {
            Send(LVM_DELETEITEM, static_cast<WPARAM>(n));
            return false;
        }
    }
    Row* row = MakeRow(info);
    if (row) row->button = std::move(button);
    if (row && SetRowData(n, row)) {
        UpdateRowTexts(row->info, n);
        return true;
    }
    if (row) {
        FreeRow(*row);  // the row took the button: it goes with the row
    } else {
        buttons.Destroy(std::move(button));
    }
    Send(LVM_DELETEITEM, static_cast<WPARAM>(n));
    return false;
}

DevListCtrl::Row* DevListCtrl::MakeRow(const PortRowInfo& info) {
    Row* made = nullptr;
    try {
        auto row = std::make_unique<Row>();
        row->info = info;
        // Keyed by the port's name, which the refresh finds the row by.
        const auto [entry, added] = rows.try_emplace(row->info.name, std::move(row));
        if (added) made = entry->second.get();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return made;
}

bool DevListCtrl::ReplaceInfo(Row& row, const PortRowInfo& info) {
    PortRowInfo copy;
    try {
        copy = info;
    } catch (const std::bad_alloc&) {
        return false;
    }
    row.info = std::move(copy);
    return true;
}

void DevListCtrl::FreeRow(Row& row) {
    buttons.Destroy(std::move(row.button));
    const auto found = rows.find(row.info.name);
    if (found != rows.end()) rows.erase(found);
}

void DevListCtrl::UpdateRowTexts(const PortRowInfo& data, int index) {
    if (!data.countersOnly) {
        // Our own tick change must pass the host's check-box lock.
        const FlagScope unlocked(checkBoxLock, false);
        LVITEMW item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = data.comPortActive ? kStateImageTicked : kStateImageUnticked;
        Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    }
    for (int column = kColumnPortLabel; column <= kColumnConnection; ++column) {
        if (RowWritesColumn(data, column)) SetCellText(index, column, CellText(data, column));
    }
}

void DevListCtrl::DeleteRow(int index) {
    if (index < 0 || index >= ItemCount()) return;
    Row* row = RowAt(index);
    SetRowData(index, nullptr);
    if (!row) return;
    FreeRow(*row);
    Send(LVM_DELETEITEM, static_cast<WPARAM>(index));
}

void DevListCtrl::DeletePort(const std::wstring& name) {
    const auto found = rows.find(name);
    if (found != rows.end()) DeleteRow(IndexOf(found->second.get()));
}

bool DevListCtrl::SortItems(int column, int sortType) {
    return TListCtrl::SortItems(column, sortType);
}

std::wstring DevListCtrl::GetPortOfButton(int buttonId) const {
    const HWND child = ::GetDlgItem(Handle(), buttonId);
    if (!child) return std::wstring();
    const Row* owner = nullptr;
    for (const auto& entry : rows) {
        if (entry.second->button && entry.second->button->Handle() == child)
            owner = entry.second.get();
    }
    return owner ? owner->info.name : std::wstring();
}

bool DevListCtrl::DeleteAllItems() {
    const int count = ItemCount();
    for (int i = 0; i < count; ++i) {
        Row* row = RowAt(i);
        SetRowData(i, nullptr);
        if (row) FreeRow(*row);
    }
    const bool deleted = Send(LVM_DELETEALLITEMS) != 0;
    ResetSort();
    FillLastColumn(Handle());
    return deleted;
}

// The item data is the row itself, so each cell's text comes from its record
// directly: the same texts the cells show, without reading them back.
int DevListCtrl::CompareItems(LPARAM itemData1, LPARAM itemData2, int column) {
    return CompareRowCells(InfoOf(itemData1), InfoOf(itemData2), column);
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
// a right click at the row clicked, which takes the focus mark.
LRESULT DevListCtrl::OnContextMenu(UINT, WPARAM, LPARAM lParam, BOOL&) {
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    int index = -1;
    if (lParam == -1) {
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
    if (!menu.IsValid()) return 0;
    enum : UINT { kEdit = 1, kCopy };
    if (!port.empty()) ::AppendMenuW(menu.Get(), MF_STRING, kEdit, kMenuEditText);
    ::AppendMenuW(menu.Get(), MF_STRING, kCopy, kMenuCopyText);
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0,
                         Handle(), nullptr));
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
        if (entry.second->button)
            ::SendMessageW(entry.second->button->Handle(), WM_SETFONT, font, TRUE);
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
