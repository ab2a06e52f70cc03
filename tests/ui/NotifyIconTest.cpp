// The notification-area icon on real windows: the record it adds, the routing
// of the callback message, and where its menu opens.
#include <gtest/gtest.h>

#include <windows.h>

#include "TNotifyIcon.h"
#include "TrayProbe.h"

namespace kestrel {
namespace {

using test::IconShown;

constexpr UINT kCallback = WM_APP + 1;

HICON AppIcon() { return ::LoadIconW(nullptr, IDI_APPLICATION); }

class OwnerWindow {
public:
    OwnerWindow()
        : window(::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                   nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr)) {}
    ~OwnerWindow() { ::DestroyWindow(window); }
    const HWND window;
};

TEST(NotifyIconRecord, SecondVersionSizeFlagsIdAndTooltipLimit) {
    EXPECT_EQ(kNotifyIconRecordSize, offsetof(NOTIFYICONDATAW, dwInfoFlags) + sizeof(DWORD));

    const auto window = reinterpret_cast<HWND>(0x1234);
    const std::wstring tip127(127, L'x');
    const NOTIFYICONDATAW withTip =
        TNotifyIcon::MakeRecord(window, AppIcon(), tip127.c_str(), kCallback);
    EXPECT_EQ(withTip.cbSize, kNotifyIconRecordSize);
    EXPECT_EQ(withTip.hWnd, window);
    EXPECT_EQ(withTip.uID, 0x42424242u);
    EXPECT_EQ(withTip.uFlags, 7u);
    EXPECT_EQ(withTip.uCallbackMessage, kCallback);
    EXPECT_EQ(withTip.szTip, tip127);
    EXPECT_EQ(TNotifyIcon::MakeRecord(window, AppIcon(), nullptr, kCallback).uFlags, 3u);

    EXPECT_TRUE(TNotifyIcon::Accepts(AppIcon(), tip127.c_str()));
    EXPECT_FALSE(TNotifyIcon::Accepts(AppIcon(), std::wstring(128, L'x').c_str()));
    EXPECT_TRUE(TNotifyIcon::Accepts(AppIcon(), nullptr));
    EXPECT_FALSE(TNotifyIcon::Accepts(nullptr, L"tip"));
}

TEST(NotifyIcon, AddsRemovesAndRefusesOnTheOwnersWindow) {
    OwnerWindow owner;
    TNotifyIcon icon;
    EXPECT_FALSE(icon.Create(AppIcon(), std::wstring(128, L't').c_str(), kCallback, owner.window));
    EXPECT_FALSE(icon.Create(nullptr, L"tip", kCallback, owner.window));
    EXPECT_FALSE(icon.Create(AppIcon(), L"tip", kCallback, nullptr)) << "no owner";
    EXPECT_EQ(icon.IconWindow(), nullptr);
    EXPECT_FALSE(IconShown(owner.window));

    ASSERT_TRUE(icon.Create(AppIcon(), std::wstring(127, L't').c_str(), kCallback, owner.window));
    EXPECT_EQ(icon.IconWindow(), owner.window);
    EXPECT_TRUE(IconShown(owner.window));

    icon.Destroy();
    EXPECT_FALSE(IconShown(owner.window));
    icon.Destroy();
    EXPECT_TRUE(::IsWindow(owner.window)) << "the owner's window is not the icon's to destroy";
    ASSERT_TRUE(icon.Create(AppIcon(), nullptr, kCallback, owner.window)) << "added again";
    EXPECT_TRUE(IconShown(owner.window));
}

// The look a restarted taskbar gets back is the last one the icon took.
TEST(NotifyIcon, AddAgainRestoresAnIconTheTaskbarLostAsItLastLooked) {
    OwnerWindow owner;
    TNotifyIcon icon;
    const HICON warning = ::LoadIconW(nullptr, IDI_WARNING);
    EXPECT_FALSE(icon.AddAgain()) << "nothing to restore before Create";
    EXPECT_FALSE(icon.Modify(warning, L"tip")) << "nothing to modify before Create";
    ASSERT_TRUE(icon.Create(AppIcon(), L"tip", kCallback, owner.window));
    EXPECT_FALSE(icon.Modify(nullptr, L"no icon"));
    EXPECT_FALSE(icon.Modify(warning, std::wstring(128, L'x').c_str()));
    ASSERT_TRUE(icon.Modify(warning, L"warned"));

    // What a restarted taskbar amounts to: the icon is gone without Destroy.
    NOTIFYICONDATAW record = TNotifyIcon::MakeRecord(owner.window, nullptr, nullptr, 0);
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &record));
    EXPECT_TRUE(icon.AddAgain());
    EXPECT_TRUE(IconShown(owner.window));
    EXPECT_EQ(icon.Icon(), warning);
    EXPECT_STREQ(icon.Tooltip(), L"warned");

    icon.Destroy();
    EXPECT_FALSE(icon.AddAgain());
    EXPECT_FALSE(IconShown(owner.window));
}

