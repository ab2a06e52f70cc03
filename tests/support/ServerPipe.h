// The server end of a real named pipe for tests and benchmarks that serve a
// pipe of their own: created in message mode under a given name, served by the
// caller's thread. Every wait has a time-out so that a failing client cannot
// hang its server.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "CHandle.h"
#include "Frames.h"
#include "PipeName.h"
#include "PipeSecurity.h"

namespace kestrel::test {

class ServerPipe {
public:
    // owner: the pipe's owner (PipeSecurity); this process's user by default.
    explicit ServerPipe(const std::wstring& name, DWORD instanceCount = 1, DWORD bufferBytes = 4096,
                        const std::wstring& owner = std::wstring())
        : path(PipePath(name)),
          instances(instanceCount),
          bufferSize(bufferBytes),
          security(owner),
          event(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        Create();
    }
    ServerPipe(const ServerPipe&) = delete;
    ServerPipe& operator=(const ServerPipe&) = delete;

    bool Valid() const { return pipe.IsValid(); }

    // (Re)creates the server end after CloseEnd.
    void Create() {
        pipe.Reset(::CreateNamedPipeW(path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                      PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                      instances, bufferSize, bufferSize, 0, security.Attributes()));
    }

    // Waits for a client; true when one is connected.
    bool Accept(DWORD timeoutMs = 5000) {
        OVERLAPPED ov = {};
        ov.hEvent = event.Get();
        ::ResetEvent(event.Get());
        if (::ConnectNamedPipe(pipe.Get(), &ov)) return true;
        const DWORD e = ::GetLastError();
        if (e == ERROR_PIPE_CONNECTED) return true;
        if (e != ERROR_IO_PENDING) return false;
        DWORD n = 0;
        return Finish(ov, timeoutMs, n);
    }

    // Reads one message; its size, or -1 on failure or time-out.
    int Read(void* buffer, DWORD size, DWORD timeoutMs = 5000) {
        OVERLAPPED ov = {};
        ov.hEvent = event.Get();
        DWORD n = 0;
        if (::ReadFile(pipe.Get(), buffer, size, &n, &ov)) return static_cast<int>(n);
        error = ::GetLastError();
        if (error != ERROR_IO_PENDING) return -1;
        return Finish(ov, timeoutMs, n) ? static_cast<int>(n) : -1;
    }

    // Reads one request; true when it was one whole 726-byte message.
    bool ReadRequest(RequestFrame& request, DWORD timeoutMs = 5000) {
        uint8_t buffer[2048];
        if (Read(buffer, sizeof buffer, timeoutMs) != static_cast<int>(kRequestFrameSize))
            return false;
        std::copy(buffer, buffer + kRequestFrameSize, request.begin());
        return true;
    }

    bool Write(const void* data, DWORD size, DWORD timeoutMs = 5000) {
        OVERLAPPED ov = {};
        ov.hEvent = event.Get();
        DWORD n = 0;
        if (::WriteFile(pipe.Get(), data, size, &n, &ov)) return n == size;
        error = ::GetLastError();
        if (error != ERROR_IO_PENDING) return false;
        return Finish(ov, timeoutMs, n) && n == size;
    }

    // A 532-byte response (or size bytes of it) with the given sequence and status;
    // fill writes the payload.
    template <typename Fill>
    bool Respond(uint32_t sequence, uint32_t status, Fill fill, DWORD size = kResponseFrameSize) {
        std::vector<uint8_t> frame(size > kResponseFrameSize ? size : kResponseFrameSize, 0);
        U32(frame.data(), 0, sequence);
        U32(frame.data(), 4, status);
        fill(frame.data());
        return Write(frame.data(), size);
    }
    bool Respond(uint32_t sequence, uint32_t status = 0) {
        return Respond(sequence, status, [](uint8_t*) {});
    }
    // A response of another length than 532 bytes.
    bool RespondSized(uint32_t sequence, uint32_t status, DWORD size) {
        return Respond(
            sequence, status, [](uint8_t*) {}, size);
    }
    // Answers a QueryVersion request with the given version.
    bool RespondVersion(uint32_t sequence, uint32_t major = 2, uint32_t minor = 14,
                        uint32_t patch = 0) {
        return Respond(sequence, 0, [&](uint8_t* f) {
            U32(f, 8, major);
            U32(f, 12, minor);
            U32(f, 16, patch);
        });
    }
    // Accepts a client and answers its handshake with 2.14.0.
    bool AcceptAndHandshake() {
        RequestFrame request{};
        if (!Accept() || !ReadRequest(request)) return false;
        if (CodeOf(request) != kQueryVersion) return false;
        return RespondVersion(SequenceOf(request));
    }

    // Waits until the client has closed its end (a read then fails).
    bool WaitClientGone(DWORD timeoutMs = 5000) {
        uint8_t buffer[2048];
        const DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < timeoutMs) {
            if (Read(buffer, sizeof buffer, timeoutMs) < 0) {
                return error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED ||
                       error == ERROR_NO_DATA;
            }
        }
        return false;
    }

    void Disconnect() { ::DisconnectNamedPipe(pipe.Get()); }
    void CloseEnd() { pipe.Reset(); }

private:
    bool Finish(OVERLAPPED& ov, DWORD timeoutMs, DWORD& n) {
        if (::WaitForSingleObject(event.Get(), timeoutMs) != WAIT_OBJECT_0) {
            // The block lives on the caller's stack: the cancelled operation
            // must have finished before it goes.
            ::CancelIo(pipe.Get());
            ::GetOverlappedResult(pipe.Get(), &ov, &n, TRUE);
            error = WAIT_TIMEOUT;
            return false;
        }
        if (!::GetOverlappedResult(pipe.Get(), &ov, &n, TRUE)) {
            error = ::GetLastError();
            return false;
        }
        return true;
    }

    std::wstring path;
    DWORD instances;
    DWORD bufferSize;
    sim::PipeSecurity security;
    const CHandle event;
    CHandle pipe;
    DWORD error = 0;
};

}  // namespace kestrel::test
