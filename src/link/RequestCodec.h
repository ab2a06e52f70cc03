// The twelve service requests as frames: argument checks, failure values,
// request encoders and response decoders. Everything works on the caller's
// fixed frames by byte offset; nothing here sends, and nothing allocates except
// the wide output strings (which reuse their capacity). Portable: no windows.h,
// so it builds natively for sanitizers and fuzzing.
#pragma once

#include <cstdint>
#include <string>

#include "DmsConfig.h"
#include "WireFormat.h"

namespace kestrel {

// ---- Argument checks (before anything is sent) ----------------------------------

// Code 5 and 8: 87 when host or port is missing, 0xEEEE000B when host has 300 or
// more characters or port 10 or more, else 0. Never reads past those limits.
[[nodiscard]] uint32_t CheckDmsTexts(const char* host, const char* port);
// Code 10: 0xEEEE000B when the folder has 260 or more characters, else 0.
[[nodiscard]] uint32_t CheckLogFolder(const std::wstring& folder);

// ---- Request encoders -------------------------------------------------------------
// Each fills the whole frame with zeros, then writes the code and the fields; the
// sequence field stays 0 (Transact stamps it). Port names are cut to 200
// characters, texts to their field size minus one; the checks above come first.

void EncodeQueryVersion(RequestFrame& frame);                                 // 0
void EncodeGetPortListInfo(RequestFrame& frame);                              // 1
void EncodeGetPortName(RequestFrame& frame, uint32_t stamp, uint32_t index);  // 2
void EncodeGetPortDevice(RequestFrame& frame, const std::wstring& name);      // 3
void EncodeGetPortDmsConfig(RequestFrame& frame, const std::wstring& name);   // 4
void EncodeSetPortDmsConfig(RequestFrame& frame, const std::wstring& name,    // 5
                            const char* host, const char* port, uint32_t retryMs, bool useSsl,
                            bool comPortActive);
void EncodeUseDefaultDmsConfig(RequestFrame& frame, const std::wstring& name);  // 6
void EncodeGetDefaultDmsConfig(RequestFrame& frame);                            // 7
void EncodeSetDefaultDmsConfig(RequestFrame& frame, const char* host,           // 8
                               const char* port, uint32_t retryMs, bool useSsl, bool comPortActive);
void EncodeGetLogSettings(RequestFrame& frame);                             // 9
void EncodeSetLogSettings(RequestFrame& frame, const std::wstring& folder,  // 10
                          uint32_t level);
void EncodeGetPortCounters(RequestFrame& frame, const std::wstring& name);  // 11

// ---- Failure values (set before anything is sent) --------------------------------

void SetVersionFailure(uint32_t& major, uint32_t& minor, uint32_t& patch);      // 0: all 0
void SetPortListInfoFailure(uint32_t& stamp, uint32_t* count);                  // 1
void SetPortNameFailure(std::wstring& name);                                    // 2
void SetPortDeviceFailure(std::wstring& portLabel, std::wstring& serialNumber,  // 3
                          uint32_t& mode, uint32_t& status, bool& useDefault);
void SetDmsConfigFailure(char* host, char* port, uint32_t& retryMs, bool& useSsl,  // 4, 7
                         bool& comPortActive);
void SetLogSettingsFailure(std::wstring& folder, uint32_t& level);  // 9
void SetPortCountersFailure(uint32_t& txCount, uint32_t& rxCount,   // 11
                            uint32_t& updateCount);

// ---- Response decoders (for a response whose status is 0) ------------------------

void DecodeVersion(const ResponseFrame& frame, uint32_t& major, uint32_t& minor, uint32_t& patch);
void DecodePortListInfo(const ResponseFrame& frame, uint32_t& stamp, uint32_t* count);
// The name up to its NUL within the whole payload (at most 262 code units).
void DecodePortName(const ResponseFrame& frame, std::wstring& name);
void DecodePortDevice(const ResponseFrame& frame, std::wstring& portLabel,
                      std::wstring& serialNumber, uint32_t& mode, uint32_t& status,
                      bool& useDefault);
// host: char[300], port: char[10]. Returns 87 and writes nothing when the host
// holds no NUL within 300 bytes or the port none within 10 bytes; else 0.
[[nodiscard]] uint32_t DecodeDmsConfig(const ResponseFrame& frame, char* host, char* port,
                                       uint32_t& retryMs, bool& useSsl, bool& comPortActive);
void DecodeLogSettings(const ResponseFrame& frame, std::wstring& folder, uint32_t& level);
void DecodePortCounters(const ResponseFrame& frame, uint32_t& txCount, uint32_t& rxCount,
                        uint32_t& updateCount);

}  // namespace kestrel
