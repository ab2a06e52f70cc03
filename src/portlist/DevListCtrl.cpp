// The port list's rows: attaching to the control, one row per port made,
// changed and removed as the refresh and the flows tell, and their order.
#include "DevListCtrl.h"

#include <memory>
#include <new>

#include "FlagScope.h"
#include "PortListColumns.h"
#include "PortRecord.h"
#include "PortRowTexts.h"

namespace kestrel {

// The refresh lets through no more ports than there are button ids, so a row
// never waits for one.
static_assert(kLastButtonId - kFirstButtonId + 1 == static_cast<int32_t>(kMaxPortCount));

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

bool DevListCtrl::UpdatePort(const PortRowInfo& info) {
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
    return InsertPort(info);
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

void DevListCtrl::PassEnded() { SortItems(kColumnPortLabel, kSortAscending); }

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

}  // namespace kestrel
