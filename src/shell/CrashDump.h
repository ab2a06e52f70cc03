// The crash dump writer: when an exception escapes every handler, a full-memory
// dump of the process goes into the user's temporary folder, and the system
// then carries on with its default handling.
#pragma once

#include <windows.h>

#include <ctime>

namespace kestrel {

inline constexpr size_t kDumpPathChars = MAX_PATH;  // including the terminating zero

// Installed as the unhandled-exception filter; always EXCEPTION_CONTINUE_SEARCH.
LONG WINAPI WriteCrashDump(EXCEPTION_POINTERS* exception) noexcept;

// The code of the structured exception that stands for a C++ exception no
// handler took (see InstallCrashDumpWriter).
inline constexpr DWORD kUncaughtCppException = 0xE0435050;

// Installs WriteCrashDump as the unhandled-exception filter, and a handler for
// std::terminate that raises kUncaughtCppException: a C++ exception that
// reaches a window callback (they are noexcept) or leaves the entry point, an
// allocation failure among them, then ends the program with a dump as any
// other fault does, instead of through abort, which writes none.
void InstallCrashDumpWriter();

// The expanded %TEMP% (the text itself when the variable is undefined). False
// when the expansion fails or does not fit, since the buffer then holds no
// usable, terminated path.
bool ExpandTempFolder(wchar_t (&folder)[MAX_PATH]);

// <tempFolder>\KestrelCpl_YYYYMMDDhhmmss.dmp for a local time, cut to
// kDumpPathChars - 1 characters. It runs inside a failing process, so it
// writes into a fixed buffer: nothing a broken heap could refuse.
void FormatDumpPath(wchar_t (&path)[kDumpPathChars], const wchar_t* tempFolder,
                    const std::tm& localTime);

}  // namespace kestrel
