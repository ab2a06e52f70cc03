// The main window: hiding and showing, quitting, the timer, the About box,
// the tray icon and its menu, the link state shown, the list's vetoes, and a
// restarted taskbar.
#include "MainDlgFixture.h"

namespace kestrel::test {

TEST_F(MainDlgTest, StartsHiddenWithTitleIconsTrayMenuAndFilledList) {
    StartBoth();
    EXPECT_FALSE(::IsWindowVisible(window)) << "shown only by the start-up code";
    wchar_t text[64] = {};
    ::GetWindowTextW(window, text, 64);
    EXPECT_STREQ(text, texts::kProductName);
    EXPECT_EQ(RowCount(window), 1) << "the first refresh runs before the window is shown";
    EXPECT_TRUE(dlg->Service().DefaultDmsLoaded());
    EXPECT_TRUE(dlg->Service().LogSettingsLoaded());
    EXPECT_TRUE(IconShown(window));
    EXPECT_NE(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_NE(::SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);

    HMENU menu = dlg->Tray().RButtonDownMenu();
    ASSERT_EQ(::GetMenuItemCount(menu), 3);
    const std::pair<const wchar_t*, int> items[] = {
        {texts::kTrayViewPorts, ID_VIEW_COMMPORTS},
        {texts::kTrayNotifications, ID_TRAY_NOTIFICATIONS},
        {texts::kTrayQuit, ID_TRAY_QUIT}};
    for (int i = 0; i < 3; ++i) {
        wchar_t item[32] = {};
        ::GetMenuStringW(menu, i, item, 32, MF_BYPOSITION);
        EXPECT_STREQ(item, items[i].first);
        EXPECT_EQ(::GetMenuItemID(menu, i), static_cast<UINT>(items[i].second));
    }
}

TEST_F(MainDlgTest, CloseAndOkOnlyHide) {
    StartBoth();
    // Any notification code: Enter on "Close" arrives as IDOK from the keyboard.
    for (WPARAM command : {WPARAM{IDCANCEL}, MAKEWPARAM(IDOK, 1)}) {
        ::ShowWindow(window, SW_SHOW);
        ::SendMessageW(window, WM_COMMAND, command, 0);
        EXPECT_FALSE(::IsWindowVisible(window)) << command;
    }
    // The close box: the dialog manager posts IDCANCEL.
    ::ShowWindow(window, SW_SHOW);
    ::SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    test::PumpMessages();
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_TRUE(::IsWindow(window));
    EXPECT_TRUE(IconShown(window));
}

TEST_F(MainDlgTest, ViewCommPortsAndIconDoubleClickShow) {
    StartBoth();
    ::SendMessageW(window, WM_COMMAND, ID_VIEW_COMMPORTS, 0);
    EXPECT_TRUE(::IsWindowVisible(window));
    ::SendMessageW(window, WM_COMMAND, IDCANCEL, 0);

    ::SendMessageW(window, WM_NOTIFYICON, TNotifyIcon::kIconId + 1, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(::IsWindowVisible(window)) << "another icon's message";
    ::SendMessageW(window, WM_NOTIFYICON, TNotifyIcon::kIconId, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(::IsWindowVisible(window));
}

TEST_F(MainDlgTest, TrayQuitEndsTheLoopWithTwo) {
    StartBoth();
    ::PostMessageW(window, WM_COMMAND, ID_TRAY_QUIT, 0);
    EXPECT_EQ(loop.Run(), kQuitExitCode);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_FALSE(IconShown(window));
    EXPECT_FALSE(dlg->Service().IsConnected()) << "the link closes with the window";
}

// An installer's Restart Manager closes the panel as -exitall would; the end
// of a session that was called off, or of a logoff, leaves it running.
TEST_F(MainDlgTest, EndSessionToCloseTheAppEndsTheLoopWithTwo) {
    StartBoth();
    EXPECT_NE(::SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), 0);
    ::SendMessageW(window, WM_ENDSESSION, FALSE, ENDSESSION_CLOSEAPP);
    ::SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_TRUE(::IsWindow(window));
    EXPECT_TRUE(IconShown(window));
    ::SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    EXPECT_FALSE(::IsWindow(window)) << "gone before the message returns";
    EXPECT_FALSE(IconShown(window));
    EXPECT_EQ(loop.Run(), kQuitExitCode);
}

TEST_F(MainDlgTest, OnlyTimerOneRefreshes) {
    StartBoth();
    ASSERT_TRUE(server->Execute("port COM4 label=COM4 serial=SN-4 mode=0 status=0 active=1"));
    // Timer messages arrive only while the loop runs, and it does not run here.
    ::SendMessageW(window, WM_TIMER, 2, 0);
    ::SendMessageW(window, WM_TIMER, 0, 0);
    EXPECT_EQ(RowCount(window), 1);
    ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_EQ(RowCount(window), 2);
}

TEST_F(MainDlgTest, ServiceDownAtStartLeavesTheListEmptyUntilItComes) {
    CreateMainWindow();
    EXPECT_EQ(RowCount(window), 0);
    EXPECT_FALSE(dlg->Service().DefaultDmsLoaded());
    EXPECT_EQ(::GetWindow(window, GW_ENABLEDPOPUP), nullptr) << "no message box";

    StartService();
    ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_EQ(RowCount(window), 1);
    EXPECT_TRUE(dlg->Service().DefaultDmsLoaded());
}

// Title, tooltip, tray icon and the rows' grey say whether the rows are live.
// Only a connect attempt changes that: a request failing inside a working
// link, or another tick without a service, does not. A restarted taskbar gets
// the icon back as it looks in each state. While the service answers, the icon
// warns and the tooltip counts the active ports not connected (COM3, which the
// service's own state comes before).
TEST_F(MainDlgTest, TitleTooltipTrayIconAndGreyRowsFollowTheLink) {
    StartBoth();
    const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    const auto tick = [&] { ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0); };
    const auto shown = [&] {
        return test::WindowText(window) + L" | " + dlg->Tray().Tooltip() +
               (dlg->PortList().ShowsLastKnown() ? L" | grey | " : L" | ") +
               test::TrayLook(dlg->Tray().Icon());
    };
    const auto lastKnown = [](const std::wstring& title, const wchar_t* tip, const wchar_t* look) {
        return title + L" | " + tip + L" | grey | " + look;
    };
    const auto restartedTaskbar = [&] {
        NOTIFYICONDATAW record = TNotifyIcon::MakeRecord(window, nullptr, nullptr, 0);
        ::Shell_NotifyIconW(NIM_DELETE, &record);
        ::SendMessageW(window, taskbarCreated, 0, 0);
        return IconShown(window) ? test::TrayLook(dlg->Tray().Icon()) : L"not added again";
    };
    const std::wstring live = std::wstring(texts::kProductName) + L" | " + texts::kProductName +
                              L"\n1 port not connected | warning";
    EXPECT_EQ(shown(), live);
    EXPECT_EQ(restartedTaskbar(), L"warning");

    ASSERT_TRUE(server->Execute("fault drop on=GetPortCounters count=1"));
    tick();
    EXPECT_EQ(shown(), live);

    server->Stop();
    for (int i = 0; i < 2; ++i) {
        tick();
        EXPECT_EQ(shown(), lastKnown(texts::kTitleServiceNotRunning, texts::kTipServiceNotRunning,
                                     L"greyed"));
    }
    EXPECT_EQ(RowCount(window), 1) << "the rows stay";
    EXPECT_EQ(restartedTaskbar(), L"greyed");

    {
        sim::SimServer stranger(pipeName, sim::SimServerOptions{4, 0, L"S-1-5-21-1-2-3-4242"});
        ASSERT_TRUE(stranger.Start());
        tick();
        EXPECT_EQ(shown(),
                  lastKnown(texts::kTitlePipeNotTrusted, texts::kTipPipeNotTrusted, L"warning"));
        EXPECT_EQ(stranger.TotalRequests(), 0u);
        EXPECT_EQ(restartedTaskbar(), L"warning");
    }

    ASSERT_TRUE(server->Execute("fault version 2.13.7 count=always"));
    StartService();
    tick();
    EXPECT_EQ(shown(), lastKnown(texts::TitleVersionNotSupported(L"2.13.7"),
                                 texts::kTipVersionNotSupported, L"warning"));
    EXPECT_EQ(restartedTaskbar(), L"warning");

    // Another unsupported version is named as soon as it is seen.
    ASSERT_TRUE(server->Execute("clear-faults"));
    ASSERT_TRUE(server->Execute("fault version 3.0.1 count=always"));
    tick();
    EXPECT_EQ(test::WindowText(window), texts::TitleVersionNotSupported(L"3.0.1"));

    ASSERT_TRUE(server->Execute("clear-faults"));
    tick();
    EXPECT_EQ(shown(), live);

    // A service that lets a request lie is not responding until an attempt
    // after the quiet period is answered.
    dlg->Service().SetExchangeBudget(300);
    dlg->Service().SetStallTiming(400, 1000);
    ASSERT_TRUE(server->Execute("fault delay 1000 on=GetPortCounters count=1"));
    tick();
    EXPECT_EQ(shown(), lastKnown(texts::kTitleServiceNotResponding, texts::kTipServiceNotResponding,
                                 L"warning"));
    EXPECT_EQ(restartedTaskbar(), L"warning");
    ::Sleep(500);
    tick();
    EXPECT_EQ(shown(), live);

    ASSERT_TRUE(server->Execute("port COM3 status=0"));
    tick();
    EXPECT_EQ(shown(),
              std::wstring(texts::kProductName) + L" | " + texts::kProductName + L" | plain");
}

// Tab, as the program's loop hands it to the dialog, stops on the list
// between the two buttons, both ways.
TEST_F(MainDlgTest, TabFromTheButtonsReachesThePortList) {
    StartBoth();
    ::ShowWindow(window, SW_SHOW);
    ::SetForegroundWindow(window);
    const auto tabFrom = [&](int id, bool shift) {
        ::SetFocus(::GetDlgItem(window, id));
        BYTE keys[256] = {};
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        ::SetKeyboardState(keys);
        ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_TAB, 0);
        test::PumpMessages(&loop);
        keys[VK_SHIFT] = 0;
        ::SetKeyboardState(keys);
        return ::GetFocus();
    };
    const HWND list = ::GetDlgItem(window, IDC_PORT_LIST);
    EXPECT_EQ(tabFrom(IDC_PREFERENCES, false), list);
    EXPECT_EQ(tabFrom(IDCANCEL, true), list);
}

TEST_F(MainDlgTest, RowsCanBeNeitherSelectedNorTicked) {
    StartBoth();
    HWND list = ::GetDlgItem(window, IDC_PORT_LIST);
    const UINT tick = test::ItemState(list, 0, LVIS_STATEIMAGEMASK);
    EXPECT_EQ(tick, INDEXTOSTATEIMAGEMASK(2)) << "COM3 is active";

    test::SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(test::ItemState(list, 0, LVIS_SELECTED), 0u);

    test::SetItemState(list, 0, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(1));
    EXPECT_EQ(test::ItemState(list, 0, LVIS_STATEIMAGEMASK), tick);

    dlg->PortList().noSelection = false;
    test::SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(test::ItemState(list, 0, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED))
        << "allowed once the option is off";
}

TEST_F(MainDlgTest, RestartedTaskbarGetsTheIconBack) {
    StartBoth();
    const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    NOTIFYICONDATAW record = TNotifyIcon::MakeRecord(window, nullptr, nullptr, 0);
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &record));
    ASSERT_FALSE(IconShown(window));

    ::SendMessageW(window, taskbarCreated, 0, 0);
    EXPECT_TRUE(IconShown(window));
    ::SendMessageW(window, taskbarCreated, 0, 0);
    EXPECT_TRUE(IconShown(window)) << "a second broadcast changes nothing";

    // An icon the taskbar did not take at start comes when a taskbar starts,
    // as the state looks then.
    server->Stop();
    for (int i = 0; i < 2; ++i) ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0);
    dlg->Tray().Destroy();
    ASSERT_FALSE(IconShown(window));
    ::SendMessageW(window, taskbarCreated, 0, 0);
    EXPECT_TRUE(IconShown(window));
    EXPECT_EQ(test::TrayLook(dlg->Tray().Icon()), L"greyed");
    EXPECT_EQ(std::wstring(dlg->Tray().Tooltip()), texts::kTipServiceNotRunning);

    ::SendMessageW(window, WM_COMMAND, ID_APP_EXIT, 0);
    EXPECT_FALSE(IconShown(window));
}

