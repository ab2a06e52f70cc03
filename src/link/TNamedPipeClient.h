// Client end of the service's named pipe in message mode: one 726-byte request
// written and one 532-byte response read per exchange, within fixed time-outs.
#pragma once

#include <windows.h>

#include <cstdint>

#include "CHandle.h"
#include "ServiceProtocol.h"

namespace kestrel {

class TNamedPipeClient {
public:
    // name: the pipe's name after \\.\pipe\; the service's own by default.
    explicit TNamedPipeClient(const wchar_t* name = kServicePipeName);
    virtual ~TNamedPipeClient();

    TNamedPipeClient(const TNamedPipeClient&) = delete;
    TNamedPipeClient& operator=(const TNamedPipeClient&) = delete;

    [[nodiscard]] uint32_t Connect(uint32_t timeoutMs);
    void Close();
    bool IsConnected() const { return pipe.IsValid(); }

    [[nodiscard]] uint32_t WriteFrame(const uint8_t* request);
    [[nodiscard]] uint32_t ReadFrame(uint8_t* response, uint32_t timeoutMs, uint32_t& bytesRead);
    // request may be null: then the exchange only reads.
    [[nodiscard]] uint32_t Exchange(const uint8_t* request, uint8_t* response, uint32_t& bytesRead);

    // The exchange budget, 10000 ms (kExchangeBudgetMs) unless set otherwise: it
    // bounds the write wait and write + read of Exchange, stale answers included.
    void SetExchangeBudget(uint32_t ms) { exchangeBudgetMs = ms; }
    uint32_t ExchangeBudgetMs() const { return exchangeBudgetMs; }

protected:
    // The pipe while connected, else null.
    HANDLE Pipe() const { return pipe.Get(); }
    // The block of the pending operation; all zero while not connected.
    const OVERLAPPED& Overlapped() const { return overlapped; }

private:
    // Waits for the pending operation on the event; on time-out or a failed wait
    // cancels it and waits until the cancelled operation has finished, so that the
    // shared overlapped block is free for the next one. An operation that
    // finished before the cancel took effect gives its own result. One that
    // has not finished within kCancelDrainLimitMs is ended by closing the pipe.
    [[nodiscard]] uint32_t FinishPending(uint32_t timeoutMs, DWORD& transferred);

    CHandle pipe;
    CHandle event;  // the overlapped block's event, open while connected
    OVERLAPPED overlapped = {};
    const wchar_t* pipeName;  // not owned: must outlive the client
    uint32_t exchangeBudgetMs = kExchangeBudgetMs;
};

}  // namespace kestrel
