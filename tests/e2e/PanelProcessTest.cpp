// KestrelCpl.exe and KestrelSim.exe as separate processes on the service's real
// pipe: the three start-up roles, the command-line options, the list filled
// from the service and used from the keyboard, and the way the program ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <ctime>
#include <string>
#include <vector>

#include "CHandle.h"
#include "ClipboardText.h"
#include "DumpFolder.h"
#include "Eventually.h"
#include "ExpectedTexts.h"
#include "PanelProcess.h"
#include "PanelTexts.h"
#include "TrayProbe.h"
#include "WindowsEnvironment.h"
#include "WineSettings.h"
#include "resource.h"

namespace kestrel::e2e {
namespace {

using test::Eventually;

constexpr DWORD kStartMs = 15000;
constexpr DWORD kEndMs = 15000;

// Ends a panel through the stopper and checks both exit codes.
void StopPanel(ChildProcess& panel, const wchar_t* option = L"-exitall") {
    ChildProcess stopper;
    ASSERT_TRUE(stopper.Start(kPanelProgram, option));
    EXPECT_EQ(stopper.Wait(kEndMs), 0u);
    EXPECT_EQ(panel.Wait(kEndMs), 2u);
    EXPECT_EQ(::FindWindowW(kInstanceId, nullptr), nullptr);
}

TEST(PanelProcess, HiddenInstanceFillsItsListAndStaysHiddenOnASecondStart) {
    Simulator service;
    ASSERT_TRUE(service.Start());
    ASSERT_TRUE(service.Execute(
        "port COM7 label=COM7 serial=SN-7 mode=0 status=1 active=1 host=10.1.2.3 dmsport=4000"));
    // A port whose update counter is 0 when first seen is listed too.
    ASSERT_TRUE(
        service.Execute("port COM3 label=COM3 serial=SN-3 mode=2 status=0 active=1 update=0"));
    ASSERT_TRUE(service.Execute("port COM5 label=COM5 status=3"));

    ChildProcess panel;
    HWND window = LaunchPanel(panel, L"-hide", kStartMs);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitForRowCount(window, 2, kStartMs));
    EXPECT_EQ(ColumnTexts(window, 1), (std::vector<std::wstring>{L"COM3", L"COM7"}));
    EXPECT_EQ(ColumnTexts(window, 6), (std::vector<std::wstring>{L"Connected", L"Not connected"}));
    EXPECT_EQ(ColumnTexts(window, 7)[1], L"10.1.2.3:4000");
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_TRUE(test::IconShown(window));

    ChildProcess second;
    ASSERT_TRUE(second.Start(kPanelProgram, L""));
    EXPECT_EQ(second.Wait(kEndMs), 0u);
    EXPECT_FALSE(::IsWindowVisible(window)) << "a hidden instance stays in the tray";
    EXPECT_EQ(::FindWindowW(kInstanceId, nullptr), window) << "the second start made no window";

    StopPanel(panel);
}

// The hidden panel tells from the tray when a port loses its DMS connection
// and when it has it back, the second balloon after the product's interval.
TEST(PanelProcess, HiddenPanelTellsInABalloonThatAPortIsLostAndBack) {
    test::SetNotifications(HKEY_CURRENT_USER, nullptr);
    test::SetNotifications(HKEY_LOCAL_MACHINE, nullptr);
    Simulator service;
    ASSERT_TRUE(service.Start());
    ASSERT_TRUE(service.Execute(
        "port COM3 label=\"Analyzer 3\" serial=SN-3 mode=0 status=0 active=1 host=10.1.2.3"));
    ChildProcess panel;
    HWND window = LaunchPanel(panel, L"-hide", kStartMs);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitForRowCount(window, 1, kStartMs));

    ASSERT_TRUE(service.Execute("port COM3 status=1"));
    EXPECT_TRUE(test::BalloonShows(L"COM3 (Analyzer 3): Not connected", 5000));
    ASSERT_TRUE(service.Execute("port COM3 status=0"));
    EXPECT_TRUE(test::BalloonShows(L"COM3 (Analyzer 3): Connected", 15000));
    StopPanel(panel);
}

TEST(PanelProcess, SecondStartRestoresAMinimisedWindowAndRaisesAnOpenDialog) {
    ChildProcess panel;
    HWND window = LaunchPanel(panel, L"", kStartMs);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(Eventually([&] { return ::IsWindowVisible(window) != FALSE; }, kStartMs));
    ::ShowWindowAsync(window, SW_MINIMIZE);
    ASSERT_TRUE(Eventually([&] { return ::IsIconic(window) != FALSE; }, kStartMs));
    {
        ChildProcess second;
        ASSERT_TRUE(second.Start(kPanelProgram, L""));
        EXPECT_EQ(second.Wait(kEndMs), 0u);
    }
    EXPECT_TRUE(Eventually([&] { return !::IsIconic(window); }, kStartMs)) << "restored";

    ::PostMessageW(window, WM_SYSCOMMAND, ID_APP_ABOUT, 0);
    const HWND about = WaitForDialog(panel.Id(), test::texts::kAboutCaption, kStartMs);
    ASSERT_NE(about, nullptr);
    HWND other = ::CreateWindowExW(0, L"STATIC", L"elsewhere", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 50,
                                   50, nullptr, nullptr, nullptr, nullptr);
    ::SetForegroundWindow(other);
    ASSERT_TRUE(Eventually([&] { return ::GetForegroundWindow() == other; }, kStartMs));
    {
        ChildProcess second;
        ASSERT_TRUE(second.Start(kPanelProgram, L""));
        EXPECT_EQ(second.Wait(kEndMs), 0u);
    }
    EXPECT_TRUE(Eventually([&] { return ::GetForegroundWindow() == about; }, kStartMs))
        << "the dialog in front";
    ::DestroyWindow(other);
    ::PostMessageW(about, WM_COMMAND, IDOK, 0);
    StopPanel(panel);
}

