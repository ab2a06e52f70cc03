// Client end of the service's named pipe in message mode: one 726-byte request
// written and one 532-byte response read per exchange, within fixed time-outs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "CHandle.h"
#include "ServiceProtocol.h"
#include "WaitPolicy.h"

namespace kestrel {

class TNamedPipeClient {
public:
    // name: the pipe's name after \\.\pipe\; the service's own by default.
    explicit TNamedPipeClient(const wchar_t* name = kServicePipeName);
    virtual ~TNamedPipeClient();

    TNamedPipeClient(const TNamedPipeClient&) = delete;
    TNamedPipeClient& operator=(const TNamedPipeClient&) = delete;

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

    // Every wait of the transport goes through the policy: connect pauses,
    // writes, reads and the drain after a cancel. Null restores the plain
    // one. The policy must outlive the client or be replaced first.
    void SetWaitPolicy(WaitPolicy* policy) { wait = policy ? policy : &plainWait; }

protected:
    // Opens the pipe, retrying until timeoutMs have passed: 0, 1 when already
    // connected, 1460 when the pipe did not appear, 231 (ERROR_PIPE_BUSY)
    // when it exists but every instance stayed busy, or a Win32 error. Only
    // the service client, which checks the pipe's owner, connects.
    [[nodiscard]] uint32_t Connect(uint32_t timeoutMs);
    // The pipe while connected, else null.
    HANDLE Pipe() const { return pipe.Get(); }
    // The event the operations on the pipe signal while connected, else null.
    HANDLE IoEvent() const;

private:
    // What an operation on the pipe writes into or reads from while it is
    // pending: its block with the connection's event, and the frames' bytes.
    // The caller's buffers are copied in and out, so that an operation never
    // outlives the memory it uses.
    struct PendingIo;

    // Waits for the pending operation on the event; on time-out or a failed wait
    // cancels it and waits until the cancelled operation has finished, so that
    // the block is free for the next one. An operation that finished before
    // the cancel took effect gives its own result. One not known to have
    // finished within kCancelDrainLimitMs is ended by closing the pipe.
    [[nodiscard]] uint32_t FinishPending(uint32_t timeoutMs, DWORD& transferred);
    // Closes the pipe under an operation that has not finished, which ends
    // it; its block is released once it has, and left to the system should
    // it not within kCancelDrainLimitMs.
    void CloseUnder();

    CHandle pipe;
    std::unique_ptr<PendingIo> io;  // while connected
    const wchar_t* pipeName;        // not owned: must outlive the client
    uint32_t exchangeBudgetMs = kExchangeBudgetMs;
    PlainWait plainWait;
    WaitPolicy* wait = &plainWait;
};

}  // namespace kestrel
