// ProcessProbe: the resource figures of one process, on one line, for the long
// run's samples. Without a process id it probes the running panel, found by its
// main window's class.
// Usage: ProcessProbe [pid]
//
// Output (exit code 0), one line of key=value pairs:
//   pid handles gdi user private_kb working_set_kb windows gdi_table rows
// handles, gdi, user, private_kb and working_set_kb are what Windows reports
// (GetProcessHandleCount, GetGuiResources, GetProcessMemoryInfo). Wine 8
// answers 0 for the handle count, PrivateUsage and GetGuiResources, so:
//   handles    falls back to the process's entries in the system handle list
//   private_kb falls back to PagefileUsage, the same commit charge on Windows
//              (Wine: the process's anonymous resident and swapped memory)
// and two counts that Wine does keep are added:
//   windows    windows of the process, top-level and child (USER objects that
//              a program creates most often)
//   gdi_table  used entries of the GDI handle table in the process's PEB, -1
//              where it cannot be read; under Wine every process has its own
//              table, so these are the process's GDI objects, stock ones included
// rows is the row count of the panel's port list when the process is the
// running panel (asked with a time-out, so a hung panel shows as -1), else -1.
// Exit code 1: no such process or no running panel; 2: usage.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "PanelTexts.h"

namespace {

using namespace kestrel;

// One entry of a GDI handle table as the PEB's GdiSharedHandleTable holds it in
// a 64-bit process: kernel object, owner process, reuse counter, type, user
// data. An entry is in use while its type is not 0.
struct GdiTableEntry {
    UINT64 object;
    USHORT ownerProcessId;
    USHORT lock;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    UINT64 userPointer;
};
static_assert(sizeof(GdiTableEntry) == 24, "64-bit GDI handle table layout");
constexpr size_t kGdiTableEntries = 0x10000;

struct WindowCount {
    DWORD processId;
    int windows;
};

BOOL CALLBACK CountChildWindow(HWND, LPARAM param) {
    ++reinterpret_cast<WindowCount*>(param)->windows;
    return TRUE;
}

BOOL CALLBACK CountTopLevelWindow(HWND window, LPARAM param) {
    auto* count = reinterpret_cast<WindowCount*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != count->processId) return TRUE;
    ++count->windows;
    EnumChildWindows(window, CountChildWindow, param);
    return TRUE;
}

// The process's entries in the system handle list (SystemExtendedHandleInformation).
struct HandleEntry {
    PVOID object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG attributes;
    ULONG reserved;
};
struct HandleList {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};
constexpr auto kSystemExtendedHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(64);
constexpr NTSTATUS kStatusInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

DWORD CountListedHandles(DWORD processId) {
    std::vector<BYTE> buffer(1 << 20);
    NTSTATUS status;
    ULONG needed = 0;
    while ((status = NtQuerySystemInformation(kSystemExtendedHandleInformation, buffer.data(),
                                              static_cast<ULONG>(buffer.size()), &needed)) ==
           kStatusInfoLengthMismatch) {
        if (buffer.size() >= (256u << 20)) return 0;
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0) return 0;
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    DWORD count = 0;
    for (ULONG_PTR i = 0; i < list->count; ++i)
        count += list->entries[i].processId == processId ? 1 : 0;
    return count;
}

int CountWindows(DWORD processId) {
    WindowCount count{processId, 0};
    EnumWindows(CountTopLevelWindow, reinterpret_cast<LPARAM>(&count));
    return count.windows;
}

// Reads the table through the probed process's PEB. Only 64-bit processes read
// from a 64-bit probe have this layout, so anything else gives -1.
long CountGdiTableEntries(HANDLE process) {
#ifdef _WIN64
    BOOL wow64 = FALSE;
    if (!IsWow64Process(process, &wow64) || wow64) return -1;
    PROCESS_BASIC_INFORMATION basic{};
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic,
                                  nullptr) != 0 ||
        basic.PebBaseAddress == nullptr) {
        return -1;
    }
    // GdiSharedHandleTable's offset in the 64-bit PEB.
    constexpr size_t kPebGdiSharedHandleTable = 0xF8;
    UINT64 table = 0;
    if (!ReadProcessMemory(process,
                           reinterpret_cast<const BYTE*>(basic.PebBaseAddress) +
                               kPebGdiSharedHandleTable,
                           &table, sizeof table, nullptr) ||
        table == 0) {
        return -1;
    }
    std::vector<GdiTableEntry> entries(kGdiTableEntries);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(),
                           entries.size() * sizeof(GdiTableEntry), nullptr)) {
        return -1;
    }
    long used = 0;
    for (const GdiTableEntry& entry : entries) used += entry.type != 0 ? 1 : 0;
    return used;
#else
    (void)process;
    return -1;
#endif
}

constexpr UINT kRowsTimeoutMs = 5000;

long PanelRows(DWORD processId) {
    HWND panel = FindWindowW(kInstanceId, nullptr);
    DWORD owner = 0;
    if (panel) GetWindowThreadProcessId(panel, &owner);
    if (!panel || owner != processId) return -1;
    DWORD_PTR rows = 0;
    if (!SendMessageTimeoutW(GetDlgItem(panel, IDC_PORT_LIST), LVM_GETITEMCOUNT, 0, 0,
                             SMTO_ABORTIFHUNG, kRowsTimeoutMs, &rows)) {
        return -1;
    }
    return static_cast<long>(rows);
}

DWORD PanelProcessId() {
    HWND panel = FindWindowW(kInstanceId, nullptr);
    DWORD processId = 0;
    if (panel) GetWindowThreadProcessId(panel, &processId);
    return processId;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: ProcessProbe [pid]\n");
        return 2;
    }
    const DWORD processId =
        argc == 2 ? static_cast<DWORD>(std::strtoul(argv[1], nullptr, 0)) : PanelProcessId();
    if (processId == 0) {
        std::fprintf(stderr, "no running panel\n");
        return 1;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) {
        std::fprintf(stderr, "cannot open process %lu (error %lu)\n",
                     static_cast<unsigned long>(processId), GetLastError());
        return 1;
    }
    DWORD handles = 0;
    if (!GetProcessHandleCount(process, &handles) || handles == 0)
        handles = CountListedHandles(processId);
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    const SIZE_T privateBytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
    const long gdiTable = CountGdiTableEntries(process);
    CloseHandle(process);

    std::printf("pid=%lu handles=%lu gdi=%lu user=%lu private_kb=%llu working_set_kb=%llu "
                "windows=%d gdi_table=%ld rows=%ld\n",
                static_cast<unsigned long>(processId), static_cast<unsigned long>(handles),
                static_cast<unsigned long>(gdi), static_cast<unsigned long>(user),
                static_cast<unsigned long long>(privateBytes / 1024),
                static_cast<unsigned long long>(memory.WorkingSetSize / 1024),
                CountWindows(processId), gdiTable, PanelRows(processId));
    return 0;
}