TEST_F(MainDlgTest, AboutOpensOnlyForItsExactSystemCommand) {
    StartBoth();
    HMENU systemMenu = ::GetSystemMenu(window, FALSE);
    const int count = ::GetMenuItemCount(systemMenu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(::GetMenuItemID(systemMenu, count - 1), static_cast<UINT>(ID_APP_ABOUT));
    EXPECT_EQ(::GetMenuState(systemMenu, count - 2, MF_BYPOSITION) & MF_SEPARATOR,
              static_cast<UINT>(MF_SEPARATOR));

    ::ShowWindow(window, SW_SHOW);
    ::SetForegroundWindow(window);
    // Read inside the About box's modal loop, and closed with Escape.
    bool seen = false;
    std::wstring text;
    HWND owner = nullptr;
    test::DriveDialog(
        texts::kAboutCaption,
        [&](HWND about) {
            seen = true;
            text = test::Text(about, IDC_ABOUT_TEXT);
            owner = ::GetWindow(about, GW_OWNER);
            ::PostMessageW(about, WM_COMMAND, IDCANCEL, 0);
        },
        [&] {
            ::SendMessageW(window, WM_SYSCOMMAND, ID_APP_ABOUT + 1, 0);
            EXPECT_FALSE(seen);
            ::SendMessageW(window, WM_SYSCOMMAND, ID_APP_ABOUT, 0);
            return INT_PTR{0};
        });
    test::StopDriving();
    ASSERT_TRUE(seen);
    EXPECT_EQ(owner, window) << "owned by the active window";
    // Product, blank, version (the configured one, two digits a part), blank,
    // notice, blank, company.
    wchar_t version[32] = {};
    std::swprintf(version, 32, L"Version %02d.%02d.%02d", KESTREL_VERSION_MAJOR,
                  KESTREL_VERSION_MINOR, KESTREL_VERSION_PATCH);
    EXPECT_EQ(text, std::wstring(texts::kProductName) + L"\n\n" + version + L"\n\n" +
                        texts::kAboutNotice + L"\n\n" + texts::kCompanyName);
}

}  // namespace kestrel::test
