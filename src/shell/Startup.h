// The entry point's three roles: the -exitall stopper, a second instance that
// activates the running one, and the first instance that runs the panel.
#pragma once

#include <windows.h>

namespace kestrel {

// Exit codes of the stopper.
inline constexpr int kStopperDone = 0;
inline constexpr int kStopperGaveUp = 100;
inline constexpr DWORD kStopperPauseMs = 500;
// How long the stopper waits for a panel to take one request: a running panel
// takes it at once, or within a few tens of milliseconds while it waits for
// the service.
inline constexpr UINT kStopperAnswerMs = 1000;

// The whole entry point: picks the role from the command line and returns the
// process's exit code.
int PanelMain(HINSTANCE instance, const wchar_t* commandLine, int showCommand);

// Asks every running instance to quit and waits for each to go: 0 when none is
// left, 100 when one window stays through 21 requests.
int RunStopper();

// Brings the running instance's active window to the front; a main window that
// is hidden in the tray stays hidden.
void ActivateRunningInstance();

// Registers the main window's class: the system dialog class under the instance
// identifier, which the main dialog's template names. False with the thread's
// last error set when it cannot be read or registered.
bool RegisterMainWindowClass(HINSTANCE instance);

// The first instance: window class, COM, common controls, module, Run, cleanup.
int RunFirstInstance(HINSTANCE instance, int showCommand);

// Creates the main window, shows it and runs the message loop; the loop's result.
int Run(int showCommand);

}  // namespace kestrel