// The shown panel's list from the keyboard: keys posted to it move the focus
// mark through the panel's own loop; Enter opens the focused port's dialog,
// also after a new port sorted in above it; "&Copy" of its menu leaves the
// rows shown on the clipboard under the column titles.
TEST(PanelProcess, ListFromTheKeyboardAndCopiedToTheClipboard) {
    Simulator service;
    ASSERT_TRUE(service.Start());
    ASSERT_TRUE(service.Execute("port COM3 label=COM3 serial=SN-3 mode=0 status=0 active=1"));
    ASSERT_TRUE(service.Execute("port COM4 label=COM4 serial=SN-4 mode=2 status=1 active=0"));
    ChildProcess panel;
    HWND window = LaunchPanel(panel, L"", kStartMs);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitForRowCount(window, 2, kStartMs));
    HWND list = ::GetDlgItem(window, IDC_PORT_LIST);
    const auto focusOn = [&](int row) {
        return Eventually(
            [&] {
                return ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                      LVNI_FOCUSED) == row;
            },
            kStartMs);
    };
    for (int i = 0; i < 2; ++i) ::PostMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
    ASSERT_TRUE(focusOn(1)) << "COM4";

    ASSERT_TRUE(service.Execute("port COM1 label=COM1 serial=SN-1 mode=1 status=0 active=0"));
    ASSERT_TRUE(WaitForRowCount(window, 3, kStartMs));
    EXPECT_TRUE(focusOn(2)) << "the mark moved with COM4's row";
    ::PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
    const HWND dialog =
        WaitForDialog(panel.Id(), test::texts::ConnectionCaption(L"COM4"), kStartMs);
    ASSERT_NE(dialog, nullptr);
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(Eventually([&] { return !::IsWindow(dialog); }, kStartMs));

    test::TakeClipboardText();
    ::PostMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
    const HWND menu = WaitForPopupMenu(panel.Id(), kStartMs);
    ASSERT_NE(menu, nullptr);
    ::PostMessageW(menu, WM_KEYDOWN, 'C', 0);
    std::wstring expected = test::texts::kCopiedTableHeader;
    std::vector<std::vector<std::wstring>> columns;
    for (int c = 1; c <= 7; ++c) columns.push_back(ColumnTexts(window, c));
    for (size_t row = 0; row < columns[0].size(); ++row) {
        for (size_t c = 0; c < columns.size(); ++c)
            expected += columns[c][row] + (c + 1 < columns.size() ? L"\t" : L"\r\n");
    }
    std::wstring copied;
    EXPECT_TRUE(
        Eventually([&] { return !(copied = test::TakeClipboardText()).empty(); }, kStartMs));
    EXPECT_EQ(copied, expected);
    StopPanel(panel);
}

TEST(PanelProcess, OptionsIgnoreCaseButNotATrailingBlank) {
    {
        ChildProcess panel;
        HWND window = LaunchPanel(panel, L"-HiDe", kStartMs);
        ASSERT_NE(window, nullptr);
        ::Sleep(500);
        EXPECT_FALSE(::IsWindowVisible(window));
        StopPanel(panel, L"-EXITALL");
    }
    {
        ChildProcess panel;
        HWND window = LaunchPanel(panel, L"-hide ", kStartMs);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(Eventually([&] { return ::IsWindowVisible(window) != FALSE; }, kStartMs))
            << "\"-hide \" is no option";
        StopPanel(panel);
    }
}

TEST(PanelProcess, ServiceStoppedAtStartThenComing) {
    ChildProcess panel;
    HWND window = LaunchPanel(panel, L"-hide", kStartMs);
    ASSERT_NE(window, nullptr);
    ::Sleep(1500);
    EXPECT_EQ(RowCount(window), 0);
    EXPECT_EQ(VisibleWindowsOf(panel.Id()), 0) << "no message box";

    Simulator service;
    ASSERT_TRUE(service.Start());
    ASSERT_TRUE(service.Execute("port COM9 label=COM9 serial=SN-9 mode=0 status=0 active=1"));
    EXPECT_TRUE(WaitForRowCount(window, 1, kStartMs));
    EXPECT_EQ(ColumnTexts(window, 1), std::vector<std::wstring>{L"COM9"});

    // What the tray menu's Quit does.
    ::PostMessageW(window, WM_COMMAND, ID_TRAY_QUIT, 0);
    EXPECT_EQ(panel.Wait(kEndMs), 2u);
}

