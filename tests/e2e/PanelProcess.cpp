#include "PanelProcess.h"

#include <commctrl.h>

#include "PanelTexts.h"
#include "resource.h"

namespace kestrel::e2e {

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
