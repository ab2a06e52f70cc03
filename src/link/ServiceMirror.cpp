#include "ServiceMirror.h"

#include <windows.h>

#include <cstring>
#include <set>
#include <utility>
#include <vector>

namespace kestrel {

std::wstring WidenAnsi(const char* text) {
    const int length = static_cast<int>(std::strlen(text));
    if (length == 0) return std::wstring();
    const int units = ::MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, length, &wide[0], units);
    return wide;
}

namespace {

PortRowInfo MakeCountersOnlyRow(const PortRecord& record, const std::wstring& name) {
    PortRowInfo row;
    row.name = name;
    row.rxChanged = record.rxPrev != record.rxCount;
    row.txChanged = record.txPrev != record.txCount;
    row.countersOnly = true;
    return row;
}

}  // namespace

PortRowInfo MakePortRow(const PortRecord& record, const std::wstring& name) {
    PortRowInfo row;
    row.name = name;
    row.countersOnly = false;
    row.comPortActive = record.dms.comPortActive != 0;
    row.portLabel = record.portLabel;
    row.serialNumber = record.serialNumber;
    row.mode = record.mode;
    row.status = record.status;
    row.rxChanged = record.rxPrev != record.rxCount;
    row.txChanged = record.txPrev != record.txCount;
    row.connection = WidenAnsi(record.dms.host);
    if (record.dms.host[0] != '\0' || record.dms.port[0] != '\0') row.connection += L':';
    row.connection += WidenAnsi(record.dms.port);
    return row;
}

ServiceMirror::ServiceMirror(const wchar_t* pipeName) : client(pipeName) {}

// A read cut off by a link failure leaves the cache as it was: nothing was
// learnt. A refusal leaves the failure values, as the request sets them.
uint32_t ServiceMirror::ReadDefaults() {
    DmsConfig read;
    const uint32_t r = client.GetDefaultDmsConfig(read);
    if (!IsLinkFailure(r)) defaultDms = read;
    defaultDmsLoaded = r == 0;
    return r;
}

uint32_t ServiceMirror::ReadLogSettings() {
    LogSettings read;
    const uint32_t r = client.GetLogSettings(read.folder, read.level);
    if (!IsLinkFailure(r)) logSettings = std::move(read);
    logSettingsLoaded = r == 0;
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

uint32_t ServiceMirror::DropMalformed() {
    client.Close();
    listStamp = 0;
    return kErrorGeneric;
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
        listStamp = 0;
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
    if (PortRecord* record = FindPort(name)) record->fullReadFailed = true;
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
        if (!defaultDmsLoaded) record.fullReadFailed = true;
        record.present = list.UpdatePort(MakePortRow(record, name), nullptr);
    }
}

uint32_t ServiceMirror::PollCounters(const std::wstring& name, PortRecord& record) {
    uint32_t tx = 0, rx = 0, update = 0;
    const uint32_t r = client.GetPortCounters(name, tx, rx, update);
    if (r != 0) return r;
    record.txPrev = record.txCount;
    record.txCount = tx;
    record.rxPrev = record.rxCount;
    record.rxCount = rx;
    record.updatePrev = record.updateCount;
    record.updateCount = update;
    return 0;
}

uint32_t ServiceMirror::ReadPortInFull(const std::wstring& name) {
    PortRecord* record = FindPort(name);
    return record ? RereadPort(name, *record) : kResultPortUnavailable;
}

uint32_t ServiceMirror::ReadInFull(const std::wstring& name, PortRecord& record) {
    const uint32_t device = client.GetPortDevice(name, record.portLabel, record.serialNumber,
                                                 record.mode, record.status, record.useDefault);
    uint32_t dms = device;
    if (IsLinkFailure(device)) {
        record.dms = DmsConfig{};  // what the read would have left, without waiting for it
    } else {
        dms = client.GetPortDmsConfig(name, record.dms);
    }
    record.fullReadFailed = device != 0 || dms != 0;
    return device != 0 ? device : dms;
}

uint32_t ServiceMirror::RereadPort(const std::wstring& name, PortRecord& record) {
    PortRecord read = record;
    const uint32_t r = ReadInFull(name, read);
    if (IsLinkFailure(r)) {
        record.fullReadFailed = true;  // still owed its full read
    } else {
        record = read;
    }
    return r;
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
    uint32_t stamp = 0, count = 0;
    r = client.GetPortListInfo(&stamp, &count);
    if (r != kResultOk) return r;
    // The list can show no more ports than it has row buttons.
    if (count > kMaxPortCount) return DropMalformed();
    r = stamp != listStamp ? Enumerate(list, stamp, count) : Poll(list);
    if (r == kResultOk) list.SortItems(1, 0);
    return r;
}

uint32_t ServiceMirror::Enumerate(PortListView& list, uint32_t stamp, uint32_t count) {
    // Every name first: a list that breaks off or names a port twice leaves
    // the table and the rows as they were.
    std::vector<std::wstring> names(count);
    std::set<std::wstring, PortNameLess> distinct;
    for (uint32_t index = 0; index < count; ++index) {
        const uint32_t named = client.GetPortName(stamp, index, names[index]);
        if (named != kResultOk) {
            listStamp = 0;  // the next tick starts again from index 0
            return named;
        }
        if (!distinct.insert(names[index]).second) return DropMalformed();
    }

    listStamp = stamp;
    for (auto& entry : ports) {
        entry.second.present = false;
        entry.second.seen = false;
    }
    for (const std::wstring& name : names) {
        PortRecord& record = ports[name];
        record.seen = true;
        const uint32_t polled = PollCounters(name, record);
        if (IsLinkFailure(polled)) {
            listStamp = 0;  // nothing is removed, and the next tick enumerates afresh
            return polled;
        }
        if (polled != kResultOk) continue;  // refused: this port sits the tick out

        if (record.updatePrev == record.updateCount && !record.fullReadFailed) {
            record.present = list.UpdatePort(MakeCountersOnlyRow(record, name), nullptr);
            continue;
        }
        const uint32_t read = RereadPort(name, record);
        if (IsLinkFailure(read)) {
            listStamp = 0;
            return read;
        }
        if (read == kResultOk) record.present = list.UpdatePort(MakePortRow(record, name), nullptr);
    }

    for (auto it = ports.begin(); it != ports.end();) {
        if (it->second.seen) {
            ++it;
            continue;
        }
        list.DeletePort(it->first);
        it = ports.erase(it);
    }
    return kResultOk;
}

uint32_t ServiceMirror::Poll(PortListView& list) {
    for (auto& entry : ports) {
        const std::wstring& name = entry.first;
        PortRecord& record = entry.second;
        const uint32_t polled = PollCounters(name, record);
        if (IsLinkFailure(polled)) return polled;
        if (polled != kResultOk) record.present = false;

        if (record.updatePrev == record.updateCount && record.present && !record.fullReadFailed) {
            record.present = list.UpdatePort(MakeCountersOnlyRow(record, name), nullptr);
            continue;
        }
        const uint32_t read = RereadPort(name, record);
        if (IsLinkFailure(read)) return read;
        // A refused read leaves the failure values in the record, status 3
        // among them, and the list deletes the row of a port with status 3:
        // a port the service no longer answers for leaves the list here.
        record.present = list.UpdatePort(MakePortRow(record, name), nullptr);
    }
    return kResultOk;
}

}  // namespace kestrel
