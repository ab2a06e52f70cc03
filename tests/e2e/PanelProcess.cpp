#include "PanelProcess.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>

#include "ButtonIdPool.h"
#include "CHandle.h"
#include "DialogDriver.h"
#include "Eventually.h"
#include "ListView.h"
#include "PanelTexts.h"
#include "resource.h"

namespace kestrel::e2e {

HWND WaitForPanelWindow(DWORD timeoutMs, DWORD processId) {
    HWND window = nullptr;
    test::Eventually(
        [&] {
            while ((window = ::FindWindowExW(nullptr, window, kInstanceId, nullptr)) != nullptr) {
                DWORD owner = 0;
                ::GetWindowThreadProcessId(window, &owner);
                if (processId == 0 || owner == processId) return true;
            }
            return false;
        },
        timeoutMs);
    return window;
}

HWND LaunchPanel(ChildProcess& panel, const std::wstring& options, DWORD timeoutMs) {
    return panel.Start(kPanelProgram, options) ? WaitForPanelWindow(timeoutMs, panel.Id())
                                               : nullptr;
}

int RowCount(HWND panel) { return test::ItemCount(::GetDlgItem(panel, IDC_PORT_LIST)); }

bool WaitForRowCount(HWND panel, int count, DWORD timeoutMs) {
    return test::Eventually([&] { return RowCount(panel) == count; }, timeoutMs);
}

namespace {

// The list writes what it is asked for into memory of its own process.
CHandle OpenProcessOf(HWND window) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    return CHandle(
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
}

}  // namespace

std::vector<std::wstring> ColumnTexts(HWND panel, int column) {
    std::vector<std::wstring> texts;
    HWND list = ::GetDlgItem(panel, IDC_PORT_LIST);
    const CHandle process = OpenProcessOf(list);
    if (!process.IsValid()) return texts;
    constexpr size_t kChars = 260;
    auto* remote = static_cast<BYTE*>(::VirtualAllocEx(
        process.Get(), nullptr, sizeof(LVITEMW) + kChars * 2, MEM_COMMIT, PAGE_READWRITE));
    if (remote) {
        const int rows = RowCount(panel);
        for (int row = 0; row < rows; ++row) {
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = reinterpret_cast<LPWSTR>(remote + sizeof(LVITEMW));
            item.cchTextMax = kChars;
            wchar_t text[kChars] = {};
            if (!::WriteProcessMemory(process.Get(), remote, &item, sizeof(item), nullptr)) break;
            ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
            if (!::ReadProcessMemory(process.Get(), remote + sizeof(LVITEMW), text, sizeof(text),
                                     nullptr))
                break;
            text[kChars - 1] = L'\0';
            texts.emplace_back(text);
        }
        ::VirtualFreeEx(process.Get(), remote, 0, MEM_RELEASE);
    }
    return texts;
}

namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* windowClass;  // null: any
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !::IsWindowVisible(window)) return TRUE;
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    if (!search->windowClass || std::wstring(name) == search->windowClass)
        search->found.push_back(window);
    return TRUE;
}

// Visible top-level windows of a process, of that class unless null.
std::vector<HWND> VisibleWindowsOfClass(DWORD processId, const wchar_t* windowClass) {
    WindowSearch search{processId, windowClass, {}};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForFirst(const std::function<std::vector<HWND>()>& windows, DWORD timeoutMs) {
    std::vector<HWND> found;
    test::Eventually([&] { return !(found = windows()).empty(); }, timeoutMs);
    return found.empty() ? nullptr : found.front();
}

// The buttons are of a class of the panel's own; their command ids tell them.
BOOL CALLBACK CollectButton(HWND child, LPARAM param) {
    const int id = ::GetDlgCtrlID(child);
    if (id >= kFirstButtonId && id <= kLastButtonId)
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
    return TRUE;
}

std::vector<HWND> ListButtons(HWND panel) {
    std::vector<HWND> buttons;
    ::EnumChildWindows(::GetDlgItem(panel, IDC_PORT_LIST), CollectButton,
                       reinterpret_cast<LPARAM>(&buttons));
    return buttons;
}

}  // namespace

