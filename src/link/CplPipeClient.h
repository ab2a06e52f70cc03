// The panel's client of the Kestrel service: framing with sequence numbers, the
// version handshake and the twelve requests. Every operation returns a
// RequestResult and sets its outputs to their failure values before sending.
#pragma once

#include <cstdint>
#include <string>

#include "DmsConfig.h"
#include "LinkState.h"
#include "PipeOwnerTrust.h"
#include "PortRequests.h"
#include "RequestResult.h"
#include "ServiceChanges.h"
#include "TNamedPipeClient.h"
#include "WireFormat.h"

namespace kestrel {

class CplPipeClient : public TNamedPipeClient, public PortRequests, public ServiceChanges {
public:
    explicit CplPipeClient(const wchar_t* name = kServicePipeName);

    // The only way to connect. Sends nothing to a pipe whose owner it does
    // not trust (PipeOwnerTrust): it closes the pipe and gives the link
    // failure kResultUntrustedPipe. A pipe that did not appear within the
    // time-out gives kResultConnectTimeout (not running); one whose instances
    // all stayed busy gives kErrorTimeout, as a request the service lets lie
    // (not responding). A handshake the service refused gives its answer.
    // On an open pipe it changes nothing: ClientFailed(kErrorGeneric).
    [[nodiscard]] RequestResult ConnectService(uint32_t timeoutMs);
    // What the last connect attempt left: connected, or why not (with the
    // version the service reported when that was the reason).
    const LinkState& LastConnect() const { return lastConnect; }
    // The answer's status; a time-out, a pipe found broken (then closed) or
    // no pipe at all as link failures; an answer of the wrong length or from
    // the future, and any other transport error, as the client's failure.
    [[nodiscard]] RequestResult Transact(RequestFrame& request, ResponseFrame& response);

    [[nodiscard]] RequestResult QueryVersion(uint32_t& major, uint32_t& minor, uint32_t& patch);
    [[nodiscard]] RequestResult GetPortListInfo(uint32_t* stamp,
                                                uint32_t* count = nullptr) override;
    [[nodiscard]] RequestResult GetPortName(uint32_t stamp, uint32_t index,
                                            std::wstring& name) override;
    [[nodiscard]] RequestResult GetPortDevice(const std::wstring& name, std::wstring& portLabel,
                                              std::wstring& serialNumber, uint32_t& mode,
                                              uint32_t& status, bool& useDefault) override;
    // The DMS parameter sets: flags as 0/1 bytes; a text too long for its
    // field is refused with ClientFailed(kResultTextTooLong) before anything
    // is sent.
    [[nodiscard]] RequestResult GetPortDmsConfig(const std::wstring& name, DmsConfig& dms) override;
    [[nodiscard]] RequestResult SetPortDmsConfig(const std::wstring& name,
                                                 const DmsConfig& dms) override;
    [[nodiscard]] RequestResult UseDefaultDmsConfig(const std::wstring& name) override;
    [[nodiscard]] RequestResult GetDefaultDmsConfig(DmsConfig& dms);
    [[nodiscard]] RequestResult SetDefaultDmsConfig(const DmsConfig& dms) override;
    [[nodiscard]] RequestResult GetLogSettings(std::wstring& folder, uint32_t& level);
    [[nodiscard]] RequestResult SetLogSettings(const std::wstring& folder, uint32_t level) override;
    [[nodiscard]] RequestResult GetPortCounters(const std::wstring& name, uint32_t& txCount,
                                                uint32_t& rxCount, uint32_t& updateCount) override;

    [[nodiscard]] uint32_t Sequence() const { return sequence; }

private:
    template <typename Encode, typename Decode>
    [[nodiscard]] RequestResult Request(Encode encode, Decode decode);

    uint32_t sequence = 0;
    LinkState lastConnect;
    const std::wstring userSid;
};

}  // namespace kestrel
