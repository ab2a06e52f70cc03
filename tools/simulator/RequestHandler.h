// Answers one request frame of the panel against the simulated service's model.
// Portable: no windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ServiceProtocol.h"
#include "SimModel.h"

namespace kestrel::sim {

// Statuses the simulated service refuses requests with (Win32 error codes, as a
// service would send). A port it does not have is kResultPortUnavailable.
inline constexpr uint32_t kRefuseUnknownRequest = 1;  // ERROR_INVALID_FUNCTION
inline constexpr uint32_t kRefuseMalformed =
    kErrorInvalidParameter;                              // wrong length, unterminated text
inline constexpr uint32_t kRefuseStaleStamp = 13;        // ERROR_INVALID_DATA
inline constexpr uint32_t kRefuseIndexOutOfRange = 259;  // ERROR_NO_MORE_ITEMS

// A request must at least carry its sequence number to be answered at all.
inline constexpr size_t kMinAnswerableRequest = 4;

// Fills the 532-byte response (zeroed first) for a request of length bytes and
// acts on the model. A request of any length other than 726 is refused with
// kRefuseMalformed and changes nothing. Returns false, leaving the response
// zeroed, when the request is too short to carry a sequence number.
bool HandleRequest(SimModel& model, const uint8_t* request, size_t length, uint8_t* response);

// The port a 726-byte request names; empty for requests that name none.
std::wstring RequestPortName(const uint8_t* request);

// The answer to a request that is refused without being acted on.
void RefuseRequest(const uint8_t* request, uint32_t status, uint8_t* response);

}  // namespace kestrel::sim
