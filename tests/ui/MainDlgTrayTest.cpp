// The main window in the notification area: the icon's warning and tooltip
// for active ports not connected, and the balloons that tell of a port or the
// service lost or back, read from the notification area as the user sees them.
#include "MainDlgFixture.h"

namespace kestrel::test {

namespace {

const DWORD kOff = 0;
const DWORD kOn = 1;
constexpr DWORD kBalloonMs = 5000;

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); }

}  // namespace

// Serial and inactive ports do not count, and the service's own state comes first.
TEST_F(MainDlgTest, TrayIconWarnsAndCountsActivePortsNotConnected) {
    StartBoth();
    const auto look = [&] {
        return std::wstring(dlg->Tooltip()) + L" | " + test::TrayLook(dlg->Icon());
    };
    const std::wstring title = texts::kProductName;
    EXPECT_EQ(look(), title + L"\n1 port not connected | warning");
    for (const char* port : {"port COM4 label=COM4 mode=2 status=2 active=1",
                             "port COM5 label=COM5 mode=1 status=1 active=1",
                             "port COM6 label=COM6 mode=0 status=1 active=0",
                             "port COM7 label=COM7 mode=0 status=0 active=1"})
        ASSERT_TRUE(server->Execute(port));
    Tick();
    EXPECT_EQ(look(), title + L"\n2 ports not connected | warning");

    StopService();
    EXPECT_EQ(look(), std::wstring(texts::kTipServiceNotRunning) + L" | greyed");
    StartService();
    ASSERT_TRUE(server->Execute("port COM3 status=0"));
    ASSERT_TRUE(server->Execute("port COM4 status=0"));
    Tick();
    EXPECT_EQ(look(), title + L" | plain");
}

TEST_F(MainDlgTest, BalloonsTellADropAReturnAndTheServiceButNotTheStart) {
    StartBoth();
    Tick();
    EXPECT_FALSE(test::BalloonShows(L"COM3: Not connected", 3000)) << "so at start-up";
    dlg->SetNoticeInterval(0);
    ASSERT_TRUE(server->Execute("port COM3 label=\"Analyzer 3\" status=0"));
    Tick();
    EXPECT_TRUE(test::BalloonShows(L"COM3 (Analyzer 3): Connected", kBalloonMs));
    ASSERT_TRUE(server->Execute("port COM3 status=2"));
    Tick();
    EXPECT_TRUE(test::BalloonShows(L"COM3 (Analyzer 3): Not available", kBalloonMs));

    StopService();
    EXPECT_TRUE(test::BalloonShows(L"Service not running", kBalloonMs));
    StartService();
    Tick();
    EXPECT_TRUE(test::BalloonShows(L"Service running", kBalloonMs));
}

// Three ports lost in one pass make one balloon; what changes within the
// interval waits for the next, as it stands then. A click on the balloon
// shows the window with the first port it named in focus.
TEST_F(MainDlgTest, OneBalloonAPassAndAtMostOneAnInterval) {
    for (const char* port : {"port COM3 status=0", "port COM4 label=COM4 mode=0 status=0 active=1",
                             "port COM5 label=COM5 mode=0 status=0 active=1"})
        ASSERT_TRUE(server->Execute(port));
    StartBoth();
    dlg->SetNoticeInterval(4000);
    for (const char* port : {"port COM3 status=1", "port COM4 status=1", "port COM5 status=1"})
        ASSERT_TRUE(server->Execute(port));
    Tick();
    const std::wstring three = L"COM3: Not connected\nCOM4: Not connected\nCOM5: Not connected";
    EXPECT_TRUE(test::BalloonShows(three, kBalloonMs));

    ASSERT_TRUE(server->Execute("port COM3 status=0"));
    Tick();
    ASSERT_TRUE(server->Execute("port COM3 status=1"));
    ASSERT_TRUE(server->Execute("port COM4 status=0"));
    Tick();
    ::Sleep(2500);
    EXPECT_TRUE(test::BalloonShows(three, 0)) << "none asked for meanwhile";
    Tick();
    EXPECT_TRUE(test::BalloonShows(L"COM4: Connected", kBalloonMs)) << "COM3 dropped and came back";

    ::SendMessageW(window, WM_NOTIFYICON, TNotifyIcon::kIconId, NIN_BALLOONUSERCLICK);
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(::SendMessageW(::GetDlgItem(window, IDC_PORT_LIST), LVM_GETNEXTITEM,
                             static_cast<WPARAM>(-1), LVNI_FOCUSED),
              1)
        << "COM4's row";
}

