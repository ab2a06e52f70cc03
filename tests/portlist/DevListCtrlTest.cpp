// The port list on a real list-view control in a host that routes its
// notifications like the main window: columns, rows and texts, colours,
// buttons and their ids, click forwarding, sorting and destruction.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "DevListCtrl.h"
#include "ClipboardText.h"
#include "DialogDriver.h"
#include "ExpectedTexts.h"
#include "ListHost.h"
#include "PortRowTexts.h"
#include "WindowsEnvironment.h"
#include "resource.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class DevListCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        list = host.AddList(IDC_PORT_LIST);
        ASSERT_TRUE(list);
        RecordPreviousProc(list);
        ASSERT_TRUE(host.Attach(list, ports));
        // A run at another DPI (run_at_dpi.sh) says which one the list must see.
        if (const char* dpi = std::getenv("KESTREL_EXPECT_DPI")) {
            ASSERT_EQ(WindowDpi(list), static_cast<UINT>(std::atoi(dpi)));
        }
    }

    bool Add(const PortRowInfo& row) {
        bool added = false;
        return ports.UpdatePort(row, &added) && added;
    }
    int RowOf(const std::wstring& name) {
        for (int i = 0; i < ItemCount(list); ++i)
            if (ports.RowInfo(i) && ports.RowInfo(i)->name == name) return i;
        return -1;
    }
    HWND ButtonOf(int row) { return ports.RowButton(row); }
    // A POCT1-A port that is not connected, with RX news and an address.
    static PortRowInfo NotConnectedCom3() {
        PortRowInfo row = FullRow(L"COM3");
        row.status = kStatusNotConnected;
        row.rxChanged = true;
        row.connection = L"10.1.2.3:4000";
        return row;
    }
    // Counters-only news of a port: TX changed, RX not.
    static PortRowInfo CountersOnly(const std::wstring& name) {
        PortRowInfo counters;
        counters.name = name;
        counters.countersOnly = true;
        counters.txChanged = true;
        return counters;
    }
    std::vector<std::wstring> Column(int column) {
        std::vector<std::wstring> texts;
        for (int i = 0; i < ItemCount(list); ++i) texts.push_back(ItemText(list, i, column));
        return texts;
    }
    // Every button of a row in view sits exactly over its column-8 cell; the
    // others are hidden.
    void ExpectButtonsOverTheirCells() {
        ::UpdateWindow(list);
        const int top = static_cast<int>(::SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
        const int perPage = static_cast<int>(::SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
        for (int i = 0; i < ItemCount(list); ++i) {
            const HWND button = ButtonOf(i);
            if (!button) continue;
            SCOPED_TRACE(i);
            if (i >= top && i < top + perPage) {
                const RECT cell = CellRect(list, i, kColumnButton);
                const RECT at = ChildRect(button);
                EXPECT_TRUE(::EqualRect(&cell, &at));
                EXPECT_TRUE(::IsWindowVisible(button));
            } else if (i < top) {
                EXPECT_FALSE(::IsWindowVisible(button));
            }
        }
    }
    LRESULT SubItemPaint(int row, int column, COLORREF& text) {
        NMLVCUSTOMDRAW cd{};
        cd.nmcd.hdr.hwndFrom = list;
        cd.nmcd.hdr.idFrom = IDC_PORT_LIST;
        cd.nmcd.hdr.code = NM_CUSTOMDRAW;
        cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
        cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
        cd.nmcd.lItemlParam = row >= 0 ? ItemData(list, row) : 0;
        cd.iSubItem = column;
        cd.clrText = text;
        cd.clrTextBk = RGB(9, 9, 9);
        const LRESULT result = ports.OnCustomDraw(cd);
        text = cd.clrText;
        EXPECT_EQ(cd.clrTextBk, RGB(9, 9, 9));
        return result;
    }

    // A navigation or editing key as the list receives it; the row focused after.
    int Press(WPARAM key) {
        ::SendMessageW(list, WM_KEYDOWN, key, 0);
        PumpMessages();
        return ports.FocusedItem();
    }
    int ColumnWidth(int column) {
        return static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
    }
    // The widths of the columns before the last, written out for each DPI the
    // tests run at; the last fills what they leave of the list.
    void ExpectColumnWidthsForTheDpi() {
        const UINT dpi = WindowDpi(list);
        const std::vector<int> widths = dpi == 144
                                            ? std::vector<int>{0, 105, 53, 53, 195, 120, 150, 225}
                                            : std::vector<int>{0, 70, 35, 35, 130, 80, 100, 150};
        ASSERT_TRUE(dpi == 96 || dpi == 144) << dpi;
        int used = 0;
        for (int i = 0; i < kColumnButton; ++i) {
            EXPECT_EQ(ColumnWidth(i), widths[i]) << "column " << i;
            used += ColumnWidth(i);
        }
        RECT client;
        ::GetClientRect(list, &client);
        EXPECT_EQ(ColumnWidth(kColumnButton), client.right - used);
    }

    ListHost host;
    DevListCtrl ports;
    HWND list = nullptr;
};

}  // namespace

