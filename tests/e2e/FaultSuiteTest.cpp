// The built panel against the simulator through faults of the service and of
// the link, one at a time. After each: the panel still runs and answered
// window messages within the transport's time-outs, the list matches the
// service once the fault has ended, with no port twice and no button left
// over, and what the user applied was either taken by the service or read
// back from it and reported in one message box.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "DialogDriver.h"
#include "Eventually.h"
#include "ExpectedTexts.h"
#include "PanelProcess.h"
#include "ServiceProtocol.h"
#include "TrayProbe.h"
#include "resource.h"

namespace kestrel::e2e {
namespace {

constexpr DWORD kStartMs = 15000;
constexpr DWORD kSettleMs = 15000;
// A tick whose link fails fast blocks for a connect attempt at most; the
// bound leaves room for a loaded machine.
constexpr DWORD kQuickAnswerMs = 3000;

using test::SetText;
namespace texts = test::texts;
using Labels = std::vector<std::wstring>;
// Sorted as the list sorts its port column: by code unit.
const Labels kSeedLabels{L"COM10", L"COM3", L"COM4"};

class FaultSuite : public ::testing::Test {
protected:
    void TearDown() override {
        if (!panel) return;
        EXPECT_EQ(panel->Wait(0), STILL_ACTIVE) << "the panel kept running";
        ExpectSoundList();
        ChildProcess stopper;
        ASSERT_TRUE(stopper.Start(kPanelProgram, L"-exitall"));
        EXPECT_EQ(stopper.Wait(kStartMs), 0u);
        EXPECT_EQ(panel->Wait(kStartMs), 2u);
    }

    void StartService(Simulator& sim) {
        ASSERT_TRUE(sim.Start());
        ASSERT_TRUE(sim.Execute("defaults host=defaults.example dmsport=443 retry=3000 active=1"));
        ASSERT_TRUE(
            sim.Execute("port COM3 label=COM3 serial=SN-3 mode=0 status=0 default=0 "
                        "host=10.1.2.3 dmsport=4000 retry=30000 active=1"));
        ASSERT_TRUE(sim.Execute("port COM4 label=COM4 serial=SN-4 mode=2 status=1 default=1"));
        ASSERT_TRUE(sim.Execute("port COM10 label=COM10 serial=SN-10 mode=1 status=0"));
    }

    // Shown, so that the rows' buttons are placed over their rows.
    void StartPanel() {
        panel = std::make_unique<ChildProcess>();
        window = LaunchPanel(*panel, L"", kStartMs);
        ASSERT_NE(window, nullptr);
    }

    void StartBoth() {
        StartService(service);
        StartPanel();
        ASSERT_TRUE(Converges(kSeedLabels));
    }

    // Whether the title comes to read so; else what it read last.
    ::testing::AssertionResult TitleBecomes(const std::wstring& title) {
        std::wstring shown;
        if (test::Eventually([&] { return (shown = test::WindowText(window)) == title; }, kSettleMs,
                             50))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "the title read " << ::testing::PrintToString(shown);
    }

    // Whether the list comes to show these ports; else what it showed last.
    ::testing::AssertionResult Converges(const Labels& labels, DWORD timeoutMs = kSettleMs) {
        Labels shown;
        if (test::Eventually([&] { return (shown = ColumnTexts(window, 1)) == labels; }, timeoutMs,
                             50))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "the list shows " << ::testing::PrintToString(shown) << " in " << RowCount(window)
               << " rows; the panel's title reads "
               << ::testing::PrintToString(test::WindowText(window))
               << "; the service: " << service.State();
    }

    std::wstring Cell(const std::wstring& label, int column) {
        const Labels labels = ColumnTexts(window, 1);
        const auto row = std::find(labels.begin(), labels.end(), label);
        if (row == labels.end()) return L"(no row)";
        const Labels cells = ColumnTexts(window, column);
        const size_t index = static_cast<size_t>(row - labels.begin());
        return index < cells.size() ? cells[index] : L"(no cell)";
    }

    // The cell's text once it holds the text wanted, or its last text.
    std::wstring CellBecomes(const std::wstring& label, int column, const std::wstring& text) {
        std::wstring cell;
        test::Eventually([&] { return (cell = Cell(label, column)) == text; }, kSettleMs, 50);
        return cell;
    }

