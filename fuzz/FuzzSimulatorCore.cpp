// The simulated service's core fed a mix of command lines and request messages
// of any length. The input is a sequence of records: a byte with an even value
// starts a command line that runs to the next newline; an odd one is followed by
// a 16-bit little-endian length and that many bytes of request (fewer at the end
// of the input). Every message that carries a sequence number gets a 532-byte
// answer echoing it, and at the end the "state" description rebuilds the same
// state in a fresh service.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "RequestCodec.h"
#include "RequestHandler.h"
#include "SimService.h"

namespace kestrel::sim {
namespace {

using fuzz::Check;

void RunCommand(SimService& service, const std::string& line) {
    const CommandResult result = service.Execute(line);
    Check(result.ok || !result.text.empty(), "a refused command says why");
}

void CheckAnswer(const SimModel& snapshot, const std::vector<uint8_t>& request) {
    SimModel model = snapshot;
    ResponseFrame response;
    const bool answered = HandleRequest(model, request.data(), request.size(), response.data());
    Check(answered == (request.size() >= kMinAnswerableRequest),
          "answered exactly when a sequence number fits");
    if (!answered) return;
    Check(GetU32(response.data(), kSequenceOffset) == GetU32(request.data(), kSequenceOffset),
          "answer echoes the sequence number");
    const uint32_t status = GetU32(response.data(), kStatusOffset);
    if (request.size() != kRequestFrameSize) {
        Check(status == kRefuseMalformed, "a message of another length is refused");
        return;
    }
    if (status != kResultOk) {
        const auto zero = [](uint8_t b) { return b == 0; };
        Check(std::all_of(response.begin() + kPayloadOffset, response.end(), zero),
              "a refusal carries no payload");
        return;
    }
    const uint32_t code = GetU32(request.data(), kCodeOffset);
    if (code == kGetPortDmsConfig || code == kGetDefaultDmsConfig) {
        char host[kDmsHostBytes], port[kDmsPortBytes];
        uint32_t retryMs = 0;
        bool useSsl = false, comPortActive = false;
        Check(DecodeDmsConfig(response, host, port, retryMs, useSsl, comPortActive) == kResultOk,
              "DMS answer decodes");
    }
}

void SendRequest(SimService& service, const std::vector<uint8_t>& request) {
    CheckAnswer(service.Snapshot(), request);
    const Reply reply = service.Handle(request.data(), request.size());
    if (request.size() < kMinAnswerableRequest) {
        Check(reply.messages.empty() && reply.disconnect == Disconnect::None,
              "a message without sequence number gets nothing");
    } else {
        Check(!reply.messages.empty(), "every answerable message gets an answer");
    }
}

std::string WithoutLastLine(const std::string& text) { return text.substr(0, text.rfind('\n')); }

// Requests may store texts with line breaks, which no one-line command can
// give back; commands here never hold one.
bool HoldsLineBreak(const SimModel& model) {
    const auto breaks = [](const SimDms& dms) {
        return dms.host.find('\n') != std::string::npos || dms.port.find('\n') != std::string::npos;
    };
    if (breaks(model.DefaultDms()) || model.LogFolder().find(L'\n') != std::wstring::npos)
        return true;
    for (const auto& entry : model.Ports()) {
        if (breaks(entry.second.own)) return true;
    }
    return false;
}

void CheckStateRebuilds(SimService& service) {
    if (HoldsLineBreak(service.Snapshot())) return;
    const std::string state = service.Execute("state").text;
    SimService rebuilt;
    size_t start = 0;
    while (start <= state.size()) {
        size_t end = state.find('\n', start);
        if (end == std::string::npos) end = state.size();
        const std::string line = state.substr(start, end - start);
        const CommandResult result = rebuilt.Execute(line);
        if (!result.ok)
            std::fprintf(stderr, "line: %s\nerror: %s\n", line.c_str(), result.text.c_str());
        Check(result.ok, "every line of the state description runs");
        start = end + 1;
    }
    // The last line is a comment with the stamp, which counts the rebuild's own changes.
    Check(WithoutLastLine(rebuilt.Execute("state").text) == WithoutLastLine(state),
          "the state description rebuilds the same state");
}

}  // namespace
}  // namespace kestrel::sim

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrel::sim;
    SimService service;
    size_t i = 0;
    while (i < size) {
        const uint8_t tag = data[i++];
        if (tag % 2 == 0) {
            const uint8_t* end = std::find(data + i, data + size, '\n');
            RunCommand(service, std::string(data + i, end));
            i = static_cast<size_t>(end - data) + 1;
            continue;
        }
        size_t length = 0;
        if (i < size) length = data[i++];
        if (i < size) length |= static_cast<size_t>(data[i++]) << 8;
        length = std::min(length, size - i);
        SendRequest(service, std::vector<uint8_t>(data + i, data + i + length));
        i += length;
    }
    CheckStateRebuilds(service);
    return 0;
}
