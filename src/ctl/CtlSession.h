// Runs one request of the tool against the service, with the panel's link,
// refresh pass, DMS rules and texts: connects, does its work, prints, and
// gives the exit code.
#pragma once

#include <cstdint>
#include <string>

#include "CtlCommandLine.h"
#include "CtlConsole.h"
#include "CtlFormat.h"
#include "CtlService.h"
#include "DmsConfig.h"
#include "DmsRules.h"

namespace kestrel::ctl {

class CtlSession {
public:
    // pipeName: the part after \\.\pipe\; the service's own when empty.
    // timeoutSeconds: the run's deadline; 0 for none.
    CtlSession(CtlConsole& console, const std::wstring& pipeName, uint32_t timeoutSeconds);

    int Run(const CtlRequest& request);

private:
    // The DMS texts and flags a set command ends up with, checked as Apply does.
    struct DmsChange {
        DmsInputCheck check;
        bool ssl = false;
        bool active = false;
    };

    // The handlers, one for each row of the command table (CtlCommandTable.h)
    // and named as in it: each runs its command and gives the exit code.
    int Status(const CtlRequest& request);
    int Ports(const CtlRequest& request);
    int Get(const CtlRequest& request);
    int Set(const CtlRequest& request);
    int FollowDefaults(const CtlRequest& request);
    int Defaults(const CtlRequest& request);
    int ChangeDefaults(const CtlRequest& request);
    int Log(const CtlRequest& request);
    int SetLog(const CtlRequest& request);
    // One line and the check's own exit code (CtlCheck.h), whatever happens.
    int Check(const CtlRequest& request);

    int ShowPort(const PortRecord& port);
    // Reads the port afresh and prints its parameters.
    int ReadBackPort(const std::wstring& name);
    // Print the cached settings, read first when not loaded or when afresh.
    int ShowDefaults(bool afresh);
    int ShowLogSettings(bool afresh);
    // The entries over the reference, checked as the dialogs check them; kExitOk or 2.
    int CheckChange(const CtlRequest& request, const DmsConfig& reference, DmsChange& change);
    // Prints the dialog's message for entries it refuses; 2.
    int Invalid(const DmsInputCheck& check);
    // Asks nothing with --yes; without it, prints the question and gives 2.
    int Confirm(const DmsConfig& reference, const DmsChange& change, bool yes,
                const wchar_t* deactivationQuestion, const wchar_t* changeQuestion);
    // Reports the result of sending a change, as the panel reports it: on
    // success what readBack prints and gives; 3 when the service is gone or
    // silent, 5 when the port is, otherwise 4 after readBack has printed the
    // values the service kept.
    template <typename ReadBack>
    int Outcome(const RequestResult& result, const std::wstring& portLabel, ReadBack readBack);

    CtlConsole& console;
    CtlService service;
};

// The parameters as the tool shows them.
DmsSettings SettingsOf(const DmsConfig& dms);

}  // namespace kestrel::ctl
