// The simulated Kestrel service on a named pipe, for people running the panel
// and for integration tests that start it inside their own process:
//
//   SimServer server(L"KestrelTest-1234");   // \\.\pipe\KestrelTest-1234
//   server.Execute("port COM3 status=0 traffic=off");
//   server.Start();
//   ... the panel talks to it ...
//   server.Execute("remove COM3");
//   uint64_t polls = server.Counts().byCode[kGetPortCounters];
//
// The pipe is in message mode with several instances, one thread each; every
// 726-byte request is answered by one 532-byte response carrying the request's
// sequence number, unless a fault injected with the command language says
// otherwise. All methods may be called from any thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "CHandle.h"
#include "PipeSecurity.h"
#include "ServiceProtocol.h"
#include "SimService.h"

namespace kestrel::sim {

struct SimServerOptions {
    unsigned instances = 4;  // clients served at the same time
    uint32_t tickMs = 250;   // period of the traffic tick; 0: no background traffic
    std::wstring owner;      // the pipe's owner (PipeSecurity); empty: this process's user
};

class SimServer {
public:
    // pipeName is the part after \\.\pipe\.; requested.instances is kept within
    // what CreateNamedPipeW takes.
    explicit SimServer(std::wstring pipeName = kServicePipeName, SimServerOptions requested = {});
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Creates every pipe instance, then serves them; the pipe exists when this
    // returns true. False, with the reason in *error, when it is running, the
    // name is already served or the pipe cannot be created.
    bool Start(std::string* error = nullptr);
    // Disconnects every client and ends all threads, as a stopping service
    // does; the model stays and Start serves it again. Also done by the destructor.
    void Stop();

    // Runs one line of the command language (CommandInterpreter.h). Returns
    // false with the message in *reply when the line is refused; otherwise
    // *reply gets the command's output (state, counts, help), often empty.
    // drop-all, crash-all and sleep are done before it returns (a quit cuts a
    // sleep short); quit is recorded for WaitForQuit.
    bool Execute(const std::string& commandLine, std::string* reply = nullptr);

    // A consistent copy of the model, and the request counters.
    SimModel Snapshot() const { return service.Snapshot(); }
    RequestCounts Counts() const { return service.Counts(); }
    uint64_t TotalRequests() const { return Counts().total; }
    uint64_t RequestCount(uint32_t code) const {
        return code < kRequestCodeCount ? Counts().byCode[code] : 0;
    }

    // Ends every current connection at once: Drop disconnects the server end
    // (the client then sees ERROR_PIPE_NOT_CONNECTED), Crash closes it without
    // disconnecting, as a crashed service does (ERROR_BROKEN_PIPE). Returns once
    // every instance has done so; new clients are served afterwards as before.
    void DropConnections(Disconnect how);

    // Waits up to timeoutMs for a quit command; true once one has run.
    bool WaitForQuit(uint32_t timeoutMs) const;

    const std::wstring& PipePath() const { return path; }

private:
    struct Instance {
        CHandle pipe;
        CHandle ioEvent;                  // manual reset: the instance's overlapped operations
        CHandle wakeEvent;                // auto reset: a drop request is waiting
        std::atomic<int> dropRequest{0};  // a Disconnect value; back to 0 once done
        std::thread thread;
    };
    enum class Io { Done, Failed, Interrupted };

    HANDLE CreateInstance(bool first);
    void StopLocked();
    void Serve(Instance& instance);
    bool AwaitClient(Instance& instance);
    Disconnect ServeClient(Instance& instance);
    Io Finish(Instance& instance, OVERLAPPED& overlapped, BOOL started, DWORD& bytes, DWORD& error);
    Io ReadRequest(Instance& instance, uint8_t* buffer, size_t capacity, DWORD& length);
    Io WriteMessage(Instance& instance, const std::vector<uint8_t>& message);
    void Tick();

    SimService service;
    std::wstring path;
    SimServerOptions options;
    PipeSecurity security;
    CHandle stopEvent;  // manual reset: Stop was called
    CHandle quitEvent;  // manual reset: a quit command ran
    // Start, Stop and DropConnections may come from different threads.
    std::mutex lifecycleMutex;
    bool running = false;
    std::vector<std::unique_ptr<Instance>> instances;
    std::thread ticker;
};

}  // namespace kestrel::sim
