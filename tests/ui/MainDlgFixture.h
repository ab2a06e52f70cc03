// The main window on real windows, talking to an in-process simulator on a
// pipe of its own, with one port shown.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cwchar>
#include <string>
#include <thread>

#include "DialogDriver.h"
#include "ExpectedTexts.h"
#include "MainWindowFixture.h"
#include "TrayProbe.h"
#include "resource.h"

namespace kestrel::test {

class MainDlgTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        ClearNotificationChoices();
        MainWindowTest::SetUp();
        ASSERT_TRUE(server->Execute("port COM3 label=COM3 serial=SN-3 mode=0 status=1 active=1"));
    }

    void TearDown() override {
        MainWindowTest::TearDown();
        ClearNotificationChoices();
    }

    // Balloons on, as neither the user nor a policy has said otherwise.
    static void ClearNotificationChoices() {
        SetNotifications(HKEY_CURRENT_USER, nullptr);
        SetNotifications(HKEY_LOCAL_MACHINE, nullptr);
    }

    void Tick() { ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0); }

    // The service goes: the first tick finds the link broken, the next one no
    // service to connect to.
    void StopService() {
        server->Stop();
        Tick();
        Tick();
    }

    // A tick whose pass waits for a counter poll answered late, while another
    // thread runs duringWait once the poll has reached the service.
    template <typename DuringWait>
    void TickWaitingFor(uint32_t delayMs, DuringWait duringWait) {
        ASSERT_TRUE(
            server->Execute("fault delay " + std::to_string(delayMs) + " on=GetPortCounters"));
        const uint64_t polls = server->RequestCount(kGetPortCounters);
        const CHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        std::thread other([&] {
            while (server->RequestCount(kGetPortCounters) == polls) ::Sleep(5);
            duringWait();
            ::SetEvent(done.Get());
        });
        ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0);
        // What the other thread still sends is answered, so that it ends.
        HANDLE wake = done.Get();
        while (::MsgWaitForMultipleObjects(1, &wake, FALSE, INFINITE, QS_SENDMESSAGE) !=
               WAIT_OBJECT_0) {
            MSG msg;
            ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        other.join();
        EXPECT_TRUE(dlg->Service().LastPassResult().Done()) << "the pass went through";
    }

    // Sent from another thread and answered within its own short time-out.
    static bool Answered(HWND target, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
        DWORD_PTR result = 0;
        return ::SendMessageTimeoutW(target, msg, wParam, lParam, SMTO_NORMAL, 500, &result) != 0;
    }
};

}  // namespace kestrel::test
