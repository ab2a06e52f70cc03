// The port list's columns, rows and texts, colours, buttons and their ids,
// and its widths after a DPI change.
#include "DevListCtrlFixture.h"

using namespace kestrel;
using namespace kestrel::test;

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
    EXPECT_TRUE(ports.UpdatePort(FullRow(L"COM4", kModePoct1A)));
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
    EXPECT_TRUE(ports.UpdatePort(inactive));
    EXPECT_EQ(ItemText(list, 0, kColumnConnection), L"Not configured");
}

TEST_F(DevListCtrlTest, CountersOnlyChangeTheMarksAndNothingElse) {
    Add(NotConnectedCom3());
    PortRowInfo counters = CountersOnly(L"COM3");
    counters.portLabel = L"ignored";
    EXPECT_TRUE(ports.UpdatePort(counters));
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
    EXPECT_FALSE(ports.UpdatePort(counters));
    EXPECT_EQ(ItemCount(list), 0);
    counters.status = kStatusConnected;
    EXPECT_TRUE(Add(counters));
    EXPECT_EQ(ItemText(list, 0, kColumnTx), L"X");
    EXPECT_EQ(ItemText(list, 0, kColumnMode), L"");
    EXPECT_EQ(ItemText(list, 0, kColumnPortLabel), L"");
    EXPECT_TRUE(ButtonOf(0));
    EXPECT_TRUE(ports.UpdatePort(FullRow(L"COM6")));
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
    EXPECT_TRUE(ports.UpdatePort(FullRow(L"Serial", kModeSerial, kStatusNotAvailable)));
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
