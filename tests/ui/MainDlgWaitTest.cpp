// The main window while a refresh pass waits for the service, and the wait
// itself.
#include "MainDlgFixture.h"

#include "Eventually.h"

namespace kestrel::test {
namespace {

constexpr UINT kRunLoop = WM_APP;
int busyPaints = 0;
int commandsInLoop = 0;

// A window of the test's thread that wants painting again in every WM_PAINT,
// and on kRunLoop runs a loop of its own for 200 ms, as a menu would,
// counting the commands it dispatches.
LRESULT CALLBACK BusyProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT paint;
        ::BeginPaint(window, &paint);
        ::EndPaint(window, &paint);
        ++busyPaints;
        ::InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    if (msg != kRunLoop) return ::DefWindowProcW(window, msg, wParam, lParam);
    for (const ULONGLONG end = ::GetTickCount64() + 200; ::GetTickCount64() < end;) {
        MSG queued;
        if (!::PeekMessageW(&queued, nullptr, 0, 0, PM_REMOVE)) {
            ::Sleep(1);
            continue;
        }
        commandsInLoop += queued.message == WM_COMMAND ? 1 : 0;
        ::DispatchMessageW(&queued);
    }
    return 0;
}

HWND CreateBusyWindow(DWORD style) {
    static const bool registered = test::RegisterWindowClass(L"BusyWindow", BusyProc);
    return registered ? ::CreateWindowExW(0, L"BusyWindow", L"", WS_POPUP | style, 0, 0, 40, 40,
                                          nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr)
                      : nullptr;
}

}  // namespace

// While a pass waits for the service, messages sent to the window are answered
// and it paints, also when nothing is sent to wake it, but nothing posted (a
// quit, a key) runs inside the request: it waits in the queue for the pass to
// return.
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
        repainted =
            test::Eventually([&] { return !::GetUpdateRect(list, nullptr, FALSE); }, 200, 5);
        for (int i = 0; i < 8; ++i) {
            answered += Answered(window, WM_NULL) ? 1 : 0;
            ::Sleep(50);
        }
    });
    EXPECT_EQ(answered, 8);
    EXPECT_TRUE(repainted) << "within 200 ms";
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

// A window that wants painting again in every WM_PAINT keeps the wait neither
// from its deadline nor from its handle, and is painted meanwhile.
TEST(ResponsiveWait, AWindowThatAlwaysWantsPaintingHoldsNoWaitUp) {
    const HWND busy = CreateBusyWindow(WS_VISIBLE);
    ResponsiveWait wait;
    const CHandle never(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(wait.Wait(never.Get(), 300), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_LT(::GetTickCount64() - start, 500u) << "close to its deadline";
    EXPECT_GT(busyPaints, 0);

    const CHandle answer(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread service([&] {
        ::Sleep(100);
        ::SetEvent(answer.Get());
    });
    start = ::GetTickCount64();
    EXPECT_EQ(wait.Wait(answer.Get(), 5000), WAIT_OBJECT_0);
    EXPECT_LT(::GetTickCount64() - start, 1000u) << "ended by the answer";
    service.join();
    ::DestroyWindow(busy);
}

}  // namespace kestrel::test
