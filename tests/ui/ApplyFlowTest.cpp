// A port's change end to end: what it sends, how a refusal or a port gone is
// told; and how the editing flows start and what holds them off.
#include "ApplyFlowFixture.h"

namespace kestrel::test {

TEST_F(ApplyFlowTest, PortSetToDefaultsSendsOnlyUseDefault) {
    EditPort(L"COM3", L"Dock-3", [](HWND dialog) {
        Click(dialog, IDC_USE_DEFAULT);
        Apply(dialog);
    });
    ASSERT_TRUE(opened);
    EXPECT_EQ(Requests(kUseDefaultDmsConfig), 1u);
    EXPECT_EQ(Requests(kSetPortDmsConfig), 0u) << "the defaults' values are never sent for a port";
    EXPECT_TRUE(SimPort(L"COM3").useDefault);
    EXPECT_TRUE(Record(L"COM3").useDefault);
    EXPECT_EQ(ConnectionShown(L"COM3"), L"defaults.example:443");
    EXPECT_EQ(test::seen.text, L"") << "success shows nothing";
    EXPECT_FALSE(dlg->Service().IsEditing());
}

TEST_F(ApplyFlowTest, SpecificParametersReachTheServiceAndTheRow) {
    EditPort(L"COM4", L"Dock-4", [](HWND dialog) {
        Click(dialog, IDC_USE_SPECIFIC);
        SetText(dialog, IDC_DMS_HOST, L"lab.example");
        SetText(dialog, IDC_DMS_PORT, L"4100");
        SetText(dialog, IDC_DMS_RETRY, L"15");
        Click(dialog, IDC_USE_SSL);
        ::CheckDlgButton(dialog, IDC_COM_ACTIVE, BST_CHECKED);
        Apply(dialog);
    });
    const sim::SimPort port = SimPort(L"COM4");
    EXPECT_FALSE(port.useDefault);
    EXPECT_EQ(port.own.host, "lab.example");
    EXPECT_EQ(port.own.port, "4100");
    EXPECT_EQ(port.own.retryMs, 15000u);
    EXPECT_TRUE(port.own.useSsl);
    EXPECT_TRUE(port.own.comPortActive);
    EXPECT_EQ(Requests(kUseDefaultDmsConfig), 0u);
    EXPECT_EQ(ConnectionShown(L"COM4"), L"lab.example:4100");
    EXPECT_EQ(test::seen.text, L"");

    // The next pass finds the service's update counter moved and reads the
    // port back: the row stays as applied.
    ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_EQ(ConnectionShown(L"COM4"), L"lab.example:4100");
}

TEST_F(ApplyFlowTest, RefusalReReadsThePortAndSaysSo) {
    ASSERT_TRUE(server->Execute("fault refuse 87 on=SetPortDmsConfig count=1"));
    const uint64_t deviceReads = Requests(kGetPortDevice);
    const uint64_t dmsReads = Requests(kGetPortDmsConfig);
    EditPort(L"COM3", L"Dock-3", [](HWND dialog) {
        SetText(dialog, IDC_DMS_HOST, L"refused.example");
        Apply(dialog);
    });
    EXPECT_EQ(test::seen.text, texts::kNotAccepted);
    EXPECT_FALSE(test::seen.hasYes);
    EXPECT_EQ(Requests(kGetPortDevice), deviceReads + 1);
    EXPECT_EQ(Requests(kGetPortDmsConfig), dmsReads + 1);
    EXPECT_STREQ(Record(L"COM3").dms.host, "own.example") << "the service's value is back";
    EXPECT_EQ(ConnectionShown(L"COM3"), L"own.example:80");
    EXPECT_FALSE(dlg->Service().IsEditing());
}

// A refusal whose status looks like one of the link's own codes is a refusal:
// the port is read back, the change is "not accepted", and neither the title
// nor the link take the service for silent or gone. The same status on a
// refresh leaves the title as it is.
TEST_F(ApplyFlowTest, RefusalWithTheLinksOwnCodesIsNotAccepted) {
    for (const char* status : {"1460", "0xEEEE0001", "0xEEEE0009"}) {
        ASSERT_TRUE(
            server->Execute(std::string("fault refuse ") + status + " on=SetPortDmsConfig"));
        const uint64_t deviceReads = Requests(kGetPortDevice);
        ApplyCom3Port(L"81");
        EXPECT_EQ(test::seen.text, texts::kNotAccepted) << status;
        EXPECT_EQ(Requests(kGetPortDevice), deviceReads + 1) << status << ": read back";
        EXPECT_EQ(ConnectionShown(L"COM3"), L"own.example:80") << status;
        EXPECT_EQ(test::WindowText(window), texts::kProductName) << status;
    }
    ASSERT_TRUE(server->Execute("fault refuse 1460 on=GetPortCounters"));
    ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_EQ(test::WindowText(window), texts::kProductName);
    EXPECT_TRUE(dlg->Service().IsConnected());
}

// A malformed answer closed the link: the change opens a new one.
TEST_F(ApplyFlowTest, PortChangeAfterAMalformedAnswerGoesOverANewLink) {
    ASSERT_TRUE(server->Execute("fault claim 5000 on=GetPortListInfo"));
    ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0);
    ASSERT_FALSE(dlg->Service().IsConnected());
    ApplyCom3Port(L"81");
    ExpectCom3Port81Taken();
}

