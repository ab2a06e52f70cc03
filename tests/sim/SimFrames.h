// Request frames as the panel would build them, for the simulator's tests.
#pragma once

#include <cstdint>
#include <string>

#include "WireFormat.h"

namespace kestrel::sim::test {

inline RequestFrame Request(uint32_t code, uint32_t sequence = 7) {
    RequestFrame frame{};
    PutU32(frame.data(), kSequenceOffset, sequence);
    PutU32(frame.data(), kCodeOffset, code);
    return frame;
}

inline RequestFrame PortRequest(uint32_t code, const std::wstring& name, uint32_t sequence = 7) {
    RequestFrame frame = Request(code, sequence);
    PutWide(frame.data(), kReqPortNameOffset, kPortNameChars, name);
    return frame;
}

inline RequestFrame NameRequest(uint32_t stamp, uint32_t index, uint32_t sequence = 7) {
    RequestFrame frame = Request(kGetPortName, sequence);
    PutU32(frame.data(), kReqStampOffset, stamp);
    PutU32(frame.data(), kReqIndexOffset, index);
    return frame;
}

inline void PutDms(RequestFrame& frame, size_t offset, const char* host, const char* port,
                   uint32_t retryMs, bool ssl, bool active) {
    PutNarrow(frame.data(), offset + kDmsHostRel, kDmsHostBytes, host);
    PutNarrow(frame.data(), offset + kDmsPortRel, kDmsPortBytes, port);
    PutU32(frame.data(), offset + kDmsRetryMsRel, retryMs);
    frame[offset + kDmsUseSslRel] = ssl ? 1 : 0;
    frame[offset + kDmsComPortActiveRel] = active ? 1 : 0;
}

inline std::string NarrowAt(const uint8_t* frame, size_t offset, size_t fieldBytes) {
    return std::string(reinterpret_cast<const char*>(frame + offset),
                       NarrowFieldLength(frame, offset, fieldBytes));
}

}  // namespace kestrel::sim::test
