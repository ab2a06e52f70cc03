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
// DPI.
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
    });
    EXPECT_EQ(answered, 4);
    EXPECT_FALSE(::IsIconic(window)) << "restored for the second start";
    EXPECT_TRUE(IconShown(window));
    EXPECT_EQ(RowCount(window), 1);
}

// Commands sent while a pass waits run after it, in the order sent: a row's
// button and WM_EDITPORT open its dialog, the tray icon's double click shows
// the window, the About box opens, the close box hides the window. The menus
// and the mouse buttons that would run a loop inside the request, and a
// WM_DESTROY that would close the link under it, do nothing, then or after.
TEST_F(MainDlgTest, CommandsSentDuringAWaitRunAfterItInOrder) {
    StartBoth();
    const HWND list = ::GetDlgItem(window, IDC_PORT_LIST);
    const WPARAM buttonId = ::GetDlgCtrlID(dlg->PortList().RowButton(0));
    RECT frame{};
    ::GetWindowRect(window, &frame);
    int answered = 0;
    TickWaitingFor(1500, [&] {
        answered += Answered(dlg->PortList().RowButton(0), BM_CLICK);
        answered += Answered(window, WM_NOTIFYICON, TNotifyIcon::kIconId, WM_LBUTTONDBLCLK);
        answered += Answered(window, WM_SYSCOMMAND, ID_APP_ABOUT);
        answered += Answered(window, WM_EDITPORT, buttonId);
        answered += Answered(window, WM_SYSCOMMAND, SC_CLOSE);
        answered += Answered(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
        answered += Answered(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
        answered += Answered(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window),
                             MAKELPARAM(frame.left + 40, frame.top + 8));
        answered += Answered(window, WM_NCLBUTTONDOWN, HTCAPTION,
                             MAKELPARAM(frame.left + 40, frame.top + 8));
        answered += Answered(window, WM_DESTROY);
        // Should a loop have started inside the wait all the same, it ends.
        for (HWND owner : {list, window}) Answered(owner, WM_CANCELMODE);
    });
    EXPECT_EQ(answered, 10) << "each answered at once: nothing ran a loop inside the wait";
    EXPECT_TRUE(dlg->Service().IsConnected()) << "the link stayed";

    std::vector<MSG> queued;
    for (MSG msg{}; ::PeekMessageW(&msg, window, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE);)
        if (msg.message != WM_TIMER) queued.push_back(msg);
    ASSERT_EQ(queued.size(), 5u) << "one for each command, and nothing else";
    std::vector<std::wstring> ran;
    for (const MSG& msg : queued) {
        std::wstring dialog = L"-";
        test::StartDriving(std::wstring(), L"#32770", [&](HWND shown) {
            dialog = test::WindowText(shown);
            ::PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
        });
        ::DispatchMessageW(&msg);
        test::StopDriving();
        test::PumpMessages(&loop);
        ran.push_back(dialog + (::IsWindowVisible(window) ? L", shown" : L", hidden"));
    }
    const std::wstring com3 = texts::ConnectionCaption(L"COM3");
    EXPECT_EQ(ran, (std::vector<std::wstring>{com3 + L", hidden", L"-, shown",
                                              std::wstring(texts::kAboutCaption) + L", shown",
                                              com3 + L", shown", L"-, hidden"}));
}

// A loop that runs inside the wait all the same (a window's own, as a menu's
// would) finds no command queued to run again and again: what was sent is
// held until the wait returns, and then runs once.
TEST_F(MainDlgTest, ALoopInsideAWaitFindsNoCommandToRunAgain) {
    StartBoth();
    const HWND busy = CreateBusyWindow(0);
    TickWaitingFor(1000, [&] {
        Answered(window, WM_COMMAND, ID_VIEW_COMMPORTS);
        Answered(busy, kRunLoop);
    });
    EXPECT_EQ(commandsInLoop, 0);
    EXPECT_FALSE(::IsWindowVisible(window));
    test::PumpMessages(&loop);
    EXPECT_TRUE(::IsWindowVisible(window)) << "the command ran after the pass";
    ::DestroyWindow(busy);
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
