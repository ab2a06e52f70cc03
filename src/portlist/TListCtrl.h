// Report-view list control taken over from a host dialog: column sorting,
// custom-draw hooks, a lock on column widths, a forced repaint after vertical
// scrolling, and the options the host and derived classes read (ListCtrlState).
// It never creates or destroys its window.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "CWindowBase.h"
#include "ListCtrlState.h"
#include "MessageMap.h"

namespace kestrel {

class TListCtrl : public CWindowBase, public ListCtrlState {
public:
    TListCtrl() = default;

    BEGIN_MSG_MAP(TListCtrl)
        MSG_WM_NOTIFY(OnHeaderNotify)
        MSG_WM_DESTROY(OnDestroy)
        MSG_WM_VSCROLL(OnVScroll)
        MSG_WM_GETDLGCODE(OnGetDlgCode)
        MSG_WM_KEYDOWN(OnKeyDown)
        MSG_WM_CHAR(OnChar)
        MSG_WM_SETFOCUS(OnSetFocus)
    END_MSG_MAP()

    // Binds to the host's list-view control.
    virtual bool SubclassWindow(HWND window);

    // Empties the list; the sort state goes back to no column, ascending.
    virtual bool DeleteAllItems();
    // sortType: kSortAscending, kSortDescending or kSortToggle (same column
    // flips, another column starts ascending).
    virtual bool SortItems(int column, int sortType);
    // Order of two rows by their item data: negative, 0 or positive.
    virtual int CompareItems(LPARAM itemData1, LPARAM itemData2, int column);

    // Custom-draw hooks: the list's pre-paint and a cell's pre-paint. Either
    // returns true to suppress the control's own drawing of what it is about
    // to paint. dc belongs to the notification; a cell's hook may change its
    // colours.
    virtual bool OnPrePaint(HDC dc);
    virtual bool OnSubItemPrePaint(HDC dc, DWORD_PTR item, int subItem, UINT itemState,
                                   LPARAM itemData, COLORREF& textColor, COLORREF& backColor);

    // The keyboard's row in a list whose rows cannot be selected (noSelection):
    // the arrow, Page, Home and End keys move the focus mark alone, Tab into
    // the list puts it on the first row, and the row shows a focus rectangle
    // while the list has the focus. -1 when no row has it.
    int FocusedItem() const;
    void FocusItem(int index);
    // Enter, Space or F2 on the focused row (never called without one).
    virtual void OnActivateItem(int index);
    // Ctrl+C; true when the list copied something.
    virtual bool OnCopy();

    // The text of a cell as shown, whole whatever its length.
    std::wstring ItemText(int index, int column) const;

    // The host routes the list's NM_CUSTOMDRAW here and returns the result.
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& cd);
    // The host routes the list's LVN_ITEMCHANGED here: true when the change
    // was the check box's, which the list takes.
    bool OnItemChanged(const NMLISTVIEW& nm);

protected:
    // LVM_SORTITEMS callback; sortParam is the control.
    static int CALLBACK CompareCallback(LPARAM itemData1, LPARAM itemData2,
                                        LPARAM sortParam) noexcept;

    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(Handle(), msg, wParam, lParam);
    }

private:
    LRESULT OnHeaderNotify(int id, LPNMHDR header);
    void OnDestroy();
    void OnVScroll(int code, int position, HWND scrollBar);
    UINT OnGetDlgCode(const MSG* message);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnChar(UINT character, UINT repeat, UINT flags);
    void OnSetFocus(HWND lostFocus);
    void DrawFocusMark(HDC dc, DWORD_PTR item) const;

    LRESULT SetState(int index, UINT state, UINT mask) const;
};

}  // namespace kestrel
