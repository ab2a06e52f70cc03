// The panel's mirror of the service: the service client, the port table, the
// cached defaults and log settings, and the periodic refresh that keeps them
// and the port list in step with the service. The main window owns one.
#pragma once

#include <cstdint>
#include <string>

#include "CplPipeClient.h"
#include "DmsConfig.h"
#include "PortRecord.h"

namespace kestrel {

// The full row of a port; also used by the editing flows after they change a record.
PortRowInfo MakePortRow(const PortRecord& record, const std::wstring& name);

class ServiceMirror {
public:
    explicit ServiceMirror(const wchar_t* pipeName = kServicePipeName);

    // First contact at start-up: connect with the long time-out and, when that
    // works, read the defaults and the log settings. Failures leave the marks clear.
    void ConnectAtStartup();

    // One refresh pass; returns at once while an editing flow runs or a pass is
    // already running (re-entered from a nested message loop). The first
    // request that times out or finds the link down ends the pass, and the
    // rows stay as they were.
    void RefreshPorts(PortListView& list);

    // Reads a port's device data and DMS parameters into its record; 0, or the
    // first failure's code. A failure leaves the failure values in the record
    // and marks it for a full read on the next pass; after a link failure the
    // parameters are not asked for.
    uint32_t ReadPortInFull(const std::wstring& name, PortRecord& record);

    CplPipeClient client;
    bool editing = false;     // an editing flow's dialog is open
    bool refreshing = false;  // RefreshPorts is running
    uint32_t listStamp = 0;   // port list stamp last enumerated; 0 after every connect
    PortTable ports;
    DmsConfig defaultDms;
    bool defaultDmsLoaded = false;
    LogSettings logSettings;
    bool logSettingsLoaded = false;

private:
    // Reads the defaults and the log settings that are not loaded; false when
    // a read met a link failure, which ends the pass.
    bool LoadCaches();
    // 0, or the failure of GetPortCounters; the pairs shift only on success.
    uint32_t PollCounters(const std::wstring& name, PortRecord& record);
    // ReadPortInFull for the refresh: a read cut off by a link failure leaves
    // the record as it was, since nothing was learnt about the port.
    uint32_t RereadPort(const std::wstring& name, PortRecord& record);
    // Both false when the pass was cut short: by a failed GetPortName or a
    // link failure (then nothing is removed and the next tick enumerates
    // afresh), or in a poll by a link failure (the remaining ports untouched).
    bool Enumerate(PortListView& list, uint32_t stamp, uint32_t count);
    bool Poll(PortListView& list);
};

}  // namespace kestrel
