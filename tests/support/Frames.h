// Request and response frames for the tests, written byte by byte at literal
// offsets, low byte first, rather than with the program's wire helpers and
// layout constants: what a test sends, serves or expects does not follow a
// fault in the code under test. Portable: no windows.h.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "DmsConfig.h"
#include "WireFormat.h"

namespace kestrel::test {

inline void U32(uint8_t* frame, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) frame[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint32_t U32At(const uint8_t* frame, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | frame[at + i];
    return value;
}

// The code units only: the NUL after them is the zero of a fresh frame.
inline void Wide(uint8_t* frame, size_t at, const std::wstring& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const auto unit = static_cast<uint16_t>(text[i]);
        frame[at + 2 * i] = static_cast<uint8_t>(unit & 0xFF);
        frame[at + 2 * i + 1] = static_cast<uint8_t>(unit >> 8);
    }
}

inline void Narrow(uint8_t* frame, size_t at, const std::string& text) {
    std::memcpy(frame + at, text.data(), text.size());
}

// A narrow field's text up to its NUL, or the whole field when it has none.
inline std::string NarrowAt(const uint8_t* frame, size_t at, size_t fieldBytes) {
    const auto* text = reinterpret_cast<const char*>(frame + at);
    size_t length = 0;
    while (length < fieldBytes && text[length] != '\0') ++length;
    return std::string(text, length);
}

// The DMS parameter set a frame holds from at, with the bytes of its flags as
// they are.
inline DmsConfig DmsAt(const uint8_t* frame, size_t at) {
    DmsConfig dms;
    NarrowAt(frame, at, 300).copy(dms.host, sizeof dms.host - 1);
    NarrowAt(frame, at + 300, 10).copy(dms.port, sizeof dms.port - 1);
    dms.retryMs = U32At(frame, at + 310);
    dms.useSsl = frame[at + 314];
    dms.comPortActive = frame[at + 315];
    return dms;
}

// Both frames begin with the sequence number; then a request has its code and
// a response its status.
template <class Frame>
uint32_t SequenceOf(const Frame& frame) {
    return U32At(frame.data(), 0);
}
template <class Frame>
uint32_t CodeOf(const Frame& frame) {
    return U32At(frame.data(), 4);
}
template <class Frame>
uint32_t StatusOf(const Frame& frame) {
    return U32At(frame.data(), 4);
}

// A zeroed request with its sequence number and code; 7 stands for any
// sequence number.
inline RequestFrame Request(uint32_t code, uint32_t sequence = 7) {
    RequestFrame frame{};
    U32(frame.data(), 0, sequence);
    U32(frame.data(), 4, code);
    return frame;
}

// GetPortDevice, GetPortDmsConfig, UseDefaultDmsConfig, GetPortCounters: the
// port name at 8.
inline RequestFrame PortRequest(uint32_t code, const std::wstring& name, uint32_t sequence = 7) {
    RequestFrame frame = Request(code, sequence);
    Wide(frame.data(), 8, name);
    return frame;
}

// GetPortName: the list's stamp at 8, the index at 12.
inline RequestFrame NameRequest(uint32_t stamp, uint32_t index, uint32_t sequence = 7) {
    RequestFrame frame = Request(2, sequence);
    U32(frame.data(), 8, stamp);
    U32(frame.data(), 12, index);
    return frame;
}

// A DMS parameter set from at: host (300 bytes), port (10), retryMs, useSsl,
// comPortActive.
inline void DmsFields(uint8_t* frame, size_t at, const std::string& host, const std::string& port,
                      uint32_t retryMs, bool ssl, bool active) {
    Narrow(frame, at, host);
    Narrow(frame, at + 300, port);
    U32(frame, at + 310, retryMs);
    frame[at + 314] = ssl ? 1 : 0;
    frame[at + 315] = active ? 1 : 0;
}

// SetPortDmsConfig: the port name at 8, the set at 410.
inline RequestFrame SetPortDmsRequest(const std::wstring& name, const std::string& host,
                                      const std::string& port, uint32_t retryMs, bool ssl,
                                      bool active, uint32_t sequence = 7) {
    RequestFrame frame = PortRequest(5, name, sequence);
    DmsFields(frame.data(), 410, host, port, retryMs, ssl, active);
    return frame;
}

// SetDefaultDmsConfig: the set at 8.
inline RequestFrame SetDefaultDmsRequest(const std::string& host, const std::string& port,
                                         uint32_t retryMs, bool ssl, bool active,
                                         uint32_t sequence = 7) {
    RequestFrame frame = Request(8, sequence);
    DmsFields(frame.data(), 8, host, port, retryMs, ssl, active);
    return frame;
}

// SetLogSettings: the folder at 8, the level at 528.
inline RequestFrame SetLogRequest(const std::wstring& folder, uint32_t level,
                                  uint32_t sequence = 7) {
    RequestFrame frame = Request(10, sequence);
    Wide(frame.data(), 8, folder);
    U32(frame.data(), 528, level);
    return frame;
}

}  // namespace kestrel::test