TEST_F(ApplyFlowTest, PortGoneOnTheRequestLeavesListAndTableAndNamesItsLabel) {
    EditRemovedPort();
    EXPECT_EQ(ConnectionShown(L"COM3"), L"-");
    EXPECT_EQ(dlg->PortList().ButtonIds().Count(), 1u) << "the row's button id is free again";
}

// The request is refused for another reason and the re-read finds the port
// gone: reported and removed as if the request had said so.
TEST_F(ApplyFlowTest, PortGoneOnTheReReadIsReportedAsGone) {
    ASSERT_TRUE(server->Execute("fault refuse 87 on=SetPortDmsConfig count=1"));
    EditRemovedPort();
}

// A failed re-read leaves the failure values, which take the row away; the
// next refresh pass reads the port in full and brings it back.
TEST_F(ApplyFlowTest, FailedReReadRemovesTheRowUntilTheNextPass) {
    ASSERT_TRUE(server->Execute("fault refuse 87 on=SetPortDmsConfig count=1"));
    ASSERT_TRUE(server->Execute("fault refuse 31 on=GetPortDevice count=1"));
    ApplyCom3Port(L"81");
    EXPECT_EQ(test::seen.text, texts::kNotAccepted);
    ASSERT_TRUE(HasRecord(L"COM3"));
    EXPECT_EQ(Record(L"COM3").status, kStatusNoDevice);
    EXPECT_EQ(Record(L"COM3").portLabel, L"") << "the failure values";
    EXPECT_EQ(ConnectionShown(L"COM3"), L"-");

    ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_EQ(ConnectionShown(L"COM3"), L"own.example:80");
    EXPECT_EQ(Record(L"COM3").portLabel, L"Dock-3");
}

TEST_F(ApplyFlowTest, ServiceStoppedShowsTheUnreachableTextOnce) {
    EditPort(L"COM3", L"Dock-3", [this](HWND dialog) {
        server->Stop();
        SetText(dialog, IDC_DMS_PORT, L"81");
        Apply(dialog);
    });
    EXPECT_EQ(test::seen.text, texts::kServiceNotRunning);
    ASSERT_TRUE(HasRecord(L"COM3"));
    EXPECT_EQ(ConnectionShown(L"COM3"), L"own.example:81")
        << "nothing is read back over a lost link: the record keeps what the dialog stored";
    EXPECT_FALSE(dlg->Service().IsEditing());

    // Back again: the refresh reconnects and reads the port in full.
    StartService();
    ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_EQ(ConnectionShown(L"COM3"), L"own.example:80");
}

TEST_F(ApplyFlowTest, CancelSendsNothingAndShowsNothing) {
    const uint64_t before = server->TotalRequests();
    EditPort(L"COM3", L"Dock-3", [](HWND dialog) {
        SetText(dialog, IDC_DMS_HOST, L"typed.example");
        Cancel(dialog);
    });
    EditPreferences([](HWND dialog) {
        SetText(dialog, IDC_DMS_HOST, L"typed.example");
        Cancel(dialog);
    });
    EXPECT_EQ(server->TotalRequests(), before);
    EXPECT_EQ(test::seen.text, L"");
    EXPECT_STREQ(Record(L"COM3").dms.host, "own.example");
    EXPECT_STREQ(dlg->Service().DefaultDms().host, "defaults.example");
    EXPECT_FALSE(dlg->Service().IsEditing());
}

