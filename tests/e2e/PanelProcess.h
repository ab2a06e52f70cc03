// Child processes for the end-to-end tests: the panel program and the service
// simulator, both started from the folder of the test program, and a reader
// for the rows of the panel's port list in the other process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ChildProcess.h"
#include "Simulator.h"

namespace kestrel::e2e {

using test::BesideThisProgram;
using test::ChildProcess;
using test::Simulator;

inline constexpr wchar_t kPanelProgram[] = L"KestrelCpl.exe";

// The main window of a running panel, of that process unless 0, waited for up
// to timeoutMs; null if none. The window of a panel that is still ending does
// not count for a new one.
HWND WaitForPanelWindow(DWORD timeoutMs, DWORD processId = 0);
// Starts the panel with these options and waits for its main window as above.
HWND LaunchPanel(ChildProcess& panel, const std::wstring& options, DWORD timeoutMs);

// Waits until the panel's port list holds count rows.
bool WaitForRowCount(HWND panel, int count, DWORD timeoutMs);
int RowCount(HWND panel);

// The texts of one column of the panel's port list, read in the panel's process.
std::vector<std::wstring> ColumnTexts(HWND panel, int column);

// Visible top-level windows of a process, such as message boxes.
int VisibleWindowsOf(DWORD processId);

// Visible dialog windows (message boxes too) of a process with this caption.
std::vector<HWND> DialogsOf(DWORD processId, const std::wstring& caption);
HWND WaitForDialog(DWORD processId, const std::wstring& caption, DWORD timeoutMs);
// The popup menu a process shows, waited for up to timeoutMs; null if none.
HWND WaitForPopupMenu(DWORD processId, DWORD timeoutMs);

// The "Edit..." button over a row of the panel's list, or null.
HWND EditButtonOfRow(HWND panel, int row);
// Child buttons of the panel's list, visible or not.
int EditButtonCount(HWND panel);

// Waits up to timeoutMs until the panel's thread has run what was posted to it
// so far; false if it has not. Sent messages tell nothing of that: a request
// under way answers them, and holds back what is posted until it returns.
// Leaves the list as it was (its first column one pixel wider meanwhile).
bool WaitForPostedMessages(HWND panel, DWORD timeoutMs);

// Sends WM_NULL to the window again and again for durationMs; the longest
// time one of them waited for an answer (durationMs + 1 when one never came).
DWORD LongestWaitForAnswer(HWND window, DWORD durationMs);

// WM_NULL probes, one every 100 ms for durationMs, each given 250 ms to be
// answered: how many were sent and how many answered.
struct ProbeTally {
    int sent = 0;
    int answered = 0;
    bool AtLeastNinetyPercent() const { return answered * 10 >= sent * 9 && sent > 0; }
};
ProbeTally ProbeAnswers(HWND window, DWORD durationMs);

}  // namespace kestrel::e2e
