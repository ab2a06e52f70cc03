#include "ServiceMirror.h"

#include <windows.h>

#include <utility>

namespace kestrel {

ServiceMirror::ServiceMirror(const wchar_t* pipeName) : client(pipeName) {}

// A read cut off by a link failure leaves the cache as it was: nothing was
// learnt. A refusal leaves the failure values, as the request sets them.
uint32_t ServiceMirror::ReadDefaults() {
    DmsConfig read;
    const uint32_t r = client.GetDefaultDmsConfig(read);
    if (!IsLinkFailure(r)) defaultDms = read;
    defaultDmsLoaded = r == kResultOk;
    return r;
}

uint32_t ServiceMirror::ReadLogSettings() {
    LogSettings read;
    const uint32_t r = client.GetLogSettings(read.folder, read.level);
    if (!IsLinkFailure(r)) logSettings = std::move(read);
    logSettingsLoaded = r == kResultOk;
    return r;
}

uint32_t ServiceMirror::LoadCaches() {
    if (!defaultDmsLoaded) {
        const uint32_t r = ReadDefaults();
        if (IsLinkFailure(r)) return r;
    }
    if (!logSettingsLoaded) {
        const uint32_t r = ReadLogSettings();
        if (IsLinkFailure(r)) return r;
    }
    return kResultOk;
}

void ServiceMirror::ConnectAtStartup() {
    RefreshingScope refreshingScope(*this);
    uint32_t r = Connect(kStartupConnectTimeoutMs);
    if (r == kResultOk) r = LoadCaches();
    NoteOutcome(r);
}

LinkState ServiceMirror::Link() const {
    if (stall.NotResponding()) return LinkState{LinkState::Kind::NotResponding};
    return client.LastConnect();
}

void ServiceMirror::NoteOutcome(uint32_t result) {
    // Only a time-out says the service took a request and let it lie; an
    // answer, a refusal among them, or a service found gone ends the state.
    if (result == kErrorTimeout) {
        client.Close();
        stall.TimedOut(::GetTickCount());
    } else {
        stall.Clear();
    }
}

PortRecord* ServiceMirror::FindPort(const std::wstring& name) {
    const auto found = ports.find(name);
    return found != ports.end() ? &found->second : nullptr;
}

uint32_t ServiceMirror::Connect(uint32_t timeoutMs) {
    const uint32_t r = client.ConnectService(timeoutMs);
    if (r == kResultOk) {
        defaultDmsLoaded = false;
        logSettingsLoaded = false;
        listStamp.reset();
    }
    return r;
}

uint32_t ServiceMirror::ReopenForChange() {
    if (!stall.NotResponding() || client.IsConnected()) return kResultOk;
    const uint32_t r = Connect(kRefreshConnectTimeoutMs);
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

uint32_t ServiceMirror::ReadPortInFull(const std::wstring& name) {
    PortRecord* record = FindPort(name);
    return record ? RereadPort(client, name, *record) : kResultPortUnavailable;
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

uint32_t ServiceMirror::Pass(PortListView& list) {
    if (!client.IsConnected()) {
        const uint32_t r = Connect(kRefreshConnectTimeoutMs);
        if (r != kResultOk) return r;
    }
    uint32_t r = LoadCaches();
    if (r != kResultOk) return r;
    RefreshPass pass(client, list, ports, listStamp);
    r = pass.Run();
    if (pass.Malformed()) client.Close();  // the next tick starts afresh
    return r;
}

}  // namespace kestrel
