#include "ServiceMirror.h"

#include <windows.h>

#include <cstring>

namespace kestrel {

namespace {

std::wstring WidenAnsi(const char* text) {
    const int length = static_cast<int>(std::strlen(text));
    if (length == 0) return std::wstring();
    const int units = ::MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, length, &wide[0], units);
    return wide;
}

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

uint32_t ServiceMirror::ReadDefaults() {
    const uint32_t r = client.GetDefaultDmsConfig(defaultDms);
    defaultDmsLoaded = r == 0;
    return r;
}

uint32_t ServiceMirror::ReadLogSettings() {
    const uint32_t r = client.GetLogSettings(logSettings.folder, logSettings.level);
    logSettingsLoaded = r == 0;
    return r;
}

bool ServiceMirror::LoadCaches() {
    if (!defaultDmsLoaded && IsLinkFailure(ReadDefaults())) return false;
    if (!logSettingsLoaded && IsLinkFailure(ReadLogSettings())) return false;
    return true;
}

void ServiceMirror::ConnectAtStartup() {
    if (client.ConnectService(kStartupConnectTimeoutMs) != 0) return;
    LoadCaches();
}

PortRecord* ServiceMirror::FindPort(const std::wstring& name) {
    const auto found = ports.find(name);
    return found != ports.end() ? &found->second : nullptr;
}

void ServiceMirror::ShowPort(PortListView& list, const std::wstring& name) {
    if (const PortRecord* record = FindPort(name)) list.UpdatePort(MakePortRow(*record, name), nullptr);
}

void ServiceMirror::ErasePort(PortListView& list, const std::wstring& name) {
    list.DeletePort(name);
    ports.erase(name);
}

void ServiceMirror::ShowDefaultsOnFollowers(PortListView& list) {
    for (auto& [name, record] : ports) {
        if (!record.useDefault) continue;
        record.dms = defaultDms;
        list.UpdatePort(MakePortRow(record, name), nullptr);
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
    return record ? ReadInFull(name, *record) : kResultPortUnavailable;
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
    if (!IsLinkFailure(r)) record = read;
    return r;
}

void ServiceMirror::RefreshPorts(PortListView& list) {
    if (editing || refreshing) return;
    RefreshingScope pass(*this);

    if (!client.IsConnected()) {
        if (client.ConnectService(kRefreshConnectTimeoutMs) != 0) return;
        defaultDmsLoaded = false;
        logSettingsLoaded = false;
        listStamp = 0;
    }

    uint32_t stamp = 0, count = 0;
    if (!LoadCaches() || client.GetPortListInfo(&stamp, &count) != 0) return;
    const bool completed = stamp != listStamp ? Enumerate(list, stamp, count) : Poll(list);
    if (completed) list.SortItems(1, 0);
}

bool ServiceMirror::Enumerate(PortListView& list, uint32_t stamp, uint32_t count) {
    listStamp = stamp;
    for (auto& entry : ports) {
        entry.second.present = false;
        entry.second.seen = false;
    }

    for (uint32_t index = 0; index < count; ++index) {
        std::wstring name;
        if (client.GetPortName(stamp, index, name) != 0) {
            listStamp = 0;  // start again from index 0 on the next tick; remove nothing
            return false;
        }
        PortRecord& record = ports[name];
        record.seen = true;
        const uint32_t polled = PollCounters(name, record);
        if (IsLinkFailure(polled)) {
            listStamp = 0;
            return false;
        }
        if (polled != 0) continue;  // refused: this port sits the tick out

        if (record.updatePrev == record.updateCount && !record.fullReadFailed) {
            list.UpdatePort(MakeCountersOnlyRow(record, name), nullptr);
            record.present = true;
            continue;
        }
        const uint32_t read = RereadPort(name, record);
        if (IsLinkFailure(read)) {
            listStamp = 0;
            return false;
        }
        if (read == 0) {
            list.UpdatePort(MakePortRow(record, name), nullptr);
            record.present = true;
        }
    }

    for (auto it = ports.begin(); it != ports.end();) {
        if (it->second.seen) {
            ++it;
            continue;
        }
        list.DeletePort(it->first);
        it = ports.erase(it);
    }
    return true;
}

bool ServiceMirror::Poll(PortListView& list) {
    for (auto& entry : ports) {
        const std::wstring& name = entry.first;
        PortRecord& record = entry.second;
        const uint32_t polled = PollCounters(name, record);
        if (IsLinkFailure(polled)) return false;
        if (polled != 0) record.present = false;

        if (record.updatePrev == record.updateCount && record.present && !record.fullReadFailed) {
            list.UpdatePort(MakeCountersOnlyRow(record, name), nullptr);
        } else {
            if (IsLinkFailure(RereadPort(name, record))) return false;
            // A refused read leaves the failure values in the record, status 3
            // among them, and the list deletes the row of a port with status 3:
            // a port the service no longer answers for leaves the list here.
            list.UpdatePort(MakePortRow(record, name), nullptr);
        }
        record.present = true;
    }
    return true;
}

}  // namespace kestrel
