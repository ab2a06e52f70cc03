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

}  // namespace

ProgramRun RunToEnd(const wchar_t* program, const std::wstring& commandTail, DWORD timeoutMs,
                    bool outputFails) {
    ProgramRun run;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    if (!::CreatePipe(&outRead, &outWrite, &inherit, 0)) return run;
    if (!::CreatePipe(&errRead, &errWrite, &inherit, 0)) {
        ::CloseHandle(outRead);
        ::CloseHandle(outWrite);
        return run;
    }
    ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    HANDLE nul =
        ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul;
    startup.hStdOutput = outputFails ? nul : outWrite;
    startup.hStdError = errWrite;
    std::wstring commandLine = CommandLine(program, commandTail);
    PROCESS_INFORMATION process{};
    const BOOL created = ::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE,
                                          CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    ::CloseHandle(outWrite);
    ::CloseHandle(errWrite);
    if (nul != INVALID_HANDLE_VALUE) ::CloseHandle(nul);
    if (created) {
        const ULONGLONG start = ::GetTickCount64();
        bool ended = false;
        while (!ended && ::GetTickCount64() - start < timeoutMs) {
            ended = ::WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0;
            Drain(outRead, run.out);
            Drain(errRead, run.err);
        }
        if (!ended) ::TerminateProcess(process.hProcess, STILL_ACTIVE);
        ::WaitForSingleObject(process.hProcess, 5000);
        // Whatever it wrote before it ended is in the pipes by now.
        Drain(outRead, run.out);
        Drain(errRead, run.err);
        ::GetExitCodeProcess(process.hProcess, &run.exitCode);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(outRead);
    ::CloseHandle(errRead);
    return run;
}

ChildProcess::~ChildProcess() {
    if (process.hProcess) {
        Kill();
        ::CloseHandle(process.hProcess);
        ::CloseHandle(process.hThread);
    }
    if (stdinWrite) ::CloseHandle(stdinWrite);
    if (stdoutRead) ::CloseHandle(stdoutRead);
}

bool ChildProcess::Start(const wchar_t* program, const std::wstring& commandTail, bool pipes) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    HANDLE stdinRead = nullptr;
    HANDLE stdoutWrite = nullptr;
    if (pipes) {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        if (!::CreatePipe(&stdinRead, &stdinWrite, &inherit, 0) ||
            !::CreatePipe(&stdoutRead, &stdoutWrite, &inherit, 0))
            return false;
        ::SetHandleInformation(stdinWrite, HANDLE_FLAG_INHERIT, 0);
        ::SetHandleInformation(stdoutRead, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = stdinRead;
        startup.hStdOutput = stdoutWrite;
        startup.hStdError = stdoutWrite;
    }
    std::wstring commandLine = CommandLine(program, commandTail);
    const BOOL created = ::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, pipes,
                                          CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    if (stdinRead) ::CloseHandle(stdinRead);
    if (stdoutWrite) ::CloseHandle(stdoutWrite);
    return created != FALSE;
}

DWORD ChildProcess::Wait(DWORD timeoutMs) {
    if (!process.hProcess) return STILL_ACTIVE;
    ::WaitForSingleObject(process.hProcess, timeoutMs);
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process.hProcess, &code);
    return code;
}

void ChildProcess::Kill() {
    if (process.hProcess && ::WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process.hProcess, 1);
        ::WaitForSingleObject(process.hProcess, 5000);
    }
}

bool ChildProcess::Send(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    return stdinWrite &&
           ::WriteFile(stdinWrite, text.data(), static_cast<DWORD>(text.size()), &written,
                       nullptr) &&
           written == text.size();
}

bool ChildProcess::WaitForOutput(const std::string& text, DWORD timeoutMs, size_t from) {
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        if (!Drain(stdoutRead, output)) return false;
        if (output.size() >= from && output.find(text, from) != std::string::npos) return true;
        if (::GetTickCount64() - start > timeoutMs) return false;
        ::Sleep(10);
    }
}

}  // namespace kestrel::test
