#include "RawPipeClient.h"

#include "Eventually.h"

namespace kestrel::test {

RawPipeClient::RawPipeClient() : event(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

bool RawPipeClient::Connect(const std::wstring& path, DWORD timeoutMs) {
    Close();
    const bool opened = Eventually(
        [&] {
            pipe.Reset(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
            return pipe.IsValid();
        },
        timeoutMs, 10);
    if (!opened) return false;
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!::SetNamedPipeHandleState(pipe.Get(), &mode, nullptr, nullptr)) {
        Close();
        return false;
    }
    return true;
}

void RawPipeClient::Close() { pipe.Reset(); }

DWORD RawPipeClient::Finish(OVERLAPPED& overlapped, BOOL started, DWORD timeoutMs, DWORD* bytes) {
    *bytes = 0;
    if (!started) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_IO_PENDING) return error;
        if (::WaitForSingleObject(event.Get(), timeoutMs) != WAIT_OBJECT_0) {
            ::CancelIo(pipe.Get());
            ::GetOverlappedResult(pipe.Get(), &overlapped, bytes, TRUE);
            return ERROR_TIMEOUT;
        }
    }
    return ::GetOverlappedResult(pipe.Get(), &overlapped, bytes, FALSE) ? 0 : ::GetLastError();
}

DWORD RawPipeClient::Write(const void* data, size_t size) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.Get();
    DWORD written = 0;
    const BOOL started =
        ::WriteFile(pipe.Get(), data, static_cast<DWORD>(size), nullptr, &overlapped);
    const DWORD error = Finish(overlapped, started, 3000, &written);
    return error != 0 ? error : written == size ? 0 : ERROR_WRITE_FAULT;
}

DWORD RawPipeClient::Read(std::vector<uint8_t>* message, DWORD timeoutMs, size_t capacity) {
    message->assign(capacity, 0);
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.Get();
    DWORD bytes = 0;
    const BOOL started =
        ::ReadFile(pipe.Get(), message->data(), static_cast<DWORD>(capacity), nullptr, &overlapped);
    const DWORD error = Finish(overlapped, started, timeoutMs, &bytes);
    message->resize(error == 0 ? bytes : 0);
    return error;
}

}  // namespace kestrel::test
