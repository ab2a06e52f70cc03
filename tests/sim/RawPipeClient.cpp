#include "RawPipeClient.h"

namespace kestrel::sim::test {

RawPipeClient::RawPipeClient() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

RawPipeClient::~RawPipeClient() {
    Close();
    CloseHandle(event_);
}

bool RawPipeClient::Connect(const std::wstring& path, DWORD timeoutMs) {
    Close();
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        pipe_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr);
        if (pipe_ != INVALID_HANDLE_VALUE) break;
        if (GetTickCount64() - start > timeoutMs) return false;
        Sleep(10);
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!SetNamedPipeHandleState(pipe_, &mode, nullptr, nullptr)) {
        Close();
        return false;
    }
    return true;
}

void RawPipeClient::Close() {
    if (pipe_ != INVALID_HANDLE_VALUE) CloseHandle(pipe_);
    pipe_ = INVALID_HANDLE_VALUE;
}

DWORD RawPipeClient::Finish(OVERLAPPED& overlapped, BOOL started, DWORD timeoutMs, DWORD* bytes) {
    *bytes = 0;
    if (!started) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) return error;
        if (WaitForSingleObject(event_, timeoutMs) != WAIT_OBJECT_0) {
            CancelIo(pipe_);
            GetOverlappedResult(pipe_, &overlapped, bytes, TRUE);
            return ERROR_TIMEOUT;
        }
    }
    return GetOverlappedResult(pipe_, &overlapped, bytes, FALSE) ? 0 : GetLastError();
}

DWORD RawPipeClient::Write(const void* data, size_t size) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = event_;
    DWORD written = 0;
    const BOOL started = WriteFile(pipe_, data, static_cast<DWORD>(size), nullptr, &overlapped);
    const DWORD error = Finish(overlapped, started, 3000, &written);
    return error != 0 ? error : written == size ? 0 : ERROR_WRITE_FAULT;
}

DWORD RawPipeClient::Read(std::vector<uint8_t>* message, DWORD timeoutMs, size_t capacity) {
    message->assign(capacity, 0);
    OVERLAPPED overlapped{};
    overlapped.hEvent = event_;
    DWORD bytes = 0;
    const BOOL started = ReadFile(pipe_, message->data(), static_cast<DWORD>(capacity), nullptr, &overlapped);
    const DWORD error = Finish(overlapped, started, timeoutMs, &bytes);
    message->resize(error == 0 ? bytes : 0);
    return error;
}

}  // namespace kestrel::sim::test
