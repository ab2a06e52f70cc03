// The panel's mirror of the service: the service client, the port table, the
// cached defaults and log settings, and the periodic refresh that keeps them
// and the port list in step with the service. The main window owns one and
// lends its records to the editing flows, which change them in place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "CplPipeClient.h"
#include "DmsConfig.h"
#include "FlagScope.h"
#include "LogSettings.h"
#include "PortListView.h"
#include "PortRecord.h"
#include "RefreshPass.h"
#include "StallWatch.h"

namespace kestrel {

class ServiceMirror {
public:
    // Hold editing or refreshing for the life of the scope (FlagScope). While
    // editing is held, refresh passes return at once; while refreshing is
    // held, the editing flows do nothing.
    class EditingScope;
    class RefreshingScope;

    explicit ServiceMirror(const wchar_t* pipeName = kServicePipeName);

    // First contact at start-up: connect with the long time-out and, when that
    // works, read the defaults and the log settings. Failures leave the marks
    // clear. Holds refreshing meanwhile, as a pass does.
    void ConnectAtStartup();

    // One refresh pass; returns at once while an editing flow runs or a pass is
    // already running (re-entered from a nested message loop). The first
    // request that times out or finds the link down ends the pass, and the
    // rows stay as they were. A time-out also closes the link and makes the
    // service not responding: passes then leave it alone for a quiet period
    // and make one attempt with a short exchange budget, until one is answered.
    void RefreshPorts(PortListView& list);
    // How the last pass that ran ended: Done when it went through (and
    // sorted the list), else the result that ended it.
    const RequestResult& LastPassResult() const { return lastPass; }

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
    // The editing flows send their change over a link that is open, whatever
    // closed it (a silent service the refresh leaves alone, a service that
    // went away, a malformed answer): a closed one is opened again first.
    // Done, or the connect's failure (its outcome noted as a pass's would be).
    [[nodiscard]] RequestResult ReopenForChange();
    // What a request the service was sent ended with decides whether it is
    // not responding: a time-out makes it so at once (the link is closed and
    // the quiet period starts), any answer or a service found gone ends it.
    void NoteOutcome(const RequestResult& result);
    // Hands the port's row, made from its record as it is now, to the list.
    void ShowPort(PortListView& list, const std::wstring& name);
    // The service no longer has the port: its row leaves the list and its
    // record the table.
    void ErasePort(PortListView& list, const std::wstring& name);
    // Reads the port's device data and DMS parameters into its record; Done,
    // or the first failure. A refusal leaves the failure values in the
    // record (status 3 among them, so that ShowPort then deletes its row); a
    // link failure leaves the record as it was. Either way the port is marked
    // for a full read on the next pass.
    [[nodiscard]] RequestResult ReadPortInFull(const std::wstring& name);
    // The port's record holds what the service has not confirmed: the next
    // pass that gets through reads it in full.
    void MarkForFullRead(const std::wstring& name);
    // Read the cache from the service and set its loaded mark by the outcome;
    // Done or the failure. A link failure leaves the cache as it was.
    [[nodiscard]] RequestResult ReadDefaults();
    [[nodiscard]] RequestResult ReadLogSettings();
    // The caches hold what the service was just given (loaded), or what it
    // has not confirmed (not loaded: the next pass reads them).
    void MarkDefaultsLoaded(bool loaded = true) { defaultDmsLoaded = loaded; }
    void MarkLogSettingsLoaded(bool loaded = true) { logSettingsLoaded = loaded; }
    // Every port that follows the defaults takes the cached ones, and its row
    // shows them; while the defaults are not loaded, the next pass reads
    // those ports in full.
    void ShowDefaultsOnFollowers(PortListView& list);

    // How the link stands: not responding after a refresh exchange timed out,
    // else as the last connect attempt left it; see LinkState.
    LinkState Link() const;
    // Timing of the not-responding state; tests shorten it.
    void SetStallTiming(uint32_t quietMs, uint32_t attemptBudgetMs) {
        stall = StallWatch(quietMs, attemptBudgetMs);
    }

    // What the mirror holds, for reading.
    const PortTable& Ports() const { return ports; }
    const DmsConfig& DefaultDms() const { return defaultDms; }
    bool DefaultDmsLoaded() const { return defaultDmsLoaded; }
    const LogSettings& LogSettingsCache() const { return logSettings; }
    bool LogSettingsLoaded() const { return logSettingsLoaded; }
    // The stamp last enumerated; empty when the ports have not been
    // enumerated since the last connect.
    [[nodiscard]] const std::optional<uint32_t>& ListStamp() const { return listStamp; }

private:
    // Connects; a new connection invalidates the caches and the list stamp.
    [[nodiscard]] RequestResult Connect(uint32_t timeoutMs);
    // The pass itself: Done when it completed and the list was sorted, else
    // the result that ended it.
    [[nodiscard]] RequestResult Pass(PortListView& list);
    // Reads the defaults and the log settings that are not loaded; Done, or
    // the link failure that a read met, which ends the pass.
    [[nodiscard]] RequestResult LoadCaches();

    CplPipeClient client;
    bool editing = false;               // an editing flow's dialog is open
    bool refreshing = false;            // RefreshPorts is running
    std::optional<uint32_t> listStamp;  // see ListStamp
    PortTable ports;
    DmsConfig defaultDms;
    bool defaultDmsLoaded = false;
    LogSettings logSettings;
    bool logSettingsLoaded = false;
    StallWatch stall;
    RequestResult lastPass;
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
