#include "DevListCtrl.h"

#include <memory>
#include <new>

#include "CAppModule.h"
#include "PortRowTexts.h"
#include "resource.h"

namespace kestrel {

namespace {

struct ColumnLayout {
    UINT headerId;
    int format;
    int width;
};

const ColumnLayout kColumns[kPortListColumnCount] = {
    {IDS_COLUMN_CHECK, LVCFMT_LEFT, 0},  // zero width hides the check box
    {IDS_COLUMN_COMPORT, LVCFMT_CENTER, 70},
    {IDS_COLUMN_RX, LVCFMT_CENTER, 35},
    {IDS_COLUMN_TX, LVCFMT_CENTER, 35},
    {IDS_COLUMN_SERIAL, LVCFMT_CENTER, 130},
    {IDS_COLUMN_MODE, LVCFMT_CENTER, 80},
    {IDS_COLUMN_STATUS, LVCFMT_CENTER, 100},
    {IDS_COLUMN_CONNECTION, LVCFMT_CENTER, 150},
    {IDS_COLUMN_BUTTON, LVCFMT_CENTER, 50},  // then widened to fill the list
};

const wchar_t kEditCaption[] = L"Edit...";
const COLORREF kAlertTextColour = RGB(255, 0, 0);

PortRowInfo* AsRow(LPARAM itemData) {
    return itemData == 0 || itemData == -1 ? nullptr : reinterpret_cast<PortRowInfo*>(itemData);
}

// False when a column could not be inserted where it belongs; the columns
// inserted so far stay.
bool InsertColumns(HWND list) {
    for (int i = 0; i < kPortListColumnCount; ++i) {
        wchar_t header[64] = {};
        ::LoadStringW(appModule.Instance(), kColumns[i].headerId, header, 64);
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.fmt = kColumns[i].format;
        column.cx = kColumns[i].width;
        column.pszText = header;
        if (::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i),
                           reinterpret_cast<LPARAM>(&column)) != i) {
            return false;
        }
    }
    return true;
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
    const LRESULT exStyle = ::SendMessageW(window, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    ::SendMessageW(window, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                   exStyle | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES);
    if (InsertColumns(window)) FillLastColumn(window);
    return bound;
}

void DevListCtrl::FillLastColumn(HWND list) {
    const auto header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    const auto count = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    if (count > 0) {
        ::SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(count - 1),
                       MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
    }
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

bool DevListCtrl::ButtonCellRect(int index, RECT& rect) const {
    rect = RECT{LVIR_BOUNDS, kColumnButton, 0, 0};
    return Send(LVM_GETSUBITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)) !=
           0;
}

int DevListCtrl::IndexOf(const PortRowInfo* data) const {
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = reinterpret_cast<LPARAM>(data);
    return static_cast<int>(
        Send(LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

void DevListCtrl::UpdatePort(const PortRowInfo& info, bool* added) {
    if (added) *added = false;
    const auto found = rows.find(info.name);
    // Unchanged marks leave the row exactly as it is shown: nothing to send.
    // Most rows of a refresh pass are such, and every list message costs.
    if (found != rows.end() && info.countersOnly && found->second->rxChanged == info.rxChanged &&
        found->second->txChanged == info.txChanged) {
        return;
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
            return;
        } else {
            try {
                PortRowInfo copy(info);  // the row stays as it was if this fails
                copy.button = data.button;
                data = std::move(copy);
            } catch (const std::bad_alloc&) {
                return;
            }
        }
        UpdateRowTexts(data, index);
        return;
    }
    if (info.status != kStatusNoDevice) {
        const bool inserted = InsertPort(info);
        if (added) *added = inserted;
    }
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
        button = CreateRowButton(n);
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
        DestroyButton(button);
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
    DestroyButton(data->button);
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

ListCtrlButton* DevListCtrl::CreateRowButton(int index) {
    RECT cell{};
    ButtonCellRect(index, cell);
    std::unique_ptr<ListCtrlButton> button(new (std::nothrow) ListCtrlButton);
    const int32_t id = buttonIds.NextFree();
    if (!button || !id) return nullptr;
    if (!button->Create(Handle(), cell, kEditCaption, WS_CHILD | WS_VISIBLE, static_cast<UINT>(id)))
        return nullptr;
    // Same font as the rows, so that the caption fits the cell.
    ::SendMessageW(button->Handle(), WM_SETFONT, static_cast<WPARAM>(Send(WM_GETFONT)), FALSE);
    bool added = false;
    try {
        added = buttonIds.Add(id);
    } catch (const std::bad_alloc&) {
    }
    if (!added) {
        ::DestroyWindow(button->Handle());
        return nullptr;
    }
    return button.release();
}

// Window first, then the object, then the id goes back to the pool.
void DevListCtrl::DestroyButton(ListCtrlButton*& button) {
    if (!button) return;
    const int id = ::GetDlgCtrlID(button->Handle());
    ::DestroyWindow(button->Handle());
    delete button;
    button = nullptr;
    buttonIds.Release(id);
}

bool DevListCtrl::PlaceButton(const ListCtrlButton& button, int index) const {
    RECT cell;
    if (!ButtonCellRect(index, cell)) return false;
    return ::MoveWindow(button.Handle(), cell.left, cell.top, cell.right - cell.left,
                        cell.bottom - cell.top, TRUE) != FALSE;
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
        return index >= top && ButtonCellRect(index, cell) && cell.top < client.bottom;
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
        PlaceButton(*data->button, i);
        if (!::IsWindowVisible(data->button->Handle()))
            ::ShowWindow(data->button->Handle(), SW_SHOWNA);
    }
    return false;
}

bool DevListCtrl::OnSubItemPrePaint(HDC, DWORD_PTR item, int subItem, UINT, LPARAM itemData,
                                    COLORREF& textColor, COLORREF&) {
    const PortRowInfo* row = AsRow(itemData);
    if (subItem == kColumnButton) {
        return row && row->button && PlaceButton(*row->button, static_cast<int>(item));
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

LRESULT DevListCtrl::OnButtonClicked(WORD, WORD id, HWND, BOOL&) {
    return ::PostMessageW(::GetParent(Handle()), WM_EDITPORT, id, 0);
}

}  // namespace kestrel
