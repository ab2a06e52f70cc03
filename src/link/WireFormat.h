// Fixed-size frame buffers with explicit little-endian field access by byte
// offset. Nothing here casts a frame to a struct, so unaligned fields (retryMs at
// 318 and 720) and host byte order cannot matter. Portable: no windows.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "ServiceProtocol.h"

namespace kestrel {

using RequestFrame = std::array<uint8_t, kRequestFrameSize>;
using ResponseFrame = std::array<uint8_t, kResponseFrameSize>;

inline void PutU32(uint8_t* frame, size_t offset, uint32_t value) {
    frame[offset] = static_cast<uint8_t>(value);
    frame[offset + 1] = static_cast<uint8_t>(value >> 8);
    frame[offset + 2] = static_cast<uint8_t>(value >> 16);
    frame[offset + 3] = static_cast<uint8_t>(value >> 24);
}

inline uint32_t GetU32(const uint8_t* frame, size_t offset) {
    return static_cast<uint32_t>(frame[offset]) | static_cast<uint32_t>(frame[offset + 1]) << 8 |
           static_cast<uint32_t>(frame[offset + 2]) << 16 |
           static_cast<uint32_t>(frame[offset + 3]) << 24;
}

// Whether an answer's sequence number lies after the request's: sequence
// numbers wrap, so "after" is less than half the number space ahead.
inline constexpr bool IsLaterSequence(uint32_t received, uint32_t sent) {
    return received != sent && received - sent < 0x80000000u;
}

// Copies up to fieldChars - 1 UTF-16 code units of text and a terminating NUL.
inline void PutWide(uint8_t* frame, size_t offset, size_t fieldChars, const wchar_t* text,
                    size_t length) {
    const size_t n = length < fieldChars - 1 ? length : fieldChars - 1;
    for (size_t i = 0; i < n; ++i) {
        const auto unit = static_cast<uint16_t>(text[i]);
        frame[offset + 2 * i] = static_cast<uint8_t>(unit);
        frame[offset + 2 * i + 1] = static_cast<uint8_t>(unit >> 8);
    }
    frame[offset + 2 * n] = 0;
    frame[offset + 2 * n + 1] = 0;
}

inline void PutWide(uint8_t* frame, size_t offset, size_t fieldChars, const std::wstring& text) {
    PutWide(frame, offset, fieldChars, text.data(), text.size());
}

// Reads UTF-16 code units up to the first NUL, never beyond fieldChars, into
// out (reusing its capacity, so that a refresh pass allocates nothing for texts
// that keep their length).
inline void AssignWide(std::wstring& out, const uint8_t* frame, size_t offset, size_t fieldChars) {
    const uint8_t* p = frame + offset;
    size_t n = 0;
    while (n < fieldChars && (p[2 * n] | p[2 * n + 1]) != 0) ++n;
    out.resize(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<wchar_t>(static_cast<uint16_t>(p[2 * i] | p[2 * i + 1] << 8));
}

inline std::wstring GetWide(const uint8_t* frame, size_t offset, size_t fieldChars) {
    std::wstring text;
    AssignWide(text, frame, offset, fieldChars);
    return text;
}

// Copies up to fieldBytes - 1 bytes of a NUL-terminated text and a terminating NUL.
inline void PutNarrow(uint8_t* frame, size_t offset, size_t fieldBytes, const char* text) {
    size_t n = 0;
    while (n < fieldBytes - 1 && text[n] != '\0') {
        frame[offset + n] = static_cast<uint8_t>(text[n]);
        ++n;
    }
    frame[offset + n] = 0;
}

// Length of the text in a narrow field, or fieldBytes when it holds no NUL.
inline size_t NarrowFieldLength(const uint8_t* frame, size_t offset, size_t fieldBytes) {
    const void* nul = std::memchr(frame + offset, 0, fieldBytes);
    return nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - (frame + offset))
               : fieldBytes;
}

}  // namespace kestrel
