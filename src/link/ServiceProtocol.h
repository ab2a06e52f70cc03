// Wire protocol between the panel and the Kestrel service: frame sizes, field
// offsets, request codes, result codes and the pipe name. Portable: no windows.h.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel {

// Named pipe of the service: the prefix immediately followed by the name.
inline constexpr wchar_t kPipePathPrefix[] = L"\\\\.\\pipe\\";
inline constexpr wchar_t kServicePipeName[] = L"{A5BF0F9B-ACED-4ebe-BE6A-F34B8AADD819}";
// The system takes a pipe's full name, prefix included, of at most 256
// characters; the buffer holds it and the terminating zero.
inline constexpr size_t kPipePathChars = 257;
// The longest name after the prefix.
inline constexpr size_t kMaxPipeNameChars =
    kPipePathChars - 1 - (sizeof(kPipePathPrefix) / sizeof(wchar_t) - 1);

// Frame sizes and the common header.
inline constexpr size_t kRequestFrameSize = 726;
inline constexpr size_t kResponseFrameSize = 532;
inline constexpr size_t kSequenceOffset = 0;  // both frames
inline constexpr size_t kCodeOffset = 4;      // request
inline constexpr size_t kStatusOffset = 4;    // response
inline constexpr size_t kPayloadOffset = 8;   // both frames

// Transport limits (milliseconds).
inline constexpr uint32_t kExchangeBudgetMs = 10000;
inline constexpr uint32_t kConnectRetryPauseMs = 50;
// A cancelled operation that has not finished by then is ended by closing the pipe.
inline constexpr uint32_t kCancelDrainLimitMs = 1000;
inline constexpr uint32_t kStartupConnectTimeoutMs = 1000;
inline constexpr uint32_t kRefreshConnectTimeoutMs = 200;

// Protocol version the service must report to QueryVersion. It changes with
// the protocol, not with the product version (ProductInfo.h).
inline constexpr uint32_t kProtocolVersionMajor = 2;
inline constexpr uint32_t kProtocolVersionMinor = 14;
inline constexpr uint32_t kProtocolVersionPatch = 0;

enum RequestCode : uint32_t {
    kQueryVersion = 0,
    kGetPortListInfo = 1,
    kGetPortName = 2,
    kGetPortDevice = 3,
    kGetPortDmsConfig = 4,
    kSetPortDmsConfig = 5,
    kUseDefaultDmsConfig = 6,
    kGetDefaultDmsConfig = 7,
    kSetDefaultDmsConfig = 8,
    kGetLogSettings = 9,
    kSetLogSettings = 10,
    kGetPortCounters = 11,
};
inline constexpr uint32_t kRequestCodeCount = 12;

// Result codes of the service link. 0 is success; Win32 error codes pass through.
inline constexpr uint32_t kResultOk = 0;
inline constexpr uint32_t kResultServiceGone = 0xEEEE0001;      // pipe found disconnected; closed
inline constexpr uint32_t kResultPortUnavailable = 0xEEEE0005;  // sent by the service in status
inline constexpr uint32_t kResultConnectTimeout = 0xEEEE0007;
inline constexpr uint32_t kResultWrongVersion = 0xEEEE0008;
inline constexpr uint32_t kResultNotConnected = 0xEEEE0009;
inline constexpr uint32_t kResultFutureSequence = 0xEEEE000A;
inline constexpr uint32_t kResultTextTooLong = 0xEEEE000B;
inline constexpr uint32_t kResultUntrustedPipe =
    0xEEEE000C;  // owner not trusted; closed, nothing sent

// Win32 error codes the link produces or interprets (values fixed by the platform).
inline constexpr uint32_t kErrorGeneric = 1;  // also: short write, wrong response length
inline constexpr uint32_t kErrorInvalidParameter = 87;
inline constexpr uint32_t kErrorBrokenPipe = 109;
inline constexpr uint32_t kErrorPipeBusy = 231;  // every instance of the pipe is busy
inline constexpr uint32_t kErrorNoData = 232;
inline constexpr uint32_t kErrorPipeNotConnected = 233;
inline constexpr uint32_t kErrorMoreData = 234;
inline constexpr uint32_t kErrorTimeout = 1460;

// Field sizes: wide fields in UTF-16 code units, narrow fields in bytes, both
// including the terminating NUL.
inline constexpr size_t kPortNameChars = 201;  // at most 200 characters on the wire
inline constexpr size_t kPortLabelChars = 30;
inline constexpr size_t kSerialNumberChars = 150;
inline constexpr size_t kLogFolderChars = 260;
inline constexpr size_t kDmsHostBytes = 300;
inline constexpr size_t kDmsPortBytes = 10;

// Packed DmsConfig, relative to where it starts in a frame.
inline constexpr size_t kDmsHostRel = 0;
inline constexpr size_t kDmsPortRel = 300;
inline constexpr size_t kDmsRetryMsRel = 310;
inline constexpr size_t kDmsUseSslRel = 314;
inline constexpr size_t kDmsComPortActiveRel = 315;
inline constexpr size_t kDmsWireSize = 316;

// Request payload offsets.
inline constexpr size_t kReqPortNameOffset = 8;    // codes 3, 4, 5, 6, 11
inline constexpr size_t kReqStampOffset = 8;       // code 2
inline constexpr size_t kReqIndexOffset = 12;      // code 2
inline constexpr size_t kReqPortDmsOffset = 410;   // code 5
inline constexpr size_t kReqDefaultDmsOffset = 8;  // code 8
inline constexpr size_t kReqLogFolderOffset = 8;   // code 10
inline constexpr size_t kReqLogLevelOffset = 528;  // code 10

// Response payload offsets.
inline constexpr size_t kRspVersionOffset = 8;   // code 0: three u32
inline constexpr size_t kRspStampOffset = 8;     // code 1
inline constexpr size_t kRspCountOffset = 12;    // code 1
inline constexpr size_t kRspPortNameOffset = 8;  // code 2: up to the end of the frame
inline constexpr size_t kRspPortNameChars = (kResponseFrameSize - kRspPortNameOffset) / 2;
inline constexpr size_t kRspPortLabelOffset = 8;       // code 3
inline constexpr size_t kRspSerialNumberOffset = 68;   // code 3
inline constexpr size_t kRspModeOffset = 368;          // code 3
inline constexpr size_t kRspDeviceStatusOffset = 372;  // code 3
inline constexpr size_t kRspUseDefaultOffset = 376;    // code 3
inline constexpr size_t kRspDmsOffset = 8;             // codes 4 and 7
inline constexpr size_t kRspLogFolderOffset = 8;       // code 9
inline constexpr size_t kRspLogLevelOffset = 528;      // code 9
inline constexpr size_t kRspTxCountOffset = 8;         // code 11
inline constexpr size_t kRspRxCountOffset = 12;        // code 11
inline constexpr size_t kRspUpdateCountOffset = 16;    // code 11

// Values the service reports for a port.
enum PortMode : uint32_t { kModePoct1A = 0, kModeSerial = 1, kModeVelmora = 2 };
enum PortStatus : uint32_t {
    kStatusConnected = 0,
    kStatusNotConnected = 1,
    kStatusNotAvailable = 2,
    kStatusNoDevice = 3,
};

}  // namespace kestrel
