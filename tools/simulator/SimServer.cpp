#include "SimServer.h"

#include <utility>

namespace kestrel::sim {

namespace {

// Room for several queued answers, so that stale responses and answers to
// requests the client gave up on never block the writer.
constexpr DWORD kOutBufferBytes = 64 * 1024;
constexpr DWORD kInBufferBytes = 4096;
constexpr DWORD kRecreatePauseMs = 100;
constexpr DWORD kDropWaitMs = 5000;

std::string ErrorText(const char* what, DWORD error) {
    return std::string(what) + " failed with error " + std::to_string(error);
}

}  // namespace

SimServer::SimServer(std::wstring pipeName, SimServerOptions requested)
    : path(std::wstring(kPipePathPrefix) + pipeName),
      options(requested),
      security(requested.owner),
      stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      quitEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    // CreateNamedPipeW takes 1 to 254 instances (255 means unlimited).
    if (options.instances == 0) options.instances = 1;
    if (options.instances >= PIPE_UNLIMITED_INSTANCES)
        options.instances = PIPE_UNLIMITED_INSTANCES - 1;
}

SimServer::~SimServer() { Stop(); }

HANDLE SimServer::CreateInstance(bool first) {
    const DWORD openMode =
        PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
    const DWORD pipeMode =
        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS;
    return ::CreateNamedPipeW(path.c_str(), openMode, pipeMode, options.instances, kOutBufferBytes,
                              kInBufferBytes, 0, security.Attributes());
}

bool SimServer::Start(std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    if (!stopEvent.IsValid() || !quitEvent.IsValid()) {
        *error = ErrorText("CreateEventW", ::GetLastError());
        return false;
    }
    if (!security.Attributes()) {
        *error = "the pipe's owner is no account";
        return false;
    }
    std::lock_guard<std::mutex> lock(lifecycleMutex);
    if (running) {
        *error = "the server is running";
        return false;
    }
    running = true;
    // Every instance exists before any thread runs, so a client can connect as
    // soon as this returns; the first one claims the name.
    for (unsigned i = 0; i < options.instances; ++i) {
        auto instance = std::make_unique<Instance>();
        instance->pipe.Reset(CreateInstance(i == 0));
        const DWORD pipeError = ::GetLastError();
        instance->ioEvent.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        instance->wakeEvent.Reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
        const DWORD eventError = ::GetLastError();
        const bool piped = instance->pipe.IsValid();
        const bool evented = instance->ioEvent.IsValid() && instance->wakeEvent.IsValid();
        instances.push_back(std::move(instance));
        if (!piped || !evented) {
            if (!piped && pipeError == ERROR_ACCESS_DENIED && i == 0) {
                *error = "the pipe is already served by another process";
            } else {
                *error = piped ? ErrorText("CreateEventW", eventError)
                               : ErrorText("CreateNamedPipeW", pipeError);
            }
            StopLocked();
            return false;
        }
    }
    for (auto& instance : instances) {
        Instance* raw = instance.get();
        raw->thread = std::thread([this, raw] { Serve(*raw); });
    }
    if (options.tickMs != 0) ticker = std::thread([this] { Tick(); });
    return true;
}

void SimServer::Stop() {
    std::lock_guard<std::mutex> lock(lifecycleMutex);
    StopLocked();
}

void SimServer::StopLocked() {
    ::SetEvent(stopEvent.Get());
    for (auto& instance : instances) {
        if (instance->thread.joinable()) instance->thread.join();
        if (instance->pipe.IsValid()) ::DisconnectNamedPipe(instance->pipe.Get());
    }
    instances.clear();  // closes the pipes and events
    if (ticker.joinable()) ticker.join();
    ::ResetEvent(stopEvent.Get());
    running = false;
}

bool SimServer::Execute(const std::string& commandLine, std::string* reply) {
    const CommandResult result = service.Execute(commandLine);
    switch (result.action) {
    case ServerAction::DropAll: DropConnections(Disconnect::Drop); break;
    case ServerAction::CrashAll: DropConnections(Disconnect::Crash); break;
    case ServerAction::Quit: ::SetEvent(quitEvent.Get()); break;
    // A quit ends a sleep, so that a scenario waiting in one stops with the program.
    case ServerAction::Sleep: ::WaitForSingleObject(quitEvent.Get(), result.sleepMs); break;
    case ServerAction::None: break;
    }
    if (reply) *reply = result.text;
    return result.ok;
}

void SimServer::DropConnections(Disconnect how) {
    std::lock_guard<std::mutex> lock(lifecycleMutex);
    for (auto& instance : instances) {
        instance->dropRequest = static_cast<int>(how);
        ::SetEvent(instance->wakeEvent.Get());
    }
    const ULONGLONG start = ::GetTickCount64();
    for (auto& instance : instances) {
        while (instance->dropRequest != 0 && ::GetTickCount64() - start < kDropWaitMs) ::Sleep(1);
    }
}

bool SimServer::WaitForQuit(uint32_t timeoutMs) const {
    return ::WaitForSingleObject(quitEvent.Get(), timeoutMs) == WAIT_OBJECT_0;
}

void SimServer::Tick() {
    while (::WaitForSingleObject(stopEvent.Get(), options.tickMs) == WAIT_TIMEOUT)
        service.AdvanceTraffic();
}

