// bench_exchange: the cost of one service-link exchange (726-byte request,
// 532-byte response) on a real named pipe, against a minimal raw overlapped
// ping-pong with the same server thread. Prints one table row per measurement.
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

#include "CplPipeClient.h"
#include "PipeName.h"
#include "PipeSecurity.h"
#include "WireFormat.h"

namespace {

using namespace kestrel;

constexpr int kWarmUp = 50;   // per round, not counted
constexpr int kRounds = 10;

struct Stats {
    double medianUs = 0;
    double p90Us = 0;
    int count = 0;
    bool ok = false;
};

double TicksToUs(LONGLONG ticks) {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    return static_cast<double>(ticks) * 1e6 / static_cast<double>(frequency);
}

LONGLONG Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

Stats Summarize(std::vector<double> samples, bool ok) {
    Stats s;
    s.ok = ok && !samples.empty();
    s.count = static_cast<int>(samples.size());
    if (samples.empty()) return s;
    std::sort(samples.begin(), samples.end());
    s.medianUs = samples[samples.size() / 2];
    s.p90Us = samples[std::min(samples.size() - 1, samples.size() * 9 / 10)];
    return s;
}

// The server end: answers every request with a 532-byte response that echoes its
// sequence, status 0 and version 2.14.0 in the payload (so the handshake passes),
// until the client closes. The same thread serves both measurements.
class EchoServer {
public:
    explicit EchoServer(const std::wstring& name) {
        const std::wstring path = std::wstring(kPipePathPrefix) + name;
        sim::PipeSecurity security;
        pipe_ = CreateNamedPipeW(path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                 PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096,
                                 4096, 0, security.Attributes());
        event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this] { Run(); });
    }
    ~EchoServer() {
        thread_.join();
        CloseHandle(pipe_);
        CloseHandle(event_);
    }

private:
    bool Wait(OVERLAPPED& ov, DWORD& n) {
        return GetOverlappedResult(pipe_, &ov, &n, TRUE) != FALSE;
    }
    void Run() {
        OVERLAPPED ov = {};
        ov.hEvent = event_;
        DWORD n = 0;
        if (!ConnectNamedPipe(pipe_, &ov)) {
            const DWORD e = GetLastError();
            if (e == ERROR_IO_PENDING && !Wait(ov, n)) return;
            if (e != ERROR_IO_PENDING && e != ERROR_PIPE_CONNECTED) return;
        }
        uint8_t request[kRequestFrameSize];
        ResponseFrame response{};
        PutU32(response.data(), 8, 2);
        PutU32(response.data(), 12, 14);
        for (;;) {
            ov = {};
            ov.hEvent = event_;
            if (!ReadFile(pipe_, request, sizeof request, &n, &ov)) {
                if (GetLastError() != ERROR_IO_PENDING || !Wait(ov, n)) break;
            }
            std::copy(request, request + 4, response.begin());
            ov = {};
            ov.hEvent = event_;
            if (!WriteFile(pipe_, response.data(), kResponseFrameSize, &n, &ov)) {
                if (GetLastError() != ERROR_IO_PENDING || !Wait(ov, n)) break;
            }
        }
        DisconnectNamedPipe(pipe_);
    }

    HANDLE pipe_ = INVALID_HANDLE_VALUE;
    HANDLE event_ = nullptr;
    std::thread thread_;
};

// The floor: one overlapped write and one overlapped read on a message-mode client
// handle, each waited for on an event, with no framing at all.
bool MeasureRawRoundTrip(int exchanges, std::vector<double>& samples) {
    const std::wstring name = test::UniquePipeName();
    EchoServer server(name);
    const std::wstring path = std::wstring(kPipePathPrefix) + name;
    HANDLE pipe = INVALID_HANDLE_VALUE;
    for (int i = 0; i < 100 && pipe == INVALID_HANDLE_VALUE; ++i) {
        pipe = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
        if (pipe == INVALID_HANDLE_VALUE) Sleep(10);
    }
    if (pipe == INVALID_HANDLE_VALUE) return false;
    DWORD mode = PIPE_READMODE_MESSAGE;
    SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
    OVERLAPPED ov = {};
    ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    uint8_t request[kRequestFrameSize] = {};
    uint8_t response[kResponseFrameSize];
    bool ok = true;
    for (int i = 0; i < kWarmUp + exchanges && ok; ++i) {
        const LONGLONG start = Now();
        DWORD n = 0;
        if (!WriteFile(pipe, request, sizeof request, &n, &ov)) {
            ok = GetLastError() == ERROR_IO_PENDING &&
                 WaitForSingleObject(ov.hEvent, 10000) == WAIT_OBJECT_0 &&
                 GetOverlappedResult(pipe, &ov, &n, TRUE);
        }
        if (ok && !ReadFile(pipe, response, sizeof response, &n, &ov)) {
            ok = GetLastError() == ERROR_IO_PENDING &&
                 WaitForSingleObject(ov.hEvent, 10000) == WAIT_OBJECT_0 &&
                 GetOverlappedResult(pipe, &ov, &n, TRUE);
        }
        ok = ok && n == kResponseFrameSize;
        const LONGLONG end = Now();
        if (i >= kWarmUp) samples.push_back(TicksToUs(end - start));
    }
    CloseHandle(pipe);
    CloseHandle(ov.hEvent);
    return ok;
}

// The service link: CplPipeClient::Transact, i.e. sequence stamping, the response
// zeroing, Exchange with its tick-count budget, and the sequence check.
bool MeasureTransact(int exchanges, std::vector<double>& samples) {
    const std::wstring name = test::UniquePipeName();
    EchoServer server(name);
    CplPipeClient client(name.c_str());
    if (client.ConnectService(2000) != kResultOk) return false;
    bool ok = true;
    for (int i = 0; i < kWarmUp + exchanges && ok; ++i) {
        RequestFrame request{};
        ResponseFrame response;
        PutU32(request.data(), kCodeOffset, kGetPortCounters);
        const LONGLONG start = Now();
        ok = client.Transact(request, response) == kResultOk;
        const LONGLONG end = Now();
        if (i >= kWarmUp) samples.push_back(TicksToUs(end - start));
    }
    client.Close();
    return ok;
}

void PrintHeader() {
    std::printf("%-44s %8s %12s %12s\n", "measurement", "n", "median us", "p90 us");
}

void PrintRow(const char* what, const Stats& s) {
    if (!s.ok) {
        std::printf("%-44s %8d %12s %12s\n", what, s.count, "FAILED", "-");
        return;
    }
    std::printf("%-44s %8d %12.1f %12.1f\n", what, s.count, s.medianUs, s.p90Us);
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
    const Stats raw = Summarize(rawSamples, rawOk);
    const Stats transact = Summarize(transactSamples, transactOk);

    PrintHeader();
    PrintRow("raw overlapped ping-pong 726/532 bytes", raw);
    PrintRow("CplPipeClient::Transact 726/532 bytes", transact);
    if (!raw.ok || !transact.ok) return 1;
    const double ratio = transact.medianUs / raw.medianUs;
    std::printf("%-44s %8s %11.2fx %12s\n", "Transact / raw (median; target <= 1.25x)", "", ratio,
                ratio <= 1.25 ? "met" : "NOT MET");
    std::fflush(stdout);
    return 0;
}
