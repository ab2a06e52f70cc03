// The panel's mirror of the service: the service client, the port table, the
// cached defaults and log settings, and the periodic refresh that keeps them
// and the port list in step with the service. The main window owns one and
// lends its records to the editing flows, which change them in place.
#pragma once

#include <cstdint>
#include <string>

#include "CplPipeClient.h"
#include "DmsConfig.h"
#include "LogSettings.h"
#include "PortListView.h"
#include "PortRecord.h"

namespace kestrel {

// The full row of a port; also used by the editing flows after they change a record.
PortRowInfo MakePortRow(const PortRecord& record, const std::wstring& name);

class ServiceMirror {
public:
    // Holds a flag for the life of the scope, on every way out. While editing
    // is held, refresh passes return at once; while refreshing is held, the
    // editing flows do nothing.
    class FlagScope;
    class EditingScope;
    class RefreshingScope;

    explicit ServiceMirror(const wchar_t* pipeName = kServicePipeName);

    // First contact at start-up: connect with the long time-out and, when that
    // works, read the defaults and the log settings. Failures leave the marks clear.
    void ConnectAtStartup();

    // One refresh pass; returns at once while an editing flow runs or a pass is
    // already running (re-entered from a nested message loop). The first
    // request that times out or finds the link down ends the pass, and the
    // rows stay as they were.
    void RefreshPorts(PortListView& list);

    // For the editing flows.
    bool IsEditing() const { return editing; }
    bool IsRefreshing() const { return refreshing; }
    CplPipeClient& Client() { return client; }
    // The port's record, lent to a dialog that edits it in place; null when
    // the table has no such port.
    PortRecord* FindPort(const std::wstring& name);
    // The cached defaults and log settings, lent the same way.
    DmsConfig* LendDefaults() { return &defaultDms; }
    LogSettings* LendLogSettings() { return &logSettings; }
    // Hands the port's row, made from its record as it is now, to the list.
    void ShowPort(PortListView& list, const std::wstring& name);
    // The service no longer has the port: its row leaves the list and its
    // record the table.
    void ErasePort(PortListView& list, const std::wstring& name);
    // Reads the port's device data and DMS parameters into its record; 0, or
    // the first failure's code. A failure leaves the failure values in the
    // record (status 3 among them, so that ShowPort then deletes its row) and
    // marks the port for a full read on the next pass; after a link failure
    // the parameters are not asked for.
    uint32_t ReadPortInFull(const std::wstring& name);
    // Read the cache from the service and set its loaded mark by the outcome;
    // 0 or the failure.
    uint32_t ReadDefaults();
    uint32_t ReadLogSettings();
    // The caches now hold what the service was just given.
    void MarkDefaultsLoaded() { defaultDmsLoaded = true; }
    void MarkLogSettingsLoaded() { logSettingsLoaded = true; }
    // Every port that follows the defaults takes the cached ones, and its row shows them.
    void ShowDefaultsOnFollowers(PortListView& list);

    // How the last connect attempt left the link; see LinkState.
    const LinkState& Link() const { return client.LastConnect(); }

    // What the mirror holds, for reading.
    const PortTable& Ports() const { return ports; }
    const DmsConfig& DefaultDms() const { return defaultDms; }
    bool DefaultDmsLoaded() const { return defaultDmsLoaded; }
    const LogSettings& LogSettingsCache() const { return logSettings; }
    bool LogSettingsLoaded() const { return logSettingsLoaded; }
    uint32_t ListStamp() const { return listStamp; }

private:
    // Reads the defaults and the log settings that are not loaded; false when
    // a read met a link failure, which ends the pass.
    bool LoadCaches();
    // 0, or the failure of GetPortCounters; the pairs shift only on success.
    uint32_t PollCounters(const std::wstring& name, PortRecord& record);
    uint32_t ReadInFull(const std::wstring& name, PortRecord& record);
    // The full read for the refresh: a read cut off by a link failure leaves
    // the record as it was, since nothing was learnt about the port.
    uint32_t RereadPort(const std::wstring& name, PortRecord& record);
    // Both false when the pass was cut short: by a failed GetPortName or a
    // link failure (then nothing is removed and the next tick enumerates
    // afresh), or in a poll by a link failure (the remaining ports untouched).
    bool Enumerate(PortListView& list, uint32_t stamp, uint32_t count);
    bool Poll(PortListView& list);

    CplPipeClient client;
    bool editing = false;     // an editing flow's dialog is open
    bool refreshing = false;  // RefreshPorts is running
    uint32_t listStamp = 0;   // port list stamp last enumerated; 0 after every connect
    PortTable ports;
    DmsConfig defaultDms;
    bool defaultDmsLoaded = false;
    LogSettings logSettings;
    bool logSettingsLoaded = false;
};

class ServiceMirror::FlagScope {
public:
    ~FlagScope() { flag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

protected:
    explicit FlagScope(bool& held) : flag(held) { flag = true; }

private:
    bool& flag;
};

class ServiceMirror::EditingScope : public FlagScope {
public:
    explicit EditingScope(ServiceMirror& mirror) : FlagScope(mirror.editing) {}
};

class ServiceMirror::RefreshingScope : public FlagScope {
public:
    explicit RefreshingScope(ServiceMirror& mirror) : FlagScope(mirror.refreshing) {}
};

}  // namespace kestrel