    // No port twice, and one button for each row not in Serial mode.
    void ExpectSoundList() {
        const Labels labels = ColumnTexts(window, 1);
        EXPECT_EQ(std::set<std::wstring>(labels.begin(), labels.end()).size(), labels.size());
        const Labels modes = ColumnTexts(window, 5);
        const auto serial = std::count(modes.begin(), modes.end(), L"Serial");
        EXPECT_EQ(EditButtonCount(window), static_cast<int>(modes.size() - serial));
    }

    void ExpectAnswering(DWORD durationMs, DWORD boundMs) {
        EXPECT_LE(LongestWaitForAnswer(window, durationMs), boundMs);
        EXPECT_EQ(panel->Wait(0), STILL_ACTIVE);
    }

    HWND OpenPortDialog(const std::wstring& label) {
        const Labels labels = ColumnTexts(window, 1);
        const auto row = std::find(labels.begin(), labels.end(), label);
        if (row == labels.end()) return nullptr;
        HWND button = EditButtonOfRow(window, static_cast<int>(row - labels.begin()));
        if (!button) return nullptr;
        ::PostMessageW(button, BM_CLICK, 0, 0);
        return WaitForDialog(panel->Id(), texts::ConnectionCaption(label), kStartMs);
    }

    HWND OpenPreferences() {
        ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_PREFERENCES, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(window, IDC_PREFERENCES)));
        return WaitForDialog(panel->Id(), texts::kPreferencesCaption, kStartMs);
    }

    // Presses Apply, says Yes to a question about cutting communication, and
    // returns the text of the one message box that reports the outcome, empty
    // when none came; the box is closed with OK.
    std::wstring ApplyAndReadOutcome(HWND dialog, DWORD requestsMs = kSettleMs) {
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        const bool closed = test::Eventually(
            [&] {
                if (!::IsWindow(dialog) || !::IsWindowVisible(dialog)) return true;
                for (HWND box : DialogsOf(panel->Id(), texts::kProductName)) {
                    if (::GetWindow(box, GW_OWNER) == dialog)
                        ::PostMessageW(box, WM_COMMAND, IDYES, 0);
                }
                return false;
            },
            kSettleMs);
        if (!closed) return L"(dialog stayed)";
        // Run once the requests are done and a message loop runs again, which
        // is the box's own when there is one: it exists by then.
        WaitForPostedMessages(window, requestsMs);
        const std::vector<HWND> boxes = DialogsOf(panel->Id(), texts::kProductName);
        if (boxes.empty()) return std::wstring();
        EXPECT_EQ(boxes.size(), 1u);
        wchar_t text[512] = {};
        ::GetDlgItemTextW(boxes.front(), 0xFFFF, text, 512);
        ::PostMessageW(boxes.front(), WM_COMMAND, IDOK, 0);
        test::Eventually(
            [&] { return !::IsWindow(boxes.front()) || !::IsWindowVisible(boxes.front()); },
            kSettleMs);
        WaitForPostedMessages(window, kSettleMs);
        EXPECT_TRUE(DialogsOf(panel->Id(), texts::kProductName).empty()) << "a second message";
        return text;
    }

    Simulator service;
    std::unique_ptr<ChildProcess> panel;
    HWND window = nullptr;
};

TEST_F(FaultSuite, ServiceAbsentAtStartThenComing) {
    StartPanel();
    ExpectAnswering(2000, kQuickAnswerMs);
    EXPECT_EQ(RowCount(window), 0);
    EXPECT_TRUE(DialogsOf(panel->Id(), texts::kProductName).empty()) << "no message box";
    StartService(service);
    EXPECT_TRUE(Converges(kSeedLabels));
}

TEST_F(FaultSuite, ServiceStoppedAndStartedAgain) {
    StartBoth();
    EXPECT_TRUE(TitleBecomes(texts::kProductName));
    ASSERT_TRUE(service.Quit());
    ExpectAnswering(2000, kQuickAnswerMs);
    EXPECT_TRUE(TitleBecomes(texts::kTitleServiceNotRunning));
    EXPECT_EQ(ColumnTexts(window, 1), kSeedLabels) << "the last known rows stay";

    Simulator again;
    StartService(again);
    ASSERT_TRUE(again.Execute("remove COM4"));
    ASSERT_TRUE(again.Execute("port COM5 label=COM5 mode=0 status=0"));
    EXPECT_TRUE(Converges({L"COM10", L"COM3", L"COM5"}));
    EXPECT_TRUE(TitleBecomes(texts::kProductName));
}

