#include "RefreshPass.h"

#include <set>
#include <vector>

namespace kestrel {

namespace {

PortRowInfo MakeCountersOnlyRow(const PortRecord& record, const std::wstring& name) {
    PortRowInfo row;
    row.name = name;
    row.rxChanged = record.rxPrev != record.rxCount;
    row.txChanged = record.txPrev != record.txCount;
    row.countersOnly = true;
    return row;
}

// A name that a request carries whole: longer ones would be cut, so that two
// names reach the same port at the service, and an empty one names none.
bool RequestsCarry(const std::wstring& name) {
    return !name.empty() && name.size() < kPortNameChars;
}

// Every name of the list with this stamp, in the service's order; 0, the
// failure of a GetPortName, or kErrorGeneric with malformed set for a name
// that a request cannot carry or that was given before.
uint32_t AskNames(PortRequests& service, uint32_t stamp, uint32_t count,
                  std::vector<std::wstring>& names, bool& malformed) {
    names.assign(count, std::wstring());
    std::set<std::wstring, PortNameLess> distinct;
    for (uint32_t index = 0; index < count; ++index) {
        const uint32_t named = service.GetPortName(stamp, index, names[index]);
        if (named != kResultOk) return named;
        if (!RequestsCarry(names[index]) || !distinct.insert(names[index]).second) {
            malformed = true;
            return kErrorGeneric;
        }
    }
    return kResultOk;
}

// What a read of the port says of its readability: a refusal is kept, an
// answer or a port found gone clears it, and a link failure says nothing.
void NoteRead(PortRecord& record, uint32_t result) {
    if (result == kResultOk || result == kResultPortUnavailable) {
        record.readRefusal.reset();
    } else if (!IsLinkFailure(result)) {
        record.readRefusal = result;
    }
}

// A failure leaves the failure values; after a link failure the parameters
// are not asked for.
uint32_t ReadInFull(PortRequests& service, const std::wstring& name, PortRecord& record) {
    const uint32_t device = service.GetPortDevice(name, record.portLabel, record.serialNumber,
                                                  record.mode, record.status, record.useDefault);
    uint32_t dms = device;
    if (IsLinkFailure(device)) {
        record.dms = DmsConfig{};  // what the read would have left, without waiting for it
    } else {
        dms = service.GetPortDmsConfig(name, record.dms);
    }
    record.fullReadOwed = device != kResultOk || dms != kResultOk;
    const uint32_t r = device != kResultOk ? device : dms;
    NoteRead(record, r);
    return r;
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

uint32_t RereadPort(PortRequests& service, const std::wstring& name, PortRecord& record) {
    PortRecord read = record;
    const uint32_t r = ReadInFull(service, name, read);
    if (IsLinkFailure(r)) {
        record.fullReadOwed = true;
    } else {
        record = read;
    }
    return r;
}

uint32_t ReadPortNames(PortRequests& service, std::vector<std::wstring>& names) {
    names.clear();
    uint32_t stamp = 0, count = 0;
    const uint32_t r = service.GetPortListInfo(&stamp, &count);
    if (r != kResultOk) return r;
    if (count > kMaxPortCount) return kErrorGeneric;
    bool malformed = false;
    const uint32_t asked = AskNames(service, stamp, count, names, malformed);
    if (asked != kResultOk) names.clear();
    return asked;
}

RefreshPass::RefreshPass(PortRequests& requests, PortListView& view, PortTable& table,
                         std::optional<uint32_t>& stamp)
    : service(requests), list(view), ports(table), listStamp(stamp) {}

uint32_t RefreshPass::Run() {
    uint32_t stamp = 0, count = 0;
    uint32_t r = service.GetPortListInfo(&stamp, &count);
    if (r != kResultOk) return r;
    // The list can show no more ports than it has row buttons.
    if (count > kMaxPortCount) return DropMalformed();
    r = listStamp != stamp ? Enumerate(stamp, count) : Poll();
    if (r == kResultOk) list.SortItems(kColumnPortLabel, kSortAscending);
    return r;
}

uint32_t RefreshPass::DropMalformed() {
    malformed = true;
    listStamp.reset();
    return kErrorGeneric;
}

uint32_t RefreshPass::PollCounters(const std::wstring& name, PortRecord& record) {
    uint32_t tx = 0, rx = 0, update = 0;
    const uint32_t r = service.GetPortCounters(name, tx, rx, update);
    NoteRead(record, r);
    if (r != kResultOk) return r;
    record.txPrev = record.txCount;
    record.txCount = tx;
    record.rxPrev = record.rxCount;
    record.rxCount = rx;
    record.updatePrev = record.updateCount;
    record.updateCount = update;
    return kResultOk;
}

void RefreshPass::ShowMarks(const std::wstring& name, PortRecord& record) {
    const bool shown = list.UpdatePort(MakeCountersOnlyRow(record, name), nullptr);
    record.present = shown || record.status == kStatusNoDevice;
}

uint32_t RefreshPass::Enumerate(uint32_t stamp, uint32_t count) {
    // Every name first: a list that breaks off or names a port twice leaves
    // the table and the rows as they were.
    std::vector<std::wstring> names;
    const uint32_t asked = AskNames(service, stamp, count, names, malformed);
    if (asked != kResultOk) {
        listStamp.reset();  // the next tick starts again from index 0
        return asked;
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
            listStamp.reset();  // nothing is removed, and the next tick enumerates afresh
            return polled;
        }
        if (polled != kResultOk) continue;  // refused: this port sits the tick out

        if (record.updatePrev == record.updateCount && !record.fullReadOwed) {
            ShowMarks(name, record);
            continue;
        }
        const uint32_t read = RereadPort(service, name, record);
        if (IsLinkFailure(read)) {
            listStamp.reset();
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

uint32_t RefreshPass::Poll() {
    for (auto& [name, record] : ports) {
        const uint32_t polled = PollCounters(name, record);
        if (IsLinkFailure(polled)) return polled;
        if (polled != kResultOk) record.present = false;

        if (record.updatePrev == record.updateCount && record.present && !record.fullReadOwed) {
            ShowMarks(name, record);
            continue;
        }
        const uint32_t read = RereadPort(service, name, record);
        if (IsLinkFailure(read)) return read;
        // A refused read leaves the failure values in the record, status 3
        // among them, and the list deletes the row of a port with status 3:
        // a port the service no longer answers for leaves the list here.
        record.present = list.UpdatePort(MakePortRow(record, name), nullptr);
    }
    return kResultOk;
}

}  // namespace kestrel
