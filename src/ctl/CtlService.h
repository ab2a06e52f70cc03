// The service as the tool reads it, through the panel's link and refresh
// pass. A read gives kExitOk, or the exit code after the reason went to the
// error stream: 3 for a service that cannot be reached or a read that
// failed, 5 for a port it does not have.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "CtlConsole.h"
#include "PortRecord.h"
#include "PortRowInfo.h"
#include "ServiceMirror.h"

namespace kestrel::ctl {

// The rows the panel's list would show, by port name.
using PortRows = std::map<std::wstring, PortRowInfo, PortNameLess>;

class CtlService {
public:
    // pipeName: the part after \\.\pipe\; the service's own when empty.
    CtlService(CtlConsole& console, const std::wstring& pipeName);

    // Connects as the panel does at start-up, with the defaults and log
    // settings; whether that worked. Says nothing: status and check report
    // it in their own way.
    bool TryConnect();
    // Connects; kExitOk, or 3 after saying why not.
    int Connect();
    LinkState Link() const { return mirror.Link(); }
    // What the tool says of a service it cannot reach, by the result of a
    // request (for Done, by the link's state).
    std::wstring WhyUnreachable(const RequestResult& result) const;
    CplPipeClient& Client() { return mirror.Client(); }

    // One refresh pass as the panel's first one: Done or the result that
    // ended it. Says nothing.
    [[nodiscard]] RequestResult PassRows(PortRows& rows);
    // The same as a read, with the exit code.
    int ReadRows(PortRows& rows);
    // The record of a port the last pass read.
    const PortRecord* PassRecord(const std::wstring& name) { return mirror.FindPort(name); }

    // The service's name for the port given, matched exactly or else without
    // regard to case, with the port read in full into Port().
    int FindPort(const std::wstring& given, std::wstring& name);
    // Reads the port's device data and parameters into Port() afresh.
    int ReadPort(const std::wstring& name);
    // The port FindPort found, as last read.
    const PortRecord& Port() const { return port; }

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
    ServiceMirror mirror;
    PortRecord port;
};

}  // namespace kestrel::ctl