TEST_F(FaultSuite, ServiceKilledAndStartedAgain) {
    StartBoth();
    service.Kill();
    ExpectAnswering(2000, kQuickAnswerMs);

    Simulator again;
    StartService(again);
    ASSERT_TRUE(again.Execute("port COM3 label=Dock-3"));
    EXPECT_TRUE(Converges({L"COM10", L"COM4", L"Dock-3"}));
}

// A service that takes requests but answers none costs the panel one
// exchange. Then it is not responding: left alone for 30 s at a time and tried
// with a 2 s budget, and the window stays usable. Measured here over 40 s from
// 12 s after the service fell silent: 400 of 400 probes answered (x86_64 build).
TEST_F(FaultSuite, ServiceThatStopsAnsweringCostsOneExchange) {
    StartBoth();
    ASSERT_TRUE(service.Execute("fault delay 60000 on=GetPortCounters count=always"));
    ::Sleep(12000);
    const ProbeTally tally = ProbeAnswers(window, 40000);
    std::printf("a silent service: %d of %d probes answered\n", tally.answered, tally.sent);
    EXPECT_TRUE(tally.AtLeastNinetyPercent()) << tally.answered << " of " << tally.sent;
    EXPECT_TRUE(TitleBecomes(texts::kTitleServiceNotResponding));
    EXPECT_EQ(ColumnTexts(window, 1), kSeedLabels) << "the last known rows stay";
}

// The service answers the refresh but none of the Preferences' requests: one
// request goes into the silence, the window answers while it waits, one
// message says the service is not responding, and the title says so.
TEST_F(FaultSuite, PreferencesAppliedIntoSilence) {
    StartBoth();
    const char* silent[] = {"SetLogSettings", "GetLogSettings", "SetDefaultDmsConfig",
                            "GetDefaultDmsConfig"};
    for (const char* request : silent)
        ASSERT_TRUE(service.Execute(std::string("fault silence on=") + request + " count=always"));
    const auto silentRequests = [&] {
        const std::string counts = service.Counts();
        uint64_t sum = 0;
        for (const char* request : silent) {
            const size_t at = counts.find(std::string(" ") + request + "=");
            if (at != std::string::npos)
                sum += std::strtoull(counts.c_str() + at + std::strlen(request) + 2, nullptr, 10);
        }
        return sum;
    };
    const uint64_t before = silentRequests();
    HWND dialog = OpenPreferences();
    ASSERT_NE(dialog, nullptr);
    SetText(dialog, IDC_DMS_RETRY, L"45");
    ProbeTally tally;
    std::thread probes([&] {
        test::Eventually([&] { return silentRequests() > before; }, kSettleMs);
        tally = ProbeAnswers(window, 8000);
    });
    EXPECT_EQ(ApplyAndReadOutcome(dialog, 2 * kExchangeBudgetMs), texts::kServiceNotResponding);
    probes.join();
    std::printf("applied into silence: %d of %d probes answered during the wait\n", tally.answered,
                tally.sent);
    EXPECT_TRUE(tally.AtLeastNinetyPercent()) << tally.answered << " of " << tally.sent;
    EXPECT_EQ(silentRequests() - before, 1u) << "one request into the silence";
    EXPECT_TRUE(TitleBecomes(texts::kTitleServiceNotResponding));
}

// Every answer 150 ms late: the window keeps answering, and the list still
// follows the service, only less often; the title says nothing of it.
TEST_F(FaultSuite, SlowServiceIsPolledLessOftenAndTheWindowKeepsAnswering) {
    StartService(service);
    for (const char* port : {"COM20", "COM21", "COM22", "COM23", "COM24"})
        ASSERT_TRUE(
            service.Execute(std::string("port ") + port + " label=" + port + " mode=0 status=0"));
    StartPanel();
    const Labels eight{L"COM10", L"COM20", L"COM21", L"COM22",
                       L"COM23", L"COM24", L"COM3",  L"COM4"};
    ASSERT_TRUE(Converges(eight));
    ASSERT_TRUE(service.Execute("fault delay 150 count=always"));
    const ProbeTally tally = ProbeAnswers(window, 8000);
    std::printf("a slow service: %d of %d probes answered\n", tally.answered, tally.sent);
    EXPECT_TRUE(tally.AtLeastNinetyPercent()) << tally.answered << " of " << tally.sent;
    ASSERT_TRUE(service.Execute("port COM4 label=Dock-4"));
    Labels moved = eight;
    moved.back() = L"Dock-4";
    EXPECT_TRUE(Converges(moved));
    EXPECT_EQ(test::WindowText(window), texts::kProductName);
}

