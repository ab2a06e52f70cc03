#include "ServiceMirror.h"

#include <windows.h>

#include <cstring>

namespace kestrel {

namespace {

std::wstring WidenAnsi(const char* text) {
    const int length = static_cast<int>(std::strlen(text));
    if (length == 0) return std::wstring();
    const int units = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, length, &wide[0], units);
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

void ServiceMirror::LoadCaches() {
    if (!defaultDmsLoaded) {
        defaultDmsLoaded = client.GetDefaultDmsConfig(defaultDms) == 0;
    }
    if (!logSettingsLoaded) {
        logSettingsLoaded = client.GetLogSettings(logSettings.folder, logSettings.level) == 0;
    }
}

void ServiceMirror::ConnectAtStartup() {
    if (client.ConnectService(kStartupConnectTimeoutMs) != 0) return;
    LoadCaches();
}

bool ServiceMirror::PollCounters(const std::wstring& name, PortRecord& record) {
    uint32_t tx = 0, rx = 0, update = 0;
    if (client.GetPortCounters(name, tx, rx, update) != 0) return false;
    record.txPrev = record.txCount;
    record.txCount = tx;
    record.rxPrev = record.rxCount;
    record.rxCount = rx;
    record.updatePrev = record.updateCount;
    record.updateCount = update;
    return true;
}

uint32_t ServiceMirror::ReadPortInFull(const std::wstring& name, PortRecord& record) {
    const uint32_t device = client.GetPortDevice(name, record.portLabel, record.serialNumber,
                                                 record.mode, record.status, record.useDefault);
    const uint32_t dms = client.GetPortDmsConfig(name, record.dms);
    record.fullReadFailed = device != 0 || dms != 0;
    return device != 0 ? device : dms;
}

void ServiceMirror::RefreshPorts(PortListView& list) {
    if (editing || refreshing) return;
    refreshing = true;

    if (!client.IsConnected()) {
        if (client.ConnectService(kRefreshConnectTimeoutMs) != 0) {
            refreshing = false;
            return;
        }
        defaultDmsLoaded = false;
        logSettingsLoaded = false;
        listStamp = 0;
    }
    LoadCaches();

    uint32_t stamp = 0, count = 0;
    if (client.GetPortListInfo(&stamp, &count) != 0) {
        refreshing = false;
        return;
    }
    if (stamp != listStamp) {
        if (!Enumerate(list, stamp, count)) {
            refreshing = false;
            return;
        }
    } else {
        Poll(list);
    }
    list.SortItems(1, 0);
    refreshing = false;
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
        if (!PollCounters(name, record)) continue;

        if (record.updatePrev == record.updateCount && !record.fullReadFailed) {
            list.UpdatePort(MakeCountersOnlyRow(record, name), nullptr);
            record.present = true;
        } else if (ReadPortInFull(name, record) == 0) {
            bool added = false;
            list.UpdatePort(MakePortRow(record, name), &added);
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

void ServiceMirror::Poll(PortListView& list) {
    for (auto& entry : ports) {
        const std::wstring& name = entry.first;
        PortRecord& record = entry.second;
        if (!PollCounters(name, record)) record.present = false;

        if (record.updatePrev == record.updateCount && record.present && !record.fullReadFailed) {
            list.UpdatePort(MakeCountersOnlyRow(record, name), nullptr);
        } else {
            // A port the service no longer answers for ends at the failure
            // values (status 3), which removes its row.
            ReadPortInFull(name, record);
            bool added = false;
            list.UpdatePort(MakePortRow(record, name), &added);
        }
        record.present = true;
    }
}

}  // namespace kestrel
