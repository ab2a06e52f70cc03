#include "Startup.h"

#include <objbase.h>
#include <commctrl.h>

#include <memory>

#include "CAppModule.h"
#include "CMainDlg.h"
#include "CHandle.h"
#include "CMessageLoop.h"
#include "PanelTexts.h"
#include "StartOption.h"
#include "StopperRepeatRule.h"
#include "resource.h"

namespace kestrel {

int PanelMain(HINSTANCE instance, const wchar_t* commandLine, int showCommand) {
    const StartOption option = ParseStartOption(commandLine);
    if (option == StartOption::ExitAll) return RunStopper();

    CHandle mutex(::CreateMutexW(nullptr, FALSE, kInstanceId));
    if (!mutex.IsValid() || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ActivateRunningInstance();
        return 0;
    }
    // The handle stays open until the process ends: the mutex existing is what
    // tells later starts that an instance runs.
    mutex.Release();
    return RunFirstInstance(instance, option == StartOption::Hide ? SW_HIDE : showCommand);
}

int RunStopper() {
    HWND window = ::FindWindowW(kInstanceId, nullptr);
    StopperRepeatRule rule;
    while (window) {
        if (rule.GiveUp(window)) return kStopperGaveUp;
        // Sent, not posted: a panel whose request waits for a slow service
        // answers what is sent to it, and ends there and then, while a posted
        // request would wait behind the whole refresh pass.
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(window, WM_COMMAND, ID_APP_EXIT, 0, SMTO_ABORTIFHUNG,
                              kStopperAnswerMs, &ignored);
        ::Sleep(kStopperPauseMs);
        window = ::FindWindowW(kInstanceId, nullptr);
    }
    return kStopperDone;
}

void ActivateRunningInstance() {
    HWND mainWindow = ::FindWindowW(kInstanceId, nullptr);
    if (!mainWindow) return;
    // A modal dialog of the running instance comes to the front rather than
    // the window it blocks.
    HWND popup = ::GetLastActivePopup(mainWindow);
    if (::IsIconic(mainWindow)) ::ShowWindow(mainWindow, SW_RESTORE);
    ::SetForegroundWindow(popup);
}

bool RegisterMainWindowClass(HINSTANCE instance) {
    // Other starts find the running main window by this class.
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (!::GetClassInfoExW(nullptr, kSystemDialogClass, &windowClass)) return false;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kInstanceId;
    return ::RegisterClassExW(&windowClass) != 0;
}

int RunFirstInstance(HINSTANCE instance, int showCommand) {
    if (!RegisterMainWindowClass(instance)) return static_cast<int>(::GetLastError());

    const bool comReady = SUCCEEDED(::CoInitialize(nullptr));
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_BAR_CLASSES;
    ::InitCommonControlsEx(&controls);

    appModule.Init(instance);
    const int result = Run(showCommand);

    appModule.Term();
    if (comReady) ::CoUninitialize();
    ::UnregisterClassW(kInstanceId, instance);
    return result;
}

int Run(int showCommand) {
    CMessageLoop loop;
    if (!appModule.AddMessageLoop(&loop)) return static_cast<int>(ERROR_NOT_ENOUGH_MEMORY);
    auto mainDlg = std::make_unique<CMainDlg>();
    if (!mainDlg->Create(IDD_MAINDLG, nullptr)) {
        mainDlg.reset();
        appModule.RemoveMessageLoop();
        return 0;
    }
    ::ShowWindow(mainDlg->Handle(), showCommand);
    // An installer that closes the panel through the Restart Manager starts it
    // again in the tray. Only then: a crash, a hang or a restart of the system
    // starts nothing (the Run value starts it at logon).
    ::RegisterApplicationRestart(kOptionHide,
                                 RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT);
    const int result = loop.Run();
    appModule.RemoveMessageLoop();
    mainDlg.reset();
    return result;
}

}  // namespace kestrel
