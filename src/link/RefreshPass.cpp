#include "RefreshPass.h"

#include <set>
#include <vector>

namespace kestrel {

namespace {

// An answer no service could mean.
constexpr RequestResult kMalformedAnswer = RequestResult::ClientFailed(kErrorGeneric);

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

// Every name of the list with this stamp, in the service's order; Done, the
// failure of a GetPortName, or the malformed result with malformed set for a
// name that a request cannot carry or that was given before.
RequestResult AskNames(PortRequests& service, uint32_t stamp, uint32_t count,
                       std::vector<std::wstring>& names, bool& malformed) {
    names.assign(count, std::wstring());
    std::set<std::wstring, PortNameLess> distinct;
    for (uint32_t index = 0; index < count; ++index) {
        const RequestResult named = service.GetPortName(stamp, index, names[index]);
        if (!named.Done()) return named;
        if (!RequestsCarry(names[index]) || !distinct.insert(names[index]).second) {
            malformed = true;
            return kMalformedAnswer;
        }
    }
    return RequestResult{};
}

// What a read of the port says of its readability: a refusal is kept, an
// answer or a port found gone clears it, and a link failure says nothing.
void NoteRead(PortRecord& record, const RequestResult& result) {
    if (result.Done() || result == kPortGoneAnswer) {
        record.readRefusal.reset();
    } else if (!result.LinkFailure()) {
        record.readRefusal = result.Code();
    }
}

// A failure leaves the failure values; after a link failure the parameters
// are not asked for.
RequestResult ReadInFull(PortRequests& service, const std::wstring& name, PortRecord& record) {
    const RequestResult device = service.GetPortDevice(
        name, record.portLabel, record.serialNumber, record.mode, record.status, record.useDefault);
    RequestResult dms = device;
    if (device.LinkFailure()) {
        record.dms = DmsConfig{};  // what the read would have left, without waiting for it
    } else {
        dms = service.GetPortDmsConfig(name, record.dms);
    }
    record.fullReadOwed = !device.Done() || !dms.Done();
    const RequestResult r = !device.Done() ? device : dms;
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

RequestResult RereadPort(PortRequests& service, const std::wstring& name, PortRecord& record) {
    PortRecord read = record;
    const RequestResult r = ReadInFull(service, name, read);
    if (r.LinkFailure()) {
        record.fullReadOwed = true;
    } else {
        record = read;
    }
    return r;
}

RequestResult ReadPortNames(PortRequests& service, std::vector<std::wstring>& names,
                            bool& malformed) {
    names.clear();
    malformed = false;
    uint32_t stamp = 0, count = 0;
    const RequestResult r = service.GetPortListInfo(&stamp, &count);
    if (!r.Done()) return r;
    if (count > kMaxPortCount) {
        malformed = true;
        return kMalformedAnswer;
    }
    const RequestResult asked = AskNames(service, stamp, count, names, malformed);
    if (!asked.Done()) names.clear();
    return asked;
}

RefreshPass::RefreshPass(PortRequests& requests, PortListView& view, PortTable& table,
                         std::optional<uint32_t>& stamp)
    : service(requests), list(view), ports(table), listStamp(stamp) {}

RequestResult RefreshPass::Run() {
    uint32_t stamp = 0, count = 0;
    RequestResult r = service.GetPortListInfo(&stamp, &count);
    if (!r.Done()) return r;
    // The list can show no more ports than it has row buttons.
    if (count > kMaxPortCount) return DropMalformed();
    r = listStamp != stamp ? Enumerate(stamp, count) : Poll();
    if (r.Done()) list.PassEnded();
    return r;
}

RequestResult RefreshPass::DropMalformed() {
    malformed = true;
    listStamp.reset();
    return kMalformedAnswer;
}

RequestResult RefreshPass::PollCounters(const std::wstring& name, PortRecord& record) {
    uint32_t tx = 0, rx = 0, update = 0;
    const RequestResult r = service.GetPortCounters(name, tx, rx, update);
    NoteRead(record, r);
    if (!r.Done()) return r;
    record.txPrev = record.txCount;
    record.txCount = tx;
    record.rxPrev = record.rxCount;
    record.rxCount = rx;
    record.updatePrev = record.updateCount;
    record.updateCount = update;
    return r;
}

void RefreshPass::ShowMarks(const std::wstring& name, PortRecord& record) {
    const bool shown = list.UpdatePort(MakeCountersOnlyRow(record, name));
    record.present = shown || record.status == kStatusNoDevice;
}

RequestResult RefreshPass::Enumerate(uint32_t stamp, uint32_t count) {
    // Every name first: a list that breaks off or names a port twice leaves
    // the table and the rows as they were.
    std::vector<std::wstring> names;
    const RequestResult asked = AskNames(service, stamp, count, names, malformed);
    if (!asked.Done()) {
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
        const RequestResult polled = PollCounters(name, record);
        if (polled.LinkFailure()) {
            listStamp.reset();  // nothing is removed, and the next tick enumerates afresh
            return polled;
        }
        if (!polled.Done()) continue;  // refused: this port sits the tick out

        if (record.updatePrev == record.updateCount && !record.fullReadOwed) {
            ShowMarks(name, record);
            continue;
        }
        const RequestResult read = RereadPort(service, name, record);
        if (read.LinkFailure()) {
            listStamp.reset();
            return read;
        }
        if (read.Done()) record.present = list.UpdatePort(MakePortRow(record, name));
    }

    for (auto it = ports.begin(); it != ports.end();) {
        if (it->second.seen) {
            ++it;
            continue;
        }
        list.DeletePort(it->first);
        it = ports.erase(it);
    }
    return RequestResult{};
}

RequestResult RefreshPass::Poll() {
    for (auto& [name, record] : ports) {
        const RequestResult polled = PollCounters(name, record);
        if (polled.LinkFailure()) return polled;
        if (!polled.Done()) record.present = false;

        if (record.updatePrev == record.updateCount && record.present && !record.fullReadOwed) {
            ShowMarks(name, record);
            continue;
        }
        const RequestResult read = RereadPort(service, name, record);
        if (read.LinkFailure()) return read;
        // A refused read leaves the failure values in the record, status 3
        // among them, and the list deletes the row of a port with status 3:
        // a port the service no longer answers for leaves the list here.
        record.present = list.UpdatePort(MakePortRow(record, name));
    }
    return RequestResult{};
}

}  // namespace kestrel
