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
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "BenchClock.h"
#include "ChildProcess.h"
#include "PanelTexts.h"
#include "ServiceMirror.h"
#include "resource.h"

namespace {

using namespace kestrel;
using bench::NowMs;
using bench::Summarize;
using bench::Summary;
using test::ChildProcess;

constexpr DWORD kWaitMs = 30000;
constexpr int kAbsentTicks = 20;
constexpr DWORD kAbsentProbeMs = 10000;
// Past the panel's start-up connect (1000 ms) and its first refresh.
constexpr DWORD kAfterStartMs = 2500;

// Takes whatever RefreshPorts hands it; with no service it is handed nothing.
class NullList : public PortListView {
public:
    bool UpdatePort(const PortRowInfo&, bool*) override { return true; }
    void DeletePort(const std::wstring&) override {}
    bool SortItems(int, int) override { return true; }
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

int Rows(HWND panel) {
    DWORD_PTR rows = 0;
    if (!::SendMessageTimeoutW(::GetDlgItem(panel, IDC_PORT_LIST), LVM_GETITEMCOUNT, 0, 0,
                               SMTO_ABORTIFHUNG, kWaitMs, &rows)) {
        return -1;
    }
    return static_cast<int>(rows);
}

HWND WaitForPanel(double deadline) {
    for (;;) {
        if (HWND window = ::FindWindowW(kInstanceId, nullptr)) return window;
        if (NowMs() > deadline) return nullptr;
        ::Sleep(1);
    }
}

// Ends the panel as its stopper does; false if it does not end.
bool StopPanel(ChildProcess& panel, HWND window) {
    if (window) ::PostMessageW(window, WM_COMMAND, ID_APP_EXIT, 0);
    return panel.Wait(kWaitMs) != STILL_ACTIVE;
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

int Occurrences(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// Waits until the simulator has run every command sent before: its answer to
// one more "counts" has arrived.
bool Settle(ChildProcess& sim) {
    const std::string answer = "requests total=";
    const int before = Occurrences(sim.Output(), answer);
    if (!sim.Send("counts")) return false;
    const double deadline = NowMs() + kWaitMs;
    while (Occurrences(sim.Output(), answer) == before) {
        if (NowMs() > deadline) return false;
        sim.WaitForOutput("\x01", 10);  // never printed: collects output for 10 ms
    }
    return true;
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

// WM_NULL sent every 100 ms on a thread of its own until stopped, each given
// 250 ms: when each went out, and whether it was answered.
class Prober {
public:
    explicit Prober(HWND target)
        : window(target), thread([this] {
              for (double next = NowMs(); !stop; next += 100) {
                  const double now = NowMs();
                  if (next > now) ::Sleep(static_cast<DWORD>(next - now));
                  DWORD_PTR result = 0;
                  const double sent = NowMs();
                  const bool answered =
                      ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 250, &result) != 0;
                  probes.push_back({sent, answered});
              }
          }) {}
    ~Prober() { Stop(); }

    void Stop() {
        stop = true;
        if (thread.joinable()) thread.join();
    }
    // Probes sent from start to end: how many, and how many were answered.
    std::pair<int, int> Tally(double start, double end) const {
        int sent = 0, answered = 0;
        for (const Probe& probe : probes) {
            if (probe.sent < start || probe.sent >= end) continue;
            ++sent;
            answered += probe.answered ? 1 : 0;
        }
        return {sent, answered};
    }

private:
    struct Probe {
        double sent;
        bool answered;
    };
    HWND window;
    std::atomic<bool> stop{false};
    std::vector<Probe> probes;
    std::thread thread;
};

double Percent(const std::pair<int, int>& tally) {
    return tally.first > 0 ? 100.0 * tally.second / tally.first : 0;
}

struct WindowSearch {
    DWORD processId;
    const wchar_t* caption;
    HWND owner;  // the window's owner must be this, unless null
    HWND found;
};

BOOL CALLBACK FindDialog(HWND candidate, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(candidate, &owner);
    wchar_t caption[128] = {};
    ::GetWindowTextW(candidate, caption, 128);
    if (owner != search->processId || !::IsWindowVisible(candidate) ||
        std::wstring(caption) != search->caption ||
        (search->owner && ::GetWindow(candidate, GW_OWNER) != search->owner))
        return TRUE;
    search->found = candidate;
    return FALSE;
}

// A visible top-level window of the process with this caption, or null.
HWND DialogOf(DWORD processId, const wchar_t* caption, HWND owner = nullptr) {
    WindowSearch search{processId, caption, owner, nullptr};
    ::EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs) {
    const double deadline = NowMs() + timeoutMs;
    while (!condition()) {
        if (NowMs() > deadline) return false;
        ::Sleep(5);
    }
    return true;
}

// The simulator's count of one request, read from its counts command.
uint64_t RequestCount(ChildProcess& sim, const char* request) {
    const size_t from = sim.Output().size();
    if (!sim.Send("counts") || !sim.WaitForOutput(" malformed=", kWaitMs, from)) return 0;
    const std::string key = std::string(" ") + request + "=";
    const size_t at = sim.Output().find(key, from);
    return at == std::string::npos
               ? 0
               : std::strtoull(sim.Output().c_str() + at + key.size(), nullptr, 10);
}

struct Session {
    ChildProcess sim;
    ChildProcess panel;
    HWND window = nullptr;
};

// The simulator with these commands, then the panel, shown, with rows rows.
bool StartSession(Session& session, const std::vector<std::string>& commands, int rows) {
    if (!session.sim.Start(L"KestrelSim.exe", L"", true) ||
        !session.sim.WaitForOutput("ready", kWaitMs))
        return false;
    for (const std::string& command : commands)
        if (!session.sim.Send(command)) return false;
    if (!Settle(session.sim) || !session.panel.Start(L"KestrelCpl.exe", L"")) return false;
    session.window = WaitForPanel(NowMs() + kWaitMs);
    return session.window && WaitFor([&] { return Rows(session.window) == rows; }, kWaitMs);
}

bool EndSession(Session& session) {
    const bool stopped = StopPanel(session.panel, session.window);
    return session.sim.Send("quit") && session.sim.Wait(kWaitMs) != STILL_ACTIVE && stopped;
}

const char* Met(bool met) { return met ? "met" : "NOT MET"; }

bool MeasureApplyIntoSilence() {
    Session session;
    if (!StartSession(session, {}, 4)) {
        std::printf("4. the simulator or the panel did not start\n");
        return false;
    }
    const HWND window = session.window;
    const char* silent[] = {"SetLogSettings", "GetLogSettings", "SetDefaultDmsConfig",
                            "GetDefaultDmsConfig"};
    for (const char* request : silent)
        session.sim.Send(std::string("fault silence on=") + request + " count=always");
    Settle(session.sim);
    const auto silentRequests = [&] {
        uint64_t sum = 0;
        for (const char* request : silent) sum += RequestCount(session.sim, request);
        return sum;
    };
    const uint64_t before = silentRequests();

    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_PREFERENCES, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(window, IDC_PREFERENCES)));
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = DialogOf(session.panel.Id(), L"Preferences")) != nullptr; },
                 kWaitMs)) {
        std::printf("4. Preferences did not open\n");
        EndSession(session);
        return false;
    }
    // The retry period is no change that asks before cutting communication.
    ::SendDlgItemMessageW(dialog, IDC_DMS_RETRY, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"45"));

    Prober prober(window);
    ::Sleep(500);
    const double ok = NowMs();
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    WaitFor([&] { return silentRequests() > before; }, kWaitMs);
    const double sent = NowMs();
    // Within the wait the window is invalidated, as when it is uncovered.
    ::Sleep(3000);
    ::InvalidateRect(window, nullptr, TRUE);
    const double invalidated = NowMs();
    const bool repainted = WaitFor([&] { return !::GetUpdateRect(window, nullptr, FALSE); }, 1000);
    const double repaintMs = NowMs() - invalidated;
    HWND box = nullptr;
    const bool reported = WaitFor(
        [&] { return (box = DialogOf(session.panel.Id(), kProgramTitle, window)) != nullptr; },
        20000);
    const double message = NowMs();
    const uint64_t into = silentRequests() - before;
    ::Sleep(2000);
    if (box) ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    const double closed = NowMs();
    ::Sleep(9000);
    prober.Stop();
    const auto during = prober.Tally(sent, message);
    const auto later = prober.Tally(message, message + 10000);
    const auto boxShown = prober.Tally(message, closed);
    const auto afterBox = prober.Tally(closed + 2500, message + 10000);
    const bool ended = EndSession(session);

    std::printf("4. Preferences applied into silence (target in brackets)\n");
    std::printf(
        "   OK to the message:            %.0f ms; from the request's arrival %.0f ms "
        "(at most one exchange budget, 10000 ms): %s\n",
        message - ok, message - sent, Met(reported && message - sent <= 10500));
    std::printf("   requests into the silence:    %llu (at most 1): %s\n",
                static_cast<unsigned long long>(into), Met(into <= 1));
    std::printf("   probes answered in the wait:  %d of %d, %.0f %% (at least 95 %%): %s\n",
                during.second, during.first, Percent(during), Met(Percent(during) >= 95));
    std::printf("   repainted during the wait:    %s, %.0f ms after it was invalidated\n",
                repainted ? "yes" : "no", repaintMs);
    std::printf(
        "   probes answered from the message on for 10 s: %d of %d, %.0f %% (at least "
        "90 %%): %s\n",
        later.second, later.first, Percent(later), Met(Percent(later) >= 90));
    std::printf(
        "     of these, while the message showed %d of %d; from 2.5 s after it was "
        "closed %d of %d\n\n",
        boxShown.second, boxShown.first, afterBox.second, afterBox.first);
    return reported && ended;
}