TEST_F(DevListCtrlTest, AttachSetsUpOptionsAndColumns) {
    // The options by what they do, asked as the host asks: a column divider
    // cannot be dragged, the hooks draw the items, and ticks and selection
    // are refused.
    EXPECT_EQ(SendHeaderNotify(list, HDN_BEGINTRACKW, 1), 1);
    EXPECT_FALSE(ArrivedNotify(HDN_BEGINTRACKW));
    NMLVCUSTOMDRAW prePaint{};
    prePaint.nmcd.dwDrawStage = CDDS_PREPAINT;
    EXPECT_TRUE(ports.OnCustomDraw(prePaint) & CDRF_NOTIFYITEMDRAW);
    EXPECT_TRUE(ports.VetoesItemChange(INDEXTOSTATEIMAGEMASK(2), INDEXTOSTATEIMAGEMASK(1)));
    EXPECT_TRUE(ports.VetoesItemChange(0, LVIS_SELECTED | LVIS_FOCUSED));
    const auto ex = static_cast<DWORD>(::SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_EQ(ex & (LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES),
              static_cast<DWORD>(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES));

    const wchar_t* headers[] = {L" ",    L"COM Port", L"RX",         L"TX", L"Serial Number",
                                L"Mode", L"Status",   L"Connection", L" "};
    for (int i = 0; i < kPortListColumnCount; ++i) {
        SCOPED_TRACE(i);
        wchar_t text[64] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = 64;
        ASSERT_TRUE(::SendMessageW(list, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(text, headers[i]);
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, i == 0 ? LVCFMT_LEFT : LVCFMT_CENTER);
    }
    ExpectColumnWidthsForTheDpi();
    const auto header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), kPortListColumnCount);
}

TEST_F(DevListCtrlTest, AFullRowShowsItsTextsTickAndEditButton) {
    EXPECT_TRUE(Add(NotConnectedCom3()));
    const std::vector<std::wstring> expected = {
        L"", L"COM3", L"X", L"", L"SN-COM3", L"POCT1-A", L"Not connected", L"10.1.2.3:4000", L""};
    for (int c = 0; c < kPortListColumnCount; ++c) EXPECT_EQ(ItemText(list, 0, c), expected[c]);
    EXPECT_EQ(TickState(list, 0), INDEXTOSTATEIMAGEMASK(2));
    ASSERT_TRUE(ButtonOf(0));
    EXPECT_EQ(::GetDlgCtrlID(ButtonOf(0)), 2000);
    wchar_t caption[32] = {};
    ::GetWindowTextW(ButtonOf(0), caption, 32);
    EXPECT_STREQ(caption, L"Edit...");
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongPtrW(ButtonOf(0), GWL_STYLE)) & 0xFFFF000F,
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON));
}

TEST_F(DevListCtrlTest, ASerialRowHasNoButtonAndDashesEvenWhenActive) {
    EXPECT_TRUE(Add(FullRow(L"COM4", kModeSerial)));
    EXPECT_EQ(ButtonOf(0), nullptr);
    EXPECT_EQ(ItemText(list, 0, kColumnMode), L"Serial");
    EXPECT_EQ(ItemText(list, 0, kColumnStatus), L"-");
    EXPECT_EQ(ItemText(list, 0, kColumnConnection), L"-");

    // Once inserted in Serial mode, a row stays without a button.
    EXPECT_TRUE(ports.UpdatePort(FullRow(L"COM4", kModePoct1A), nullptr));
    EXPECT_EQ(ButtonOf(0), nullptr);
    EXPECT_EQ(ItemText(list, 0, kColumnMode), L"POCT1-A");
    EXPECT_EQ(ItemText(list, 0, kColumnStatus), L"Connected");
}

