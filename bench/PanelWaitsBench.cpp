// The panel while its service is silent or slow: whether its window answers,
// and what it reports.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "PanelSession.h"
#include "PanelTexts.h"
#include "resource.h"

namespace kestrel::bench {
namespace {

// Where the list's focus mark is after the first keys of the grid: seven
// rows down, seven up, and again.
int FocusAfter(size_t keys) {
    const size_t phase = keys % 14;
    return static_cast<int>(phase <= 7 ? phase : 14 - phase);
}

}  // namespace

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

}  // namespace kestrel::bench
