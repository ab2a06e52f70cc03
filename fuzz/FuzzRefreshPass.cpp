// Refresh passes against a made-up service that lies in every field: the
// input scripts its answers request by request. Each answer may fail as the
// transport reports a time-out, a pipe gone, a response of the wrong length or
// with a sequence number from the future; otherwise its status (the link's own
// codes among them), the port list's stamp and count, the names (from a small pool, so that ports
// come and go, or any text of any length), the device data, the DMS block (with or without
// terminators) and the counters come from the input, written into a response frame and read with
// the panel's decoders. Up to eight passes run on one table and one list, each starting afresh
// after a pass closed the link. Checks that every pass ends within one request for the list, one
// per name asked for and three per port, that a malformed answer changes nothing, that the list
// holds rows only of ports in the table, that every port marked present shows as its record says,
// and that only a time-out of the link makes the service not responding, whatever statuses it
// answered with.
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "FuzzCheck.h"
#include "RefreshPass.h"
#include "RequestCodec.h"
#include "StallWatch.h"

namespace kestrel {

// The native build's stand-in for the system's ANSI code page: one byte, one character.
std::wstring WidenAnsi(const char* text) {
    std::wstring wide;
    for (; *text != '\0'; ++text) wide += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return wide;
}

namespace {

using fuzz::Check;

class Script {
public:
    Script(const uint8_t* bytes, size_t count) : data(bytes), size(count) {}
    bool Empty() const { return at >= size; }
    uint8_t Byte() { return at < size ? data[at++] : 0; }
    uint32_t U32() {
        uint32_t value = 0;
        for (int k = 0; k < 4; ++k) value |= static_cast<uint32_t>(Byte()) << (8 * k);
        return value;
    }
    // Small numbers mostly, any now and then.
    uint32_t Number() {
        const uint8_t b = Byte();
        return b < 0xF0 ? b % 8 : U32();
    }

private:
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

class LyingService : public PortRequests {
public:
    explicit LyingService(Script& input) : script(input) {}

    RequestResult GetPortListInfo(uint32_t* stamp, uint32_t* count) override {
        SetPortListInfoFailure(*stamp, count);
        return Answer(
            [&](uint8_t* frame) {
                PutU32(frame, kRspStampOffset, script.Number());
                const uint8_t kind = script.Byte();
                PutU32(frame, kRspCountOffset,
                       kind < 0xC0   ? kind % 6
                       : kind < 0xF0 ? kMaxPortCount - 2 + kind % 4
                                     : script.U32());
            },
            [&](const ResponseFrame& response) {
                DecodePortListInfo(response, *stamp, count);
                return kResultOk;
            });
    }
    RequestResult GetPortName(uint32_t, uint32_t, std::wstring& name) override {
        SetPortNameFailure(name);
        ++namesAsked;
        return Answer(
            [&](uint8_t* frame) { PutText(frame, kRspPortNameOffset, kRspPortNameChars); },
            [&](const ResponseFrame& response) {
                DecodePortName(response, name);
                return kResultOk;
            });
    }
    RequestResult GetPortDevice(const std::wstring&, std::wstring& portLabel,
                                std::wstring& serialNumber, uint32_t& mode, uint32_t& status,
                                bool& useDefault) override {
        SetPortDeviceFailure(portLabel, serialNumber, mode, status, useDefault);
        return Answer(
            [&](uint8_t* frame) {
                PutText(frame, kRspPortLabelOffset, kPortLabelChars);
                PutText(frame, kRspSerialNumberOffset, kSerialNumberChars);
                PutU32(frame, kRspModeOffset, script.Number());
                PutU32(frame, kRspDeviceStatusOffset, script.Number());
                frame[kRspUseDefaultOffset] = script.Byte();
            },
            [&](const ResponseFrame& response) {
                DecodePortDevice(response, portLabel, serialNumber, mode, status, useDefault);
                return kResultOk;
            });
    }
    RequestResult GetPortDmsConfig(const std::wstring&, DmsConfig& dms) override {
        bool useSsl = false, comPortActive = false;
        SetDmsConfigFailure(dms.host, dms.port, dms.retryMs, useSsl, comPortActive);
        const RequestResult r = Answer(
            [&](uint8_t* frame) {
                // Texts filled up to a length from the input, terminated or not.
                const size_t hostLength = script.Byte() * 2u;
                for (size_t k = 0; k < hostLength && k < kDmsHostBytes; ++k)
                    frame[kRspDmsOffset + kDmsHostRel + k] = static_cast<uint8_t>('a' + k % 26);
                const size_t portLength = script.Byte() % 12;
                for (size_t k = 0; k < portLength && k < kDmsPortBytes; ++k)
                    frame[kRspDmsOffset + kDmsPortRel + k] = static_cast<uint8_t>('0' + k % 10);
                PutU32(frame, kRspDmsOffset + kDmsRetryMsRel, script.U32());
                frame[kRspDmsOffset + kDmsUseSslRel] = script.Byte();
                frame[kRspDmsOffset + kDmsComPortActiveRel] = script.Byte();
            },
            [&](const ResponseFrame& response) {
                return DecodeDmsConfig(response, dms.host, dms.port, dms.retryMs, useSsl,
                                       comPortActive);
            });
        dms.useSsl = useSsl ? 1 : 0;
        dms.comPortActive = comPortActive ? 1 : 0;
        return r;
    }
    RequestResult GetPortCounters(const std::wstring&, uint32_t& txCount, uint32_t& rxCount,
                                  uint32_t& updateCount) override {
        SetPortCountersFailure(txCount, rxCount, updateCount);
        return Answer(
            [&](uint8_t* frame) {
                PutU32(frame, kRspTxCountOffset, script.Number());
                PutU32(frame, kRspRxCountOffset, script.Number());
                PutU32(frame, kRspUpdateCountOffset, script.Number());
            },
            [&](const ResponseFrame& response) {
                DecodePortCounters(response, txCount, rxCount, updateCount);
                return kResultOk;
            });
    }

