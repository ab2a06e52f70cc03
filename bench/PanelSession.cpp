#include "PanelSession.h"

#include <commctrl.h>

#include <cstdlib>

#include "PanelTexts.h"
#include "resource.h"

namespace kestrel::bench {
namespace {

int Occurrences(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
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

}  // namespace

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

double Percent(const std::pair<int, int>& tally) {
    return tally.first > 0 ? 100.0 * tally.second / tally.first : 0;
}

HWND DialogOf(DWORD processId, const wchar_t* caption, HWND owner) {
    WindowSearch search{processId, caption, owner, nullptr};
    ::EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

uint64_t RequestCount(ChildProcess& sim, const char* request) {
    const size_t from = sim.Output().size();
    if (!sim.Send("counts") || !sim.WaitForOutput(" malformed=", kWaitMs, from)) return 0;
    const std::string key = std::string(" ") + request + "=";
    const size_t at = sim.Output().find(key, from);
    return at == std::string::npos
               ? 0
               : std::strtoull(sim.Output().c_str() + at + key.size(), nullptr, 10);
}

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

}  // namespace kestrel::bench
