// What the panel's benchmarks share: the simulator and the panel as child
// processes, the panel's window found and read from outside, and probes that
// tell whether its thread answers.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "BenchClock.h"
#include "ChildProcess.h"

namespace kestrel::bench {

using test::ChildProcess;

constexpr DWORD kWaitMs = 30000;

// The rows of the panel's port list, or -1 if the panel does not answer.
int Rows(HWND panel);
HWND WaitForPanel(double deadline);
// Ends the panel as its stopper does; false if it does not end.
bool StopPanel(ChildProcess& panel, HWND window);
// Waits until the simulator has run every command sent before.
bool Settle(ChildProcess& sim);

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

double Percent(const std::pair<int, int>& tally);
// A visible top-level window of the process with this caption, or null.
HWND DialogOf(DWORD processId, const wchar_t* caption, HWND owner = nullptr);

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
uint64_t RequestCount(ChildProcess& sim, const char* request);

struct Session {
    ChildProcess sim;
    ChildProcess panel;
    HWND window = nullptr;
};

// The simulator with these commands, then the panel, shown, with rows rows.
bool StartSession(Session& session, const std::vector<std::string>& commands, int rows);
bool EndSession(Session& session);
const char* Met(bool met);

// The panel while its service is silent, then slow (in PanelWaitsBench.cpp).
bool MeasureApplyIntoSilence();
bool MeasureSlowService();

}  // namespace kestrel::bench