// A change the user could not be shown is not told later: with a long
// interval, a balloon for it would hold back the last one.
TEST_F(MainDlgTest, NoBalloonWhileTheWindowIsInFrontOrBalloonsAreOff) {
    for (const char* port : {"port COM3 status=0", "port COM4 label=COM4 mode=0 status=0 active=1",
                             "port COM5 label=COM5 mode=0 status=0 active=1",
                             "port COM6 label=COM6 mode=0 status=0 active=1"})
        ASSERT_TRUE(server->Execute(port));
    StartBoth();
    dlg->SetNoticeInterval(60000);
    const auto drop = [&](const std::string& port) {
        ASSERT_TRUE(server->Execute("port " + port + " status=1"));
        Tick();
    };
    ::ShowWindow(window, SW_SHOW);
    ::SetForegroundWindow(window);
    drop("COM3");
    ::ShowWindow(window, SW_HIDE);
    SetNotifications(HKEY_CURRENT_USER, &kOff);
    drop("COM4");
    SetNotifications(HKEY_CURRENT_USER, &kOn);
    SetNotifications(HKEY_LOCAL_MACHINE, &kOff);
    drop("COM5");
    SetNotifications(HKEY_CURRENT_USER, &kOff);
    SetNotifications(HKEY_LOCAL_MACHINE, &kOn);
    drop("COM6");
    EXPECT_TRUE(test::BalloonShows(L"COM6: Not connected", kBalloonMs))
        << "the policy overrides the user's choice";
}

// The tray menu's item turns balloons off and on for the user, and shows
// checked or not and greyed what a policy decides.
TEST_F(MainDlgTest, NotificationsItemSwitchesTheUsersChoiceUnlessAPolicyDecides) {
    StartBoth();
    const auto item = [&] {
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, CloseMenu);
        dlg->TrackRButtonDownMenu(POINT{500, 400});
        ::KillTimer(nullptr, timer);
        return ::GetMenuState(dlg->RButtonDownMenu(), ID_TRAY_NOTIFICATIONS, MF_BYCOMMAND) &
               (MF_CHECKED | MF_GRAYED);
    };
    const auto userChoice = [] {
        DWORD value = 2;
        DWORD bytes = sizeof(value);
        ::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Norvane\\Kestrel Control Panel",
                       L"Notifications", RRF_RT_REG_DWORD, nullptr, &value, &bytes);
        return value;
    };
    const auto choose = [&] { ::SendMessageW(window, WM_COMMAND, ID_TRAY_NOTIFICATIONS, 0); };
    EXPECT_EQ(item(), static_cast<UINT>(MF_CHECKED)) << "on while nothing is stored";
    choose();
    EXPECT_EQ(userChoice(), 0u);
    EXPECT_EQ(item(), 0u);
    choose();
    EXPECT_EQ(userChoice(), 1u);

    SetNotifications(HKEY_LOCAL_MACHINE, &kOff);
    EXPECT_EQ(item(), static_cast<UINT>(MF_GRAYED));
    choose();
    EXPECT_EQ(userChoice(), 1u) << "the policy's to decide";
    SetNotifications(HKEY_LOCAL_MACHINE, &kOn);
    SetNotifications(HKEY_CURRENT_USER, &kOff);
    EXPECT_EQ(item(), static_cast<UINT>(MF_CHECKED | MF_GRAYED));
}

}  // namespace kestrel::test