TEST_F(DevListCtrlTest, AnInactivePortIsUntickedAndNotConfiguredUntilActive) {
    PortRowInfo inactive = FullRow(L"COM5", 7, 9, false);
    EXPECT_TRUE(Add(inactive));
    EXPECT_EQ(TickState(list, 0), INDEXTOSTATEIMAGEMASK(1));
    EXPECT_EQ(ItemText(list, 0, kColumnMode), L"???");
    EXPECT_EQ(ItemText(list, 0, kColumnStatus), L"-");
    EXPECT_EQ(ItemText(list, 0, kColumnConnection), L"Not configured");
    inactive.comPortActive = true;  // now active: tick follows, unknown status shows
    EXPECT_FALSE(Add(inactive));
    EXPECT_EQ(TickState(list, 0), INDEXTOSTATEIMAGEMASK(2));
    EXPECT_EQ(ItemText(list, 0, kColumnStatus), L"Unknown");
    EXPECT_EQ(ItemText(list, 0, kColumnConnection), L"dms.example:4000");
    inactive.connection.clear();
    EXPECT_TRUE(ports.UpdatePort(inactive, nullptr));
    EXPECT_EQ(ItemText(list, 0, kColumnConnection), L"Not configured");
}

TEST_F(DevListCtrlTest, CountersOnlyChangeTheMarksAndNothingElse) {
    Add(NotConnectedCom3());
    PortRowInfo counters = CountersOnly(L"COM3");
    counters.portLabel = L"ignored";
    EXPECT_TRUE(ports.UpdatePort(counters, nullptr));
    EXPECT_EQ(ItemText(list, 0, kColumnRx), L"");
    EXPECT_EQ(ItemText(list, 0, kColumnTx), L"X");
    EXPECT_EQ(ItemText(list, 0, kColumnPortLabel), L"COM3");
    EXPECT_EQ(ports.RowInfo(0)->portLabel, L"COM3");
    EXPECT_EQ(ports.RowInfo(0)->status, kStatusNotConnected);
}

// With status 3 it adds nothing and says that it showed nothing; with another
// status its row shows only the marks until a full record arrives.
TEST_F(DevListCtrlTest, CountersOnlyForANewPortShowOnlyTheMarks) {
    PortRowInfo counters = CountersOnly(L"COM6");
    EXPECT_FALSE(ports.UpdatePort(counters, nullptr));
    EXPECT_EQ(ItemCount(list), 0);
    counters.status = kStatusConnected;
    EXPECT_TRUE(Add(counters));
    EXPECT_EQ(ItemText(list, 0, kColumnTx), L"X");
    EXPECT_EQ(ItemText(list, 0, kColumnMode), L"");
    EXPECT_EQ(ItemText(list, 0, kColumnPortLabel), L"");
    EXPECT_TRUE(ButtonOf(0));
    EXPECT_TRUE(ports.UpdatePort(FullRow(L"COM6"), nullptr));
    EXPECT_EQ(ItemText(list, 0, kColumnMode), L"POCT1-A");
    EXPECT_EQ(ItemText(list, 0, kColumnTx), L"");
}

TEST_F(DevListCtrlTest, NamesAreExactSoAnotherCaseIsAnotherPort) {
    Add(NotConnectedCom3());
    EXPECT_TRUE(Add(FullRow(L"com3")));
    EXPECT_EQ(ItemCount(list), 2);
}

TEST_F(DevListCtrlTest, NoDeviceRemovesTheRowAndFreesItsIdButAddsNothing) {
    Add(NotConnectedCom3());
    Add(FullRow(L"COM4"));
    EXPECT_FALSE(Add(FullRow(L"COM3", kModePoct1A, kStatusNoDevice)));
    EXPECT_EQ(RowOf(L"COM3"), -1);
    EXPECT_FALSE(ports.ButtonIds().Contains(2000));
    EXPECT_FALSE(Add(FullRow(L"COM9", kModePoct1A, kStatusNoDevice)));
    EXPECT_EQ(ItemCount(list), 1);
}

TEST_F(DevListCtrlTest, DeletePortRemovesThatPortOnly) {
    Add(NotConnectedCom3());
    Add(FullRow(L"COM6"));
    ports.DeletePort(L"COM77");
    EXPECT_EQ(ItemCount(list), 2);
    ports.DeletePort(L"COM6");
    EXPECT_EQ(ItemCount(list), 1);
    EXPECT_EQ(RowOf(L"COM6"), -1);
}

