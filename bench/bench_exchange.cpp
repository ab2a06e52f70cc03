// bench_exchange: the cost of one service-link exchange (726-byte request,
// 532-byte response) on a real named pipe, against a minimal raw overlapped
// ping-pong with the same server. Prints one table row per measurement.
// Usage: bench_exchange [exchanges]   (default 2000)
//
// Each measurement is one function that runs a number of exchanges on a fresh
// connection and appends one sample per exchange. main runs the measurements in
// alternating rounds, so that both see the same load of the machine (Wine's
// server and other processes make single runs noisy), then prints the table.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "BenchClock.h"
#include "CplPipeClient.h"
#include "PipeName.h"
#include "RawPipeClient.h"
#include "ServerPipe.h"
#include "WireFormat.h"

namespace {

using namespace kestrel;
using bench::NowUs;

constexpr int kWarmUp = 50;  // per round, not counted
constexpr int kRounds = 10;

// The server end, on a thread of its own: answers every request with a 532-byte
// response that echoes its sequence, status 0 and version 2.14.0 in the payload
// (so the handshake passes), until the client closes. Both measurements are
// served by it, so that they differ only in the client.
class EchoServer {
public:
    explicit EchoServer(const std::wstring& name) : pipe(name), thread([this] { Run(); }) {}
    ~EchoServer() { thread.join(); }
    EchoServer(const EchoServer&) = delete;
    EchoServer& operator=(const EchoServer&) = delete;

    bool Valid() const { return pipe.Valid(); }

private:
    void Run() {
        if (!pipe.Accept()) return;
        RequestFrame request{};
        ResponseFrame response{};
        PutU32(response.data(), 8, 2);
        PutU32(response.data(), 12, 14);
        while (pipe.ReadRequest(request)) {
            std::copy(request.begin(), request.begin() + 4, response.begin());
            if (!pipe.Write(response.data(), kResponseFrameSize)) break;
        }
        pipe.Disconnect();
    }

    test::ServerPipe pipe;
    std::thread thread;
};

// The floor: one overlapped write and one overlapped read on a message-mode client
// handle, each waited for on an event, with no framing at all.
bool MeasureRawRoundTrip(int exchanges, std::vector<double>& samples) {
    const std::wstring name = test::UniquePipeName();
    EchoServer server(name);
    test::RawPipeClient client;
    if (!server.Valid() || !client.Connect(test::PipePath(name))) return false;
    const RequestFrame request{};
    std::vector<uint8_t> response;
    for (int i = 0; i < kWarmUp + exchanges; ++i) {
        const double start = NowUs();
        const DWORD error = client.Exchange(request, &response);
        const double end = NowUs();
        if (error != 0 || response.size() != kResponseFrameSize) return false;
        if (i >= kWarmUp) samples.push_back(end - start);
    }
    return true;
}

// The service link: CplPipeClient::Transact, i.e. sequence stamping, the response
// zeroing, Exchange with its tick-count budget, and the sequence check.
bool MeasureTransact(int exchanges, std::vector<double>& samples) {
    const std::wstring name = test::UniquePipeName();
    EchoServer server(name);
    CplPipeClient client(name.c_str());
    if (!server.Valid() || !client.ConnectService(2000).Done()) return false;
    for (int i = 0; i < kWarmUp + exchanges; ++i) {
        RequestFrame request{};
        ResponseFrame response;
        PutU32(request.data(), kCodeOffset, kGetPortCounters);
        const double start = NowUs();
        const RequestResult result = client.Transact(request, response);
        const double end = NowUs();
        if (!result.Done()) return false;
        if (i >= kWarmUp) samples.push_back(end - start);
    }
    return true;
}

void PrintHeader() {
    std::printf("%-44s %8s %12s %12s\n", "measurement", "n", "median us", "p90 us");
}

void PrintRow(const char* what, const bench::Summary& s, bool ok) {
    if (!ok) {
        std::printf("%-44s %8zu %12s %12s\n", what, s.count, "FAILED", "-");
        return;
    }
    std::printf("%-44s %8zu %12.1f %12.1f\n", what, s.count, s.median, s.p90);
}

}  // namespace

int main(int argc, char** argv) {
    const int exchanges = argc > 1 ? std::max(kRounds, std::atoi(argv[1])) : 2000;
    const int perRound = exchanges / kRounds;

    std::vector<double> rawSamples, transactSamples;
    bool rawOk = true, transactOk = true;
    for (int round = 0; round < kRounds; ++round) {
        rawOk = rawOk && MeasureRawRoundTrip(perRound, rawSamples);
        transactOk = transactOk && MeasureTransact(perRound, transactSamples);
    }
    const bench::Summary raw = bench::Summarize(rawSamples);
    const bench::Summary transact = bench::Summarize(transactSamples);
    rawOk = rawOk && raw.count > 0;
    transactOk = transactOk && transact.count > 0;

    PrintHeader();
    PrintRow("raw overlapped ping-pong 726/532 bytes", raw, rawOk);
    PrintRow("CplPipeClient::Transact 726/532 bytes", transact, transactOk);
    if (!rawOk || !transactOk) return 1;
    const double ratio = transact.median / raw.median;
    std::printf("%-44s %8s %11.2fx %12s\n", "Transact / raw (median; target <= 1.25x)", "", ratio,
                ratio <= 1.25 ? "met" : "NOT MET");
    std::fflush(stdout);
    return 0;
}
