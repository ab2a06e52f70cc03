// The panel through a service that lies, a link that breaks, a pipe held by
// another program, answers of another version or length, and refusals.
#include "FaultSuiteFixture.h"

namespace kestrel::e2e {

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
    // its answer: the change, which sets a value and so may go twice, is
    // sent once more over a new link and taken without a word.
    ASSERT_TRUE(service.Execute("fault drop on=SetPortDmsConfig count=1"));
    HWND dialog = OpenPortDialog(L"COM3");
    ASSERT_NE(dialog, nullptr);
    SetText(dialog, IDC_DMS_HOST, L"taken.example");
    EXPECT_EQ(ApplyAndReadOutcome(dialog), L"");
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

}  // namespace kestrel::e2e