TEST_F(DevListCtrlTest, StatusColourAndButtonCell) {
    PortRowInfo row = FullRow(L"COM1", kModePoct1A, kStatusNotConnected, false);
    Add(row);  // shows "-" but is still drawn red
    Add(FullRow(L"COM2", kModePoct1A, kStatusConnected));
    ASSERT_EQ(ItemText(list, 0, kColumnStatus), L"-");
    const COLORREF windowText = ::GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF marker = RGB(7, 7, 7);

    COLORREF text = marker;
    EXPECT_EQ(SubItemPaint(0, kColumnStatus, text), CDRF_NOTIFYPOSTPAINT);
    EXPECT_EQ(text, 0x000000FFu);
    text = marker;
    SubItemPaint(1, kColumnStatus, text);
    EXPECT_EQ(text, windowText);
    text = marker;
    SubItemPaint(0, kColumnPortLabel, text);
    EXPECT_EQ(text, windowText);
    text = marker;
    SubItemPaint(-1, kColumnStatus, text);  // no row data: left alone
    EXPECT_EQ(text, marker);

    // The button cell: the button is moved there, the cell is not drawn, the
    // colours stay.
    ::MoveWindow(ButtonOf(0), 0, 0, 5, 5, FALSE);
    text = marker;
    EXPECT_EQ(SubItemPaint(0, kColumnButton, text), CDRF_NOTIFYPOSTPAINT | CDRF_SKIPDEFAULT);
    EXPECT_EQ(text, marker);
    const RECT cell = CellRect(list, 0, kColumnButton);
    const RECT at = ChildRect(ButtonOf(0));
    EXPECT_TRUE(::EqualRect(&cell, &at));

    // Only the last known state: every text grey, the red one too, until the
    // rows are live again.
    ports.ShowAsLastKnown(true);
    for (int column : {kColumnPortLabel, kColumnStatus, kColumnConnection}) {
        text = marker;
        SubItemPaint(0, column, text);
        EXPECT_EQ(text, ::GetSysColor(COLOR_GRAYTEXT)) << column;
    }
    ports.ShowAsLastKnown(false);
    SubItemPaint(0, kColumnStatus, text);
    EXPECT_EQ(text, 0x000000FFu);
}

TEST_F(DevListCtrlTest, ButtonsFollowTheirRows) {
    RECT before;
    ::GetClientRect(list, &before);
    for (int i = 0; i < 12; ++i) Add(FullRow(L"COM" + std::to_wstring(100 + i)));
    ASSERT_GT(ItemCount(list), ::SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
    ExpectButtonsOverTheirCells();
    // The scroll bar the rows brought narrowed the list; the last column was
    // fitted again, so no horizontal scroll bar appears.
    RECT client;
    ::GetClientRect(list, &client);
    ASSERT_LT(client.right, before.right);
    RECT last = CellRect(list, 0, kColumnButton);
    EXPECT_EQ(last.right, client.right);

    ports.DeletePort(L"COM101");  // rows below move up
    ports.DeletePort(L"COM100");
    Add(FullRow(L"COM200"));
    ExpectButtonsOverTheirCells();

    ::SendMessageW(list, WM_VSCROLL, SB_LINEDOWN, 0);
    ASSERT_EQ(::SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 1);
    ExpectButtonsOverTheirCells();
    ::SendMessageW(list, WM_VSCROLL, SB_PAGEDOWN, 0);
    ExpectButtonsOverTheirCells();

    // The wheel scrolls without WM_VSCROLL and repaints only what it uncovers.
    ::SendMessageW(list, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(100, 100));
    ExpectButtonsOverTheirCells();
    ::SendMessageW(list, WM_VSCROLL, SB_TOP, 0);
    ExpectButtonsOverTheirCells();
}

TEST_F(DevListCtrlTest, ButtonIdsReuseTheSmallestAndAFullPoolAddsNoRow) {
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);  // no painting while the pool fills
    Add(FullRow(L"A"));
    Add(FullRow(L"B"));
    Add(FullRow(L"C"));
    EXPECT_EQ(::GetDlgCtrlID(ButtonOf(RowOf(L"C"))), 2002);
    ports.DeletePort(L"B");
    ports.DeletePort(L"A");
    Add(FullRow(L"D"));
    EXPECT_EQ(::GetDlgCtrlID(ButtonOf(RowOf(L"D"))), 2000);
    Add(FullRow(L"E"));
    EXPECT_EQ(::GetDlgCtrlID(ButtonOf(RowOf(L"E"))), 2001);

    for (int i = 3; i < 1000; ++i) ASSERT_TRUE(Add(FullRow(L"P" + std::to_wstring(i)))) << i;
    ASSERT_EQ(ports.ButtonIds().Count(), 1000u);
    ASSERT_EQ(ItemCount(list), 1000);

    // The 1001st row is not added at all, and leaves no row behind that would
    // hide later rows from updates.
    EXPECT_FALSE(Add(FullRow(L"Late")));
    EXPECT_EQ(ItemCount(list), 1000);
    EXPECT_EQ(ports.ButtonIds().Count(), 1000u);
    EXPECT_FALSE(Add(FullRow(L"Late")));
    EXPECT_EQ(ItemCount(list), 1000);
    // A Serial row needs no id.
    EXPECT_TRUE(Add(FullRow(L"Serial", kModeSerial)));
    EXPECT_EQ(ItemCount(list), 1001);
    EXPECT_TRUE(ports.UpdatePort(FullRow(L"Serial", kModeSerial, kStatusNotAvailable), nullptr));
    EXPECT_EQ(ItemText(list, 1000, kColumnMode), L"Serial");

    const int freed = ::GetDlgCtrlID(ButtonOf(RowOf(L"P500")));
    ports.DeletePort(L"P500");
    EXPECT_TRUE(Add(FullRow(L"Late")));
    EXPECT_EQ(::GetDlgCtrlID(ButtonOf(RowOf(L"Late"))), freed);
    EXPECT_EQ(ports.GetPortOfButton(freed), L"Late");
}

