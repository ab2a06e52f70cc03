#include "TNamedPipeClient.h"

#include <cwchar>

#include "TickElapsed.h"

namespace kestrel {

TNamedPipeClient::TNamedPipeClient(const wchar_t* name) : pipeName(name) {}

TNamedPipeClient::~TNamedPipeClient() = default;

void TNamedPipeClient::Close() {
    pipe.Reset();
    event.Reset();
    overlapped = OVERLAPPED{};
}

uint32_t TNamedPipeClient::Connect(uint32_t timeoutMs) {
    if (pipe.IsValid()) return kErrorGeneric;
    const DWORD start = ::GetTickCount();

    wchar_t path[kPipePathChars] = {};
    size_t length = 0;
    for (const wchar_t* p = kPipePathPrefix; *p != L'\0'; ++p) path[length++] = *p;
    const size_t nameLength = std::wcslen(pipeName);
    if (length + nameLength > kPipePathChars - 1) return kErrorInvalidParameter;
    std::wmemcpy(path + length, pipeName, nameLength);

    event.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event.IsValid()) return ::GetLastError();
    overlapped = OVERLAPPED{};
    overlapped.hEvent = event.Get();

    // Identification level only: whoever created the pipe name must not be able to
    // act as this user.
    const DWORD flags = FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION;
    // A missing pipe and busy instances are treated alike: tried again until the
    // time-out, without looking at the error.
    for (;;) {
        pipe.Reset(::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 flags, nullptr));
        if (pipe.IsValid()) break;
        if (TickElapsed(start, ::GetTickCount()) > timeoutMs) {
            Close();
            return kErrorTimeout;
        }
        ::Sleep(kConnectRetryPauseMs);
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
    const DWORD wait = ::WaitForSingleObject(overlapped.hEvent, timeoutMs);
    if (wait == WAIT_OBJECT_0) {
        if (!::GetOverlappedResult(pipe.Get(), &overlapped, &transferred, TRUE))
            return ::GetLastError();
        return kResultOk;
    }
    const uint32_t result = wait == WAIT_TIMEOUT ? kErrorTimeout : ::GetLastError();
    ::CancelIo(pipe.Get());
    DWORD drained = WAIT_TIMEOUT;
    for (uint32_t waited = 0; drained == WAIT_TIMEOUT && waited < kCancelDrainLimitMs;
         waited += kCancelDrainStepMs) {
        drained = ::WaitForSingleObject(overlapped.hEvent, kCancelDrainStepMs);
    }
    if (drained == WAIT_TIMEOUT) {
        // Closing the handle ends the operation, which may still write into the
        // overlapped block: it is a member, so that memory stays valid.
        Close();
        return result;
    }
    // The operation may have completed between the wait and the cancel: then
    // the request went out, or the response was taken from the pipe, and only
    // its own result tells the caller the truth.
    if (::GetOverlappedResult(pipe.Get(), &overlapped, &transferred, FALSE)) return kResultOk;
    const DWORD final = ::GetLastError();
    return final == ERROR_OPERATION_ABORTED || final == ERROR_IO_INCOMPLETE ? result : final;
}

uint32_t TNamedPipeClient::WriteFrame(const uint8_t* request) {
    DWORD written = 0;
    if (::WriteFile(pipe.Get(), request, static_cast<DWORD>(kRequestFrameSize), &written,
                    &overlapped)) {
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
    DWORD transferred = 0;
    if (::ReadFile(pipe.Get(), response, static_cast<DWORD>(kResponseFrameSize), &transferred,
                   &overlapped)) {
        bytesRead = transferred;
        return kResultOk;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_IO_PENDING) return error;
    const uint32_t r = FinishPending(timeoutMs, transferred);
    if (r != kResultOk) return r;
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
