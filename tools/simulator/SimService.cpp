#include "SimService.h"

#include "RequestHandler.h"
#include "WireFormat.h"

namespace kestrel::sim {

namespace {

// A names fault answers GetPortName past the end of the list, for the right
// stamp, with a name the list has (by index modulo its size) or a made-up one.
void AnswerPastEnd(const SimModel& model, PastEndNames names, const uint8_t* request,
                   uint8_t* response) {
    if (names == PastEndNames::Refuse || GetU32(response, kStatusOffset) != kRefuseIndexOutOfRange)
        return;
    const uint32_t index = GetU32(request, kReqIndexOffset);
    std::wstring name = L"COM" + std::to_wstring(1000ull + index);
    if (names == PastEndNames::Repeat) {
        if (model.Ports().empty()) return;
        name = *model.PortNameAt(index % static_cast<uint32_t>(model.Ports().size()));
    }
    PutU32(response, kStatusOffset, kResultOk);
    PutWide(response, kRspPortNameOffset, kRspPortNameChars, name);
}

}  // namespace

Reply SimService::Handle(const uint8_t* request, size_t length) {
    Reply reply;
    ResponseFrame response{};
    FaultAction fault;
    {
        std::lock_guard<std::mutex> lock(mutex);
        RequestCounts& counts = state.counts;
        ++counts.total;
        if (length == kRequestFrameSize) {
            const uint32_t code = GetU32(request, kCodeOffset);
            if (code < kRequestCodeCount) {
                ++counts.byCode[code];
            } else {
                ++counts.unknownCode;
            }
            fault = state.faults.Take(code, RequestPortName(request));
        } else {
            ++counts.malformed;
        }
        if (fault.silent) return reply;
        if (fault.refuseStatus != kResultOk) {
            RefuseRequest(request, fault.refuseStatus, response.data());
        } else if (!HandleRequest(state.model, request, length, response.data())) {
            return reply;
        }
        AnswerPastEnd(state.model, fault.pastEnd, request, response.data());
    }
    if (fault.overrideCount && GetU32(response.data(), kStatusOffset) == kResultOk)
        PutU32(response.data(), kRspCountOffset, fault.count);

    if (fault.overrideVersion && GetU32(response.data(), kStatusOffset) == kResultOk &&
        GetU32(request, kCodeOffset) == kQueryVersion) {
        for (size_t i = 0; i < 3; ++i)
            PutU32(response.data(), kRspVersionOffset + 4 * i, fault.version[i]);
    }
    reply.delayMs = fault.delayMs;
    reply.disconnect = fault.disconnect;

    const uint32_t sequence = GetU32(response.data(), kSequenceOffset);
    for (uint32_t k = fault.staleCount; k > 0; --k) {
        std::vector<uint8_t> stale(response.begin(), response.end());
        PutU32(stale.data(), kSequenceOffset, sequence - k);
        reply.messages.push_back(std::move(stale));
    }
    std::vector<uint8_t> answer(response.begin(), response.end());
    PutU32(answer.data(), kSequenceOffset, sequence + fault.sequenceShift);
    if (fault.overrideLength) answer.resize(fault.length);
    reply.messages.push_back(std::move(answer));
    return reply;
}

CommandResult SimService::Execute(const std::string& line) {
    CommandResult result;
    {
        std::lock_guard<std::mutex> lock(mutex);
        result = CommandInterpreter(state).Execute(line);
    }
    return result;
}

void SimService::AdvanceTraffic() {
    std::lock_guard<std::mutex> lock(mutex);
    state.model.AdvanceTraffic();
}

SimModel SimService::Snapshot() const {
    std::lock_guard<std::mutex> lock(mutex);
    return state.model;
}

RequestCounts SimService::Counts() const {
    std::lock_guard<std::mutex> lock(mutex);
    return state.counts;
}

}  // namespace kestrel::sim