// The list refuses to store a row's data: the row goes again, and with it its
// button, once, and the button's id.
LRESULT CALLBACK RefuseItemData(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(::GetPropW(window, L"RefusePrevious"));
    if (msg == LVM_SETITEMW && (reinterpret_cast<const LVITEMW*>(lParam)->mask & LVIF_PARAM))
        return FALSE;
    return ::CallWindowProcW(previous, window, msg, wParam, lParam);
}

TEST_F(DevListCtrlTest, ARowWhoseDataCannotBeStoredLeavesNothing) {
    const LONG_PTR previous =
        ::SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefuseItemData));
    ::SetPropW(list, L"RefusePrevious", reinterpret_cast<HANDLE>(previous));
    EXPECT_FALSE(Add(FullRow(L"COM1")));
    EXPECT_FALSE(Add(FullRow(L"COM2")));
    ::SetWindowLongPtrW(list, GWLP_WNDPROC, previous);
    EXPECT_EQ(ItemCount(list), 0);
    EXPECT_EQ(::GetWindow(list, GW_CHILD), ::GetDlgItem(list, 0)) << "only the header is left";
    EXPECT_TRUE(ports.ButtonIds().IsEmpty());
    EXPECT_TRUE(Add(FullRow(L"COM3")));
    EXPECT_EQ(::GetDlgCtrlID(ButtonOf(0)), 2000);
}

