// The service as the tool reads it, through the panel's link and refresh
// pass, within the run's deadline when it has one. A read gives kExitOk, or
// the exit code after the reason went to the error stream: 3 for a service
// that cannot be reached or a read that failed, 5 for a port it does not have.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "CtlCheck.h"
#include "CtlConsole.h"
#include "CtlTexts.h"
#include "DeadlineWait.h"
#include "PortRecord.h"
#include "PortRowInfo.h"
#include "ServiceMirror.h"

namespace kestrel::ctl {

// The rows the panel's list would show, by port name.
using PortRows = std::map<std::wstring, PortRowInfo, PortNameLess>;

// One port read in full: the exit code, and when it is kExitOk the service's
// name for the port and its record as read.
struct PortRead {
    int exitCode = kExitOk;
    std::wstring name;
    PortRecord record;
};

class CtlService {
public:
    // pipeName: the part after \\.\pipe\; the service's own when empty.
    // timeoutSeconds: the run's deadline; 0 for none.
    CtlService(CtlConsole& console, const std::wstring& pipeName, uint32_t timeoutSeconds);

    // Connects as the panel does at start-up, with the defaults and log
    // settings; whether that worked. Says nothing: status and check report
    // it in their own way.
    bool TryConnect();
    // Connects; kExitOk, or 3 after saying why not.
    int Connect();
    LinkState Link() const { return mirror.Link(); }
    // What the tool says of a service it cannot reach, by the result of a
    // request (for Done, by the link's state); once the deadline has come,
    // that it did not answer within it.
    std::wstring WhyUnreachable(const RequestResult& result) const;
    // The change requests, sent as they are: the tool reports each result.
    ServiceChanges& Changes() { return mirror.Changes(); }

    // One refresh pass as the panel's first one: Done or the result that
    // ended it. Says nothing.
    [[nodiscard]] RequestResult PassRows(PortRows& rows);
    // The same as a read, with the exit code.
    int ReadRows(PortRows& rows);
    // The ports the last pass found listed but could not read.
    UnreadablePorts Unreadable() const;
    // The record of a port the last pass read.
    const PortRecord* PassRecord(const std::wstring& name) { return mirror.FindPort(name); }

    // The port given, its name matched exactly or else without regard to
    // case, read in full.
    PortRead FindPort(const std::wstring& given);
    // The port's device data and parameters, read afresh.
    PortRead ReadPort(const std::wstring& name);

    // Read the cached settings when not loaded, or afresh.
    int LoadDefaults(bool afresh = false);
    int LoadLogSettings(bool afresh = false);
    const DmsConfig& Defaults() const { return mirror.DefaultDms(); }
    const LogSettings& Log() const { return mirror.LogSettingsCache(); }

private:
    int Unreachable(const RequestResult& result);
    // A read that failed: unreachable for a link failure, else the message; 3.
    int ReadFailure(const RequestResult& result, const std::wstring& message);
    // The port list could not be read: ReadFailure with that message.
    int PortListFailure(const RequestResult& result);
    int SettingsRead(const RequestResult& result);

    CtlConsole& console;
    const std::wstring pipeName;  // outlives the mirror's client, which points to it
    const uint32_t timeoutSeconds;
    std::optional<DeadlineWait> deadline;  // outlives the mirror's client, which waits by it
    ServiceMirror mirror;
};

}  // namespace kestrel::ctl
