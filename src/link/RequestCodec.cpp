#include "RequestCodec.h"

#include <cstring>

namespace kestrel {
namespace {

// Length of a NUL-terminated text, counted no further than limit.
size_t BoundedLength(const char* text, size_t limit) {
    size_t n = 0;
    while (n < limit && text[n] != '\0') ++n;
    return n;
}

void Begin(RequestFrame& frame, RequestCode code) {
    frame.fill(0);
    PutU32(frame.data(), kCodeOffset, code);
}

void PutPortName(RequestFrame& frame, const std::wstring& name) {
    PutWide(frame.data(), kReqPortNameOffset, kPortNameChars, name);
}

void PutDms(RequestFrame& frame, size_t at, const char* host, const char* port, uint32_t retryMs,
            bool useSsl, bool comPortActive) {
    uint8_t* f = frame.data();
    PutNarrow(f, at + kDmsHostRel, kDmsHostBytes, host);
    PutNarrow(f, at + kDmsPortRel, kDmsPortBytes, port);
    PutU32(f, at + kDmsRetryMsRel, retryMs);
    f[at + kDmsUseSslRel] = useSsl ? 1 : 0;
    f[at + kDmsComPortActiveRel] = comPortActive ? 1 : 0;
}

}  // namespace

uint32_t CheckDmsTexts(const char* host, const char* port) {
    if (host == nullptr || port == nullptr) return kErrorInvalidParameter;
    if (BoundedLength(host, kDmsHostBytes) >= kDmsHostBytes) return kResultTextTooLong;
    if (BoundedLength(port, kDmsPortBytes) >= kDmsPortBytes) return kResultTextTooLong;
    return kResultOk;
}

uint32_t CheckLogFolder(const std::wstring& folder) {
    return folder.size() >= kLogFolderChars ? kResultTextTooLong : kResultOk;
}

void EncodeQueryVersion(RequestFrame& frame) { Begin(frame, kQueryVersion); }

void EncodeGetPortListInfo(RequestFrame& frame) { Begin(frame, kGetPortListInfo); }

void EncodeGetPortName(RequestFrame& frame, uint32_t stamp, uint32_t index) {
    Begin(frame, kGetPortName);
    PutU32(frame.data(), kReqStampOffset, stamp);
    PutU32(frame.data(), kReqIndexOffset, index);
}

void EncodeGetPortDevice(RequestFrame& frame, const std::wstring& name) {
    Begin(frame, kGetPortDevice);
    PutPortName(frame, name);
}

void EncodeGetPortDmsConfig(RequestFrame& frame, const std::wstring& name) {
    Begin(frame, kGetPortDmsConfig);
    PutPortName(frame, name);
}

void EncodeSetPortDmsConfig(RequestFrame& frame, const std::wstring& name, const char* host,
                            const char* port, uint32_t retryMs, bool useSsl, bool comPortActive) {
    Begin(frame, kSetPortDmsConfig);
    PutPortName(frame, name);
    PutDms(frame, kReqPortDmsOffset, host, port, retryMs, useSsl, comPortActive);
}

void EncodeUseDefaultDmsConfig(RequestFrame& frame, const std::wstring& name) {
    Begin(frame, kUseDefaultDmsConfig);
    PutPortName(frame, name);
}

void EncodeGetDefaultDmsConfig(RequestFrame& frame) { Begin(frame, kGetDefaultDmsConfig); }

void EncodeSetDefaultDmsConfig(RequestFrame& frame, const char* host, const char* port,
                               uint32_t retryMs, bool useSsl, bool comPortActive) {
    Begin(frame, kSetDefaultDmsConfig);
    PutDms(frame, kReqDefaultDmsOffset, host, port, retryMs, useSsl, comPortActive);
}

void EncodeGetLogSettings(RequestFrame& frame) { Begin(frame, kGetLogSettings); }

void EncodeSetLogSettings(RequestFrame& frame, const std::wstring& folder, uint32_t level) {
    Begin(frame, kSetLogSettings);
    PutWide(frame.data(), kReqLogFolderOffset, kLogFolderChars, folder);
    PutU32(frame.data(), kReqLogLevelOffset, level);
}

void EncodeGetPortCounters(RequestFrame& frame, const std::wstring& name) {
    Begin(frame, kGetPortCounters);
    PutPortName(frame, name);
}

void SetVersionFailure(uint32_t& major, uint32_t& minor, uint32_t& patch) {
    major = minor = patch = 0;
}

void SetPortListInfoFailure(uint32_t& stamp, uint32_t* count) {
    stamp = 0;
    if (count != nullptr) *count = 0;
}

void SetPortNameFailure(std::wstring& name) { name.clear(); }

void SetPortDeviceFailure(std::wstring& portLabel, std::wstring& serialNumber, uint32_t& mode,
                          uint32_t& status, bool& useDefault) {
    portLabel.clear();
    serialNumber.clear();
    mode = kModeSerial;
    status = kStatusNoDevice;
    useDefault = true;
}

void SetDmsConfigFailure(char* host, char* port, uint32_t& retryMs, bool& useSsl,
                         bool& comPortActive) {
    host[0] = '\0';
    port[0] = '\0';
    retryMs = 0;
    useSsl = false;
    comPortActive = false;
}

void SetLogSettingsFailure(std::wstring& folder, uint32_t& level) {
    folder.clear();
    level = 0;
}

void SetPortCountersFailure(uint32_t& txCount, uint32_t& rxCount, uint32_t& updateCount) {
    txCount = rxCount = updateCount = 0;
}

void DecodeVersion(const ResponseFrame& frame, uint32_t& major, uint32_t& minor, uint32_t& patch) {
    major = GetU32(frame.data(), kRspVersionOffset);
    minor = GetU32(frame.data(), kRspVersionOffset + 4);
    patch = GetU32(frame.data(), kRspVersionOffset + 8);
}

void DecodePortListInfo(const ResponseFrame& frame, uint32_t& stamp, uint32_t* count) {
    stamp = GetU32(frame.data(), kRspStampOffset);
    if (count != nullptr) *count = GetU32(frame.data(), kRspCountOffset);
}

void DecodePortName(const ResponseFrame& frame, std::wstring& name) {
    AssignWide(name, frame.data(), kRspPortNameOffset, kRspPortNameChars);
}

void DecodePortDevice(const ResponseFrame& frame, std::wstring& portLabel,
                      std::wstring& serialNumber, uint32_t& mode, uint32_t& status,
                      bool& useDefault) {
    AssignWide(portLabel, frame.data(), kRspPortLabelOffset, kPortLabelChars);
    AssignWide(serialNumber, frame.data(), kRspSerialNumberOffset, kSerialNumberChars);
    mode = GetU32(frame.data(), kRspModeOffset);
    status = GetU32(frame.data(), kRspDeviceStatusOffset);
    useDefault = frame[kRspUseDefaultOffset] != 0;
}

uint32_t DecodeDmsConfig(const ResponseFrame& frame, char* host, char* port, uint32_t& retryMs,
                         bool& useSsl, bool& comPortActive) {
    const uint8_t* f = frame.data();
    const size_t hostAt = kRspDmsOffset + kDmsHostRel;
    const size_t portAt = kRspDmsOffset + kDmsPortRel;
    const size_t hostLength = NarrowFieldLength(f, hostAt, kDmsHostBytes);
    const size_t portLength = NarrowFieldLength(f, portAt, kDmsPortBytes);
    if (hostLength >= kDmsHostBytes || portLength >= kDmsPortBytes) return kErrorInvalidParameter;
    std::memcpy(host, f + hostAt, hostLength + 1);
    std::memcpy(port, f + portAt, portLength + 1);
    retryMs = GetU32(f, kRspDmsOffset + kDmsRetryMsRel);
    useSsl = f[kRspDmsOffset + kDmsUseSslRel] != 0;
    comPortActive = f[kRspDmsOffset + kDmsComPortActiveRel] != 0;
    return kResultOk;
}

void DecodeLogSettings(const ResponseFrame& frame, std::wstring& folder, uint32_t& level) {
    AssignWide(folder, frame.data(), kRspLogFolderOffset, kLogFolderChars);
    level = GetU32(frame.data(), kRspLogLevelOffset);
}

void DecodePortCounters(const ResponseFrame& frame, uint32_t& txCount, uint32_t& rxCount,
                        uint32_t& updateCount) {
    txCount = GetU32(frame.data(), kRspTxCountOffset);
    rxCount = GetU32(frame.data(), kRspRxCountOffset);
    updateCount = GetU32(frame.data(), kRspUpdateCountOffset);
}

}  // namespace kestrel
