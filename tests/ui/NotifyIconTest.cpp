// The notification-area icon on real windows: the record it adds, the hidden
// window it makes when it has no owner, the routing of the callback message,
// and where its menus open.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "TNotifyIcon.h"
#include "TrayProbe.h"

namespace kestrel {
namespace {

constexpr UINT kCallback = WM_APP + 1;

HICON AppIcon() { return LoadIconW(nullptr, IDI_APPLICATION); }

using test::IconShown;

class OwnerWindow {
public:
    OwnerWindow()
        : window_(CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {}
    ~OwnerWindow() { DestroyWindow(window_); }
    HWND get() const { return window_; }

private:
    HWND window_;
};

class RecordingIcon : public TNotifyIcon {
public:
    void OnLButtonDown(POINT) override { events.push_back("ldown"); }
    void OnLButtonDblClk(POINT) override { events.push_back("ldblclk"); }
    void OnRButtonDown(POINT) override { events.push_back("rdown"); }
    void OnRButtonDblClk(POINT) override { events.push_back("rdblclk"); }
    std::vector<std::string> events;
};

TEST(NotifyIconRecord, FirstVersionSizeFlagsAndId) {
    EXPECT_EQ(kNotifyIconRecordSize, offsetof(NOTIFYICONDATAW, szTip) + 64 * sizeof(WCHAR));
    EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAW_V1_SIZE), kNotifyIconRecordSize);

    HWND window = reinterpret_cast<HWND>(0x1234);
    NOTIFYICONDATAW withTip = TNotifyIcon::MakeRecord(window, AppIcon(), L"tip", kCallback);
    EXPECT_EQ(withTip.cbSize, kNotifyIconRecordSize);
    EXPECT_EQ(withTip.hWnd, window);
    EXPECT_EQ(withTip.uID, 0x42424242u);
    EXPECT_EQ(withTip.uFlags, 7u);
    EXPECT_EQ(withTip.uCallbackMessage, kCallback);
    EXPECT_STREQ(withTip.szTip, L"tip");

    NOTIFYICONDATAW noTip = TNotifyIcon::MakeRecord(window, AppIcon(), nullptr, kCallback);
    EXPECT_EQ(noTip.uFlags, 3u);
    EXPECT_EQ(noTip.szTip[0], L'\0');
}

TEST(NotifyIconRecord, TooltipMustLeaveRoomForItsTerminator) {
    const std::wstring tip63(63, L'x');
    const std::wstring tip64(64, L'x');
    EXPECT_TRUE(TNotifyIcon::Accepts(AppIcon(), tip63.c_str()));
    EXPECT_FALSE(TNotifyIcon::Accepts(AppIcon(), tip64.c_str()));
    EXPECT_TRUE(TNotifyIcon::Accepts(AppIcon(), nullptr));
    EXPECT_FALSE(TNotifyIcon::Accepts(nullptr, L"tip"));
    EXPECT_EQ(TNotifyIcon::MakeRecord(nullptr, AppIcon(), tip63.c_str(), kCallback).szTip, tip63);
}

TEST(NotifyIcon, AddsAndRemovesTheIconOfItsOwner) {
    OwnerWindow owner;
    TNotifyIcon icon;
    const std::wstring tip63(63, L't');
    ASSERT_TRUE(icon.Create(AppIcon(), tip63.c_str(), kCallback, owner.get(), nullptr));
    EXPECT_EQ(icon.IconWindow(), owner.get());
    EXPECT_TRUE(IconShown(owner.get()));

    icon.Destroy();
    EXPECT_FALSE(IconShown(owner.get()));
    EXPECT_EQ(icon.IconWindow(), nullptr);
    icon.Destroy();
    EXPECT_TRUE(IsWindow(owner.get())) << "the owner's window is not the icon's to destroy";

    ASSERT_TRUE(icon.Create(AppIcon(), nullptr, kCallback, owner.get(), nullptr)) << "may be added again";
    EXPECT_TRUE(IconShown(owner.get()));
}

TEST(NotifyIcon, RefusesAnOverlongTooltipOrAMissingIcon) {
    OwnerWindow owner;
    TNotifyIcon icon;
    const std::wstring tip64(64, L't');
    EXPECT_FALSE(icon.Create(AppIcon(), tip64.c_str(), kCallback, owner.get(), nullptr));
    EXPECT_FALSE(icon.Create(nullptr, L"tip", kCallback, owner.get(), nullptr));
    EXPECT_EQ(icon.IconWindow(), nullptr);
    EXPECT_FALSE(IconShown(owner.get()));
}

TEST(NotifyIcon, AddAgainRestoresAnIconTheTaskbarLost) {
    OwnerWindow owner;
    TNotifyIcon icon;
    EXPECT_FALSE(icon.AddAgain()) << "nothing to restore before Create";
    ASSERT_TRUE(icon.Create(AppIcon(), L"tip", kCallback, owner.get(), nullptr));

    // What a restarted taskbar amounts to: the icon is gone without Destroy.
    NOTIFYICONDATAW record = TNotifyIcon::MakeRecord(owner.get(), nullptr, nullptr, 0);
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &record));
    EXPECT_TRUE(icon.AddAgain());
    EXPECT_TRUE(IconShown(owner.get()));

    icon.Destroy();
    EXPECT_FALSE(icon.AddAgain());
    EXPECT_FALSE(IconShown(owner.get()));
}