void SimServer::Serve(Instance& instance) {
    while (::WaitForSingleObject(stopEvent.Get(), 0) == WAIT_TIMEOUT) {
        if (!instance.pipe.IsValid()) {
            instance.pipe.Reset(CreateInstance(false));
            if (!instance.pipe.IsValid()) {
                ::WaitForSingleObject(stopEvent.Get(), kRecreatePauseMs);
                continue;
            }
        }
        if (!AwaitClient(instance)) continue;
        if (ServeClient(instance) == Disconnect::Crash) {
            instance.pipe.Reset();
        } else {
            ::DisconnectNamedPipe(instance.pipe.Get());
        }
        instance.dropRequest = 0;
    }
}

bool SimServer::AwaitClient(Instance& instance) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = instance.ioEvent.Get();
    ::ResetEvent(instance.ioEvent.Get());
    if (::ConnectNamedPipe(instance.pipe.Get(), &overlapped)) return true;
    const DWORD error = ::GetLastError();
    if (error == ERROR_PIPE_CONNECTED) return true;
    if (error != ERROR_IO_PENDING) {
        // A client came and went before it was seen; make the instance reusable.
        ::DisconnectNamedPipe(instance.pipe.Get());
        return false;
    }
    const HANDLE handles[] = {instance.ioEvent.Get(), stopEvent.Get(), instance.wakeEvent.Get()};
    for (;;) {
        const DWORD wait = ::WaitForMultipleObjects(3, handles, FALSE, INFINITE);
        if (wait == WAIT_OBJECT_0) {
            DWORD ignored = 0;
            return ::GetOverlappedResult(instance.pipe.Get(), &overlapped, &ignored, FALSE) !=
                   FALSE;
        }
        if (wait == WAIT_OBJECT_0 + 2) {
            instance.dropRequest = 0;  // nobody connected: nothing to drop
            continue;
        }
        DWORD ignored = 0;
        ::CancelIo(instance.pipe.Get());
        ::GetOverlappedResult(instance.pipe.Get(), &overlapped, &ignored, TRUE);
        return false;
    }
}

SimServer::Io SimServer::Finish(Instance& instance, OVERLAPPED& overlapped, BOOL started,
                                DWORD& bytes, DWORD& error) {
    bytes = 0;
    error = 0;
    if (!started) {
        error = ::GetLastError();
        if (error != ERROR_IO_PENDING) return Io::Failed;
        const HANDLE handles[] = {instance.ioEvent.Get(), stopEvent.Get(),
                                  instance.wakeEvent.Get()};
        const DWORD wait = ::WaitForMultipleObjects(3, handles, FALSE, INFINITE);
        if (wait != WAIT_OBJECT_0) {
            ::CancelIo(instance.pipe.Get());
            ::GetOverlappedResult(instance.pipe.Get(), &overlapped, &bytes, TRUE);
            return Io::Interrupted;
        }
    }
    if (!::GetOverlappedResult(instance.pipe.Get(), &overlapped, &bytes, FALSE)) {
        error = ::GetLastError();
        return Io::Failed;
    }
    error = 0;
    return Io::Done;
}

SimServer::Io SimServer::ReadRequest(Instance& instance, uint8_t* buffer, size_t capacity,
                                     DWORD& length) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = instance.ioEvent.Get();
    DWORD error = 0;
    BOOL started =
        ::ReadFile(instance.pipe.Get(), buffer, static_cast<DWORD>(capacity), nullptr, &overlapped);
    Io io = Finish(instance, overlapped, started, length, error);
    if (io != Io::Failed || error != ERROR_MORE_DATA) return io;

    // Longer than any request: keep what fits (it is refused by its length) and
    // discard the rest of the message.
    uint8_t scratch[kInBufferBytes];
    do {
        overlapped = OVERLAPPED{};
        overlapped.hEvent = instance.ioEvent.Get();
        DWORD ignored = 0;
        started = ::ReadFile(instance.pipe.Get(), scratch, sizeof scratch, nullptr, &overlapped);
        io = Finish(instance, overlapped, started, ignored, error);
    } while (io == Io::Failed && error == ERROR_MORE_DATA);
    length = static_cast<DWORD>(capacity);
    return io;
}

SimServer::Io SimServer::WriteMessage(Instance& instance, const std::vector<uint8_t>& message) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = instance.ioEvent.Get();
    DWORD written = 0;
    DWORD error = 0;
    const BOOL started = ::WriteFile(instance.pipe.Get(), message.data(),
                                     static_cast<DWORD>(message.size()), nullptr, &overlapped);
    return Finish(instance, overlapped, started, written, error);
}

Disconnect SimServer::ServeClient(Instance& instance) {
    // One byte more than a request, so that a longer message shows as such.
    uint8_t request[kRequestFrameSize + 1];
    for (;;) {
        if (instance.dropRequest != 0) return static_cast<Disconnect>(instance.dropRequest.load());
        DWORD length = 0;
        const Io io = ReadRequest(instance, request, sizeof request, length);
        if (io != Io::Done) {
            // The client left, the server stops, or someone asked for a drop.
            return static_cast<Disconnect>(instance.dropRequest.load());
        }
        const Reply reply = service.Handle(request, length);
        if (reply.delayMs != 0) {
            const HANDLE handles[] = {stopEvent.Get(), instance.wakeEvent.Get()};
            if (::WaitForMultipleObjects(2, handles, FALSE, reply.delayMs) != WAIT_TIMEOUT)
                return static_cast<Disconnect>(instance.dropRequest.load());
        }
        if (reply.disconnect != Disconnect::None) return reply.disconnect;
        for (const auto& message : reply.messages) {
            if (WriteMessage(instance, message) != Io::Done)
                return static_cast<Disconnect>(instance.dropRequest.load());
        }
    }
}

}  // namespace kestrel::sim
