// A program of this build started as a child process from the folder of the
// test program, optionally with its standard input and output on pipes.
#pragma once

#include <windows.h>

#include <string>

#include "CHandle.h"

namespace kestrel::test {

std::wstring BesideThisProgram(const wchar_t* file);

// The handles and the id of a process that StartProcess started; empty when
// it did not start.
struct StartedProcess {
    CHandle process;
    CHandle thread;
    DWORD id = 0;
};
// Runs commandLine (the program first) in this process's current folder,
// with its environment.
StartedProcess StartProcess(std::wstring commandLine, STARTUPINFOW& startup, bool inheritHandles,
                            DWORD creationFlags);

// A program run to its end: its exit code and what it wrote to its output and
// error streams, both pipes.
struct ProgramRun {
    DWORD exitCode = STILL_ACTIVE;
    std::string out;
    std::string err;
};
// program is started from the folder of this program; STILL_ACTIVE when it
// did not end within timeoutMs (it is then ended). With outputFails its
// standard output is a handle open for reading only, so that every write fails.
ProgramRun RunToEnd(const wchar_t* program, const std::wstring& commandTail, DWORD timeoutMs,
                    bool outputFails = false);

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
    // Ends the process at once, as a crash would, and waits until it is gone.
    void Kill();
    DWORD Id() const { return started.id; }
    const std::string& Output() const { return output; }

    bool Send(const std::string& line);
    // Collects standard output until it holds text at or after offset from,
    // or the time is up.
    bool WaitForOutput(const std::string& text, DWORD timeoutMs, size_t from = 0);

private:
    StartedProcess started;
    CHandle stdinWrite;
    CHandle stdoutRead;
    std::string output;
};

}  // namespace kestrel::test
