// Installs the crash dump writer as the program does and lets an exception
// escape: a structured one, or with the argument "throw" a C++ exception that
// leaves a noexcept function, as one leaving a window callback would. With
// the argument "load" it restricts the DLL search as the program does and
// loads DBGHELP.DLL by name instead: it ends with kDecoyLoaded when that took
// the decoy beside it. Started by CrashDumpTest.
#include <windows.h>

#include <cwchar>
#include <new>

#include "CrashDump.h"
#include "CrashProbe.h"
#include "DllSearch.h"

namespace {

// Called through a pointer, as a window procedure is, so that the compiler
// does not see at the call that it throws.
void (*volatile allocate)() = [] { throw std::bad_alloc(); };

void Callback() noexcept { allocate(); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wcscmp(argv[1], L"load") == 0) {
        kestrel::RestrictDllSearchToSystem();
        wchar_t probe[MAX_PATH] = {};
        wchar_t loaded[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, probe, MAX_PATH);
        ::GetModuleFileNameW(::LoadLibraryW(L"DBGHELP.DLL"), loaded, MAX_PATH);
        *std::wcsrchr(probe, L'\\') = L'\0';
        const bool beside = std::wcsncmp(loaded, probe, std::wcslen(probe)) == 0 &&
                            std::wcschr(loaded + std::wcslen(probe) + 1, L'\\') == nullptr;
        return beside ? kDecoyLoaded : 0;
    }
    kestrel::InstallCrashDumpWriter();
    if (argc > 1 && std::wcscmp(argv[1], L"throw") == 0) Callback();
    ::RaiseException(kProbeException, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    return 0;
}
