// Installs the crash dump writer as the program does and lets an exception
// escape: a structured one, or with the argument "throw" a C++ exception that
// leaves a noexcept function, as one leaving a window callback would.
// Started by CrashDumpTest.
#include <windows.h>

#include <cwchar>
#include <new>

#include "CrashDump.h"
#include "CrashProbe.h"

namespace {

void Callback() noexcept { throw std::bad_alloc(); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    kestrel::InstallCrashDumpWriter();
    if (argc > 1 && std::wcscmp(argv[1], L"throw") == 0) Callback();
    ::RaiseException(kProbeException, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    return 0;
}
