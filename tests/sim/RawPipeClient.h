// A deliberately plain client of the simulator's pipe for its tests: it writes
// and reads whole messages of any length, with time-outs, and reports the
// Win32 error of each step unchanged.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::test {

class RawPipeClient {
public:
    RawPipeClient();
    ~RawPipeClient();
    RawPipeClient(const RawPipeClient&) = delete;
    RawPipeClient& operator=(const RawPipeClient&) = delete;

    // Opens the pipe in message mode, retrying while it is missing or busy.
    bool Connect(const std::wstring& path, DWORD timeoutMs = 3000);
    void Close();

    // 0 or the Win32 error.
    DWORD Write(const void* data, size_t size);
    // One message of at most capacity bytes; ERROR_MORE_DATA when it is longer,
    // ERROR_TIMEOUT when none arrives in time.
    DWORD Read(std::vector<uint8_t>* message, DWORD timeoutMs = 3000, size_t capacity = 532);

private:
    DWORD Finish(OVERLAPPED& overlapped, BOOL started, DWORD timeoutMs, DWORD* bytes);

    HANDLE pipe = INVALID_HANDLE_VALUE;
    HANDLE event;
};

}  // namespace kestrel::test
