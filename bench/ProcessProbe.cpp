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
//   gdi_table  used entries of the GDI handle table that Wine publishes in the
//              process's PEB, -1 where it cannot be read; under Wine every
//              process has its own table, so these are the process's GDI
//              objects, stock ones included
// rows is the row count of the panel's port list when the process is the
// running panel (asked with a time-out, so a hung panel shows as -1), else -1.
// Exit code 1: no such process, no running panel, or no memory figures of the
// process; 2: usage.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "CHandle.h"
#include "PanelTexts.h"

namespace {

using namespace kestrel;

// One entry of the GDI handle table as Wine keeps it, the same in 32-bit and
// 64-bit processes: kernel object, owner process, reuse counter, type, user
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
static_assert(sizeof(GdiTableEntry) == 24, "GDI handle table layout");
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
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != count->processId) return TRUE;
    ++count->windows;
    ::EnumChildWindows(window, CountChildWindow, param);
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
    while ((status = ::NtQuerySystemInformation(kSystemExtendedHandleInformation, buffer.data(),
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
    ::EnumWindows(CountTopLevelWindow, reinterpret_cast<LPARAM>(&count));
    return count.windows;
}

// Reads from the probed process; an address this probe cannot reach fails.
bool ReadRemote(HANDLE process, UINT64 address, void* buffer, size_t size) {
    if (address == 0 || address > static_cast<UINT64>(static_cast<ULONG_PTR>(-1))) return false;
    return ::ReadProcessMemory(process,
                               reinterpret_cast<const void*>(static_cast<ULONG_PTR>(address)),
                               buffer, size, nullptr) != FALSE;
}

template <typename T>
bool ReadRemote(HANDLE process, UINT64 address, T* value) {
    return ReadRemote(process, address, value, sizeof *value);
}

// Offsets of ImageBaseAddress and GdiSharedHandleTable in the two PEB layouts.
constexpr UINT64 kPeb64ImageBase = 0x10;
constexpr UINT64 kPeb64GdiTable = 0xF8;
constexpr UINT64 kPeb32ImageBase = 0x08;
constexpr UINT64 kPeb32GdiTable = 0x94;

// The address of the probed process's GDI handle table, 0 where it cannot be
// found. Wine publishes it in the 64-bit PEB of every process that has one: a
// 64-bit process, and a 32-bit process in a 64-bit prefix, whose 64-bit PEB
// lies one page below its 32-bit PEB (the image base in both tells that the
// guess is right). A 32-bit process in a 32-bit prefix has it in its 32-bit PEB.
UINT64 GdiTableAddress(HANDLE process) {
    PROCESS_BASIC_INFORMATION basic{};
    if (::NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic,
                                    nullptr) != 0 ||
        basic.PebBaseAddress == nullptr) {
        return 0;
    }
    const auto peb = static_cast<UINT64>(reinterpret_cast<ULONG_PTR>(basic.PebBaseAddress));
    UINT64 table = 0;
#ifdef _WIN64
    ReadRemote(process, peb + kPeb64GdiTable, &table);
#else
    // From a 32-bit probe the PEB given is the 32-bit one.
    BOOL wow64 = FALSE;
    if (::IsWow64Process(process, &wow64) && wow64) {
        const UINT64 peb64 = peb - 0x1000;
        UINT64 image64 = 0;
        ULONG image32 = 0;
        if (ReadRemote(process, peb64 + kPeb64ImageBase, &image64) &&
            ReadRemote(process, peb + kPeb32ImageBase, &image32) && image64 == image32) {
            ReadRemote(process, peb64 + kPeb64GdiTable, &table);
        }
    } else {
        ULONG table32 = 0;
        if (ReadRemote(process, peb + kPeb32GdiTable, &table32)) table = table32;
    }
#endif
    return table;
}

// Used entries of the probed process's GDI handle table, -1 where it cannot be read.
long CountGdiTableEntries(HANDLE process) {
    const UINT64 table = GdiTableAddress(process);
    std::vector<GdiTableEntry> entries(kGdiTableEntries);
    if (!ReadRemote(process, table, entries.data(), entries.size() * sizeof(GdiTableEntry)))
        return -1;
    long used = 0;
    for (const GdiTableEntry& entry : entries) used += entry.type != 0 ? 1 : 0;
    return used;
}

constexpr UINT kRowsTimeoutMs = 5000;

long PanelRows(DWORD processId) {
    HWND panel = ::FindWindowW(kInstanceId, nullptr);
    DWORD owner = 0;
    if (panel) ::GetWindowThreadProcessId(panel, &owner);
    if (!panel || owner != processId) return -1;
    DWORD_PTR rows = 0;
    if (!::SendMessageTimeoutW(::GetDlgItem(panel, IDC_PORT_LIST), LVM_GETITEMCOUNT, 0, 0,
                               SMTO_ABORTIFHUNG, kRowsTimeoutMs, &rows)) {
        return -1;
    }
    return static_cast<long>(rows);
}

DWORD PanelProcessId() {
    HWND panel = ::FindWindowW(kInstanceId, nullptr);
    DWORD processId = 0;
    if (panel) ::GetWindowThreadProcessId(panel, &processId);
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
    const CHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process.IsValid()) {
        std::fprintf(stderr, "cannot open process %lu (error %lu)\n",
                     static_cast<unsigned long>(processId), ::GetLastError());
        return 1;
    }
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (!::GetProcessMemoryInfo(process.Get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                sizeof memory)) {
        std::fprintf(stderr, "cannot read the memory figures of process %lu (error %lu)\n",
                     static_cast<unsigned long>(processId), ::GetLastError());
        return 1;
    }
    DWORD handles = 0;
    if (!::GetProcessHandleCount(process.Get(), &handles) || handles == 0)
        handles = CountListedHandles(processId);
    const DWORD gdi = ::GetGuiResources(process.Get(), GR_GDIOBJECTS);
    const DWORD user = ::GetGuiResources(process.Get(), GR_USEROBJECTS);
    const SIZE_T privateBytes =
        memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
    const long gdiTable = CountGdiTableEntries(process.Get());

    std::printf(
        "pid=%lu handles=%lu gdi=%lu user=%lu private_kb=%llu working_set_kb=%llu "
        "windows=%d gdi_table=%ld rows=%ld\n",
        static_cast<unsigned long>(processId), static_cast<unsigned long>(handles),
        static_cast<unsigned long>(gdi), static_cast<unsigned long>(user),
        static_cast<unsigned long long>(privateBytes / 1024),
        static_cast<unsigned long long>(memory.WorkingSetSize / 1024), CountWindows(processId),
        gdiTable, PanelRows(processId));
    return 0;
}
