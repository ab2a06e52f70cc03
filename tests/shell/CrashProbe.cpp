// Installs the crash dump writer and lets an exception escape, as the program
// would on a fault. Started by CrashDumpTest.
#include <windows.h>

#include "CrashDump.h"
#include "CrashProbe.h"

int wmain() {
    SetUnhandledExceptionFilter(kestrel::WriteCrashDump);
    RaiseException(kProbeException, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    return 0;
}
