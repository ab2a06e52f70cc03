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

// Called through a pointer, as a window procedure is, so that the compiler
// does not see at the call that it throws.
void (*volatile allocate)() = [] { throw std::bad_alloc(); };

void Callback() noexcept { allocate(); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    kestrel::InstallCrashDumpWriter();
    if (argc > 1 && std::wcscmp(argv[1], L"throw") == 0) Callback();
    ::RaiseException(kProbeException, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    return 0;
}
