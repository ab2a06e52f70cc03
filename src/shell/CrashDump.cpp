#include "CrashDump.h"

#include <dbghelp.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <cwchar>

#include "CHandle.h"
#include "PanelTexts.h"
#include "TScopeGuard.h"

namespace kestrel {

void FormatDumpPath(wchar_t (&path)[kDumpPathChars], const wchar_t* tempFolder,
                    const std::tm& localTime) {
    // _snwprintf leaves no terminator when it truncates; the last slot keeps one.
    path[kDumpPathChars - 1] = L'\0';
    _snwprintf(path, kDumpPathChars - 1, L"%ls\\%ls_%d%02d%02d%02d%02d%02d.dmp", tempFolder,
               kDumpProgramName, localTime.tm_year + 1900, localTime.tm_mon + 1, localTime.tm_mday,
               localTime.tm_hour, localTime.tm_min, localTime.tm_sec);
}

namespace {

using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                          PMINIDUMP_EXCEPTION_INFORMATION,
                                          PMINIDUMP_USER_STREAM_INFORMATION,
                                          PMINIDUMP_CALLBACK_INFORMATION);

LONG WriteDumpWith(MiniDumpWriteDumpFn writeDump, EXCEPTION_POINTERS* exception) {
    const std::time_t now = std::time(nullptr);
    if (now == static_cast<std::time_t>(-1)) return EXCEPTION_CONTINUE_SEARCH;
    const std::tm* local = std::localtime(&now);
    if (!local) return EXCEPTION_CONTINUE_SEARCH;

    wchar_t tempFolder[MAX_PATH];
    if (!ExpandTempFolder(tempFolder)) return EXCEPTION_CONTINUE_SEARCH;

    wchar_t path[kDumpPathChars];
    FormatDumpPath(path, tempFolder, *local);

    const CHandle file(::CreateFileW(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return EXCEPTION_CONTINUE_SEARCH;

    MINIDUMP_EXCEPTION_INFORMATION info{};
    info.ThreadId = ::GetCurrentThreadId();
    info.ExceptionPointers = exception;
    info.ClientPointers = FALSE;
    writeDump(::GetCurrentProcess(), ::GetCurrentProcessId(), file.Get(), MiniDumpWithFullMemory,
              &info, nullptr, nullptr);
    return EXCEPTION_CONTINUE_SEARCH;
}

// Loaded by name at the moment of need, so the program does not depend on it,
// and from the system folder only: a DLL of that name placed beside the
// program must never run inside it. Windows 7 without the update that brought
// the search flags refuses them with 87; there the full path serves instead.
HMODULE LoadSystemDbgHelp() {
    HMODULE module = ::LoadLibraryExW(L"DBGHELP.DLL", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module || ::GetLastError() != ERROR_INVALID_PARAMETER) return module;
    wchar_t path[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
    constexpr wchar_t kName[] = L"\\DBGHELP.DLL";
    if (length == 0 || length + sizeof kName / sizeof kName[0] > MAX_PATH) return nullptr;
    std::wcscpy(path + length, kName);
    return ::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

bool ExpandTempFolder(wchar_t (&folder)[MAX_PATH]) {
    const DWORD expanded = ::ExpandEnvironmentStringsW(L"%TEMP%", folder, MAX_PATH);
    return expanded != 0 && expanded <= MAX_PATH;
}

LONG WINAPI WriteCrashDump(EXCEPTION_POINTERS* exception) noexcept {
    const HMODULE dbghelp = LoadSystemDbgHelp();
    if (!dbghelp) return EXCEPTION_CONTINUE_SEARCH;
    const TScopeGuard unload([dbghelp]() noexcept { ::FreeLibrary(dbghelp); });
    auto writeDump = reinterpret_cast<MiniDumpWriteDumpFn>(
        reinterpret_cast<void*>(::GetProcAddress(dbghelp, "MiniDumpWriteDump")));
    return writeDump ? WriteDumpWith(writeDump, exception) : EXCEPTION_CONTINUE_SEARCH;
}

void InstallCrashDumpWriter() {
    ::SetUnhandledExceptionFilter(WriteCrashDump);
    std::set_terminate([]() noexcept {
        ::RaiseException(kUncaughtCppException, EXCEPTION_NONCONTINUABLE, 0, nullptr);
        std::abort();
    });
}

}  // namespace kestrel
