// The panel's mirror of the service: the service client, the port table, the
// cached defaults and log settings, and the periodic refresh that keeps them
// and the port list in step with the service. The main window owns one; its
// editing flows show copies of the records in their dialogs and hand the
// edited copies back to a change, which keeps the records, the caches' marks
// and the service's state in step.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ApplyOutcome.h"
#include "CplPipeClient.h"
#include "DmsConfig.h"
#include "FlagScope.h"
#include "LogSettings.h"
#include "PortListView.h"
#include "PortRecord.h"
#include "RefreshPass.h"
#include "RefreshSchedule.h"
#include "ServiceChanges.h"

namespace kestrel {

class ServiceMirror {
public:
    // Hold editing or refreshing for the life of the scope (FlagScope). While
    // editing is held, refresh passes return at once; while refreshing is
    // held, the editing flows do nothing.
    class EditingScope;
    class RefreshingScope;

    explicit ServiceMirror(const wchar_t* pipeName = kServicePipeName);

    // How the link waits for the service; the plain wait when null. The
    // policy must outlive the mirror.
    void SetWaitPolicy(WaitPolicy* policy) { client.SetWaitPolicy(policy); }

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
    // A tick of the refresh timer: one pass when the schedule says it is due.
    // A pass the service answered puts the next off as the cadence says; a
    // silent service is tried again after the quiet period.
    void RefreshWhenDue(PortListView& list);
    // How the last pass that ran ended: Done when it went through (and the
    // list was told so), else the result that ended it.
    const RequestResult& LastPassResult() const { return lastPass; }

    // The editing flows' changes. Each is sent over a link that is open,
    // whatever closed it (a silent service the refresh leaves alone, a
    // service that went away, a malformed answer): a closed one is opened
    // again first, with the long time-out, and a request that meets a
    // service gone since the link was last used is sent once more over a new
    // link. What each request ends with is noted: a time-out makes the
    // service not responding at once, any answer ends that. A time-out or a
    // lost link ends the change at once, with no read-back.
    //
    // The port's edit (its useDefault and its DMS parameters, as its dialog
    // stored them in a copy of its record) goes into its record and to the
    // service: only UseDefaultDmsConfig for a port following the defaults,
    // else its own parameters. A refusal re-reads the port; a port the
    // service no longer has, on the request or on the re-read, leaves the
    // list and the table. After a time-out or a lost link the record keeps
    // the edit and is read in full by the next pass that gets through.
    ApplyOutcome ChangePort(PortListView& list, const std::wstring& name, const PortRecord& edited);
    // The log settings and then the defaults go into the caches and to the
    // service, each that is refused re-read; every port that follows the
    // defaults takes the defaults then held. The defaults are sent only to a
    // service that answered the log settings. A cache the service neither
    // took nor gave back is read again by the next pass.
    ApplyOutcome ChangePreferences(PortListView& list, const DmsConfig& defaults,
                                   const LogSettings& log);
    // Closes the link; the next pass or change opens it again.
    void Close() { client.Close(); }

    // The editing flows hold off while either runs.
    bool IsEditing() const { return editing; }
    bool IsRefreshing() const { return refreshing; }
    // The port's record; null when the table has no such port.
    const PortRecord* FindPort(const std::wstring& name) const;

    // Named reads and the change requests themselves, for KestrelCtl, which
    // keeps no list and reports each request's result in its own way. Read
    // the cache from the service and set its loaded mark by the outcome;
    // Done or the failure. A link failure leaves the cache as it was.
    [[nodiscard]] RequestResult ReadDefaults();
    [[nodiscard]] RequestResult ReadLogSettings();
    // The port names as an enumeration asks for them (ReadPortNames; a
    // malformed list closes the link, as a pass's does), and one port read
    // in full into the record given (RereadPort).
    [[nodiscard]] RequestResult ReadNames(std::vector<std::wstring>& names);
    [[nodiscard]] RequestResult ReadPort(const std::wstring& name, PortRecord& record);
    ServiceChanges& Changes() { return client; }

    // How the link stands: not responding after an exchange timed out, else
    // as the last connect attempt left it; see LinkState.
    LinkState Link() const;
    // Whether the pipe is open.
    bool IsConnected() const { return client.IsConnected(); }
    // Timings, which tests shorten: the not-responding state's, and the
    // budget of one exchange (the refresh's short attempts aside).
    void SetStallTiming(uint32_t quietMs, uint32_t attemptBudgetMs) {
        schedule.SetStallTiming(quietMs, attemptBudgetMs);
    }
    void SetExchangeBudget(uint32_t ms) { client.SetExchangeBudget(ms); }
    uint32_t ExchangeBudgetMs() const { return client.ExchangeBudgetMs(); }

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
    // The pass itself: Done when it completed, else the result that ended it.
    [[nodiscard]] RequestResult Pass(PortListView& list);
    // Reads the defaults and the log settings that are not loaded; Done, or
    // the link failure that a read met, which ends the pass.
    [[nodiscard]] RequestResult LoadCaches();
    // A time-out makes the service not responding at once (the link is
    // closed and the quiet period starts); any answer or a service found
    // gone ends it.
    void NoteOutcome(const RequestResult& result);
    // A closed link is opened again for a change. Done; a time-out when the
    // pipe stayed busy (not responding); else not connected, since there is
    // no link to send the change on.
    [[nodiscard]] RequestResult ReopenForChange();
    // One change request of a flow (see ChangePort), noted.
    template <typename Request>
    [[nodiscard]] RequestResult SendChange(Request request);
    // A read of a flow's, noted: the result given.
    [[nodiscard]] RequestResult Noted(const RequestResult& result);
    PortRecord* Record(const std::wstring& name);
    // Hands the port's row, made from its record as it is now, to the list.
    void ShowPort(PortListView& list, const std::wstring& name);
    // The service no longer has the port: its row leaves the list and its
    // record the table.
    void ErasePort(PortListView& list, const std::wstring& name);
    // Every port that follows the defaults takes the cached ones, and its row
    // shows them; while the defaults are not loaded, the next pass reads
    // those ports in full.
    void ShowDefaultsOnFollowers(PortListView& list);

    CplPipeClient client;
    bool editing = false;               // an editing flow's dialog is open
    bool refreshing = false;            // RefreshPorts is running
    std::optional<uint32_t> listStamp;  // see ListStamp
    PortTable ports;
    DmsConfig defaultDms;
    bool defaultDmsLoaded = false;
    LogSettings logSettings;
    bool logSettingsLoaded = false;
    RefreshSchedule schedule;
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