// Where the list's focus mark is after the first keys of the grid: seven
// rows down, seven up, and again.
int FocusAfter(size_t keys) {
    const size_t phase = keys % 14;
    return static_cast<int>(phase <= 7 ? phase : 14 - phase);
}

bool MeasureSlowService() {
    std::vector<std::string> commands{"reset"};
    for (int i = 0; i < 8; ++i) {
        char command[80];
        std::snprintf(command, sizeof command, "port P%03d mode=0 status=0 traffic=on", i);
        commands.push_back(command);
    }
    Session session;
    if (!StartSession(session, commands, 8)) {
        std::printf("5. the simulator or the panel did not start\n");
        return false;
    }
    const HWND window = session.window;
    const HWND list = ::GetDlgItem(window, IDC_PORT_LIST);
    const auto focus = [&] {
        DWORD_PTR item = 0;
        ::SendMessageTimeoutW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED,
                              SMTO_NORMAL, 250, &item);
        return static_cast<int>(static_cast<LRESULT>(item));
    };
    ::PostMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
    if (!WaitFor([&] { return focus() == 0; }, kWaitMs)) {
        std::printf("5. the list took no key\n");
        EndSession(session);
        return false;
    }
    session.sim.Send("fault delay 150 count=always");
    Settle(session.sim);
    const uint64_t passesBefore = RequestCount(session.sim, "GetPortListInfo");
    const uint64_t readsBefore = RequestCount(session.sim, "GetPortDevice");

    // Keys on a 200 ms grid; the focus mark, read as often as it answers,
    // tells how many of them the list has handled.
    constexpr double kRunMs = 20000;
    std::vector<double> posted;
    std::vector<std::pair<double, int>> seen;
    std::atomic<bool> stop{false};
    std::thread watcher([&] {
        while (!stop) {
            const int at = focus();
            seen.push_back({NowMs(), at});
            ::Sleep(2);
        }
    });
    Prober prober(window);
    const double start = NowMs();
    bool titleKept = true;
    for (double next = start; next - start < kRunMs; next += 200) {
        const double now = NowMs();
        if (next > now) ::Sleep(static_cast<DWORD>(next - now));
        const WPARAM key =
            FocusAfter(posted.size() + 1) > FocusAfter(posted.size()) ? VK_DOWN : VK_UP;
        posted.push_back(NowMs());
        ::PostMessageW(list, WM_KEYDOWN, key, 0);
        if (posted.size() == 50) session.sim.Send("port P003 label=Moved");
        wchar_t title[128] = {};
        ::GetWindowTextW(window, title, 128);
        titleKept = titleKept && std::wstring(title) == kProgramTitle;
    }
    ::Sleep(3000);
    stop = true;
    watcher.join();
    prober.Stop();

    // A change of the mark to where key h leaves it says the keys up to h
    // are handled; the mark that stays says nothing more.
    std::vector<double> latencies;
    size_t handled = 0;
    size_t next = 0;
    for (const auto& [at, row] : seen) {
        while (next < posted.size() && posted[next] <= at) ++next;
        if (row == FocusAfter(handled)) continue;
        for (size_t h = next; h > handled; --h) {
            if (FocusAfter(h) != row) continue;
            for (size_t k = handled; k < h; ++k) latencies.push_back(at - posted[k]);
            handled = h;
            break;
        }
    }
    const size_t quick = static_cast<size_t>(
        std::count_if(latencies.begin(), latencies.end(), [](double ms) { return ms <= 250; }));
    const auto probes = prober.Tally(start, start + kRunMs);
    const uint64_t passes = RequestCount(session.sim, "GetPortListInfo") - passesBefore;
    const uint64_t reads = RequestCount(session.sim, "GetPortDevice") - readsBefore;
    const bool ended = EndSession(session);

    const double keyShare = posted.empty() ? 0 : 100.0 * quick / posted.size();
    std::printf(
        "5. A slow service: 8 ports, every answer 150 ms late, %.0f s (target in "
        "brackets)\n",
        kRunMs / 1000);
    std::printf("   probes answered:              %d of %d, %.0f %% (at least 85 %%): %s\n",
                probes.second, probes.first, Percent(probes), Met(Percent(probes) >= 85));
    std::printf(
        "   keys handled within 250 ms:   %zu of %zu, %.0f %% (at least 75 %%), median "
        "%.0f ms: %s\n",
        quick, posted.size(), keyShare,
        latencies.empty() ? 0.0 : bench::Summarize(latencies).median, Met(keyShare >= 75));
    std::printf("   keys handled in all:          %zu\n", handled);
    std::printf("   passes:                       %llu; the port changed meanwhile read %s\n",
                static_cast<unsigned long long>(passes), reads > 0 ? "again" : "NOT again");
    std::printf("   title unchanged:              %s\n\n", titleKept ? "yes" : "no");
    return ended;
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
