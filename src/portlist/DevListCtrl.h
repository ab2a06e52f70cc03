// The port list of the main window: one row per port with a device, nine
// columns, a red "Not connected", RX/TX marks, and an "Edit..." button over
// column 8 of every row that was not in Serial mode when it was inserted. Each
// row's item data points at the list's own Row: its copy of the port's
// PortRowInfo and its button. A button click is posted to the parent as
// WM_EDITPORT with the button's command id.
//
// The host attaches it with SubclassWindow(its list control) and routes the
// list's NM_CUSTOMDRAW to OnCustomDraw, LVN_ITEMCHANGED to OnItemChanged, and
// answers LVN_ITEMCHANGING with VetoesItemChange (ListCtrlState).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "ButtonIdPool.h"
#include "Dpi.h"
#include "ListCtrlButton.h"
#include "RowButtons.h"
#include "PortListView.h"
#include "TListCtrl.h"
#include "WaitPolicy.h"

namespace kestrel {

class DevListCtrl : public TListCtrl, public PortListView {
public:
    DevListCtrl() = default;
    // Releases rows and buttons of a list window that is still bound.
    ~DevListCtrl() override;

    BEGIN_MSG_MAP(DevListCtrl)
        COMMAND_RANGE_CODE_HANDLER_EX(kFirstButtonId, kLastButtonId, BN_CLICKED, OnButtonClicked)
        MSG_WM_CONTEXTMENU(OnContextMenu)
        MESSAGE_RANGE_HANDLER_EX(WM_LBUTTONDOWN, WM_RBUTTONDBLCLK, OnMouseButton)
        MESSAGE_HANDLER_NOPARAMS(kDpiChangedAfterParent, OnDpiChanged)
        CHAIN_MSG_MAP(TListCtrl)
    END_MSG_MAP()

    // Binds, then sets up options, extended styles and columns whatever the
    // binding's result.
    bool SubclassWindow(HWND window) override;

    // The wait of the host's requests to the service. While one waits, the
    // list opens no menu and leaves a mouse button to nobody: the control
    // would track it in a loop of its own, inside the request.
    void SetRequestWait(const WaitPolicy* wait) { requestWait = wait; }

    [[nodiscard]] bool UpdatePort(const PortRowInfo& info) override;
    void DeletePort(const std::wstring& name) override;
    // Sorts by port label, ascending.
    void PassEnded() override;
    // Name of the port whose row owns the button with that command id, or empty.
    std::wstring GetPortOfButton(int buttonId) const;

    // Moves the keyboard's row (TListCtrl::FocusItem) to the port's row;
    // false when the port has none.
    bool FocusPort(const std::wstring& name);
    // Opens the port's connection dialog as its "Edit..." button does; a row
    // without a button (Serial) does nothing.
    void EditRow(int index);
    // The table as shown, for the clipboard: the column titles, then every
    // row in the order shown, without the hidden first column and the button
    // column (TableText).
    std::wstring TableText() const;
    // Puts TableText on the clipboard as CF_UNICODETEXT.
    bool CopyTable() const;

    bool DeleteAllItems() override;
    int CompareItems(LPARAM itemData1, LPARAM itemData2, int column) override;
    bool OnPrePaint(HDC dc) override;
    // Enter, Space and F2 edit the focused row, Ctrl+C copies the table.
    void OnActivateItem(int index) override;
    bool OnCopy() override;
    bool OnSubItemPrePaint(HDC dc, DWORD_PTR item, int subItem, UINT itemState, LPARAM itemData,
                           COLORREF& textColor, COLORREF& backColor) override;

    const ButtonIdPool& ButtonIds() const { return buttons.Ids(); }
    // The port's data as the row at index holds it, and the row's button
    // window; null when there is no such row (or it has no button).
    const PortRowInfo* RowInfo(int index) const;
    HWND RowButton(int index) const;

    // Draws every row's text in grey while on: the rows are only the last
    // state known of a service the panel cannot reach.
    void ShowAsLastKnown(bool lastKnown);
    bool ShowsLastKnown() const { return lastKnownOnly; }

protected:
    // A row that cannot be completed is removed again: false, and no row.
    bool InsertPort(const PortRowInfo& info);
    void UpdateRowTexts(const PortRowInfo& data, int index);
    void DeleteRow(int index);

    int ItemCount() const;

private:
    // A row of the list, owned by `rows`; the item data points at it.
    struct Row {
        PortRowInfo info;
        std::unique_ptr<ListCtrlButton> button;  // none for a row inserted in Serial mode
    };

    static Row* AsRow(LPARAM itemData);
    static const PortRowInfo* InfoOf(LPARAM itemData);
    // The row at index, or null when the item has no row (or does not exist).
    Row* RowAt(int index) const;
    bool SetRowData(int index, Row* row);
    // Index of the item whose data this row is, or -1.
    int IndexOf(const Row* row) const;
    // A new row with a copy of info and no button, known by name; null on failure.
    Row* MakeRow(const PortRowInfo& info);
    // Puts a full record's data into the row; false, with the row as it was,
    // when the copy cannot be made.
    static bool ReplaceInfo(Row& row, const PortRowInfo& info);
    // Destroys the row's button and the row.
    void FreeRow(Row& row);
    void SetCellText(int index, int column, std::wstring_view text);

    void OnButtonClicked(UINT code, int id, HWND control);
    void OnContextMenu(HWND window, POINT at);
    LRESULT OnMouseButton(UINT msg, WPARAM wParam, LPARAM lParam);
    bool RequestWaits() const { return requestWait && requestWait->Waiting(); }
    LRESULT OnDpiChanged();

    RowButtons buttons;
    const WaitPolicy* requestWait = nullptr;
    bool lastKnownOnly = false;
    // Every row's data by port name, so that a refresh finds its row without
    // reading the item data of every row. Rows change only through this class.
    std::map<std::wstring, std::unique_ptr<Row>> rows;
};

}  // namespace kestrel