TEST(NotifyIcon, DestructorRemovesIconAndMenus) {
    OwnerWindow owner;
    auto* icon = new TNotifyIcon;
    ASSERT_TRUE(icon->AppendRButtonDownMenuItem(1, L"item"));
    ASSERT_TRUE(icon->Create(AppIcon(), L"tip", kCallback, owner.window));
    HMENU menu = icon->RButtonDownMenu();
    delete icon;
    EXPECT_FALSE(IconShown(owner.window));
    EXPECT_FALSE(::IsMenu(menu));
}

// Runs inside the menu's modal loop: notes where the menu window is and closes it.
RECT g_menuRect;
void CALLBACK MeasureAndCloseMenu(HWND, UINT, UINT_PTR, DWORD) {
    HWND menu = ::FindWindowW(L"#32768", nullptr);
    if (menu && ::IsWindowVisible(menu)) ::GetWindowRect(menu, &g_menuRect);
    ::EndMenu();
}

// Where a menu appeared while show ran; empty when none did.
template <typename Show>
RECT MeasureMenu(Show show) {
    g_menuRect = RECT{};
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, MeasureAndCloseMenu);
    show();
    ::KillTimer(nullptr, timer);
    return g_menuRect;
}

TEST(NotifyIcon, CallbackOfThisIconNamesItsEvent) {
    const TNotifyIcon icon;
    const WPARAM id = TNotifyIcon::kIconId;
    EXPECT_EQ(icon.EventOf(id, WM_LBUTTONDBLCLK), TrayEvent::DoubleClick);
    EXPECT_EQ(icon.EventOf(id, WM_RBUTTONDOWN), TrayEvent::RightButton);
    EXPECT_EQ(icon.EventOf(id, NIN_BALLOONUSERCLICK), TrayEvent::BalloonClick);
    for (LPARAM event : {WM_LBUTTONDOWN, WM_RBUTTONDBLCLK, WM_LBUTTONUP, WM_MOUSEMOVE})
        EXPECT_EQ(icon.EventOf(id, event), TrayEvent::None) << event;
    EXPECT_EQ(icon.EventOf(id + 1, WM_LBUTTONDBLCLK), TrayEvent::OtherIcon);
}

TEST(NotifyIconMenu, RightButtonMenuEndsAtTheCursor) {
    OwnerWindow owner;
    TNotifyIcon icon;
    ASSERT_TRUE(icon.Create(AppIcon(), L"tip", kCallback, owner.window));
    const POINT point{500, 400};
    const auto track = [&] { icon.TrackRButtonDownMenu(point); };
    RECT rect = MeasureMenu(track);
    EXPECT_TRUE(::IsRectEmpty(&rect)) << "the right-button menu is still empty";

    ASSERT_TRUE(icon.AppendRButtonDownMenuItem(1, L"&View Comm Ports"));
    rect = MeasureMenu(track);
    EXPECT_EQ(rect.right, point.x);
    EXPECT_EQ(rect.bottom, point.y);

    icon.Destroy();
    rect = MeasureMenu(track);
    EXPECT_TRUE(::IsRectEmpty(&rect)) << "no window after Destroy";
}

TEST(NotifyIconMenu, ClampToWorkAreaMovesOnlyPointsOffEveryMonitor) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(
        ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info));
    const RECT work = info.rcWork;
    EXPECT_EQ(TNotifyIcon::ClampToWorkArea(work.left + 10, work.top + 10), work.left + 10);
    EXPECT_EQ(TNotifyIcon::ClampToWorkArea(work.left - 5000, work.top + 10), work.left);
    EXPECT_EQ(TNotifyIcon::ClampToWorkArea(work.right + 5000, work.top + 10), work.right);
    EXPECT_EQ(TNotifyIcon::ClampToWorkArea(work.left + 20, work.bottom + 5000), work.left + 20);

    const RECT area{100, 0, 900, 700};
    EXPECT_EQ(TNotifyIcon::ClampToRange(99, area), 100);
    EXPECT_EQ(TNotifyIcon::ClampToRange(100, area), 100);
    EXPECT_EQ(TNotifyIcon::ClampToRange(900, area), 900);
    EXPECT_EQ(TNotifyIcon::ClampToRange(901, area), 900);
}

}  // namespace
}  // namespace kestrel