std::vector<HWND> DialogsOf(DWORD processId, const std::wstring& caption) {
    std::vector<HWND> dialogs = VisibleWindowsOfClass(processId, L"#32770");
    dialogs.erase(std::remove_if(dialogs.begin(), dialogs.end(),
                                 [&](HWND dialog) { return test::WindowText(dialog) != caption; }),
                  dialogs.end());
    return dialogs;
}

HWND WaitForDialog(DWORD processId, const std::wstring& caption, DWORD timeoutMs) {
    return WaitForFirst([&] { return DialogsOf(processId, caption); }, timeoutMs);
}

HWND WaitForPopupMenu(DWORD processId, DWORD timeoutMs) {
    return WaitForFirst([&] { return VisibleWindowsOfClass(processId, L"#32768"); }, timeoutMs);
}

int VisibleWindowsOf(DWORD processId) {
    return static_cast<int>(VisibleWindowsOfClass(processId, nullptr).size());
}

int EditButtonCount(HWND panel) { return static_cast<int>(ListButtons(panel).size()); }

HWND EditButtonOfRow(HWND panel, int row) {
    HWND list = ::GetDlgItem(panel, IDC_PORT_LIST);
    const CHandle process = OpenProcessOf(list);
    if (!process.IsValid()) return nullptr;
    RECT rowRect{LVIR_BOUNDS, 0, 0, 0};
    void* remote =
        ::VirtualAllocEx(process.Get(), nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    const bool read =
        remote && ::WriteProcessMemory(process.Get(), remote, &rowRect, sizeof(rowRect), nullptr) &&
        ::SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote)) &&
        ::ReadProcessMemory(process.Get(), remote, &rowRect, sizeof(rowRect), nullptr);
    if (remote) ::VirtualFreeEx(process.Get(), remote, 0, MEM_RELEASE);
    if (!read) return nullptr;
    // A row's button is placed over its last cell, within the row's height.
    for (HWND button : ListButtons(panel)) {
        RECT rect{};
        ::GetWindowRect(button, &rect);
        ::MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&rect), 2);
        const int middle = (rect.top + rect.bottom) / 2;
        if (::IsWindowVisible(button) && middle >= rowRect.top && middle < rowRect.bottom)
            return button;
    }
    return nullptr;
}

bool WaitForPostedMessages(HWND panel, DWORD timeoutMs) {
    HWND list = ::GetDlgItem(panel, IDC_PORT_LIST);
    DWORD_PTR width = 0;
    if (!::SendMessageTimeoutW(list, LVM_GETCOLUMNWIDTH, 0, 0, SMTO_NORMAL, timeoutMs, &width))
        return false;
    const auto widthBecomes = [&](int wanted) {
        ::PostMessageW(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(wanted, 0));
        return test::Eventually(
            [&] {
                DWORD_PTR now = 0;
                return ::SendMessageTimeoutW(list, LVM_GETCOLUMNWIDTH, 0, 0, SMTO_NORMAL, timeoutMs,
                                             &now) != 0 &&
                       now == static_cast<DWORD_PTR>(wanted);
            },
            timeoutMs, 10);
    };
    const int shown = static_cast<int>(width);
    return widthBecomes(shown + 1) && widthBecomes(shown);
}

DWORD LongestWaitForAnswer(HWND window, DWORD durationMs) {
    DWORD longest = 0;
    const ULONGLONG start = ::GetTickCount64();
    while (::GetTickCount64() - start < durationMs) {
        const ULONGLONG sent = ::GetTickCount64();
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, durationMs, &result))
            return durationMs + 1;
        longest = std::max(longest, static_cast<DWORD>(::GetTickCount64() - sent));
        ::Sleep(20);
    }
    return longest;
}

ProbeTally ProbeAnswers(HWND window, DWORD durationMs) {
    ProbeTally tally;
    const ULONGLONG start = ::GetTickCount64();
    for (ULONGLONG next = start; next - start < durationMs; next += 100) {
        const ULONGLONG now = ::GetTickCount64();
        if (next > now) ::Sleep(static_cast<DWORD>(next - now));
        DWORD_PTR result = 0;
        ++tally.sent;
        if (::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 250, &result))
            ++tally.answered;
    }
    return tally;
}

}  // namespace kestrel::e2e
