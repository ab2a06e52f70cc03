#include "ChildProcess.h"

namespace kestrel::test {

std::wstring BesideThisProgram(const wchar_t* file) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring self(path, length);
    return self.substr(0, self.find_last_of(L"\\/") + 1) + file;
}

namespace {

// The program, from the folder of this program, quoted, and its arguments.
std::wstring CommandLine(const wchar_t* program, const std::wstring& commandTail) {
    std::wstring commandLine = L"\"" + BesideThisProgram(program) + L"\"";
    if (!commandTail.empty()) commandLine += L" " + commandTail;
    return commandLine;
}

// Appends what the pipe holds now; false once it is closed and empty.
bool Drain(HANDLE pipe, std::string& text) {
    DWORD available = 0;
    if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
    while (available > 0) {
        char buffer[4096];
        DWORD read = 0;
        if (!::ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr)) return false;
        text.append(buffer, read);
        available = read < available ? available - read : 0;
    }
    return true;
}

// An anonymous pipe whose both ends a child started with handle inheritance
// takes; the caller keeps its own end back.
bool CreateInheritablePipe(CHandle& read, CHandle& write) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    return ::CreatePipe(read.Put(), write.Put(), &inherit, 0) != FALSE;
}

}  // namespace

StartedProcess StartProcess(std::wstring commandLine, STARTUPINFOW& startup, bool inheritHandles,
                            DWORD creationFlags) {
    PROCESS_INFORMATION created{};
    StartedProcess started;
    if (::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, inheritHandles, creationFlags,
                         nullptr, nullptr, &startup, &created)) {
        started.process.Reset(created.hProcess);
        started.thread.Reset(created.hThread);
        started.id = created.dwProcessId;
    }
    return started;
}

ProgramRun RunToEnd(const wchar_t* program, const std::wstring& commandTail, DWORD timeoutMs,
                    bool outputFails) {
    ProgramRun run;
    CHandle outRead, outWrite, errRead, errWrite;
    if (!CreateInheritablePipe(outRead, outWrite) || !CreateInheritablePipe(errRead, errWrite))
        return run;
    ::SetHandleInformation(outRead.Get(), HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(errRead.Get(), HANDLE_FLAG_INHERIT, 0);
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    CHandle nul(
        ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul.Get();
    startup.hStdOutput = outputFails ? nul.Get() : outWrite.Get();
    startup.hStdError = errWrite.Get();
    const StartedProcess child =
        StartProcess(CommandLine(program, commandTail), startup, true, CREATE_NO_WINDOW);
    // Only the child holds the write ends now, so that the reads see the end
    // of its output once it is gone.
    outWrite.Reset();
    errWrite.Reset();
    nul.Reset();
    if (child.process.IsValid()) {
        const ULONGLONG start = ::GetTickCount64();
        bool ended = false;
        while (!ended && ::GetTickCount64() - start < timeoutMs) {
            ended = ::WaitForSingleObject(child.process.Get(), 10) == WAIT_OBJECT_0;
            Drain(outRead.Get(), run.out);
            Drain(errRead.Get(), run.err);
        }
        if (!ended) ::TerminateProcess(child.process.Get(), STILL_ACTIVE);
        ::WaitForSingleObject(child.process.Get(), 5000);
        // Whatever it wrote before it ended is in the pipes by now.
        Drain(outRead.Get(), run.out);
        Drain(errRead.Get(), run.err);
        ::GetExitCodeProcess(child.process.Get(), &run.exitCode);
    }
    return run;
}

ChildProcess::~ChildProcess() { Kill(); }

bool ChildProcess::Start(const wchar_t* program, const std::wstring& commandTail, bool pipes) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    // The child's ends, closed here once it holds them.
    CHandle stdinRead;
    CHandle stdoutWrite;
    if (pipes) {
        if (!CreateInheritablePipe(stdinRead, stdinWrite) ||
            !CreateInheritablePipe(stdoutRead, stdoutWrite))
            return false;
        ::SetHandleInformation(stdinWrite.Get(), HANDLE_FLAG_INHERIT, 0);
        ::SetHandleInformation(stdoutRead.Get(), HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = stdinRead.Get();
        startup.hStdOutput = stdoutWrite.Get();
        startup.hStdError = stdoutWrite.Get();
    }
    started = StartProcess(CommandLine(program, commandTail), startup, pipes, CREATE_NO_WINDOW);
    return started.process.IsValid();
}

DWORD ChildProcess::Wait(DWORD timeoutMs) {
    if (!started.process.IsValid()) return STILL_ACTIVE;
    ::WaitForSingleObject(started.process.Get(), timeoutMs);
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(started.process.Get(), &code);
    return code;
}

void ChildProcess::Kill() {
    const HANDLE process = started.process.Get();
    if (process && ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process, 1);
        ::WaitForSingleObject(process, 5000);
    }
}

bool ChildProcess::Send(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    return stdinWrite.IsValid() &&
           ::WriteFile(stdinWrite.Get(), text.data(), static_cast<DWORD>(text.size()), &written,
                       nullptr) &&
           written == text.size();
}

bool ChildProcess::WaitForOutput(const std::string& text, DWORD timeoutMs, size_t from) {
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        if (!Drain(stdoutRead.Get(), output)) return false;
        if (output.size() >= from && output.find(text, from) != std::string::npos) return true;
        if (::GetTickCount64() - start > timeoutMs) return false;
        ::Sleep(10);
    }
}

}  // namespace kestrel::test
