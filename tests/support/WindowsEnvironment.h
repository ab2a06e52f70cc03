// What a test program of windows sets up once, as the program does at its
// start: the module, the common controls and the window classes its tests
// create, and for dialogs that join it a message loop of the main thread. And
// the pump the tests run where the program's loop would run.
// Needs kestrel_framework and comctl32.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "CAppModule.h"
#include "CMessageLoop.h"

namespace kestrel::test {

// A class of this module's own windows.
inline bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure,
                                HBRUSH background = nullptr) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    return ::RegisterClassExW(&windowClass) != 0;
}

struct WindowsSetup {
    // Registers the classes the program's tests need, the main window's say;
    // false when one cannot be registered.
    bool (*registerClasses)(HINSTANCE instance) = nullptr;
    bool messageLoop = false;
};

class WindowsEnvironment : public ::testing::Environment {
public:
    explicit WindowsEnvironment(WindowsSetup what) : setup(what) {}

    void SetUp() override {
        const HINSTANCE instance = ::GetModuleHandleW(nullptr);
        appModule.Init(instance);
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
        ASSERT_TRUE(::InitCommonControlsEx(&controls));
        if (setup.registerClasses) {
            ASSERT_TRUE(setup.registerClasses(instance));
        }
        if (setup.messageLoop) {
            ASSERT_TRUE(appModule.AddMessageLoop(&loop));
        }
    }
    void TearDown() override {
        if (setup.messageLoop) appModule.RemoveMessageLoop();
    }

private:
    WindowsSetup setup;
    CMessageLoop loop;
};

// For a constant at namespace scope in one source of the test program.
inline ::testing::Environment* AddWindowsEnvironment(WindowsSetup setup = {}) {
    return ::testing::AddGlobalTestEnvironment(new WindowsEnvironment(setup));
}

// Dispatches what is queued for this thread, such as a message a click posts,
// and returns once nothing is left. With a loop, its filters see every message
// first, as in the program's own loop: a dialog's keyboard handling, say.
inline void PumpMessages(CMessageLoop* loop = nullptr) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (loop && loop->PreTranslateMessage(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace kestrel::test
