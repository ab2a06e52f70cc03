#include "TNamedPipeClient.h"

#include <array>
#include <cstring>
#include <cwchar>
#include <new>

#include "TickElapsed.h"

namespace kestrel {

struct TNamedPipeClient::PendingIo {
    OVERLAPPED overlapped{};
    CHandle event;
    std::array<uint8_t, kRequestFrameSize> request{};
    std::array<uint8_t, kResponseFrameSize> response{};
};

TNamedPipeClient::TNamedPipeClient(const wchar_t* name) : pipeName(name) {}

TNamedPipeClient::~TNamedPipeClient() = default;

HANDLE TNamedPipeClient::IoEvent() const { return io ? io->event.Get() : nullptr; }

void TNamedPipeClient::Close() {
    pipe.Reset();
    io.reset();
}

uint32_t TNamedPipeClient::Connect(uint32_t timeoutMs) {
    if (pipe.IsValid()) return kErrorGeneric;
    const DWORD start = ::GetTickCount();
    timeoutMs = wait->Allowance(timeoutMs);

    wchar_t path[kPipePathChars] = {};
    size_t length = 0;
    for (const wchar_t* p = kPipePathPrefix; *p != L'\0'; ++p) path[length++] = *p;
    const size_t nameLength = std::wcslen(pipeName);
    if (length + nameLength > kPipePathChars - 1) return kErrorInvalidParameter;
    std::wmemcpy(path + length, pipeName, nameLength);

    std::unique_ptr<PendingIo> fresh(new (std::nothrow) PendingIo);
    if (!fresh) return ERROR_NOT_ENOUGH_MEMORY;
    fresh->event.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!fresh->event.IsValid()) return ::GetLastError();
    fresh->overlapped.hEvent = fresh->event.Get();
    io = std::move(fresh);

    // Identification level only: whoever created the pipe name must not be able to
    // act as this user.
    const DWORD flags = FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION;
    for (;;) {
        const HANDLE opened = ::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                            OPEN_EXISTING, flags, nullptr);
        // A pipe whose instances all stay busy belongs to a service that takes
        // no new client; any other failure is taken for a missing pipe.
        const bool busy = ::GetLastError() == ERROR_PIPE_BUSY;
        pipe.Reset(opened);
        if (pipe.IsValid()) break;
        if (TickElapsed(start, ::GetTickCount()) > timeoutMs) {
            Close();
            return busy ? kErrorPipeBusy : kErrorTimeout;
        }
        static_cast<void>(wait->Wait(nullptr, kConnectRetryPauseMs));
    }

    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!::SetNamedPipeHandleState(pipe.Get(), &mode, nullptr, nullptr)) {
        const DWORD error = ::GetLastError();
        Close();
        return error;
    }
    return kResultOk;
}

uint32_t TNamedPipeClient::FinishPending(uint32_t timeoutMs, DWORD& transferred) {
    OVERLAPPED& overlapped = io->overlapped;
    const DWORD waited = wait->Wait(overlapped.hEvent, timeoutMs);
    if (waited == WAIT_OBJECT_0) {
        if (!::GetOverlappedResult(pipe.Get(), &overlapped, &transferred, TRUE))
            return ::GetLastError();
        return kResultOk;
    }
    uint32_t result = kErrorTimeout;
    if (waited != WAIT_TIMEOUT) {
        const DWORD error = ::GetLastError();
        result = error != ERROR_SUCCESS ? error : kErrorGeneric;
    }
    ::CancelIo(pipe.Get());
    if (wait->Wait(overlapped.hEvent, kCancelDrainLimitMs) == WAIT_OBJECT_0) {
        // The operation may have completed between the wait and the cancel:
        // then the request went out, or the response was taken from the pipe,
        // and only its own result tells the caller the truth.
        if (::GetOverlappedResult(pipe.Get(), &overlapped, &transferred, FALSE)) return kResultOk;
        const DWORD final = ::GetLastError();
        if (final != ERROR_IO_INCOMPLETE) return final == ERROR_OPERATION_ABORTED ? result : final;
    }
    CloseUnder();
    return result;
}

void TNamedPipeClient::CloseUnder() {
    pipe.Reset();
    if (wait->Wait(io->overlapped.hEvent, kCancelDrainLimitMs) != WAIT_OBJECT_0) {
        // The system may still write into the block: it keeps it for good.
        static_cast<void>(io.release());
    }
    Close();
}

uint32_t TNamedPipeClient::WriteFrame(const uint8_t* request) {
    if (!pipe.IsValid()) return ERROR_INVALID_HANDLE;
    std::memcpy(io->request.data(), request, kRequestFrameSize);
    DWORD written = 0;
    if (::WriteFile(pipe.Get(), io->request.data(), static_cast<DWORD>(kRequestFrameSize), &written,
                    &io->overlapped)) {
        return written == kRequestFrameSize ? kResultOk : kErrorGeneric;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_IO_PENDING) return error;
    const uint32_t r = FinishPending(exchangeBudgetMs, written);
    if (r != kResultOk) return r;
    return written == kRequestFrameSize ? kResultOk : kErrorGeneric;
}

uint32_t TNamedPipeClient::ReadFrame(uint8_t* response, uint32_t timeoutMs, uint32_t& bytesRead) {
    bytesRead = 0;
    if (!pipe.IsValid()) return ERROR_INVALID_HANDLE;
    DWORD transferred = 0;
    if (!::ReadFile(pipe.Get(), io->response.data(), static_cast<DWORD>(kResponseFrameSize),
                    &transferred, &io->overlapped)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_IO_PENDING) return error;
        const uint32_t r = FinishPending(timeoutMs, transferred);
        if (r != kResultOk) return r;
    }
    std::memcpy(response, io->response.data(), transferred);
    bytesRead = transferred;
    return kResultOk;
}

uint32_t TNamedPipeClient::Exchange(const uint8_t* request, uint8_t* response,
                                    uint32_t& bytesRead) {
    bytesRead = 0;
    const DWORD start = ::GetTickCount();
    uint32_t elapsed = 0;
    if (request != nullptr) {
        const uint32_t r = WriteFrame(request);
        if (r != kResultOk) return r;
        elapsed = TickElapsed(start, ::GetTickCount());
        if (elapsed > exchangeBudgetMs) return kErrorTimeout;
    }
    uint32_t n = 0;
    const uint32_t r = ReadFrame(response, exchangeBudgetMs - elapsed, n);
    if (r != kResultOk) return r;
    bytesRead = n;
    return kResultOk;
}

}  // namespace kestrel
