// The main window while a refresh pass waits for the service.
#include "MainDlgFixture.h"

namespace kestrel::test {

// While a pass waits for the service, messages sent to the window are answered
// and it paints, but nothing posted (a quit, a key) runs inside the request:
// it waits in the queue for the pass to return.
TEST_F(MainDlgTest, AWaitingPassAnswersAndPaintsButRunsNothingPosted) {
    StartBoth();
    ::ShowWindow(window, SW_SHOW);
    test::PumpMessages();
    const HWND list = ::GetDlgItem(window, IDC_PORT_LIST);
    int answered = 0;
    bool repainted = false;
    TickWaitingFor(2000, [&] {
        ::PostMessageW(window, WM_COMMAND, ID_APP_EXIT, 0);
        ::PostMessageW(list, WM_KEYDOWN, VK_END, 0);
        ::InvalidateRect(list, nullptr, TRUE);
        for (int i = 0; i < 8; ++i) {
            answered += Answered(window, WM_NULL) ? 1 : 0;
            ::Sleep(50);
        }
        repainted = !::GetUpdateRect(list, nullptr, FALSE);
    });
    EXPECT_EQ(answered, 8);
    EXPECT_TRUE(repainted);
    MSG msg{};
    EXPECT_TRUE(::PeekMessageW(&msg, window, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(ID_APP_EXIT)) << "still queued";
    EXPECT_TRUE(::PeekMessageW(&msg, list, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
    EXPECT_TRUE(::IsWindow(window));
}

// What other programs and the system send meanwhile is answered there and
// then, and leaves the window and the waiting pass alone: a second start
// restoring the minimised window, a restarted taskbar, changed settings and
// DPI. A command sent meanwhile (here the quit) runs after the pass.
TEST_F(MainDlgTest, MessagesSentDuringAWaitLeaveTheWaitingPassAlone) {
    StartBoth();
    ::ShowWindow(window, SW_SHOW);
    ::ShowWindow(window, SW_MINIMIZE);
    NOTIFYICONDATAW record = TNotifyIcon::MakeRecord(window, nullptr, nullptr, 0);
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &record));
    const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    const HWND list = ::GetDlgItem(window, IDC_PORT_LIST);
    RECT suggested{};
    ::GetWindowRect(window, &suggested);
    std::atomic<int> answered{0};
    TickWaitingFor(3000, [&] {
        ActivateRunningInstance();
        answered += Answered(window, taskbarCreated);
        answered += Answered(window, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"));
        answered += Answered(window, WM_DPICHANGED, MAKEWPARAM(144, 144),
                             reinterpret_cast<LPARAM>(&suggested));
        answered += Answered(list, kDpiChangedAfterParent);
        answered += Answered(window, WM_COMMAND, ID_APP_EXIT);
    });
    EXPECT_EQ(answered, 5);
    EXPECT_FALSE(::IsIconic(window)) << "restored for the second start";
    EXPECT_TRUE(IconShown(window));
    EXPECT_EQ(RowCount(window), 1);
    ASSERT_TRUE(::IsWindow(window));
    EXPECT_EQ(loop.Run(), kQuitExitCode) << "the quit came after the pass";
}

}  // namespace kestrel::test
