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
    if (stall.NotResponding()) return LinkState{LinkState::Kind::NotResponding};
    return client.LastConnect();
}

void ServiceMirror::NoteOutcome(const RequestResult& result) {
    // Only a time-out says the service took a request and let it lie; an
    // answer, a refusal among them, or a service found gone ends the state.
    if (result.TimedOut()) client.Close();
    stall.Note(result, ::GetTickCount());
}

PortRecord* ServiceMirror::FindPort(const std::wstring& name) {
    const auto found = ports.find(name);
    return found != ports.end() ? &found->second : nullptr;
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
// start-up, so that a service that is starting again is found.
RequestResult ServiceMirror::ReopenForChange() {
    if (client.IsConnected()) return RequestResult{};
    const RequestResult r = Connect(kStartupConnectTimeoutMs);
    NoteOutcome(r);
    return r;
}

void ServiceMirror::MarkForFullRead(const std::wstring& name) {
    if (PortRecord* record = FindPort(name)) record->fullReadOwed = true;
}

void ServiceMirror::ShowPort(PortListView& list, const std::wstring& name) {
    // A row the list could not change leaves the port to the next pass, which
    // reads it in full and offers it again.
    if (PortRecord* record = FindPort(name))
        record->present = list.UpdatePort(MakePortRow(*record, name), nullptr);
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
        record.present = list.UpdatePort(MakePortRow(record, name), nullptr);
    }
}

RequestResult ServiceMirror::ReadPortInFull(const std::wstring& name) {
    PortRecord* record = FindPort(name);
    return record ? RereadPort(client, name, *record) : kPortGoneAnswer;
}

void ServiceMirror::RefreshPorts(PortListView& list) {
    if (editing || refreshing) return;
    if (!stall.MayTry(::GetTickCount())) return;
    RefreshingScope refreshingScope(*this);
    // The editing flows keep the normal budget: only the pass is shortened.
    const uint32_t normalBudget = client.ExchangeBudgetMs();
    client.SetExchangeBudget(stall.Budget(normalBudget));
    lastPass = Pass(list);
    client.SetExchangeBudget(normalBudget);
    NoteOutcome(lastPass);
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
