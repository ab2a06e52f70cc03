// bench_panel: the panel as its user meets it, on the service's real pipe.
//   1. One refresh tick with the service absent, in this process: how long
//      ServiceMirror::RefreshPorts blocks on a pipe name nobody serves.
//   2. Start to first list: from starting KestrelCpl.exe -hide until its port
//      list, read from outside, holds every port of the simulator (demo, 8, 64).
//   3. The running panel with the service absent: round trips of messages sent
//      to its window, whose worst case is one blocked refresh tick.
//   4. Preferences applied into silence: the service answers the refresh but
//      none of the Preferences' requests. Time from OK to the message,
//      requests sent into the silence, WM_NULL probes answered during the one
//      wait and after it, and whether the window repaints during the wait.
//   5. A slow service: eight ports, every answer 150 ms late, for 20 s. Probes
//      answered, and keys posted to the list on a 200 ms grid handled within
//      250 ms; rows and title still right.
// Probes are WM_NULL sent every 100 ms, each given 250 ms to be answered.
// Runs beside KestrelCpl.exe and KestrelSim.exe; nothing else may serve the
// service's pipe or run the panel in this Wine prefix meanwhile.
// Usage: bench_panel [starts per size (default 5)]
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "PanelSession.h"
#include "PanelTexts.h"
#include "ServiceMirror.h"
#include "resource.h"

namespace {

using namespace kestrel;
using namespace kestrel::bench;

constexpr int kAbsentTicks = 20;
constexpr DWORD kAbsentProbeMs = 10000;
// Past the panel's start-up connect (1000 ms) and its first refresh.
constexpr DWORD kAfterStartMs = 2500;

// Takes whatever RefreshPorts hands it; with no service it is handed nothing.
class NullList : public PortListView {
public:
    bool UpdatePort(const PortRowInfo&) override { return true; }
    void DeletePort(const std::wstring&) override {}
    void PassEnded() override {}
};

void MeasureAbsentTick() {
    const std::wstring pipeName =
        L"kestrel-bench-absent-" + std::to_wstring(::GetCurrentProcessId());
    ServiceMirror mirror(pipeName.c_str());
    NullList list;
    std::vector<double> ticks;
    for (int i = 0; i < kAbsentTicks; ++i) {
        const double start = NowMs();
        mirror.RefreshPorts(list);
        ticks.push_back(NowMs() - start);
    }
    const Summary s = Summarize(ticks);
    std::printf(
        "1. RefreshPorts with the service absent (%zu ticks): median %.0f ms, "
        "min %.0f ms, max %.0f ms (target: near 250 ms)\n\n",
        s.count, s.median, s.min, s.max);
}

struct StartTimes {
    std::vector<double> window;
    std::vector<double> filled;
};

bool MeasureStart(int rows, StartTimes& times) {
    ChildProcess panel;
    const double start = NowMs();
    if (!panel.Start(L"KestrelCpl.exe", L"-hide")) return false;
    const double deadline = start + kWaitMs;
    HWND window = WaitForPanel(deadline);
    if (!window) return false;
    const double found = NowMs();
    while (Rows(window) != rows) {
        if (NowMs() > deadline) {
            StopPanel(panel, window);
            return false;
        }
        ::Sleep(1);
    }
    times.window.push_back(found - start);
    times.filled.push_back(NowMs() - start);
    return StopPanel(panel, window);
}

bool MeasureStarts(int starts) {
    ChildProcess sim;
    if (!sim.Start(L"KestrelSim.exe", L"", true) || !sim.WaitForOutput("ready", kWaitMs)) {
        std::printf("2. the simulator did not start\n");
        return false;
    }
    std::printf("2. Start of KestrelCpl.exe -hide to its filled list (%d starts each; ms)\n\n",
                starts);
    std::printf("%-10s %6s %14s %14s %10s %10s\n", "ports", "rows", "window median",
                "filled median", "min", "max");
    struct Size {
        const char* name;
        int ports;
        int rows;
    };
    bool ok = true;
    for (const Size& size : {Size{"demo", 0, 4}, Size{"8", 8, 8}, Size{"64", 64, 64}}) {
        if (size.ports > 0) {
            ok = ok && sim.Send("reset");
            for (int i = 0; i < size.ports && ok; ++i) {
                char command[80];
                std::snprintf(command, sizeof command, "port P%03d mode=0 status=0 traffic=on", i);
                ok = sim.Send(command);
            }
        }
        ok = ok && Settle(sim);
        StartTimes times;
        for (int i = 0; i < starts && ok; ++i) ok = MeasureStart(size.rows, times);
        if (!ok) {
            std::printf("%-10s measurement failed\n", size.name);
            break;
        }
        const Summary window = Summarize(times.window);
        const Summary filled = Summarize(times.filled);
        std::printf("%-10s %6d %14.0f %14.0f %10.0f %10.0f\n", size.name, size.rows, window.median,
                    filled.median, filled.min, filled.max);
    }
    if (!sim.Send("quit") || sim.Wait(kWaitMs) == STILL_ACTIVE) {
        std::printf("the simulator did not quit\n");
        ok = false;
    }
    std::printf("\n");
    return ok;
}

bool MeasureAbsentService() {
    ChildProcess panel;
    HWND window =
        panel.Start(L"KestrelCpl.exe", L"-hide") ? WaitForPanel(NowMs() + kWaitMs) : nullptr;
    if (!window) {
        std::printf("3. the panel did not start\n");
        return false;
    }
    ::Sleep(kAfterStartMs);
    std::vector<double> trips;
    const double end = NowMs() + kAbsentProbeMs;
    bool answered = true;
    while (answered && NowMs() < end) {
        const double start = NowMs();
        DWORD_PTR result = 0;
        answered = ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kWaitMs, &result) != 0;
        if (answered) trips.push_back(NowMs() - start);
    }
    const bool stopped = StopPanel(panel, window);
    const Summary s = Summarize(trips);
    std::printf(
        "3. WM_NULL round trips to the panel with the service absent, back to back for "
        "%lu s: %zu messages, median %.2f ms, worst %.0f ms (target: near 250 ms)\n",
        kAbsentProbeMs / 1000, s.count, s.median, s.max);
    if (!answered) std::printf("   a message went unanswered for %lu s\n", kWaitMs / 1000);
    if (!stopped) std::printf("   the panel did not end\n");
    return stopped && answered && s.count > 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int starts = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    if (::FindWindowW(kInstanceId, nullptr)) {
        std::printf("a panel runs already in this Wine prefix\n");
        return 1;
    }
    MeasureAbsentTick();
    const bool started = MeasureStarts(starts);
    const bool absent = MeasureAbsentService();
    std::printf("\n");
    const bool silence = MeasureApplyIntoSilence();
    const bool slow = MeasureSlowService();
    std::fflush(stdout);
    return started && absent && silence && slow ? 0 : 1;
}
