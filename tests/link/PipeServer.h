// The server end of a real named pipe for the link tests: created by the test in
// message mode under a name of its own, scripted on a std::thread. Every wait has
// a time-out so that a failing client cannot hang the test.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "WireFormat.h"

namespace kestrel::test {

// A pipe name no other test process or test case uses.
inline std::wstring UniquePipeName() {
    static std::atomic<unsigned> counter{0};
    return L"kestrel-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter) + L"-" + std::to_wstring(GetTickCount());
}

inline std::wstring PipePath(const std::wstring& name) { return kPipePathPrefix + name; }

class ServerPipe {
public:
    explicit ServerPipe(const std::wstring& name, DWORD instances = 1, DWORD bufferSize = 4096)
        : path_(PipePath(name)), instances_(instances), bufferSize_(bufferSize) {
        event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        Create();
    }
    ~ServerPipe() {
        CloseEnd();
        if (event_ != nullptr) CloseHandle(event_);
    }
    ServerPipe(const ServerPipe&) = delete;
    ServerPipe& operator=(const ServerPipe&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE handle() const { return handle_; }

    // (Re)creates the server end after CloseEnd.
    void Create() {
        handle_ = CreateNamedPipeW(path_.c_str(),
                                   PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                   instances_, bufferSize_, bufferSize_, 0, nullptr);
    }

    // Waits for a client; true when one is connected.
    bool Accept(DWORD timeoutMs = 5000) {
        OVERLAPPED ov = {};
        ov.hEvent = event_;
        ResetEvent(event_);
        if (ConnectNamedPipe(handle_, &ov)) return true;
        const DWORD e = GetLastError();
        if (e == ERROR_PIPE_CONNECTED) return true;
        if (e != ERROR_IO_PENDING) return false;
        DWORD n = 0;
        return Finish(ov, timeoutMs, n);
    }

    // Reads one message; its size, or -1 on failure or time-out. lastError() tells why.
    int Read(void* buffer, DWORD size, DWORD timeoutMs = 5000) {
        OVERLAPPED ov = {};
        ov.hEvent = event_;
        DWORD n = 0;
        if (ReadFile(handle_, buffer, size, &n, &ov)) return static_cast<int>(n);
        lastError_ = GetLastError();
        if (lastError_ != ERROR_IO_PENDING) return -1;
        return Finish(ov, timeoutMs, n) ? static_cast<int>(n) : -1;
    }

    // Reads one request; true when it was one whole 726-byte message.
    bool ReadRequest(RequestFrame& request, DWORD timeoutMs = 5000) {
        uint8_t buffer[2048];
        const int n = Read(buffer, sizeof buffer, timeoutMs);
        lastRequestSize_ = n;
        if (n != static_cast<int>(kRequestFrameSize)) return false;
        std::copy(buffer, buffer + kRequestFrameSize, request.begin());
        return true;
    }
    int lastRequestSize() const { return lastRequestSize_; }

    bool Write(const void* data, DWORD size, DWORD timeoutMs = 5000) {
        OVERLAPPED ov = {};
        ov.hEvent = event_;
        DWORD n = 0;
        if (WriteFile(handle_, data, size, &n, &ov)) return n == size;
        lastError_ = GetLastError();
        if (lastError_ != ERROR_IO_PENDING) return false;
        return Finish(ov, timeoutMs, n) && n == size;
    }

    // A 532-byte response (or size bytes of it) with the given sequence and status;
    // fill writes the payload.
    template <typename Fill>
    bool Respond(uint32_t sequence, uint32_t status, Fill fill, DWORD size = kResponseFrameSize) {
        std::vector<uint8_t> frame(size > kResponseFrameSize ? size : kResponseFrameSize, 0);
        PutU32(frame.data(), kSequenceOffset, sequence);
        PutU32(frame.data(), kStatusOffset, status);
        fill(frame.data());
        return Write(frame.data(), size);
    }
    bool Respond(uint32_t sequence, uint32_t status = 0) {
        return Respond(sequence, status, [](uint8_t*) {});
    }
    // A response of another length than 532 bytes.
    bool RespondSized(uint32_t sequence, uint32_t status, DWORD size) {
        return Respond(sequence, status, [](uint8_t*) {}, size);
    }
    // Answers a QueryVersion request with the given version.
    bool RespondVersion(uint32_t sequence, uint32_t major = 2, uint32_t minor = 14,
                        uint32_t patch = 0) {
        return Respond(sequence, 0, [&](uint8_t* f) {
            PutU32(f, 8, major);
            PutU32(f, 12, minor);
            PutU32(f, 16, patch);
        });
    }
    // Accepts a client and answers its handshake with 2.14.0; the request's sequence.
    bool AcceptAndHandshake(uint32_t* sequence = nullptr) {
        RequestFrame request{};
        if (!Accept() || !ReadRequest(request)) return false;
        if (GetU32(request.data(), kCodeOffset) != kQueryVersion) return false;
        if (sequence) *sequence = GetU32(request.data(), kSequenceOffset);
        return RespondVersion(GetU32(request.data(), kSequenceOffset));
    }

    // Waits until the client has closed its end (a read then fails).
    bool WaitClientGone(DWORD timeoutMs = 5000) {
        uint8_t buffer[2048];
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs) {
            if (Read(buffer, sizeof buffer, timeoutMs) < 0) {
                return lastError_ == ERROR_BROKEN_PIPE || lastError_ == ERROR_PIPE_NOT_CONNECTED ||
                       lastError_ == ERROR_NO_DATA;
            }
        }
        return false;
    }

    void Disconnect() { DisconnectNamedPipe(handle_); }
    void CloseEnd() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
    DWORD lastError() const { return lastError_; }

private:
    bool Finish(OVERLAPPED& ov, DWORD timeoutMs, DWORD& n) {
        if (WaitForSingleObject(event_, timeoutMs) != WAIT_OBJECT_0) {
            // The block lives on the caller's stack: the cancelled operation
            // must have finished before it goes.
            CancelIo(handle_);
            GetOverlappedResult(handle_, &ov, &n, TRUE);
            lastError_ = WAIT_TIMEOUT;
            return false;
        }
        if (!GetOverlappedResult(handle_, &ov, &n, TRUE)) {
            lastError_ = GetLastError();
            return false;
        }
        return true;
    }

    std::wstring path_;
    DWORD instances_;
    DWORD bufferSize_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    HANDLE event_ = nullptr;
    DWORD lastError_ = 0;
    int lastRequestSize_ = 0;
};

// Runs a server script on its own thread; joins on destruction.
class ServerThread {
public:
    template <typename Script>
    explicit ServerThread(Script script) : thread_(std::move(script)) {}
    ~ServerThread() { Join(); }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }

private:
    std::thread thread_;
};

inline uint32_t SeqOf(const RequestFrame& r) { return GetU32(r.data(), kSequenceOffset); }

// Milliseconds since start on the tick counter.
inline DWORD MsSince(DWORD start) { return GetTickCount() - start; }

}  // namespace kestrel::test
