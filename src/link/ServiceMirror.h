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
    // already running (re-entered from a nested message loop).
    void RefreshPorts(PortListView& list);

    // Reads a port's device data and DMS parameters into its record; 0, or the
    // first failure's code. A failure leaves the failure values in the record
    // and marks it for a full read on the next pass.
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
    void LoadCaches();
    bool PollCounters(const std::wstring& name, PortRecord& record);
    // false when GetPortName failed and the enumeration was abandoned.
    bool Enumerate(PortListView& list, uint32_t stamp, uint32_t count);
    void Poll(PortListView& list);
};

}  // namespace kestrel
