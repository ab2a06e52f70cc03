// A small service for the catalogue tests: accepts one client, answers its
// handshake with 2.14.0, then answers every request through a responder and
// records the requests as they arrived on the wire.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "PipeServer.h"

namespace kestrel::test {

class ScriptedService {
public:
    // Fills the payload of the response (zeroed) and returns its status.
    using Responder = std::function<uint32_t(const RequestFrame& request, uint8_t* response)>;

    ScriptedService(const std::wstring& name, Responder answer)
        : server(name), responder(std::move(answer)), thread([this] { Run(); }) {}
    ~ScriptedService() { thread.Join(); }

    // The requests after the handshake; call after the client has closed.
    std::vector<RequestFrame> Requests() {
        thread.Join();
        return requests;
    }

private:
    void Run() {
        if (!server.AcceptAndHandshake()) return;
        for (;;) {
            RequestFrame request{};
            if (!server.ReadRequest(request, 10000)) return;  // the client has gone
            requests.push_back(request);
            ResponseFrame response{};
            const uint32_t status = responder(request, response.data());
            U32(response.data(), 0, SequenceOf(request));
            U32(response.data(), 4, status);
            server.Write(response.data(), static_cast<DWORD>(response.size()));
        }
    }

    ServerPipe server;
    Responder responder;
    std::vector<RequestFrame> requests;
    ServerThread thread;
};

// A client connected to a scripted service of its own: Connect starts the
// service and makes the handshake. The client goes first, then the service.
class ScriptedTest : public ::testing::Test {
protected:
    void Connect(ScriptedService::Responder responder) {
        service.emplace(name, std::move(responder));
        ASSERT_EQ(client.ConnectService(1000), kDone);
    }

    const std::wstring name = UniquePipeName();
    std::optional<ScriptedService> service;
    ProbeClient client{name.c_str()};
};

}  // namespace kestrel::test