TEST_F(DevListCtrlTest, ClicksAndButtonStyle) {
    Add(FullRow(L"COM1"));
    Add(FullRow(L"COM2", kModeSerial));
    Add(FullRow(L"COM3"));
    const HWND button = ButtonOf(2);
    ASSERT_TRUE(button);
    ::SendMessageW(button, BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_EQ(host.editPorts, (std::vector<WPARAM>{2001}));
    EXPECT_EQ(ports.GetPortOfButton(2001), L"COM3");
    EXPECT_EQ(ports.GetPortOfButton(2000), L"COM1");
    EXPECT_EQ(ports.GetPortOfButton(2002), L"");
    EXPECT_EQ(ports.GetPortOfButton(0), L"");

    // Only BN_CLICKED from the button id range is forwarded; the rest goes on
    // to the list's previous procedure.
    const WPARAM others[] = {MAKEWPARAM(1999, BN_CLICKED), MAKEWPARAM(3000, BN_CLICKED),
                             MAKEWPARAM(2000, BN_SETFOCUS)};
    for (WPARAM w : others) {
        ::SendMessageW(list, WM_COMMAND, w, 0);
        EXPECT_TRUE(Arrived(WM_COMMAND, w));
    }
    ::SendMessageW(list, WM_COMMAND, MAKEWPARAM(2999, BN_CLICKED), 0);
    EXPECT_FALSE(Arrived(WM_COMMAND, MAKEWPARAM(2999, BN_CLICKED)));
    PumpMessages();
    EXPECT_EQ(host.editPorts, (std::vector<WPARAM>{2001, 2999}));

    // The dialog manager's default-button style never sticks.
    ::SendMessageW(button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_EQ(::GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    ::SendMessageW(button, BM_SETSTYLE, BS_DEFPUSHBUTTON | BS_PUSHLIKE, TRUE);
    EXPECT_EQ(::GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
}

// Focus only: the keys move the focus mark, and Enter, Space and F2 edit the
// focused row's port as its button does, wherever sorting has moved the row.
TEST_F(DevListCtrlTest, KeysMoveTheFocusAndEditTheFocusedRow) {
    for (const wchar_t* name : {L"COM1", L"COM3", L"COM4"}) Add(FullRow(name));
    Add(FullRow(L"COM2", kModeSerial));
    ports.SortItems(kColumnPortLabel, kSortAscending);
    ::SetFocus(list);
    ASSERT_EQ(::GetFocus(), list);
    EXPECT_EQ(ports.FocusedItem(), 0) << "the list takes the focus on its first row";
    const auto press = [&](WPARAM key) { return Press(key); };
    EXPECT_EQ(press(VK_DOWN), 1);
    EXPECT_EQ(press(VK_END), 3);
    EXPECT_EQ(press(VK_UP), 2);
    EXPECT_EQ(press(VK_HOME), 0);
    press(VK_RETURN);
    EXPECT_EQ(host.editPorts, (std::vector<WPARAM>{2000}));

    ASSERT_EQ(press(VK_DOWN), RowOf(L"COM2"));
    for (WPARAM key : {VK_RETURN, VK_SPACE, VK_F2}) press(key);
    ::SendMessageW(list, WM_CHAR, L' ', 0);
    PumpMessages();
    EXPECT_EQ(host.editPorts.size(), 1u) << "a Serial row has nothing to edit";
    EXPECT_EQ(TickState(list, 1), INDEXTOSTATEIMAGEMASK(2)) << "and a blank ticks nothing";

    press(VK_DOWN);
    ports.SortItems(kColumnPortLabel, kSortDescending);
    EXPECT_EQ(ports.FocusedItem(), RowOf(L"COM3"));
    press(VK_F2);
    press(VK_SPACE);
    EXPECT_EQ(host.editPorts, (std::vector<WPARAM>{2000, 2001, 2001}));
    for (int i = 0; i < ItemCount(list); ++i) EXPECT_EQ(ItemState(list, i, LVIS_SELECTED), 0u);

    EXPECT_TRUE(ports.FocusPort(L"COM4"));
    EXPECT_EQ(ports.FocusedItem(), RowOf(L"COM4"));
    EXPECT_FALSE(ports.FocusPort(L"COM9"));
}

// A page is one row less than the list shows, so that the row left stays in view.
TEST_F(DevListCtrlTest, PageDownAndPageUpMoveTheFocusAPage) {
    const int perPage = static_cast<int>(::SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
    ASSERT_GT(perPage, 2);
    for (int i = 0; i < 3 * perPage; ++i) Add(FullRow(L"COM" + std::to_wstring(100 + i)));
    ::SetFocus(list);
    ports.FocusItem(0);
    const int page = perPage - 1;
    EXPECT_EQ(Press(VK_NEXT), page);
    EXPECT_EQ(Press(VK_NEXT), 2 * page);
    EXPECT_EQ(Press(VK_PRIOR), page);
    EXPECT_EQ(Press(VK_PRIOR), 0);
    EXPECT_EQ(ItemState(list, 0, LVIS_SELECTED), 0u) << "the keys move the focus mark alone";
}

// After a move to a monitor of another DPI the dialog gives the list its new
// font; the list's pixel widths and its buttons' font follow.
TEST_F(DevListCtrlTest, ADpiChangeRescalesTheColumnsAndTheButtonsFont) {
    Add(FullRow(L"COM1"));
    Add(FullRow(L"COM2"));
    for (int i = 1; i < kColumnButton; ++i)
        ::SendMessageW(list, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(10, 0));
    const auto oldFont = reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0));
    const HFONT font = ::CreateFontW(-ScaleForDpi(15, WindowDpi(list)), 0, 0, 0, FW_NORMAL, FALSE,
                                     FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    ASSERT_TRUE(font);
    ::SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SendMessageW(list, kDpiChangedAfterParent, 0, 0);
    ExpectColumnWidthsForTheDpi();
    for (int row : {0, 1})
        EXPECT_EQ(::SendMessageW(ButtonOf(row), WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font));
    ::SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(oldFont), FALSE);
    for (int row : {0, 1})
        ::SendMessageW(ButtonOf(row), WM_SETFONT, reinterpret_cast<WPARAM>(oldFont), FALSE);
    ::DeleteObject(font);
}

// The context menu, at the clicked row or (keyboard: lParam -1) the focused
// one, offers "&Edit..." only for a row with a button.
TEST_F(DevListCtrlTest, ContextMenuEditsTheRowsPort) {
    Add(FullRow(L"COM1"));
    Add(FullRow(L"COM2", kModeSerial));
    const auto openMenu = [&](LPARAM at, UINT key) {
        std::vector<std::wstring> items;
        DriveMenu(
            [&](HWND menuWindow) {
                const auto menu =
                    reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
                for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
                    wchar_t text[64] = {};
                    ::GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
                    items.push_back(text);
                }
                ::PostMessageW(menuWindow, WM_KEYDOWN, key, 0);
            },
            [&] { ::SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), at); });
        PumpMessages();
        return items;
    };
    const RECT cell = CellRect(list, 1, kColumnSerial);
    POINT point{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ::ClientToScreen(list, &point);
    EXPECT_EQ(openMenu(MAKELPARAM(point.x, point.y), VK_ESCAPE),
              std::vector<std::wstring>{L"&Copy"});
    EXPECT_EQ(ports.FocusedItem(), 1) << "a right click takes the focus mark";

    ports.FocusPort(L"COM1");
    EXPECT_EQ(openMenu(-1, 'E'), (std::vector<std::wstring>{L"&Edit...", L"&Copy"}));
    EXPECT_EQ(host.editPorts, (std::vector<WPARAM>{2000}));
}

// Ctrl+C and "&Copy" put the rows as shown on the clipboard, as plain Unicode
// text under the column titles.
TEST_F(DevListCtrlTest, CopyPutsTheTableOnTheClipboard) {
    Add(FullRow(L"COM3"));
    Add(FullRow(L"COM1", kModeSerial, kStatusNotConnected, false));
    ports.SortItems(kColumnPortLabel, kSortDescending);
    const auto shown = [&] {
        std::wstring text = test::texts::kCopiedTableHeader;
        for (int i = 0; i < ItemCount(list); ++i) {
            for (int c = kColumnPortLabel; c <= kColumnConnection; ++c)
                text += ItemText(list, i, c) + (c < kColumnConnection ? L"\t" : L"\r\n");
        }
        return text;
    };
    TakeClipboardText();
    BYTE keys[256] = {};
    ::SendMessageW(list, WM_KEYDOWN, 'C', 0);
    EXPECT_EQ(TakeClipboardText(), L"") << "C alone copies nothing";
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    ::SendMessageW(list, WM_KEYDOWN, 'C', 0);
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
    EXPECT_EQ(TakeClipboardText(), shown());

    Add(FullRow(L"COM2"));
    DriveMenu([](HWND menuWindow) { ::PostMessageW(menuWindow, WM_KEYDOWN, 'C', 0); },
              [&] { ::SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1); });
    EXPECT_EQ(TakeClipboardText(), shown());
    EXPECT_NE(shown().find(L"COM2"), std::wstring::npos);
}

