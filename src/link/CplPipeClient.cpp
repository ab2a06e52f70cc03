#include "CplPipeClient.h"

#include "AccountSids.h"
#include "RequestCodec.h"
#include "TickElapsed.h"

namespace kestrel {

CplPipeClient::CplPipeClient(const wchar_t* name)
    : TNamedPipeClient(name), userSid(ProcessUserSid()) {}

RequestResult CplPipeClient::ConnectService(uint32_t timeoutMs) {
    // Connect refuses a second pipe (kErrorGeneric): the open one stays as it
    // is, and so does what is known of it.
    if (IsConnected()) return RequestResult::ClientFailed(Connect(timeoutMs));
    lastConnect = LinkState{};
    const uint32_t r = Connect(timeoutMs);
    if (r == kErrorPipeBusy) {
        lastConnect.kind = LinkState::Kind::NotResponding;
        return RequestResult::LinkFailed(kErrorTimeout);
    }
    if (r != kResultOk)
        return RequestResult::LinkFailed(r == kErrorTimeout ? kResultConnectTimeout : r);
    // The policy is read at each connect, so that a change to it takes effect.
    if (!PipeOwnerTrust(userSid, PolicyTrustedAccount()).Trusts(HandleOwnerSid(Pipe()))) {
        Close();
        lastConnect.kind = LinkState::Kind::Untrusted;
        return RequestResult::LinkFailed(kResultUntrustedPipe);
    }
    uint32_t major = 0, minor = 0, patch = 0;
    const RequestResult v = QueryVersion(major, minor, patch);
    if (!v.Done()) {
        Close();
        return v;
    }
    if (major != kProtocolVersionMajor || minor != kProtocolVersionMinor ||
        patch != kProtocolVersionPatch) {
        Close();
        lastConnect = LinkState{LinkState::Kind::WrongVersion, major, minor, patch};
        return RequestResult::LinkFailed(kResultWrongVersion);
    }
    lastConnect.kind = LinkState::Kind::Connected;
    return RequestResult{};
}

RequestResult CplPipeClient::Transact(RequestFrame& request, ResponseFrame& response) {
    if (!IsConnected()) return RequestResult::LinkFailed(kResultNotConnected);
    const uint32_t sent = sequence;
    PutU32(request.data(), kSequenceOffset, sent);
    ++sequence;

    const DWORD start = ::GetTickCount();
    response.fill(0);
    uint32_t n = 0;
    uint32_t r = Exchange(request.data(), response.data(), n);
    while (r == kResultOk) {
        if (n != kResponseFrameSize) return RequestResult::ClientFailed(kErrorGeneric);
        const uint32_t received = GetU32(response.data(), kSequenceOffset);
        if (received == sent) return RequestResult::Answer(GetU32(response.data(), kStatusOffset));
        if (IsLaterSequence(received, sent))
            return RequestResult::ClientFailed(kResultFutureSequence);
        // A late answer to an earlier request whose reader gave up: drop it and
        // read again, without resending, within what is left of the exchange's
        // one budget, so that a stream of stale answers cannot hold the thread.
        const uint32_t elapsed = TickElapsed(start, ::GetTickCount());
        if (elapsed > ExchangeBudgetMs()) {
            r = kErrorTimeout;
            break;
        }
        response.fill(0);
        r = ReadFrame(response.data(), ExchangeBudgetMs() - elapsed, n);
    }
    if (r == kErrorTimeout) return RequestResult::LinkFailed(r);
    // 233 is a disconnected pipe; 109 (the service closed its end, as when it dies)
    // and 232 (its end is closing) mean the same here: the service is gone.
    if (r == kErrorPipeNotConnected || r == kErrorBrokenPipe || r == kErrorNoData) {
        Close();
        return RequestResult::LinkFailed(kResultServiceGone);
    }
    // An answer too long for the frame, a short write: the pipe still works.
    return RequestResult::ClientFailed(r);
}

// Every request alike: the frame built on the stack by its encoder, one
// exchange, and on success the response read by its decoder, which gives the
// request's result (a response can still be refused for its contents).
template <typename Encode, typename Decode>
RequestResult CplPipeClient::Request(Encode encode, Decode decode) {
    RequestFrame request;
    ResponseFrame response;
    encode(request);
    const RequestResult r = Transact(request, response);
    if (!r.Done()) return r;
    const uint32_t decoded = decode(response);
    return decoded == kResultOk ? r : RequestResult::ClientFailed(decoded);
}

namespace {

// For requests whose response carries nothing to read.
uint32_t NoPayload(const ResponseFrame&) { return kResultOk; }

void SetDmsFailure(DmsConfig& dms) {
    bool useSsl = false, comPortActive = false;
    SetDmsConfigFailure(dms.host, dms.port, dms.retryMs, useSsl, comPortActive);
    dms.useSsl = 0;
    dms.comPortActive = 0;
}

// Leaves dms as it was when the texts are not terminated within their fields.
uint32_t DecodeDms(const ResponseFrame& response, DmsConfig& dms) {
    bool useSsl = false, comPortActive = false;
    const uint32_t r =
        DecodeDmsConfig(response, dms.host, dms.port, dms.retryMs, useSsl, comPortActive);
    if (r == kResultOk) {
        dms.useSsl = useSsl ? 1 : 0;
        dms.comPortActive = comPortActive ? 1 : 0;
    }
    return r;
}

}  // namespace

RequestResult CplPipeClient::QueryVersion(uint32_t& major, uint32_t& minor, uint32_t& patch) {
    SetVersionFailure(major, minor, patch);
    return Request(EncodeQueryVersion, [&](const ResponseFrame& response) {
        DecodeVersion(response, major, minor, patch);
        return kResultOk;
    });
}

RequestResult CplPipeClient::GetPortListInfo(uint32_t* stamp, uint32_t* count) {
    if (stamp == nullptr) return RequestResult::ClientFailed(kErrorInvalidParameter);
    SetPortListInfoFailure(*stamp, count);
    return Request(EncodeGetPortListInfo, [&](const ResponseFrame& response) {
        DecodePortListInfo(response, *stamp, count);
        return kResultOk;
    });
}

RequestResult CplPipeClient::GetPortName(uint32_t stamp, uint32_t index, std::wstring& name) {
    SetPortNameFailure(name);
    return Request([&](RequestFrame& request) { EncodeGetPortName(request, stamp, index); },
                   [&](const ResponseFrame& response) {
                       DecodePortName(response, name);
                       return kResultOk;
                   });
}

RequestResult CplPipeClient::GetPortDevice(const std::wstring& name, std::wstring& portLabel,
                                           std::wstring& serialNumber, uint32_t& mode,
                                           uint32_t& status, bool& useDefault) {
    SetPortDeviceFailure(portLabel, serialNumber, mode, status, useDefault);
    return Request([&](RequestFrame& request) { EncodeGetPortDevice(request, name); },
                   [&](const ResponseFrame& response) {
                       DecodePortDevice(response, portLabel, serialNumber, mode, status,
                                        useDefault);
                       return kResultOk;
                   });
}

RequestResult CplPipeClient::GetPortDmsConfig(const std::wstring& name, DmsConfig& dms) {
    SetDmsFailure(dms);
    return Request([&](RequestFrame& request) { EncodeGetPortDmsConfig(request, name); },
                   [&](const ResponseFrame& response) { return DecodeDms(response, dms); });
}

RequestResult CplPipeClient::SetPortDmsConfig(const std::wstring& name, const DmsConfig& dms) {
    const uint32_t check = CheckDmsTexts(dms.host, dms.port);
    if (check != kResultOk) return RequestResult::ClientFailed(check);
    return Request(
        [&](RequestFrame& request) {
            EncodeSetPortDmsConfig(request, name, dms.host, dms.port, dms.retryMs, dms.useSsl != 0,
                                   dms.comPortActive != 0);
        },
        NoPayload);
}

RequestResult CplPipeClient::UseDefaultDmsConfig(const std::wstring& name) {
    return Request([&](RequestFrame& request) { EncodeUseDefaultDmsConfig(request, name); },
                   NoPayload);
}

RequestResult CplPipeClient::GetDefaultDmsConfig(DmsConfig& dms) {
    SetDmsFailure(dms);
    return Request(EncodeGetDefaultDmsConfig,
                   [&](const ResponseFrame& response) { return DecodeDms(response, dms); });
}

RequestResult CplPipeClient::SetDefaultDmsConfig(const DmsConfig& dms) {
    const uint32_t check = CheckDmsTexts(dms.host, dms.port);
    if (check != kResultOk) return RequestResult::ClientFailed(check);
    return Request(
        [&](RequestFrame& request) {
            EncodeSetDefaultDmsConfig(request, dms.host, dms.port, dms.retryMs, dms.useSsl != 0,
                                      dms.comPortActive != 0);
        },
        NoPayload);
}

RequestResult CplPipeClient::GetLogSettings(std::wstring& folder, uint32_t& level) {
    SetLogSettingsFailure(folder, level);
    return Request(EncodeGetLogSettings, [&](const ResponseFrame& response) {
        DecodeLogSettings(response, folder, level);
        return kResultOk;
    });
}

RequestResult CplPipeClient::SetLogSettings(const std::wstring& folder, uint32_t level) {
    const uint32_t check = CheckLogFolder(folder);
    if (check != kResultOk) return RequestResult::ClientFailed(check);
    return Request([&](RequestFrame& request) { EncodeSetLogSettings(request, folder, level); },
                   NoPayload);
}

RequestResult CplPipeClient::GetPortCounters(const std::wstring& name, uint32_t& txCount,
                                             uint32_t& rxCount, uint32_t& updateCount) {
    SetPortCountersFailure(txCount, rxCount, updateCount);
    return Request([&](RequestFrame& request) { EncodeGetPortCounters(request, name); },
                   [&](const ResponseFrame& response) {
                       DecodePortCounters(response, txCount, rxCount, updateCount);
                       return kResultOk;
                   });
}

}  // namespace kestrel
