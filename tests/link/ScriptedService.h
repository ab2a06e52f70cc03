// A small service for the catalogue tests: accepts one client, answers its
// handshake with 2.14.0, then answers every request through a responder and
// records the requests as they arrived on the wire.
#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "PipeServer.h"

namespace kestrel::test {

class ScriptedService {
public:
    // Fills the payload of the response (zeroed) and returns its status.
    using Responder = std::function<uint32_t(const RequestFrame& request, uint8_t* response)>;

    ScriptedService(const std::wstring& name, Responder responder)
        : server_(name), responder_(std::move(responder)), thread_([this] { Run(); }) {}
    ~ScriptedService() { thread_.Join(); }

    // The requests after the handshake; call after the client has closed.
    std::vector<RequestFrame> Requests() {
        thread_.Join();
        return requests_;
    }

private:
    void Run() {
        if (!server_.AcceptAndHandshake()) return;
        for (;;) {
            RequestFrame request{};
            if (!server_.ReadRequest(request, 10000)) return;  // the client has gone
            requests_.push_back(request);
            ResponseFrame response{};
            const uint32_t status = responder_(request, response.data());
            PutU32(response.data(), kSequenceOffset, GetU32(request.data(), kSequenceOffset));
            PutU32(response.data(), kStatusOffset, status);
            server_.Write(response.data(), static_cast<DWORD>(response.size()));
        }
    }

    ServerPipe server_;
    Responder responder_;
    std::vector<RequestFrame> requests_;
    ServerThread thread_;
};

}  // namespace kestrel::test
