// The program's entry point. The crash dump writer goes in before it runs.
#include <windows.h>

#include "CrashDump.h"
#include "DllSearch.h"
#include "Startup.h"

namespace {

struct CrashDumpInstaller {
    CrashDumpInstaller() { kestrel::InstallCrashDumpWriter(); }
};
// Static initialisation, so that a fault anywhere in the program, its own
// start-up included, leaves a dump.
const CrashDumpInstaller crashDumpInstaller;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    kestrel::RestrictDllSearchToSystem();
    return kestrel::PanelMain(instance, commandLine, showCommand);
}
