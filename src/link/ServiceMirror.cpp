#include "ServiceMirror.h"

#include <windows.h>

#include <utility>

namespace kestrel {

ServiceMirror::ServiceMirror(const wchar_t* pipeName) : client(pipeName) {}

// A read cut off by a link failure leaves the cache as it was: nothing was
// learnt. A refusal leaves the failure values, as the request sets them.
RequestResult ServiceMirror::ReadDefaults() {
    DmsConfig read;
    const RequestResult r = client.GetDefaultDmsConfig(read);
    if (!r.LinkFailure()) defaultDms = read;
    defaultDmsLoaded = r.Done();
    return r;
}

RequestResult ServiceMirror::ReadLogSettings() {
    LogSettings read;
    const RequestResult r = client.GetLogSettings(read.folder, read.level);
    if (!r.LinkFailure()) logSettings = std::move(read);
    logSettingsLoaded = r.Done();
    return r;
}

RequestResult ServiceMirror::LoadCaches() {
    if (!defaultDmsLoaded) {
        const RequestResult r = ReadDefaults();
        if (r.LinkFailure()) return r;
    }
    if (!logSettingsLoaded) {
        const RequestResult r = ReadLogSettings();
        if (r.LinkFailure()) return r;
    }
    return RequestResult{};
}

void ServiceMirror::ConnectAtStartup() {
    RefreshingScope refreshingScope(*this);
    RequestResult r = Connect(kStartupConnectTimeoutMs);
    if (r.Done()) r = LoadCaches();
    NoteOutcome(r);
}

LinkState ServiceMirror::Link() const {
    if (schedule.NotResponding()) return LinkState{LinkState::Kind::NotResponding};
    return client.LastConnect();
}

void ServiceMirror::NoteOutcome(const RequestResult& result) {
    // Only a time-out says the service took a request and let it lie; an
    // answer, a refusal among them, or a service found gone ends the state.
    if (result.TimedOut()) client.Close();
    schedule.Note(result, ::GetTickCount());
}

RequestResult ServiceMirror::Noted(const RequestResult& result) {
    NoteOutcome(result);
    return result;
}

const PortRecord* ServiceMirror::FindPort(const std::wstring& name) const {
    const auto found = ports.find(name);
    return found != ports.end() ? &found->second : nullptr;
}

PortRecord* ServiceMirror::Record(const std::wstring& name) {
    return const_cast<PortRecord*>(std::as_const(*this).FindPort(name));
}

RequestResult ServiceMirror::Connect(uint32_t timeoutMs) {
    const RequestResult r = client.ConnectService(timeoutMs);
    if (r.Done()) {
        defaultDmsLoaded = false;
        logSettingsLoaded = false;
        listStamp.reset();
    }
    return r;
}

// The user waits for the change: the connect waits as long as the one at
// start-up, so that a service that is starting again is found. Its outcome
// is noted as a pass's would be.
RequestResult ServiceMirror::ReopenForChange() {
    if (client.IsConnected()) return RequestResult{};
    const RequestResult r = Noted(Connect(kStartupConnectTimeoutMs));
    return r.Done() || r.TimedOut() ? r : RequestResult::LinkFailed(kResultNotConnected);
}

// A service that started again since the link was last used leaves a pipe
// that looks open until a request meets its broken end: then a new link is
// opened and the request, which is safe to send twice (each sets a value),
// goes once more.
template <typename Request>
RequestResult ServiceMirror::SendChange(Request request) {
    RequestResult r = ReopenForChange();
    if (r.Done()) r = request(Changes());
    if (r.ServiceGone()) {
        r = ReopenForChange();
        if (r.Done()) r = request(Changes());
    }
    return Noted(r);
}

ApplyOutcome ServiceMirror::ChangePort(PortListView& list, const std::wstring& name,
                                       const PortRecord& edited) {
    ApplyOutcome outcome;
    PortRecord* record = Record(name);
    if (!record) return outcome;
    record->useDefault = edited.useDefault;
    record->dms = edited.dms;
    outcome.firstError = SendChange([&](ServiceChanges& changes) {
        return record->useDefault ? changes.UseDefaultDmsConfig(name)
                                  : changes.SetPortDmsConfig(name, record->dms);
    });
    if (outcome.firstError.Done()) {
        ShowPort(list, name);
        return outcome;
    }
    // Nothing more goes into a silence or over a lost link: no read-back.
    if (outcome.firstError.LinkFailure()) {
        // The record keeps the edit until the service is heard again.
        record->fullReadOwed = true;
        ShowPort(list, name);
        return outcome;
    }
    const std::wstring label = record->portLabel;
    // A refused re-read leaves status 3 in the record: showing the port then
    // removes its row until the next pass reads it in full again.
    if (outcome.firstError != kPortGoneAnswer) {
        const RequestResult reread = Noted(RereadPort(client, name, *record));
        if (reread != kPortGoneAnswer) {
            ShowPort(list, name);
            return outcome;
        }
    }
    outcome.portGone = true;
    outcome.goneLabel = label;
    ErasePort(list, name);
    return outcome;
}

ApplyOutcome ServiceMirror::ChangePreferences(PortListView& list, const DmsConfig& defaults,
                                              const LogSettings& log) {
    ApplyOutcome outcome;
    logSettings = log;
    defaultDms = defaults;
    // Each cache is loaded once the service took it or it was read back; one
    // that is not (a refusal read back in vain, or a change cut short) is read
    // again by the next pass.
    bool logLoaded = false;
    bool defaultsLoaded = false;

    outcome.firstError = SendChange([&](ServiceChanges& changes) {
        return changes.SetLogSettings(logSettings.folder, logSettings.level);
    });
    // Nothing more goes into a silence or over a lost link: no read-back,
    // and not the next change.
    bool heard = !outcome.firstError.LinkFailure();
    logLoaded = outcome.firstError.Done();
    if (heard && !logLoaded) {
        const RequestResult reread = Noted(ReadLogSettings());
        heard = !reread.LinkFailure();
        logLoaded = reread.Done();
    }

    // Sent whatever became of the log settings, but only to a service that answers.
    if (heard) {
        const RequestResult r = SendChange(
            [&](ServiceChanges& changes) { return changes.SetDefaultDmsConfig(defaultDms); });
        if (outcome.firstError.Done()) outcome.firstError = r;
        defaultsLoaded = r.Done();
        if (!r.LinkFailure() && !defaultsLoaded) defaultsLoaded = Noted(ReadDefaults()).Done();
    }

    logSettingsLoaded = logLoaded;
    defaultDmsLoaded = defaultsLoaded;
    ShowDefaultsOnFollowers(list);
    return outcome;
}

void ServiceMirror::ShowPort(PortListView& list, const std::wstring& name) {
    // A row the list could not change leaves the port to the next pass, which
    // reads it in full and offers it again.
    if (PortRecord* record = Record(name))
        record->present = list.UpdatePort(MakePortRow(*record, name));
}

void ServiceMirror::ErasePort(PortListView& list, const std::wstring& name) {
    list.DeletePort(name);
    ports.erase(name);
}

void ServiceMirror::ShowDefaultsOnFollowers(PortListView& list) {
    for (auto& [name, record] : ports) {
        if (!record.useDefault) continue;
        record.dms = defaultDms;
        if (!defaultDmsLoaded) record.fullReadOwed = true;
        record.present = list.UpdatePort(MakePortRow(record, name));
    }
}

RequestResult ServiceMirror::ReadNames(std::vector<std::wstring>& names) {
    bool malformed = false;
    const RequestResult r = ReadPortNames(client, names, malformed);
    if (malformed) client.Close();  // as after a malformed pass
    return r;
}

RequestResult ServiceMirror::ReadPort(const std::wstring& name, PortRecord& record) {
    return RereadPort(client, name, record);
}

void ServiceMirror::RefreshPorts(PortListView& list) {
    if (editing || refreshing) return;
    if (!schedule.MayTry(::GetTickCount())) return;
    RefreshingScope refreshingScope(*this);
    // The editing flows keep the normal budget: only the pass is shortened.
    const uint32_t normalBudget = client.ExchangeBudgetMs();
    client.SetExchangeBudget(schedule.Budget(normalBudget));
    lastPass = Pass(list);
    client.SetExchangeBudget(normalBudget);
    NoteOutcome(lastPass);
}

void ServiceMirror::RefreshWhenDue(PortListView& list) {
    const uint32_t start = ::GetTickCount();
    if (!schedule.Due(start)) return;
    RefreshPorts(list);
    schedule.PassRan(start, ::GetTickCount(), Link().kind == LinkState::Kind::Connected);
}

RequestResult ServiceMirror::Pass(PortListView& list) {
    if (!client.IsConnected()) {
        const RequestResult r = Connect(kRefreshConnectTimeoutMs);
        if (!r.Done()) return r;
    }
    RequestResult r = LoadCaches();
    if (!r.Done()) return r;
    RefreshPass pass(client, list, ports, listStamp);
    r = pass.Run();
    if (pass.Malformed()) client.Close();  // the next tick starts afresh
    return r;
}

}  // namespace kestrel