// The end of the session while a request waits ends the process there and
// then, the tray icon removed, not once the request is done.
TEST_F(FaultSuite, EndSessionWhileARequestWaitsEndsTheProcessAtOnce) {
    StartBoth();
    ASSERT_TRUE(service.Execute("fault delay 8000 on=GetPortCounters"));
    ::Sleep(1500);  // a tick's counter poll waits by now
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_NORMAL, 3000,
                          &ignored);
    EXPECT_EQ(panel->Wait(3000), 2u);
    EXPECT_FALSE(test::IconShown(window));
    panel.reset();
}

// A service that claims more ports than any list holds, or names its ports
// twice, or makes some up: the rows it had stay, no made-up port appears, and
// the window stays usable.
TEST_F(FaultSuite, ServiceThatLiesAboutItsPortList) {
    StartBoth();
    const std::vector<std::vector<std::string>> lies{
        {"fault claim 4294967295 count=always", "fault names repeat count=always"},
        {"fault claim 4294967295 count=always", "fault names invent count=always"},
        {"fault claim 12 count=always", "fault names repeat count=always"},
        {"fault claim 12 count=always", "fault names invent count=always"}};
    for (const auto& lie : lies) {
        for (const std::string& command : lie) ASSERT_TRUE(service.Execute(command));
        const ProbeTally tally = ProbeAnswers(window, 5000);
        EXPECT_TRUE(tally.AtLeastNinetyPercent())
            << lie[0] << ", " << lie[1] << ": " << tally.answered << " of " << tally.sent;
        EXPECT_EQ(ColumnTexts(window, 1), kSeedLabels) << lie[0] << ", " << lie[1];
        ASSERT_TRUE(service.Execute("clear-faults"));
    }
    ASSERT_TRUE(service.Execute("port COM5 label=COM5 mode=0 status=0"));
    EXPECT_TRUE(Converges({L"COM10", L"COM3", L"COM4", L"COM5"}));
}

// The service dies while a pass waits for a port's counters and does not come
// back: the rows stay as they were, the ports after that one included.
TEST_F(FaultSuite, ServiceGoneForGoodInTheMiddleOfAPass) {
    StartBoth();
    // From the second poll on, every counter poll takes two seconds: a pass is
    // almost always waiting for one.
    ASSERT_TRUE(service.Execute("fault delay 2000 on=GetPortCounters after=1 count=always"));
    ::Sleep(1000);
    service.Kill();
    ExpectAnswering(3000, kQuickAnswerMs);
    EXPECT_EQ(ColumnTexts(window, 1), kSeedLabels);
}

TEST_F(FaultSuite, ConnectionDroppedInTheMiddleOfAnExchange) {
    StartBoth();
    for (const char* fault :
         {"fault drop on=GetPortCounters count=1", "fault crash on=GetPortCounters count=1"}) {
        ASSERT_TRUE(service.Execute(fault));
        ExpectAnswering(1500, kQuickAnswerMs);
    }
    ASSERT_TRUE(service.Execute("port COM4 label=Dock-4"));
    EXPECT_TRUE(Converges({L"COM10", L"COM3", L"Dock-4"}));

    // Dropped while applying, after the service took the change and before
    // its answer: the panel cannot know, says so once, and shows what the
    // service holds as soon as the link is up again.
    ASSERT_TRUE(service.Execute("fault drop on=SetPortDmsConfig count=1"));
    HWND dialog = OpenPortDialog(L"COM3");
    ASSERT_NE(dialog, nullptr);
    SetText(dialog, IDC_DMS_HOST, L"taken.example");
    EXPECT_EQ(ApplyAndReadOutcome(dialog), texts::kServiceNotRunning);
    EXPECT_EQ(CellBecomes(L"COM3", 7, L"taken.example:4000"), L"taken.example:4000");
    const std::string state = service.State();
    EXPECT_NE(state.find("host=taken.example "), std::string::npos) << state;
}

