// bench_refresh: one RefreshPorts pass over 8, 64 and 256 unchanged ports served
// by the simulator, with the real port list in a window and the panel's wait
// (ResponsiveWait). Prints requests per pass (must be 1 + N), the median pass
// time against the same requests through the service client alone and
// against 1 + N raw round trips on the same server, and the share of the pass
// that sorting the list takes.
// Usage: bench_refresh [passes]   (default 60)
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "BenchClock.h"
#include "CAppModule.h"
#include "DevListCtrl.h"
#include "PipeName.h"
#include "RawPipeClient.h"
#include "ResponsiveWait.h"
#include "ServiceMirror.h"
#include "SimServer.h"
#include "WireFormat.h"

namespace {

using namespace kestrel;
using bench::NowUs;

// Forwards to the real list and times its sorts.
class TimedList : public PortListView {
public:
    explicit TimedList(DevListCtrl& target) : list(target) {}
    bool UpdatePort(const PortRowInfo& info) override {
        const double start = NowUs();
        const bool shown = list.UpdatePort(info);
        updateUs += NowUs() - start;
        return shown;
    }
    void DeletePort(const std::wstring& name) override { list.DeletePort(name); }
    void PassEnded() override {
        const double start = NowUs();
        list.PassEnded();
        lastSortUs = NowUs() - start;
    }
    double lastSortUs = 0;
    double updateUs = 0;

private:
    DevListCtrl& list;
};

// One round of 1 + N request/response round trips with no framing logic: what
// a pass costs at the least on this server.
bool RawRound(test::RawPipeClient& client, int roundTrips, double& us) {
    RequestFrame request{};
    PutU32(request.data(), kCodeOffset, kGetPortCounters);
    PutWide(request.data(), kReqPortNameOffset, kPortNameChars, std::wstring(L"P000"));
    std::vector<uint8_t> response;
    const double start = NowUs();
    for (int i = 0; i < roundTrips; ++i) {
        PutU32(request.data(), kSequenceOffset, static_cast<uint32_t>(i));
        if (client.Exchange(request, &response) != 0) return false;
    }
    us = NowUs() - start;
    return true;
}

// The requests of an unchanged pass through the service client alone:
// GetPortListInfo, then GetPortCounters for every port. What the framing
// adds to the raw round trips, without the table and the list.
bool RequestsRound(CplPipeClient& client, const std::vector<std::wstring>& names, double& us) {
    const double start = NowUs();
    uint32_t stamp = 0, count = 0;
    if (!client.GetPortListInfo(&stamp, &count).Done()) return false;
    for (const std::wstring& name : names) {
        uint32_t tx = 0, rx = 0, update = 0;
        if (!client.GetPortCounters(name, tx, rx, update).Done()) return false;
    }
    us = NowUs() - start;
    return true;
}

struct PassResult {
    int ports = 0;
    double requestsPerPass = 0;
    double passUs = 0;
    double requestsUs = 0;
    double rawUs = 0;
    double sortUs = 0;
    double updateUs = 0;
    size_t rows = 0;
};

// Passes, the same requests through the service client, and raw round trips
// in turn, each on a connection of its own to the same server, so that all
// three see the same load of the machine.
bool MeasurePass(HWND listWindow, int ports, int passes, PassResult& result) {
    const std::wstring pipeName = L"kestrel-bench-refresh-" +
                                  std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(ports);
    sim::SimServerOptions options;
    options.tickMs = 0;
    sim::SimServer server(pipeName, options);
    std::vector<std::wstring> names;
    for (int i = 0; i < ports; ++i) {
        char command[96];
        std::snprintf(command, sizeof command, "port P%03d mode=0 status=0 active=1 traffic=off",
                      i);
        if (!server.Execute(command)) return false;
        names.push_back(std::wstring(command + 5, command + 9));
    }
    if (!server.Start()) return false;

    DevListCtrl list;
    if (!list.SubclassWindow(listWindow)) return false;
    TimedList timed(list);
    ResponsiveWait wait;
    ServiceMirror mirror(pipeName.c_str());
    mirror.SetWaitPolicy(&wait);
    mirror.RefreshPorts(timed);  // connects and enumerates
    mirror.RefreshPorts(timed);
    CplPipeClient client(pipeName.c_str());
    client.SetWaitPolicy(&wait);
    test::RawPipeClient raw;
    if (!client.ConnectService(kStartupConnectTimeoutMs).Done() ||
        !raw.Connect(test::PipePath(pipeName)))
        return false;

    std::vector<double> passSamples, requestSamples, rawSamples, sortSamples, updateSamples;
    uint64_t passRequests = 0;
    for (int i = 0; i < passes; ++i) {
        timed.updateUs = 0;
        const uint64_t before = server.TotalRequests();
        const double start = NowUs();
        mirror.RefreshPorts(timed);
        passSamples.push_back(NowUs() - start);
        passRequests += server.TotalRequests() - before;
        updateSamples.push_back(timed.updateUs);
        sortSamples.push_back(timed.lastSortUs);
        double us = 0;
        if (!RequestsRound(client, names, us)) return false;
        requestSamples.push_back(us);
        if (!RawRound(raw, 1 + ports, us)) return false;
        rawSamples.push_back(us);
    }
    result.ports = ports;
    result.requestsPerPass = static_cast<double>(passRequests) / passes;
    result.passUs = bench::Summarize(passSamples).median;
    result.requestsUs = bench::Summarize(requestSamples).median;
    result.rawUs = bench::Summarize(rawSamples).median;
    result.sortUs = bench::Summarize(sortSamples).median;
    result.updateUs = bench::Summarize(updateSamples).median;
    result.rows = static_cast<size_t>(::SendMessageW(listWindow, LVM_GETITEMCOUNT, 0, 0));
    mirror.Close();
    return list.DeleteAllItems();
}

struct WindowDestroyer {
    void operator()(HWND window) const { ::DestroyWindow(window); }
};
using OwnedWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

}  // namespace