    // Requests answered, and names asked for, since the last call.
    uint64_t TakeRequests(uint64_t& names) {
        const uint64_t n = requests;
        names = namesAsked;
        requests = 0;
        namesAsked = 0;
        return n;
    }
    bool closed = false;
    bool timedOut = false;  // the link timed out under a request since the last pass

private:
    // The transport's outcome, then the status and the payload.
    template <typename Fill, typename Decode>
    RequestResult Answer(Fill fill, Decode decode) {
        if (closed) return RequestResult::LinkFailed(kResultNotConnected);
        ++requests;
        if (script.Empty()) return TimeOut();
        switch (script.Byte() % 16) {
        case 0: return TimeOut();
        case 1: closed = true; return RequestResult::LinkFailed(kResultServiceGone);
        case 2: return RequestResult::ClientFailed(kErrorGeneric);  // a response of another length
        case 3: return RequestResult::ClientFailed(kResultFutureSequence);
        default: break;
        }
        ResponseFrame response{};
        PutU32(response.data(), kStatusOffset, Status());
        fill(response.data());
        const uint32_t status = GetU32(response.data(), kStatusOffset);
        if (status != kResultOk) return RequestResult::Answer(status);
        const uint32_t decoded = decode(response);
        return decoded == kResultOk ? RequestResult{} : RequestResult::ClientFailed(decoded);
    }
    RequestResult TimeOut() {
        timedOut = true;
        return RequestResult::LinkFailed(kErrorTimeout);
    }
    // Mostly success; else "no such port", one of the link's own codes as the
    // service's status, or any code.
    uint32_t Status() {
        const uint8_t status = script.Byte();
        if (status < 0xE0) return kResultOk;
        if (status < 0xE8) return kResultPortUnavailable;
        if (status < 0xF0) return status % 2 ? kErrorTimeout : kResultServiceGone + status % 11;
        return script.U32();
    }

