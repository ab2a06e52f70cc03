#include "SimService.h"

#include "RequestHandler.h"
#include "WireFormat.h"

namespace kestrel::sim {

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
            fault = state.faults.Take(code);
        } else {
            ++counts.malformed;
        }
        if (fault.refuseStatus != 0) {
            RefuseRequest(request, fault.refuseStatus, response.data());
        } else if (!HandleRequest(state.model, request, length, response.data())) {
            return reply;
        }
    }

    if (fault.overrideVersion && GetU32(response.data(), kStatusOffset) == kResultOk &&
        GetU32(request, kCodeOffset) == kQueryVersion) {
        for (size_t i = 0; i < 3; ++i) PutU32(response.data(), kRspVersionOffset + 4 * i, fault.version[i]);
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
