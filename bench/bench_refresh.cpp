// bench_refresh: one RefreshPorts pass over 8, 64 and 256 unchanged ports served
// by the simulator, with the real port list in a window. Prints requests per
// pass (must be 1 + N), the median pass time against 1 + N raw round trips on
// the same server, and the share of the pass that sorting the list takes.
// Usage: bench_refresh [passes]   (default 60)
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "CAppModule.h"
#include "DevListCtrl.h"
#include "ServiceMirror.h"
#include "SimServer.h"
#include "WireFormat.h"

namespace {

using namespace kestrel;

LONGLONG Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double ToUs(LONGLONG ticks) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(ticks) * 1e6 / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Forwards to the real list and times its sorts.
class TimedList : public PortListView {
public:
    explicit TimedList(DevListCtrl& list) : list_(list) {}
    bool UpdatePort(const PortRowInfo& info, bool* added) override {
        const LONGLONG start = Now();
        const bool shown = list_.UpdatePort(info, added);
        updateTicks += Now() - start;
        return shown;
    }
    void DeletePort(const std::wstring& name) override { list_.DeletePort(name); }
    bool SortItems(int column, int sortType) override {
        const LONGLONG start = Now();
        const bool sorted = list_.SortItems(column, sortType);
        lastSortUs = ToUs(Now() - start);
        return sorted;
    }
    double lastSortUs = 0;
    LONGLONG updateTicks = 0;

private:
    DevListCtrl& list_;
};

// 1 + N request/response round trips with no framing logic: what a pass costs
// at the least on this server.
double RawRoundTripsUs(const std::wstring& pipeName, int roundTrips) {
    const std::wstring path = std::wstring(kPipePathPrefix) + pipeName;
    HANDLE pipe = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) return 0;
    DWORD mode = PIPE_READMODE_MESSAGE;
    SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
    OVERLAPPED ov = {};
    ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    RequestFrame request{};
    PutU32(request.data(), kCodeOffset, kGetPortCounters);
    PutWide(request.data(), kReqPortNameOffset, kPortNameChars, std::wstring(L"P000"));
    ResponseFrame response{};
    auto complete = [&](BOOL started, DWORD& n) {
        return started || (GetLastError() == ERROR_IO_PENDING &&
                           GetOverlappedResult(pipe, &ov, &n, TRUE));
    };
    std::vector<double> samples;
    for (int round = 0; round < 20; ++round) {
        const LONGLONG start = Now();
        for (int i = 0; i < roundTrips; ++i) {
            DWORD n = 0;
            PutU32(request.data(), kSequenceOffset, static_cast<uint32_t>(i));
            if (!complete(WriteFile(pipe, request.data(), kRequestFrameSize, &n, &ov), n) ||
                !complete(ReadFile(pipe, response.data(), kResponseFrameSize, &n, &ov), n)) {
                CloseHandle(ov.hEvent);
                CloseHandle(pipe);
                return 0;
            }
        }
        samples.push_back(ToUs(Now() - start));
    }
    CloseHandle(ov.hEvent);
    CloseHandle(pipe);
    return Median(samples);
}

struct PassResult {
    int ports = 0;
    double requestsPerPass = 0;
    double passUs = 0;
    double rawUs = 0;
    double sortUs = 0;
    double updateUs = 0;
    size_t rows = 0;
};

bool MeasurePass(HWND listWindow, int ports, int passes, PassResult& result) {
    const std::wstring pipeName =
        L"kestrel-bench-refresh-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
        std::to_wstring(ports);
    sim::SimServerOptions options;
    options.tickMs = 0;
    sim::SimServer server(pipeName, options);
    for (int i = 0; i < ports; ++i) {
        char command[96];
        std::snprintf(command, sizeof command, "port P%03d mode=0 status=0 active=1 traffic=off", i);
        if (!server.Execute(command)) return false;
    }
    if (!server.Start()) return false;

    DevListCtrl list;
    list.SubclassWindow(listWindow);
    TimedList timed(list);
    ServiceMirror mirror(pipeName.c_str());
    mirror.RefreshPorts(timed);  // connects and enumerates
    mirror.RefreshPorts(timed);

    std::vector<double> passSamples, sortSamples, updateSamples;
    const uint64_t requestsBefore = server.TotalRequests();
    for (int i = 0; i < passes; ++i) {
        timed.updateTicks = 0;
        const LONGLONG start = Now();
        mirror.RefreshPorts(timed);
        passSamples.push_back(ToUs(Now() - start));
        updateSamples.push_back(ToUs(timed.updateTicks));
        sortSamples.push_back(timed.lastSortUs);
    }
    result.ports = ports;
    result.requestsPerPass =
        static_cast<double>(server.TotalRequests() - requestsBefore) / passes;
    result.passUs = Median(passSamples);
    result.sortUs = Median(sortSamples);
    result.updateUs = Median(updateSamples);
    result.rows = static_cast<size_t>(SendMessageW(listWindow, LVM_GETITEMCOUNT, 0, 0));
    mirror.Client().Close();
    result.rawUs = RawRoundTripsUs(pipeName, 1 + ports);
    list.DeleteAllItems();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int passes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    if (!appModule.Init(::GetModuleHandleW(nullptr))) return 1;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);

    std::printf("RefreshPorts pass, unchanged ports (median of %d passes)\n\n", passes);
    std::printf("%6s %10s %12s %14s %7s %12s %10s %7s\n", "ports", "req/pass", "pass (us)",
                "raw 1+N (us)", "ratio", "update (us)", "sort (us)", "sort %");
    bool ok = true;
    for (int ports : {8, 64, 256}) {
        // A fresh window per size, styled as the main window's list.
        HWND host = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 800, 300,
                                    nullptr, nullptr, nullptr, nullptr);
        HWND listWindow = CreateWindowExW(WS_EX_NOPARENTNOTIFY, WC_LISTVIEWW, L"",
                                          0x50828885, 0, 0, 780, 260, host, nullptr, nullptr,
                                          nullptr);
        PassResult r;
        if (!host || !listWindow || !MeasurePass(listWindow, ports, passes, r)) {
            std::printf("%6d  measurement failed\n", ports);
            ok = false;
        } else {
            const double ratio = r.rawUs > 0 ? r.passUs / r.rawUs : 0;
            const double share = r.passUs > 0 ? 100.0 * r.sortUs / r.passUs : 0;
            std::printf("%6d %10.1f %12.0f %14.0f %7.2f %12.0f %10.0f %6.1f%%\n", r.ports,
                        r.requestsPerPass, r.passUs, r.rawUs, ratio, r.updateUs, r.sortUs, share);
            ok = ok && r.requestsPerPass == 1.0 + ports && r.rows == static_cast<size_t>(ports);
        }
        DestroyWindow(host);
    }
    std::printf("\nTargets: exactly 1 + N requests per pass; pass within 1.5x of 1 + N raw round "
                "trips; sorting under 25%% of the pass at 256 ports.\n");
    appModule.Term();
    return ok ? 0 : 1;
}
