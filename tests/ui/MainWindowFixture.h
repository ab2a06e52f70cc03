// A real main window talking to an in-process simulator on a pipe of its own,
// for the test programs of the main window and its editing flows.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "CAppModule.h"
#include "CMainDlg.h"
#include "CMessageLoop.h"
#include "ListView.h"
#include "PipeName.h"
#include "SimServer.h"
#include "Startup.h"
#include "WindowsEnvironment.h"
#include "resource.h"

namespace kestrel::test {

[[maybe_unused]] inline ::testing::Environment* const uiEnvironment =
    AddWindowsEnvironment({RegisterMainWindowClass});

inline int RowCount(HWND mainWindow) { return ItemCount(::GetDlgItem(mainWindow, IDC_PORT_LIST)); }

// The simulator starts without ports and without background traffic; the
// service is started and the window created by each test when it wants.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(appModule.AddMessageLoop(&loop));
        sim::SimServerOptions options;
        options.tickMs = 0;
        server = std::make_unique<sim::SimServer>(pipeName, options);
    }

    void TearDown() override {
        if (dlg && ::IsWindow(dlg->Handle())) ::DestroyWindow(dlg->Handle());
        dlg.reset();
        appModule.RemoveMessageLoop();
    }

    void StartService() { ASSERT_TRUE(server->Start()); }

    void CreateMainWindow() {
        dlg = std::make_unique<CMainDlg>(pipeName.c_str());
        ASSERT_NE(dlg->Create(IDD_MAINDLG, nullptr), nullptr);
        window = dlg->Handle();
    }

    // The service, then the main window, whose first refresh finds it.
    void StartBoth() {
        StartService();
        CreateMainWindow();
    }

    // Outlives the window object, whose client keeps a pointer to it.
    const std::wstring pipeName = UniquePipeName();
    CMessageLoop loop;
    std::unique_ptr<sim::SimServer> server;
    std::unique_ptr<CMainDlg> dlg;
    HWND window = nullptr;
};

}  // namespace kestrel::test