int main(int argc, char** argv) {
    const int passes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    appModule.Init(::GetModuleHandleW(nullptr));
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    if (!::InitCommonControlsEx(&icc)) {
        appModule.Term();
        return 1;
    }

    std::printf("RefreshPorts pass, unchanged ports (median of %d passes)\n\n", passes);
    std::printf("%6s %10s %12s %14s %14s %7s %7s %12s %10s %7s\n", "ports", "req/pass", "pass (us)",
                "requests (us)", "raw 1+N (us)", "ratio", "req/raw", "update (us)", "sort (us)",
                "sort %");
    bool ok = true;
    for (int ports : {8, 64, 256}) {
        // A fresh window per size, styled as the main window's list.
        const OwnedWindow host(::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 800,
                                                 300, nullptr, nullptr, nullptr, nullptr));
        HWND listWindow =
            host ? ::CreateWindowExW(WS_EX_NOPARENTNOTIFY, WC_LISTVIEWW, L"", 0x50828885, 0, 0, 780,
                                     260, host.get(), nullptr, nullptr, nullptr)
                 : nullptr;
        PassResult r;
        if (!listWindow || !MeasurePass(listWindow, ports, passes, r)) {
            std::printf("%6d  measurement failed\n", ports);
            ok = false;
            continue;
        }
        const double ratio = r.rawUs > 0 ? r.passUs / r.rawUs : 0;
        const double requestsRatio = r.rawUs > 0 ? r.requestsUs / r.rawUs : 0;
        const double share = r.passUs > 0 ? 100.0 * r.sortUs / r.passUs : 0;
        std::printf("%6d %10.1f %12.0f %14.0f %14.0f %7.2f %7.2f %12.0f %10.0f %6.1f%%\n", r.ports,
                    r.requestsPerPass, r.passUs, r.requestsUs, r.rawUs, ratio, requestsRatio,
                    r.updateUs, r.sortUs, share);
        ok = ok && r.requestsPerPass == 1.0 + ports && r.rows == static_cast<size_t>(ports);
    }
    std::printf(
        "\nTargets: exactly 1 + N requests per pass; pass within 1.5x of 1 + N raw round "
        "trips; sorting under 25%% of the pass at 256 ports.\n");
    appModule.Term();
    return ok ? 0 : 1;
}