TEST_F(DevListCtrlTest, HostRefusesTicksAndSelection) {
    Add(FullRow(L"COM1"));
    Add(FullRow(L"COM2", kModePoct1A, kStatusConnected, false));
    SetItemState(list, 0, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(1));
    EXPECT_EQ(TickState(list, 0), INDEXTOSTATEIMAGEMASK(2));
    SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(ItemState(list, 1, LVIS_SELECTED), 0u);

    // A click on a row neither selects it nor ticks it.
    const RECT cell = CellRect(list, 1, kColumnPortLabel);
    const LPARAM at = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(list, WM_LBUTTONUP, 0, at);
    PumpMessages();
    EXPECT_EQ(ItemState(list, 1, LVIS_SELECTED), 0u);
    EXPECT_EQ(TickState(list, 1), INDEXTOSTATEIMAGEMASK(1));

    // The list's own updates still set the tick, and leave it locked again.
    EXPECT_TRUE(ports.UpdatePort(FullRow(L"COM2"), nullptr));
    EXPECT_EQ(TickState(list, 1), INDEXTOSTATEIMAGEMASK(2));
    SetItemState(list, 1, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(1));
    EXPECT_EQ(TickState(list, 1), INDEXTOSTATEIMAGEMASK(2));
}

TEST_F(DevListCtrlTest, SortingByCellText) {
    for (const wchar_t* name : {L"com3", L"COM2", L"COM10", L"COM3", L"COM1"}) Add(FullRow(name));
    arrivals.clear();
    ports.SortItems(kColumnPortLabel, kSortAscending);
    // Comparisons read the row data, not the cells: the sort costs the list
    // one message however many rows it has.
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(arrivals.front().msg, static_cast<UINT>(LVM_SORTITEMS));
    EXPECT_EQ(Column(kColumnPortLabel),
              (std::vector<std::wstring>{L"COM1", L"COM10", L"COM2", L"COM3", L"com3"}));
    ports.SortItems(kColumnPortLabel, kSortDescending);
    EXPECT_EQ(Column(kColumnPortLabel),
              (std::vector<std::wstring>{L"com3", L"COM3", L"COM2", L"COM10", L"COM1"}));
}

