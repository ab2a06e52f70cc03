// Client end of the service's named pipe in message mode: one 726-byte request
// written and one 532-byte response read per exchange, within fixed time-outs.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ServiceProtocol.h"

namespace kestrel {

class TNamedPipeClient {
public:
    // pipeName: the name after \\.\pipe\; the service's own by default.
    explicit TNamedPipeClient(const wchar_t* pipeName = kServicePipeName);
    virtual ~TNamedPipeClient();

    TNamedPipeClient(const TNamedPipeClient&) = delete;
    TNamedPipeClient& operator=(const TNamedPipeClient&) = delete;

    uint32_t Connect(uint32_t timeoutMs);
    void Close();
    bool IsConnected() const { return pipe_ != INVALID_HANDLE_VALUE; }

    uint32_t WriteFrame(const uint8_t* request);
    uint32_t ReadFrame(uint8_t* response, uint32_t timeoutMs, uint32_t& bytesRead);
    // request may be null: then the exchange only reads.
    uint32_t Exchange(const uint8_t* request, uint8_t* response, uint32_t& bytesRead);

protected:
    HANDLE pipe_ = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped_ = {};

private:
    const wchar_t* pipeName_;
};

}  // namespace kestrel
