// The main window's balloons, which tell of a port or the service lost or
// back, read from the notification area as the user sees them.
#include "MainDlgFixture.h"

namespace kestrel::test {

namespace {

const DWORD kOff = 0;
const DWORD kOn = 1;
constexpr DWORD kBalloonMs = 5000;

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); }

}  // namespace

class MainDlgTrayTest : public MainDlgTest {
protected:
    // Ports the simulator gives this status: a port made here is active, with
    // its name as its label.
    void SetStatus(std::initializer_list<const char*> ports, int status) {
        for (const char* port : ports)
            ASSERT_TRUE(server->Execute(std::string("port ") + port + " label=" + port +
                                        " mode=0 active=1 status=" + std::to_string(status)));
    }
};

TEST_F(MainDlgTrayTest, BalloonsTellTheServiceStoppingAndBackButNotTheStart) {
    StartBoth();
    Tick();
    EXPECT_FALSE(test::BalloonShows(L"COM3: Not connected", 3000)) << "so at start-up";
    dlg->SetNoticeInterval(0);
    StopService();
    EXPECT_TRUE(test::BalloonShows(L"Service not running", kBalloonMs));
    StartService();
    Tick();
    EXPECT_TRUE(test::BalloonShows(L"Service running", kBalloonMs));
}

// Three ports lost in one pass make one balloon; what changes within the
// interval waits for the next, as it stands then. A click on the balloon
// shows the window with the first port it named in focus.
TEST_F(MainDlgTrayTest, OneBalloonAPassAndAtMostOneAnInterval) {
    SetStatus({"COM3", "COM4", "COM5"}, 0);
    StartBoth();
    dlg->SetNoticeInterval(4000);
    SetStatus({"COM3", "COM4", "COM5"}, 1);
    Tick();
    const std::wstring three = L"COM3: Not connected\nCOM4: Not connected\nCOM5: Not connected";
    EXPECT_TRUE(test::BalloonShows(three, kBalloonMs));

    SetStatus({"COM3"}, 0);
    Tick();
    SetStatus({"COM3"}, 1);
    SetStatus({"COM4"}, 0);
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
TEST_F(MainDlgTrayTest, NoBalloonWhileTheWindowIsInFrontOrBalloonsAreOff) {
    SetStatus({"COM3", "COM4", "COM5", "COM6"}, 0);
    StartBoth();
    dlg->SetNoticeInterval(60000);
    ::ShowWindow(window, SW_SHOW);
    ::SetForegroundWindow(window);
    SetStatus({"COM3"}, 1);
    Tick();
    ::ShowWindow(window, SW_HIDE);
    SetNotifications(HKEY_CURRENT_USER, &kOff);
    SetStatus({"COM4"}, 1);
    Tick();
    SetNotifications(HKEY_CURRENT_USER, &kOn);
    SetNotifications(HKEY_LOCAL_MACHINE, &kOff);
    SetStatus({"COM5"}, 1);
    Tick();
    SetNotifications(HKEY_CURRENT_USER, &kOff);
    SetNotifications(HKEY_LOCAL_MACHINE, &kOn);
    SetStatus({"COM6"}, 1);
    Tick();
    EXPECT_TRUE(test::BalloonShows(L"COM6: Not connected", kBalloonMs))
        << "the policy overrides the user's choice";
}

// The tray menu's item switches the user's choice, and shows checked or not
// and greyed what a policy decides.
TEST_F(MainDlgTrayTest, NotificationsItemSwitchesTheUsersChoiceUnlessAPolicyDecides) {
    StartBoth();
    const auto item = [&] {
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, CloseMenu);
        ::SendMessageW(window, WM_NOTIFYICON, TNotifyIcon::kIconId, WM_RBUTTONDOWN);
        ::KillTimer(nullptr, timer);
        return ::GetMenuState(dlg->Tray().RButtonDownMenu(), ID_TRAY_NOTIFICATIONS, MF_BYCOMMAND) &
               (MF_CHECKED | MF_GRAYED);
    };
    EXPECT_EQ(item(), static_cast<UINT>(MF_CHECKED));
    ::SendMessageW(window, WM_COMMAND, ID_TRAY_NOTIFICATIONS, 0);
    EXPECT_EQ(item(), 0u);
    SetNotifications(HKEY_LOCAL_MACHINE, &kOn);
    ::SendMessageW(window, WM_COMMAND, ID_TRAY_NOTIFICATIONS, 0);
    EXPECT_EQ(item(), static_cast<UINT>(MF_CHECKED | MF_GRAYED));
    SetNotifications(HKEY_LOCAL_MACHINE, nullptr);
    EXPECT_EQ(item(), 0u) << "the user's choice was left alone";
}

}  // namespace kestrel::test