// The shipped program writes its own dump: a thread of the running panel that
// faults leaves a full-memory dump in its %TEMP%, named after that second and
// written over a file of the same name.
TEST(PanelProcess, AFaultWritesAFullDumpOverOneOfTheSameSecond) {
    test::QuietWineDebugger();
    test::DumpFolder folder;
    ASSERT_TRUE(folder.Valid());
    ChildProcess panel;
    ASSERT_NE(LaunchPanel(panel, L"-hide", kStartMs), nullptr);
    constexpr int kSeconds = 10;
    const std::time_t now = std::time(nullptr);
    for (int s = 0; s < kSeconds; ++s)
        ASSERT_TRUE(folder.Write(L"KestrelCpl_" + test::LocalStamp(now + s) + L".dmp", "old"));

    {
        const CHandle process(::OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION |
                                                PROCESS_VM_OPERATION | PROCESS_VM_WRITE |
                                                PROCESS_VM_READ,
                                            FALSE, panel.Id()));
        ASSERT_NE(process.Get(), nullptr);
        // A thread that starts where there is no code faults at once.
        const auto nowhere = reinterpret_cast<LPTHREAD_START_ROUTINE>(static_cast<ULONG_PTR>(16));
        const CHandle thread(
            ::CreateRemoteThread(process.Get(), nullptr, 0, nowhere, nullptr, 0, nullptr));
        EXPECT_NE(thread.Get(), nullptr);
    }
    // A full dump of the whole panel takes a while on a loaded machine.
    EXPECT_EQ(panel.Wait(180000), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));

    constexpr int64_t kFullMemory = 0x2;  // MiniDumpWithFullMemory
    int dumps = 0;
    for (const std::wstring& name : folder.Files()) {
        const int64_t flags = folder.DumpFlags(name);
        if (flags == -1) continue;
        ++dumps;
        EXPECT_EQ(flags & kFullMemory, kFullMemory) << "flags " << flags;
    }
    EXPECT_EQ(dumps, 1);
    EXPECT_EQ(folder.Files().size(), static_cast<size_t>(kSeconds)) << "one old file replaced";
}

// A pass of three ports, each answered 7 s late, outlasts the stopper's 21
// requests. A panel that waits for an answer takes the request all the same
// and ends there, with its usual code.
TEST(PanelProcess, StopperEndsAPanelWhosePassWaitsForASlowService) {
    Simulator service;
    ASSERT_TRUE(service.Start());
    for (const char* port : {"COM3", "COM4", "COM5"})
        ASSERT_TRUE(service.Execute(std::string("port ") + port + " label=" + port + " status=0"));
    ChildProcess panel;
    HWND window = LaunchPanel(panel, L"-hide", kStartMs);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitForRowCount(window, 3, kStartMs));
    ASSERT_TRUE(service.Execute("fault delay 7000 on=GetPortCounters count=always"));
    ::Sleep(1500);  // a tick's first counter poll waits by now

    ChildProcess stopper;
    ASSERT_TRUE(stopper.Start(kPanelProgram, L"-exitall"));
    EXPECT_EQ(stopper.Wait(kEndMs), 0u);
    EXPECT_EQ(panel.Wait(kEndMs), 2u);
    EXPECT_FALSE(test::IconShown(window));
}

TEST(PanelProcess, StopperWithoutInstanceEndsAtOnce) {
    ChildProcess stopper;
    ASSERT_TRUE(stopper.Start(kPanelProgram, L"-exitall"));
    EXPECT_EQ(stopper.Wait(kEndMs), 0u);
}

// A window of the instance class that ignores the quit request, counting them.
int g_exitRequests = 0;
LRESULT CALLBACK StubbornProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && LOWORD(wParam) == ID_APP_EXIT) {
        ++g_exitRequests;
        return 0;
    }
    return ::DefWindowProcW(window, msg, wParam, lParam);
}

TEST(PanelProcess, StopperGivesUpOnAnInstanceThatStaysAfterTwentyOneRequests) {
    ASSERT_TRUE(test::RegisterWindowClass(kInstanceId, StubbornProc));
    HWND stubborn = ::CreateWindowExW(0, kInstanceId, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                      nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(stubborn, nullptr);

    ChildProcess stopper;
    ASSERT_TRUE(stopper.Start(kPanelProgram, L"-exitall"));
    const ULONGLONG start = ::GetTickCount64();
    DWORD code = STILL_ACTIVE;
    while ((code = stopper.Wait(0)) == STILL_ACTIVE && ::GetTickCount64() - start < 30000) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        test::PumpMessages();
    }
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    EXPECT_EQ(code, 100u);
    EXPECT_EQ(g_exitRequests, 21);
    EXPECT_GE(elapsed, 21u * 500u - 100u) << "a pause of 500 ms after every request";
    ::DestroyWindow(stubborn);
}

}  // namespace
}  // namespace kestrel::e2e
