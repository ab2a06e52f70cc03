// Child processes for the end-to-end tests: the panel program and the service
// simulator, both started from the folder of the test program, and a reader
// for the rows of the panel's port list in the other process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kestrel::e2e {

std::wstring BesideThisProgram(const wchar_t* file);

class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // Ends a process that is still running.
    ~ChildProcess();

    // commandTail is appended to the quoted program path exactly as given, so
    // that trailing blanks reach the program. With pipes, standard input and
    // output are connected to this object.
    bool Start(const wchar_t* program, const std::wstring& commandTail, bool pipes = false);
    // The exit code, or STILL_ACTIVE when the process did not end in time.
    DWORD Wait(DWORD timeoutMs);
    DWORD Id() const { return process.dwProcessId; }

    bool Send(const std::string& line);
    // Collects standard output until it holds text, or the time is up.
    bool WaitForOutput(const std::string& text, DWORD timeoutMs);

private:
    PROCESS_INFORMATION process{};
    HANDLE stdinWrite = nullptr;
    HANDLE stdoutRead = nullptr;
    std::string output;
};

// KestrelSim.exe on the service's pipe, without ports and without background
// traffic, fed with commands on its standard input.
class Simulator {
public:
    bool Start();
    bool Execute(const std::string& command) { return process.Send(command); }

private:
    ChildProcess process;
};

// The main window of a running panel, waited for up to timeoutMs; null if none.
HWND WaitForPanelWindow(DWORD timeoutMs);

// Waits until the panel's port list holds count rows.
bool WaitForRowCount(HWND panel, int count, DWORD timeoutMs);
int RowCount(HWND panel);

// The texts of one column of the panel's port list, read in the panel's process.
std::vector<std::wstring> ColumnTexts(HWND panel, int column);

// Visible top-level windows of a process, such as message boxes.
int VisibleWindowsOf(DWORD processId);

}  // namespace kestrel::e2e
