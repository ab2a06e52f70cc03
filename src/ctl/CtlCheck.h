// The check command: the service's ports judged as a monitoring system reads
// a plugin, one line and an exit code of its own. Portable: no windows.h.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "PortRecord.h"
#include "PortRowInfo.h"

namespace kestrel::ctl {

// The check's exit codes, which are not the tool's own.
enum CheckState : int {
    kCheckOk = 0,
    kCheckWarning = 1,   // an active port with a DMS link is not connected
    kCheckCritical = 2,  // no service to ask, or too many such ports
    kCheckUnknown = 3,   // a usage error, a port that could not be read, or anything else
                         // that stops the check
};

// The ports the service lists but refused to read: its status by port name.
using UnreadablePorts = std::map<std::wstring, uint32_t, PortNameLess>;

struct CheckVerdict {
    CheckState state = kCheckUnknown;
    std::wstring line;  // without the line end
};

// Ports a line names before it says how many more there are.
inline constexpr size_t kCheckPortsNamed = 5;

// The ports of one refresh pass, those with a device, in any order, and those
// it could not read. A port counts when its DMS connection is active and it
// has one (not in Serial mode): WARNING when one of them is not connected,
// CRITICAL when at least criticalNotConnected of them are not (0: never).
// A port that could not be read makes it UNKNOWN: what it shows is not known.
CheckVerdict CheckPorts(const std::vector<PortRowInfo>& ports, const UnreadablePorts& unreadable,
                        uint32_t criticalNotConnected);

// No service to judge: CRITICAL, with what the tool's status says of it.
CheckVerdict CheckUnreachable(const std::wstring& status);

// The check could not be made: UNKNOWN, with why.
CheckVerdict CheckStopped(const std::wstring& reason);

// Whether a command line names the check, so that what is wrong with it is
// reported as the check reports.
bool NamesCheck(const std::vector<std::wstring>& args);

}  // namespace kestrel::ctl
