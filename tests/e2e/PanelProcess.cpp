#include "PanelProcess.h"

#include <commctrl.h>

#include "PanelTexts.h"
#include "resource.h"

namespace kestrel::e2e {

std::wstring BesideThisProgram(const wchar_t* file) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring self(path, length);
    return self.substr(0, self.find_last_of(L"\\/") + 1) + file;
}

ChildProcess::~ChildProcess() {
    if (process.hProcess) {
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, 5000);
        }
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    if (stdinWrite) CloseHandle(stdinWrite);
    if (stdoutRead) CloseHandle(stdoutRead);
}

bool ChildProcess::Start(const wchar_t* program, const std::wstring& commandTail, bool pipes) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    HANDLE stdinRead = nullptr;
    HANDLE stdoutWrite = nullptr;
    if (pipes) {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        if (!CreatePipe(&stdinRead, &stdinWrite, &inherit, 0) ||
            !CreatePipe(&stdoutRead, &stdoutWrite, &inherit, 0))
            return false;
        SetHandleInformation(stdinWrite, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(stdoutRead, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = stdinRead;
        startup.hStdOutput = stdoutWrite;
        startup.hStdError = stdoutWrite;
    }
    std::wstring commandLine = L"\"" + BesideThisProgram(program) + L"\"";
    if (!commandTail.empty()) commandLine += L" " + commandTail;
    const BOOL created = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, pipes,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    if (stdinRead) CloseHandle(stdinRead);
    if (stdoutWrite) CloseHandle(stdoutWrite);
    return created != FALSE;
}

DWORD ChildProcess::Wait(DWORD timeoutMs) {
    if (!process.hProcess) return STILL_ACTIVE;
    WaitForSingleObject(process.hProcess, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &code);
    return code;
}

bool ChildProcess::Send(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    return stdinWrite &&
           WriteFile(stdinWrite, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

bool ChildProcess::WaitForOutput(const std::string& text, DWORD timeoutMs) {
    const ULONGLONG start = GetTickCount64();
    while (output.find(text) == std::string::npos) {
        DWORD available = 0;
        if (!PeekNamedPipe(stdoutRead, nullptr, 0, nullptr, &available, nullptr)) return false;
        if (available == 0) {
            if (GetTickCount64() - start > timeoutMs) return false;
            Sleep(10);
            continue;
        }
        char buffer[512];
        DWORD read = 0;
        if (!ReadFile(stdoutRead, buffer, sizeof(buffer), &read, nullptr)) return false;
        output.append(buffer, read);
    }
    return true;
}

bool Simulator::Start() {
    return process.Start(L"KestrelSim.exe", L"--empty --tick 0", true) &&
           process.WaitForOutput("ready", 10000);
}

HWND WaitForPanelWindow(DWORD timeoutMs) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (HWND window = FindWindowW(kInstanceId, nullptr)) return window;
        if (GetTickCount64() - start > timeoutMs) return nullptr;
        Sleep(20);
    }
}

int RowCount(HWND panel) {
    return static_cast<int>(SendDlgItemMessageW(panel, IDC_PORT_LIST, LVM_GETITEMCOUNT, 0, 0));
}

bool WaitForRowCount(HWND panel, int count, DWORD timeoutMs) {
    const ULONGLONG start = GetTickCount64();
    while (RowCount(panel) != count) {
        if (GetTickCount64() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

std::vector<std::wstring> ColumnTexts(HWND panel, int column) {
    std::vector<std::wstring> texts;
    HWND list = GetDlgItem(panel, IDC_PORT_LIST);
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process) return texts;
    // The list writes the text into memory of its own process.
    constexpr size_t kChars = 260;
    auto* remote = static_cast<BYTE*>(VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kChars * 2,
                                                     MEM_COMMIT, PAGE_READWRITE));
    if (remote) {
        const int rows = RowCount(panel);
        for (int row = 0; row < rows; ++row) {
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = reinterpret_cast<LPWSTR>(remote + sizeof(LVITEMW));
            item.cchTextMax = kChars;
            wchar_t text[kChars] = {};
            if (!WriteProcessMemory(process, remote, &item, sizeof(item), nullptr)) break;
            SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
            if (!ReadProcessMemory(process, remote + sizeof(LVITEMW), text, sizeof(text), nullptr))
                break;
            text[kChars - 1] = L'\0';
            texts.emplace_back(text);
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return texts;
}

namespace {

struct WindowCount {
    DWORD processId;
    int visible;
};

BOOL CALLBACK CountVisibleWindow(HWND window, LPARAM param) {
    auto* count = reinterpret_cast<WindowCount*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == count->processId && IsWindowVisible(window)) ++count->visible;
    return TRUE;
}

}  // namespace

int VisibleWindowsOf(DWORD processId) {
    WindowCount count{processId, 0};
    EnumWindows(CountVisibleWindow, reinterpret_cast<LPARAM>(&count));
    return count.visible;
}

}  // namespace kestrel::e2e
