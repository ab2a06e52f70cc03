// What the user does with the port list: clicks, keys, the context menu and
// copying; and what its host refuses.
#include "ClipboardText.h"
#include "DevListCtrlFixture.h"

using namespace kestrel;
using namespace kestrel::test;

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
    EXPECT_TRUE(ports.UpdatePort(FullRow(L"COM2")));
    EXPECT_EQ(TickState(list, 1), INDEXTOSTATEIMAGEMASK(2));
    SetItemState(list, 1, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(1));
    EXPECT_EQ(TickState(list, 1), INDEXTOSTATEIMAGEMASK(2));
}
