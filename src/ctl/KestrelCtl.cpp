// KestrelCtl: the Kestrel service's ports and settings from a script. Each run
// connects, does one command and ends with an exit code (CtlTexts.h; the
// check's own in CtlCheck.h).
#include <windows.h>

#include <string>
#include <vector>

#include "CtlCheck.h"
#include "CtlCommandLine.h"
#include "CtlConsole.h"
#include "CtlFormat.h"
#include "CtlSession.h"
#include "CtlTexts.h"
#include "DllSearch.h"

int wmain(int argc, wchar_t** argv) {
    kestrel::RestrictDllSearchToSystem();
    using namespace kestrel::ctl;
    CtlConsole console;
    const std::vector<std::wstring> args(argv + 1, argv + argc);
    const CtlParse parse = ParseCtlArguments(args);
    if (!parse.ok) {
        // A monitoring system reads the check's one line and its codes only.
        if (NamesCheck(args)) {
            console.Out(CheckStopped(parse.error).line + L"\r\n");
            return kCheckUnknown;
        }
        console.Err(parse.error);
        return kExitUsage;
    }
    CtlSession session(console, parse.request.pipe, parse.request.timeoutSeconds);
    const int code = session.Run(parse.request);
    // Output cut short is a failure even of a command that went through; a
    // command that failed keeps its own code. A check whose line did not get
    // out was not made, in its own codes.
    if (const DWORD error = console.OutputError()) {
        console.Err(FormatText(kOutputFailedFormat, static_cast<unsigned long>(error)));
        if (parse.request.command == CtlCommand::Check) return kCheckUnknown;
        return code == kExitOk ? kExitOutput : code;
    }
    return code;
}
