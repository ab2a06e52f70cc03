// A deliberately plain pipe client for the simulator's tests and the
// benchmarks' floor: it writes and reads whole messages of any length, with
// time-outs, and reports the Win32 error of each step unchanged.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "CHandle.h"
#include "WireFormat.h"

namespace kestrel::test {

class RawPipeClient {
public:
    RawPipeClient();
    RawPipeClient(const RawPipeClient&) = delete;
    RawPipeClient& operator=(const RawPipeClient&) = delete;

    // Opens the pipe in message mode, retrying while it is missing or busy.
    bool Connect(const std::wstring& path, DWORD timeoutMs = 3000);
    void Close();

    // 0 or the Win32 error.
    DWORD Write(const void* data, size_t size);
    DWORD Write(const RequestFrame& request) { return Write(request.data(), request.size()); }
    // One message of at most capacity bytes; ERROR_MORE_DATA when it is longer,
    // ERROR_TIMEOUT when none arrives in time.
    DWORD Read(std::vector<uint8_t>* message, DWORD timeoutMs = 3000, size_t capacity = 532);
    // Writes the request and reads one message: 0, or the error of the step that failed.
    DWORD Exchange(const RequestFrame& request, std::vector<uint8_t>* message,
                   DWORD timeoutMs = 3000) {
        const DWORD error = Write(request);
        return error != 0 ? error : Read(message, timeoutMs);
    }

private:
    DWORD Finish(OVERLAPPED& overlapped, BOOL started, DWORD timeoutMs, DWORD* bytes);

    const CHandle event;
    CHandle pipe;
};

}  // namespace kestrel::test
