#include "RequestHandler.h"

#include <cstring>
#include <string>

#include "WireFormat.h"

namespace kestrel::sim {

namespace {

bool WideFieldTerminated(const uint8_t* frame, size_t offset, size_t chars) {
    for (size_t i = 0; i < chars; ++i) {
        if (frame[offset + 2 * i] == 0 && frame[offset + 2 * i + 1] == 0) return true;
    }
    return false;
}

bool NarrowFieldTerminated(const uint8_t* frame, size_t offset, size_t bytes) {
    return NarrowFieldLength(frame, offset, bytes) < bytes;
}

bool ReadDms(const uint8_t* frame, size_t offset, SimDms& dms) {
    if (!NarrowFieldTerminated(frame, offset + kDmsHostRel, kDmsHostBytes) ||
        !NarrowFieldTerminated(frame, offset + kDmsPortRel, kDmsPortBytes)) {
        return false;
    }
    dms.host = reinterpret_cast<const char*>(frame + offset + kDmsHostRel);
    dms.port = reinterpret_cast<const char*>(frame + offset + kDmsPortRel);
    dms.retryMs = GetU32(frame, offset + kDmsRetryMsRel);
    dms.useSsl = frame[offset + kDmsUseSslRel] != 0;
    dms.comPortActive = frame[offset + kDmsComPortActiveRel] != 0;
    return true;
}

void WriteDms(uint8_t* frame, size_t offset, const SimDms& dms) {
    PutNarrow(frame, offset + kDmsHostRel, kDmsHostBytes, dms.host.c_str());
    PutNarrow(frame, offset + kDmsPortRel, kDmsPortBytes, dms.port.c_str());
    PutU32(frame, offset + kDmsRetryMsRel, dms.retryMs);
    frame[offset + kDmsUseSslRel] = dms.useSsl ? 1 : 0;
    frame[offset + kDmsComPortActiveRel] = dms.comPortActive ? 1 : 0;
}

// Answers the requests that name a port; returns the status.
uint32_t HandlePortRequest(SimModel& model, uint32_t code, const uint8_t* request,
                           uint8_t* response) {
    if (!WideFieldTerminated(request, kReqPortNameOffset, kPortNameChars)) return kRefuseMalformed;
    const std::wstring name = GetWide(request, kReqPortNameOffset, kPortNameChars);
    SimDms dms;
    // Check the whole request before acting on any of it.
    if (code == kSetPortDmsConfig && !ReadDms(request, kReqPortDmsOffset, dms))
        return kRefuseMalformed;
    SimPort* port = model.FindPort(name);
    if (!port) return kResultPortUnavailable;

    switch (code) {
    case kGetPortDevice:
        PutWide(response, kRspPortLabelOffset, kPortLabelChars, port->label);
        PutWide(response, kRspSerialNumberOffset, kSerialNumberChars, port->serial);
        PutU32(response, kRspModeOffset, port->mode);
        PutU32(response, kRspDeviceStatusOffset, port->status);
        response[kRspUseDefaultOffset] = port->useDefault ? 1 : 0;
        break;
    case kGetPortDmsConfig: WriteDms(response, kRspDmsOffset, model.EffectiveDms(*port)); break;
    case kSetPortDmsConfig: model.SetPortDms(*port, dms); break;
    case kUseDefaultDmsConfig: model.UseDefaultDms(*port); break;
    case kGetPortCounters:
        PutU32(response, kRspTxCountOffset, port->tx);
        PutU32(response, kRspRxCountOffset, port->rx);
        PutU32(response, kRspUpdateCountOffset, port->update);
        break;
    default: break;
    }
    return kResultOk;
}

uint32_t HandleFrame(SimModel& model, const uint8_t* request, uint8_t* response) {
    const uint32_t code = GetU32(request, kCodeOffset);
    switch (code) {
    case kQueryVersion:
        PutU32(response, kRspVersionOffset, kProtocolVersionMajor);
        PutU32(response, kRspVersionOffset + 4, kProtocolVersionMinor);
        PutU32(response, kRspVersionOffset + 8, kProtocolVersionPatch);
        return kResultOk;
    case kGetPortListInfo:
        PutU32(response, kRspStampOffset, model.Stamp());
        PutU32(response, kRspCountOffset, static_cast<uint32_t>(model.Ports().size()));
        return kResultOk;
    case kGetPortName: {
        if (GetU32(request, kReqStampOffset) != model.Stamp()) return kRefuseStaleStamp;
        const std::wstring* name = model.PortNameAt(GetU32(request, kReqIndexOffset));
        if (!name) return kRefuseIndexOutOfRange;
        PutWide(response, kRspPortNameOffset, kRspPortNameChars, *name);
        return kResultOk;
    }
    case kGetPortDevice:
    case kGetPortDmsConfig:
    case kSetPortDmsConfig:
    case kUseDefaultDmsConfig:
    case kGetPortCounters: return HandlePortRequest(model, code, request, response);
    case kGetDefaultDmsConfig:
        WriteDms(response, kRspDmsOffset, model.DefaultDms());
        return kResultOk;
    case kSetDefaultDmsConfig: {
        SimDms dms;
        if (!ReadDms(request, kReqDefaultDmsOffset, dms)) return kRefuseMalformed;
        model.SetDefaultDms(dms);
        return kResultOk;
    }
    case kGetLogSettings:
        PutWide(response, kRspLogFolderOffset, kLogFolderChars, model.LogFolder());
        PutU32(response, kRspLogLevelOffset, model.LogLevel());
        return kResultOk;
    case kSetLogSettings:
        if (!WideFieldTerminated(request, kReqLogFolderOffset, kLogFolderChars))
            return kRefuseMalformed;
        model.SetLogSettings(GetWide(request, kReqLogFolderOffset, kLogFolderChars),
                             GetU32(request, kReqLogLevelOffset));
        return kResultOk;
    default: return kRefuseUnknownRequest;
    }
}

}  // namespace

bool HandleRequest(SimModel& model, const uint8_t* request, size_t length, uint8_t* response) {
    std::memset(response, 0, kResponseFrameSize);
    if (length < kMinAnswerableRequest) return false;
    if (length != kRequestFrameSize) {
        RefuseRequest(request, kRefuseMalformed, response);
        return true;
    }
    PutU32(response, kSequenceOffset, GetU32(request, kSequenceOffset));
    const uint32_t status = HandleFrame(model, request, response);
    if (status != kResultOk) {
        // A refusal carries no payload, whatever was written before the check failed.
        RefuseRequest(request, status, response);
    }
    return true;
}

std::wstring RequestPortName(const uint8_t* request) {
    switch (GetU32(request, kCodeOffset)) {
    case kGetPortDevice:
    case kGetPortDmsConfig:
    case kSetPortDmsConfig:
    case kUseDefaultDmsConfig:
    case kGetPortCounters:
        if (WideFieldTerminated(request, kReqPortNameOffset, kPortNameChars))
            return GetWide(request, kReqPortNameOffset, kPortNameChars);
        return std::wstring();
    default: return std::wstring();
    }
}

void RefuseRequest(const uint8_t* request, uint32_t status, uint8_t* response) {
    std::memset(response, 0, kResponseFrameSize);
    PutU32(response, kSequenceOffset, GetU32(request, kSequenceOffset));
    PutU32(response, kStatusOffset, status);
}

}  // namespace kestrel::sim