    // A name from a pool of eight now and then repeated, or any text up to a
    // length from the input, beyond the field's end too.
    void PutText(uint8_t* frame, size_t offset, size_t fieldChars) {
        const uint8_t kind = script.Byte();
        if (kind < 0xA0) {
            PutWide(frame, offset, fieldChars, L"COM" + std::to_wstring(kind % 8));
            return;
        }
        const size_t length = kind < 0xF0 ? script.Byte() : 202 + script.Byte() % 61;
        for (size_t k = 0; k < length && offset + 2 * k + 1 < kResponseFrameSize; ++k) {
            const uint8_t low = script.Byte();
            frame[offset + 2 * k] = low == 0 ? 'x' : low;
            frame[offset + 2 * k + 1] = script.Byte();
        }
    }
    Script& script;
    uint64_t requests = 0;
    uint64_t namesAsked = 0;
};

// The port list's rules for rows, as DevListCtrl applies them, without windows.
class ModelList : public PortListView {
public:
    bool UpdatePort(const PortRowInfo& info) override {
        ++changes;
        const auto found = rows.find(info.name);
        if (found != rows.end()) {
            if (info.countersOnly) {
                found->second.rxChanged = info.rxChanged;
                found->second.txChanged = info.txChanged;
            } else if (info.status == kStatusNoDevice) {
                rows.erase(found);
            } else {
                found->second = info;
            }
            return true;
        }
        if (info.status == kStatusNoDevice) return !info.countersOnly;
        if (rows.size() >= kMaxPortCount) return false;  // no button id left
        rows[info.name] = info;
        return true;
    }
    void DeletePort(const std::wstring& name) override {
        ++changes;
        rows.erase(name);
    }
    void PassEnded() override { ++passesEnded; }

    std::map<std::wstring, PortRowInfo, PortNameLess> rows;
    uint64_t changes = 0;
    int passesEnded = 0;
};

bool SameRow(const PortRowInfo& shown, const PortRowInfo& made) {
    return shown.portLabel == made.portLabel && shown.serialNumber == made.serialNumber &&
           shown.mode == made.mode && shown.status == made.status &&
           shown.connection == made.connection && shown.comPortActive == made.comPortActive &&
           shown.rxChanged == made.rxChanged && shown.txChanged == made.txChanged;
}

// After a pass that went through every present port was handed to the list
// in it, marks included; one cut short leaves the marks of the last pass.
void CheckConsistent(const PortTable& ports, const ModelList& list, bool passWentThrough) {
    for (const auto& entry : list.rows)
        Check(ports.count(entry.first) == 1, "every row is a port of the table");
    for (const auto& [name, record] : ports) {
        Check(!name.empty() && name.size() < kPortNameChars, "every port name fits a request");
        if (!record.present) continue;
        const auto row = list.rows.find(name);
        Check((row != list.rows.end()) == (record.status != kStatusNoDevice),
              "a present port has a row exactly when it has a device");
        if (row == list.rows.end()) continue;
        PortRowInfo made = MakePortRow(record, name);
        if (!passWentThrough) {
            made.rxChanged = row->second.rxChanged;
            made.txChanged = row->second.txChanged;
        }
        Check(SameRow(row->second, made), "a present port's row is its record");
    }
}

}  // namespace
}  // namespace kestrel

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrel;
    Script script(data, size);
    LyingService service(script);
    ModelList list;
    PortTable ports;
    std::optional<uint32_t> listStamp;
    StallWatch stall;
    for (int n = 0; n < 8 && !script.Empty(); ++n) {
        if (service.closed) {  // the next pass connects afresh
            service.closed = false;
            listStamp.reset();
        }
        service.timedOut = false;
        const uint64_t changesBefore = list.changes;
        const int passesEndedBefore = list.passesEnded;
        RefreshPass pass(service, list, ports, listStamp);
        const RequestResult result = pass.Run();
        if (pass.Malformed()) service.closed = true;
        stall.Note(result, 0);

        uint64_t names = 0;
        Check(service.TakeRequests(names) <= 1 + names + 3 * ports.size(),
              "a pass ends within one request for the list, one per name and three per port");
        Check(!pass.Malformed() || (list.changes == changesBefore && !result.Done()),
              "a malformed answer changes nothing");
        Check(result.Done() == (list.passesEnded == passesEndedBefore + 1),
              "the pass ends at the list exactly when it went through");
        Check(stall.NotResponding() == (result.TimedOut() && service.timedOut),
              "only a time-out of the link makes the service not responding");
        CheckConsistent(ports, list, result.Done());
    }
    return 0;
}