namespace {

// Sorts by the texts read back from the cells (LVM_GETITEMTEXTW), captured
// before each sort; the port list sorts from its row data instead.
class CellTextList : public DevListCtrl {
public:
    bool SortItems(int column, int sortType) override {
        texts.clear();
        for (int i = 0; i < ItemCount(); ++i)
            texts[test::ItemData(Handle(), i)] = test::ItemText(Handle(), i, column);
        return DevListCtrl::SortItems(column, sortType);
    }
    int CompareItems(LPARAM a, LPARAM b, int) override {
        return CompareOrdinal(texts[a], texts[b]);
    }
    std::map<LPARAM, std::wstring> texts;
};

std::vector<PortRowInfo> MixedRows() {
    std::vector<PortRowInfo> rows;
    const wchar_t* labels[] = {L"COM2", L"COM10", L"com2", L"COM2", L"", L"COM1"};
    const wchar_t* connections[] = {L"h:1", L"", L"h:1", L"a:9", L"h:10"};
    for (int i = 0; i < 24; ++i) {
        PortRowInfo row = FullRow(L"N" + std::to_wstring(i), static_cast<uint32_t>(i % 4),
                                  static_cast<uint32_t>(i % 5 == 3 ? 9 : i % 3), i % 3 != 1);
        row.portLabel = labels[i % 6];
        row.serialNumber = i % 4 ? L"S" + std::to_wstring(i % 7) : L"";
        row.connection = connections[i % 5];
        row.rxChanged = i % 2 == 0;
        row.txChanged = i % 5 < 2;
        row.countersOnly = i % 11 == 5;
        rows.push_back(row);
    }
    return rows;
}

}  // namespace

TEST_F(DevListCtrlTest, SortFromRowDataMatchesSortFromCellTexts) {
    CellTextList reference;
    const HWND other = host.AddList(IDC_PORT_LIST + 1);
    ASSERT_TRUE(host.Attach(other, reference));
    for (HWND w : {list, other}) ::SendMessageW(w, WM_SETREDRAW, FALSE, 0);  // not painted
    for (const PortRowInfo& row : MixedRows()) {
        EXPECT_TRUE(ports.UpdatePort(row, nullptr));
        EXPECT_TRUE(reference.UpdatePort(row, nullptr));
    }
    ASSERT_EQ(ItemCount(list), 24);
    auto names = [](DevListCtrl& l, HWND w) {
        std::vector<std::wstring> n;
        for (int i = 0; i < ItemCount(w); ++i) n.push_back(l.RowInfo(i)->name);
        return n;
    };
    for (int column = 0; column < kPortListColumnCount; ++column) {
        for (int type : {kSortAscending, kSortDescending, kSortToggle, kSortToggle}) {
            SCOPED_TRACE(testing::Message() << "column " << column << " type " << type);
            ASSERT_TRUE(ports.SortItems(column, type));
            ASSERT_TRUE(reference.SortItems(column, type));
            EXPECT_EQ(names(ports, list), names(reference, other));
            const std::vector<std::wstring> texts = Column(column);
            for (size_t i = 1; i < texts.size(); ++i) {
                const int order = CompareOrdinal(texts[i - 1], texts[i]);
                EXPECT_TRUE(ports.sortDescending ? order >= 0 : order <= 0) << i;
            }
        }
    }
}

TEST_F(DevListCtrlTest, DestroyingTheListLeavesNothing) {
    Add(FullRow(L"COM1"));
    Add(FullRow(L"COM2", kModeSerial));
    Add(FullRow(L"COM3"));
    const HWND buttons[] = {ButtonOf(0), ButtonOf(2)};
    ports.SortItems(kColumnPortLabel, kSortDescending);
    ::DestroyWindow(list);
    for (HWND b : buttons) EXPECT_FALSE(::IsWindow(b));
    EXPECT_TRUE(ports.ButtonIds().IsEmpty());
    EXPECT_EQ(ports.Handle(), nullptr);
    EXPECT_EQ(ports.sortColumn, -1);

    // The same when the whole host goes, as at the end of the program.
    DevListCtrl second;
    const HWND other = host.AddList(IDC_PORT_LIST + 1);
    ASSERT_TRUE(host.Attach(other, second));
    EXPECT_TRUE(second.UpdatePort(FullRow(L"COM4"), nullptr));
    const HWND button = second.RowButton(0);
    ::DestroyWindow(host.Window());
    EXPECT_FALSE(::IsWindow(button));
    EXPECT_TRUE(second.ButtonIds().IsEmpty());
    EXPECT_EQ(second.Handle(), nullptr);
}