// Another program holds the service's pipe while the service is away: the
// panel sends it nothing and says so, and talks to the service once it is back.
TEST_F(FaultSuite, PipeHeldByAnUnknownProgram) {
    StartBoth();
    ASSERT_TRUE(service.Quit());
    Simulator impostor;
    ASSERT_TRUE(impostor.Start(L"--owner S-1-5-21-1-2-3-4242"));
    ASSERT_TRUE(impostor.Execute("port COM9 label=COM9 mode=0 status=0"));
    EXPECT_TRUE(TitleBecomes(texts::kTitlePipeNotTrusted));
    ExpectAnswering(1500, kQuickAnswerMs);
    EXPECT_NE(impostor.Counts().find("total=0 "), std::string::npos) << impostor.Counts();
    EXPECT_EQ(ColumnTexts(window, 1), kSeedLabels);
    ASSERT_TRUE(impostor.Quit());

    Simulator again;
    StartService(again);
    EXPECT_TRUE(TitleBecomes(texts::kProductName));
    EXPECT_TRUE(Converges(kSeedLabels));
}

// A network path as the log folder: Preferences shows it as the service
// reported it, and the folder browser opens at its default place, with nothing
// selected, instead of at that path.
TEST_F(FaultSuite, NetworkLogFolderIsShownButNotBrowsedTo) {
    StartBoth();
    const std::wstring folder = L"\\\\127.0.0.1@8080\\logs";
    ASSERT_TRUE(service.Execute("log folder=\\\\127.0.0.1@8080\\logs level=1"));
    // The folder is read on each new connection; the label shows when one has been made.
    ASSERT_TRUE(service.Execute("drop-all"));
    ASSERT_TRUE(service.Execute("port COM4 label=Dock-4"));
    EXPECT_TRUE(Converges({L"COM10", L"COM3", L"Dock-4"}));
    HWND dialog = OpenPreferences();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(test::Text(dialog, IDC_LOG_FOLDER), folder);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED), 0);
    HWND browser = WaitForDialog(panel->Id(), L"Browse for Folder", kStartMs);
    ASSERT_NE(browser, nullptr);
    HWND tree = ::FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0), 0) << "an item was selected";
    ::PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(test::Eventually([&] { return !::IsWindow(browser); }, kSettleMs));
    EXPECT_EQ(test::Text(dialog, IDC_LOG_FOLDER), folder);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(test::Eventually([&] { return !::IsWindow(dialog); }, kSettleMs));
}

TEST_F(FaultSuite, WrongProtocolVersion) {
    StartBoth();
    ASSERT_TRUE(service.Execute("fault version 2.13.0 count=always"));
    ASSERT_TRUE(service.Execute("drop-all"));
    ASSERT_TRUE(service.Execute("port COM5 label=COM5 mode=0 status=0"));
    ExpectAnswering(2000, kQuickAnswerMs);
    EXPECT_EQ(ColumnTexts(window, 1), kSeedLabels)
        << "nothing is read from a service of another version";
    EXPECT_TRUE(TitleBecomes(texts::TitleVersionNotSupported(L"2.13.0")));
    EXPECT_TRUE(DialogsOf(panel->Id(), texts::kProductName).empty());
    ASSERT_TRUE(service.Execute("clear-faults"));
    EXPECT_TRUE(Converges({L"COM10", L"COM3", L"COM4", L"COM5"}));
    EXPECT_TRUE(TitleBecomes(texts::kProductName));
}

TEST_F(FaultSuite, WrongLengthStaleAndFutureResponses) {
    StartBoth();
    const char* faults[] = {"fault length 500 on=GetPortCounters count=2",
                            "fault length 600 on=GetPortListInfo count=1",
                            "fault stale 2 on=GetPortCounters count=1",
                            "fault future 1 on=GetPortListInfo count=1"};
    int round = 0;
    for (const char* fault : faults) {
        ASSERT_TRUE(service.Execute(fault));
        const std::string label = "Dock-" + std::to_string(++round);
        ASSERT_TRUE(service.Execute("port COM4 label=" + label));
        ExpectAnswering(1000, kQuickAnswerMs);
        EXPECT_TRUE(Converges({L"COM10", L"COM3", std::wstring(label.begin(), label.end())}))
            << fault;
    }
}