TEST(NotifyIcon, DestructorRemovesTheIcon) {
    OwnerWindow owner;
    auto* icon = new TNotifyIcon;
    ASSERT_TRUE(icon->AppendRButtonDownMenuItem(1, L"item"));
    ASSERT_TRUE(icon->Create(AppIcon(), L"tip", kCallback, owner.get(), nullptr));
    HMENU menu = icon->RButtonDownMenu();
    delete icon;
    EXPECT_FALSE(IconShown(owner.get()));
    EXPECT_FALSE(IsMenu(menu));
}

TEST(NotifyIcon, WithoutOwnerMakesOneHiddenWindowPerProcess) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    TNotifyIcon first;
    ASSERT_TRUE(first.Create(AppIcon(), L"tip", kCallback, nullptr, module));
    HWND hidden = first.IconWindow();
    ASSERT_TRUE(IsWindow(hidden));
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_EQ(GetParent(hidden), nullptr);
    wchar_t text[64] = {};
    GetClassNameW(hidden, text, 64);
    EXPECT_STREQ(text, L"TNotifyIconWndClass");
    GetWindowTextW(hidden, text, 64);
    EXPECT_STREQ(text, L"TNotifyIcon Hidden Window");
    EXPECT_TRUE(IconShown(hidden));

    TNotifyIcon second;
    EXPECT_FALSE(second.Create(AppIcon(), L"tip", kCallback, nullptr, module));
    EXPECT_EQ(second.IconWindow(), nullptr);

    first.Destroy();
    EXPECT_FALSE(IsWindow(hidden));
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    EXPECT_FALSE(GetClassInfoExW(module, L"TNotifyIconWndClass", &info)) << "class unregistered";
    EXPECT_TRUE(second.Create(AppIcon(), L"tip", kCallback, nullptr, module));
}

TEST(NotifyIcon, HiddenWindowTurnsTheCallbackIntoHandlers) {
    RecordingIcon icon;
    ASSERT_TRUE(icon.Create(AppIcon(), nullptr, kCallback, nullptr, GetModuleHandleW(nullptr)));
    HWND hidden = icon.IconWindow();

    SendMessageW(hidden, kCallback, TNotifyIcon::kIconId, WM_LBUTTONDOWN);
    SendMessageW(hidden, kCallback, TNotifyIcon::kIconId, WM_LBUTTONDBLCLK);
    SendMessageW(hidden, kCallback, TNotifyIcon::kIconId, WM_RBUTTONDOWN);
    SendMessageW(hidden, kCallback, TNotifyIcon::kIconId, WM_RBUTTONDBLCLK);
    SendMessageW(hidden, kCallback, TNotifyIcon::kIconId, WM_LBUTTONUP);
    SendMessageW(hidden, kCallback, TNotifyIcon::kIconId, WM_MOUSEMOVE);
    SendMessageW(hidden, kCallback, TNotifyIcon::kIconId + 1, WM_LBUTTONDOWN);
    SendMessageW(hidden, kCallback + 1, TNotifyIcon::kIconId, WM_LBUTTONDOWN);
    EXPECT_EQ(icon.events, (std::vector<std::string>{"ldown", "ldblclk", "rdown", "rdblclk"}));
}

TEST(NotifyIcon, AnotherIconsMessageIsNotHandled) {
    RecordingIcon icon;
    bool handled = true;
    icon.OnNotifyIconMessage(kCallback, TNotifyIcon::kIconId + 1, WM_LBUTTONDBLCLK, handled);
    EXPECT_FALSE(handled);
    handled = true;
    icon.OnNotifyIconMessage(kCallback, TNotifyIcon::kIconId, WM_LBUTTONUP, handled);
    EXPECT_TRUE(handled);
    EXPECT_TRUE(icon.events.empty());
}