// Keys reach the list through the main window's keyboard handling, as in the
// program's loop: Enter opens the focused port's dialog wherever sorting has
// moved its row; when the dialog closes, the keyboard focus is back on the
// list and its mark on that port's row, although the rows were sorted again
// meanwhile or a button had the focus.
TEST_F(ApplyFlowTest, EnterOnTheFocusedRowEditsItsPort) {
    ::ShowWindow(window, SW_SHOW);
    ::SetForegroundWindow(window);
    DevListCtrl& ports = dlg->PortList();
    ::SetFocus(ports.Handle());
    const auto press = [&](WPARAM key) {
        ::PostMessageW(ports.Handle(), WM_KEYDOWN, key, 0);
        test::PumpMessages(&loop);
    };
    press(VK_DOWN);
    ports.SortItems(kColumnPortLabel, kSortDescending);
    ASSERT_EQ(ports.FocusedItem(), 0) << "Dock-4 first";
    Edit(
        texts::ConnectionCaption(L"Dock-4"),
        [&](HWND dialog) {
            ports.SortItems(kColumnPortLabel, kSortAscending);
            Cancel(dialog);
        },
        [&] { press(VK_RETURN); });
    EXPECT_TRUE(opened);
    EXPECT_EQ(::GetFocus(), ports.Handle());
    EXPECT_EQ(ports.FocusedItem(), 1);

    // A click on another row's button takes the focus; it comes back to the
    // list, on the row of the port edited.
    press(VK_HOME);
    EditPort(L"COM4", L"Dock-4", Cancel);
    EXPECT_EQ(::GetFocus(), ports.Handle());
    EXPECT_EQ(ports.FocusedItem(), 1);
}

// "&Edit..." in the context menu edits the port the menu was opened on,
// although a refresh added a row before it and sorted it down meanwhile.
TEST_F(ApplyFlowTest, ContextMenuEditsItsPortAfterARefreshMovedItsRow) {
    DevListCtrl& ports = dlg->PortList();
    ASSERT_TRUE(ports.FocusPort(L"COM4"));
    test::DriveMenu(
        [&](HWND menuWindow) {
            ASSERT_TRUE(server->Execute("port COM1 label=Dock-1 mode=0 status=0"));
            ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0);
            ASSERT_EQ(RowCount(window), 3);
            ::PostMessageW(menuWindow, WM_KEYDOWN, 'E', 0);
        },
        [&] {
            ::SendMessageW(ports.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(ports.Handle()),
                           -1);
        });
    MSG edit{};
    ASSERT_TRUE(::PeekMessageW(&edit, window, WM_EDITPORT, WM_EDITPORT, PM_REMOVE));
    EXPECT_EQ(ports.GetPortOfButton(static_cast<int>(edit.wParam)), L"COM4");
}

TEST_F(ApplyFlowTest, ButtonWithoutRowShowsNothingAndRefreshGoesOn) {
    ::SendMessageW(window, WM_EDITPORT, kLastButtonId, 0);
    ::SendMessageW(window, WM_EDITPORT, 0, 0);
    EXPECT_FALSE(dlg->Service().IsEditing());
    EXPECT_EQ(::GetWindow(window, GW_ENABLEDPOPUP), nullptr);

    ASSERT_TRUE(server->Execute("port COM5 label=Dock-5 mode=0 status=0"));
    ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_EQ(RowCount(window), 3);
}

// While a dialog is open, refresh ticks and a second flow leave the records
// the dialog points to alone; once it closes the refresh catches up.
TEST_F(ApplyFlowTest, OpenDialogHoldsOffRefreshAndOtherFlows) {
    uint64_t duringDialog = 0;
    int dialogsOpen = 0;
    EditPort(L"COM3", L"Dock-3", [&](HWND dialog) {
        ASSERT_TRUE(server->Execute("port COM5 label=Dock-5 mode=0 status=0"));
        const uint64_t before = server->TotalRequests();
        ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0);
        ::SendMessageW(window, WM_EDITPORT, ::GetDlgCtrlID(EditButtonOf(L"COM4")), 0);
        ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_PREFERENCES, BN_CLICKED), 0);
        duringDialog = server->TotalRequests() - before;
        ::EnumThreadWindows(::GetCurrentThreadId(), CountEditingDialogs,
                            reinterpret_cast<LPARAM>(&dialogsOpen));
        Cancel(dialog);
    });
    EXPECT_EQ(duringDialog, 0u);
    EXPECT_EQ(RowCount(window), 2);
    EXPECT_EQ(dialogsOpen, 1) << "no second dialog";

    ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_EQ(RowCount(window), 3);
}

TEST_F(ApplyFlowTest, FlowsDoNothingWhileARefreshRuns) {
    {
        ServiceMirror::RefreshingScope refreshing(dlg->Service());
        EditPort(L"COM3", L"Dock-3", Cancel);
        EditPreferences(Cancel);
    }
    test::StopDriving();
    EXPECT_FALSE(opened);
    EXPECT_FALSE(dlg->Service().IsEditing());
}

}  // namespace kestrel::test