TEST_F(FaultSuite, RefusalOfEachWritingRequestIsReadBackAndReported) {
    StartBoth();
    ASSERT_TRUE(service.Execute("fault refuse 87 on=SetPortDmsConfig count=1"));
    HWND dialog = OpenPortDialog(L"COM3");
    ASSERT_NE(dialog, nullptr);
    SetText(dialog, IDC_DMS_HOST, L"refused.example");
    EXPECT_EQ(ApplyAndReadOutcome(dialog), texts::kNotAccepted);
    EXPECT_EQ(Cell(L"COM3", 7), L"10.1.2.3:4000");

    ASSERT_TRUE(service.Execute("fault refuse 87 on=UseDefaultDmsConfig count=1"));
    dialog = OpenPortDialog(L"COM3");
    ASSERT_NE(dialog, nullptr);
    ::SendDlgItemMessageW(dialog, IDC_USE_DEFAULT, BM_CLICK, 0, 0);
    EXPECT_EQ(ApplyAndReadOutcome(dialog), texts::kNotAccepted);
    EXPECT_EQ(Cell(L"COM3", 7), L"10.1.2.3:4000");

    ASSERT_TRUE(service.Execute("fault refuse 87 on=SetLogSettings count=1"));
    ASSERT_TRUE(service.Execute("fault refuse 87 on=SetDefaultDmsConfig count=1"));
    dialog = OpenPreferences();
    ASSERT_NE(dialog, nullptr);
    SetText(dialog, IDC_DMS_PORT, L"4444");
    EXPECT_EQ(ApplyAndReadOutcome(dialog), texts::kNotAccepted) << "one message for two refusals";
    EXPECT_EQ(Cell(L"COM4", 7), L"defaults.example:443") << "follows the defaults read back";

    const std::string state = service.State();
    EXPECT_NE(state.find("defaults host=defaults.example dmsport=443 "), std::string::npos);
    EXPECT_NE(
        state.find("port COM3 label=COM3 serial=SN-3 mode=0 status=0 default=0 host=10.1.2.3 "),
        std::string::npos);
}

TEST_F(FaultSuite, PortsAppearingAndVanishingOnEveryTick) {
    StartBoth();
    DWORD longest = 0;
    for (int round = 1; round <= 24; ++round) {
        const std::string name = "CH" + std::to_string(round);
        std::string commands = "port " + name + " label=" + name + " mode=0 status=0\n";
        if (round > 1) commands += "remove CH" + std::to_string(round - 1) + "\n";
        if (round % 3 == 0) commands += "remove COM10\n";
        if (round % 3 == 1) commands += "port COM10 label=COM10 mode=1 status=0\n";
        commands.pop_back();
        ASSERT_TRUE(service.Execute(commands));
        longest = std::max(longest, LongestWaitForAnswer(window, 250));
    }
    EXPECT_LE(longest, kQuickAnswerMs);
    EXPECT_TRUE(Converges({L"CH24", L"COM3", L"COM4"}));
}

TEST_F(FaultSuite, DeviceGoesAwayWhileItsDialogIsOpen) {
    StartBoth();
    // The device leaves but the port stays: the change is taken, and the
    // next tick removes the row.
    HWND dialog = OpenPortDialog(L"COM3");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(service.Execute("port COM3 status=3"));
    ::Sleep(1500);
    EXPECT_EQ(ColumnTexts(window, 1), kSeedLabels) << "no refresh while the dialog is open";
    SetText(dialog, IDC_DMS_HOST, L"taken.example");
    EXPECT_EQ(ApplyAndReadOutcome(dialog), L"");
    EXPECT_TRUE(Converges({L"COM10", L"COM4"}));
    EXPECT_NE(service.State().find("host=taken.example "), std::string::npos);

    // The port itself goes: its row goes at once and the message names it.
    dialog = OpenPortDialog(L"COM4");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(service.Execute("remove COM4"));
    ::SendDlgItemMessageW(dialog, IDC_USE_SPECIFIC, BM_CLICK, 0, 0);
    SetText(dialog, IDC_DMS_HOST, L"gone.example");
    SetText(dialog, IDC_DMS_PORT, L"4100");
    EXPECT_EQ(ApplyAndReadOutcome(dialog), texts::PortGone(L"COM4"));
    EXPECT_EQ(ColumnTexts(window, 1), Labels{L"COM10"});
}

}  // namespace
}  // namespace kestrel::e2e