TEST(NotifyIconMenu, ItemsKeepTheirOrder) {
    TNotifyIcon icon;
    ASSERT_TRUE(icon.AppendRButtonDownMenuItem(32772, L"&View Comm Ports"));
    ASSERT_TRUE(icon.AppendRButtonDownMenuItem(32773, L"&Quit"));
    HMENU menu = icon.RButtonDownMenu();
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    EXPECT_EQ(GetMenuItemID(menu, 0), 32772u);
    EXPECT_EQ(GetMenuItemID(menu, 1), 32773u);
    wchar_t text[32] = {};
    GetMenuStringW(menu, 1, text, 32, MF_BYPOSITION);
    EXPECT_STREQ(text, L"&Quit");
}

// Runs inside the menu's modal loop: notes where the menu window is and closes it.
RECT g_menuRect;
bool g_menuSeen;
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (menu && IsWindowVisible(menu)) {
        g_menuSeen = true;
        GetWindowRect(menu, &g_menuRect);
    }
    EndMenu();
}

// Opens the menu at the point and returns where it appeared (empty when none did).
RECT TrackAndMeasure(TNotifyIcon& icon, bool right, POINT point) {
    g_menuSeen = false;
    g_menuRect = RECT{};
    UINT_PTR timer = SetTimer(nullptr, 0, 100, CloseMenu);
    if (right) {
        icon.TrackRButtonDownMenu(point);
    } else {
        icon.TrackLButtonDownMenu(point);
    }
    KillTimer(nullptr, timer);
    return g_menuSeen ? g_menuRect : RECT{};
}

TEST(NotifyIconMenu, RightMenusOpenAboveLeftOfTheCursorLeftMenusCentred) {
    OwnerWindow owner;
    TNotifyIcon icon;
    ASSERT_TRUE(icon.AppendRButtonDownMenuItem(1, L"&View Comm Ports"));
    ASSERT_TRUE(icon.AppendLButtonDownMenuItem(2, L"&View Comm Ports"));
    ASSERT_TRUE(icon.Create(AppIcon(), L"tip", kCallback, owner.get(), nullptr));
    const POINT point{500, 400};

    const RECT right = TrackAndMeasure(icon, true, point);
    EXPECT_EQ(right.right, point.x);
    EXPECT_EQ(right.bottom, point.y);

    const RECT left = TrackAndMeasure(icon, false, point);
    EXPECT_LE(std::abs((left.left + left.right) / 2 - point.x), 1);
    EXPECT_EQ(left.top, point.y);
}

TEST(NotifyIconMenu, NothingOpensWithoutWindowOrMenu) {
    OwnerWindow owner;
    TNotifyIcon icon;
    ASSERT_TRUE(icon.Create(AppIcon(), L"tip", kCallback, owner.get(), nullptr));
    RECT none = TrackAndMeasure(icon, true, POINT{500, 400});
    EXPECT_TRUE(IsRectEmpty(&none)) << "empty right-button menu";

    ASSERT_TRUE(icon.AppendRButtonDownMenuItem(1, L"item"));
    icon.Destroy();
    none = TrackAndMeasure(icon, true, POINT{500, 400});
    EXPECT_TRUE(IsRectEmpty(&none)) << "no window after Destroy";
}

TEST(NotifyIconMenu, ClampToWorkAreaMovesOnlyPointsOffEveryMonitor) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info));
    const RECT work = info.rcWork;
    EXPECT_EQ(TNotifyIcon::ClampToWorkArea(work.left + 10, work.top + 10), work.left + 10);
    EXPECT_EQ(TNotifyIcon::ClampToWorkArea(work.left - 5000, work.top + 10), work.left);
    EXPECT_EQ(TNotifyIcon::ClampToWorkArea(work.right + 5000, work.top + 10), work.right);
    // Below the monitor: x is inside the work area's span and stays.
    EXPECT_EQ(TNotifyIcon::ClampToWorkArea(work.left + 20, work.bottom + 5000), work.left + 20);

    const RECT area{100, 0, 900, 700};
    EXPECT_EQ(TNotifyIcon::ClampToRange(99, area), 100);
    EXPECT_EQ(TNotifyIcon::ClampToRange(100, area), 100);
    EXPECT_EQ(TNotifyIcon::ClampToRange(900, area), 900);
    EXPECT_EQ(TNotifyIcon::ClampToRange(901, area), 900);
    EXPECT_EQ(TNotifyIcon::ClampToRange(-7, area), 100);
}

}  // namespace
}  // namespace kestrel
