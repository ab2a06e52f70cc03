// What became of one request to the service. The service answers a refused
// request with a status, and passes Win32 codes through, so its statuses and
// the link's own codes (a time-out, the 0xEEEE00xx values) share one number
// space. The kind keeps them apart: a status of 1460 is a refusal, not a
// time-out. So a result compares only with another result, never with a bare
// code. Portable: no windows.h.
#pragma once

#include <cstdint>

#include "ServiceProtocol.h"

namespace kestrel {

class RequestResult {
public:
    enum class Kind {
        Answer,        // the exchange completed; the service's status
        LinkFailed,    // time-out, service gone, not connected, or a connect that failed
        ClientFailed,  // refused before sending, or an answer that could not be read
    };

    // Done: the service answered with status 0.
    constexpr RequestResult() = default;
    static constexpr RequestResult Answer(uint32_t status) { return {Kind::Answer, status}; }
    static constexpr RequestResult LinkFailed(uint32_t code) { return {Kind::LinkFailed, code}; }
    static constexpr RequestResult ClientFailed(uint32_t code) {
        return {Kind::ClientFailed, code};
    }

    constexpr Kind GetKind() const { return kind; }
    // The status or code, for a message; its meaning depends on the kind.
    constexpr uint32_t Code() const { return code; }

    constexpr bool Done() const { return kind == Kind::Answer && code == kResultOk; }
    // No working link: the next request would most likely wait or fail the same way.
    constexpr bool LinkFailure() const { return kind == Kind::LinkFailed; }
    // The service took the request and let it lie, or its pipe stayed busy.
    constexpr bool TimedOut() const { return kind == Kind::LinkFailed && code == kErrorTimeout; }
    // The link met a service that had gone away: its pipe broke under a request.
    constexpr bool ServiceGone() const {
        return kind == Kind::LinkFailed && code == kResultServiceGone;
    }

    constexpr bool operator==(const RequestResult& other) const {
        return kind == other.kind && code == other.code;
    }
    constexpr bool operator!=(const RequestResult& other) const { return !(*this == other); }

private:
    constexpr RequestResult(Kind k, uint32_t c) : kind(k), code(c) {}

    Kind kind = Kind::Answer;
    uint32_t code = kResultOk;
};

// The service's answer that it does not have the port (any more).
inline constexpr RequestResult kPortGoneAnswer = RequestResult::Answer(kResultPortUnavailable);

}  // namespace kestrel
