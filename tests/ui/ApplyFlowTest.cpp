// The two editing flows of the main window end to end: a row's "Edit..." button
// or "Preferences..." is clicked, the real dialog is driven as a user would,
// what it stored goes over the real pipe to the in-process simulator, and the
// one message box that reports the outcome is read and answered.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <functional>
#include <string>

#include "DialogDriver.h"
#include "ExpectedTexts.h"
#include "MainWindowFixture.h"
#include "MessageBoxAnswer.h"
#include "PortRowTexts.h"
#include "ServiceProtocol.h"
#include "resource.h"

namespace kestrel {
namespace {

using test::Apply;
using test::Cancel;
using test::Click;
using test::RowCount;
using test::SetText;
namespace texts = test::texts;

struct ButtonSearch {
    const DevListCtrl* list;
    std::wstring name;
    HWND found = nullptr;
};

BOOL CALLBACK FindButtonOfPort(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<ButtonSearch*>(param);
    if (search->list->GetPortOfButton(::GetDlgCtrlID(child)) != search->name) return TRUE;
    search->found = child;
    return FALSE;
}

BOOL CALLBACK CountEditingDialogs(HWND window, LPARAM count) {
    wchar_t caption[64] = {};
    ::GetWindowTextW(window, caption, 64);
    for (const std::wstring& dialog :
         {texts::ConnectionCaption(L"Dock-3"), texts::ConnectionCaption(L"Dock-4"),
          std::wstring(texts::kPreferencesCaption)})
        if (caption == dialog) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

class ApplyFlowTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_TRUE(
            server->Execute("defaults host=defaults.example dmsport=443 retry=3000 active=0"));
        ASSERT_TRUE(server->Execute("log folder=C:\\Logs level=1"));
        ASSERT_TRUE(server->Execute(
            "port COM3 label=Dock-3 serial=SN-3 mode=0 status=0 default=0 host=own.example "
            "dmsport=80 retry=30000 active=0"));
        ASSERT_TRUE(
            server->Execute("port COM4 label=Dock-4 serial=SN-4 mode=0 status=0 default=1"));
        StartBoth();
        ASSERT_EQ(RowCount(window), 2);
        // Refresh passes run only when a test sends a tick: the message boxes'
        // and dialogs' loops would otherwise run them at moments of their own.
        ::KillTimer(window, kRefreshTimerId);
    }

    void TearDown() override {
        ::KillTimer(window, test::kAnswerTimerId);
        MainWindowTest::TearDown();
    }

    HWND EditButtonOf(const std::wstring& name) {
        ButtonSearch search{&dlg->PortList(), name};
        ::EnumChildWindows(::GetDlgItem(window, IDC_PORT_LIST), FindButtonOfPort,
                           reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // Runs open, then the script in the dialog of that caption; the outcome's
    // message box, if one comes, is answered with OK and recorded in test::seen.
    template <typename Open>
    void Edit(const std::wstring& caption, std::function<void(HWND)> script, Open open) {
        test::AnswerNextBox(window, IDOK);
        opened = false;
        const auto noteOpened = [this, script](HWND dialog) {
            opened = true;
            script(dialog);
        };
        test::DriveDialog(caption, noteOpened, [&] {
            open();
            return INT_PTR{0};
        });
    }

    // The port's "Edit..." button opens its dialog, captioned with its label.
    void EditPort(const std::wstring& name, const std::wstring& label,
                  std::function<void(HWND)> script) {
        const HWND button = EditButtonOf(name);
        ASSERT_NE(button, nullptr) << "no Edit button for the port";
        Edit(texts::ConnectionCaption(label), std::move(script), [&] {
            ::SendMessageW(button, BM_CLICK, 0, 0);
            test::PumpMessages();
        });
    }

    void EditPreferences(std::function<void(HWND)> script) {
        Edit(texts::kPreferencesCaption, std::move(script), [&] { ClickPreferences(BN_CLICKED); });
    }

    void ClickPreferences(WORD code) {
        ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_PREFERENCES, code),
                       reinterpret_cast<LPARAM>(::GetDlgItem(window, IDC_PREFERENCES)));
    }

    // The service drops COM3 while its dialog is open; Apply finds it gone.
    void EditRemovedPort() {
        EditPort(L"COM3", L"Dock-3", [this](HWND dialog) {
            ASSERT_TRUE(server->Execute("remove COM3"));
            SetText(dialog, IDC_DMS_PORT, L"81");
            Apply(dialog);
        });
        EXPECT_EQ(test::seen.text, texts::PortGone(L"Dock-3"));
        EXPECT_FALSE(HasRecord(L"COM3"));
        EXPECT_EQ(RowCount(window), 1);
    }

    const PortRecord& Record(const wchar_t* name) { return dlg->Service().Ports().at(name); }
    bool HasRecord(const wchar_t* name) { return dlg->Service().Ports().count(name) != 0; }
    sim::SimPort SimPort(const wchar_t* name) { return *server->Snapshot().FindPort(name); }
    uint64_t Requests(uint32_t code) { return server->RequestCount(code); }

    // The DMS address of a port's row as the row holds it ("Not configured"
    // is shown instead while the COM port is inactive), or "-" without a row.
    std::wstring ConnectionShown(const std::wstring& name) {
        for (int row = 0; row < RowCount(window); ++row) {
            const PortRowInfo* data = dlg->PortList().RowInfo(row);
            if (data && data->name == name) return data->connection;
        }
        return L"-";
    }

    bool opened = false;
};

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
    EditPort(L"COM3", L"Dock-3", [](HWND dialog) {
        SetText(dialog, IDC_DMS_PORT, L"81");
        Apply(dialog);
    });
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

// While the refresh leaves a silent service alone, a change is still sent,
// with the full budget, and reported as ever.
TEST_F(ApplyFlowTest, ChangeAppliedWhileTheServiceIsNotRespondingIsSent) {
    dlg->Service().Client().SetExchangeBudget(1500);
    dlg->Service().SetStallTiming(60000, 100);
    ASSERT_TRUE(server->Execute("fault delay 3000 on=GetPortCounters count=1"));
    ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0);
    ASSERT_EQ(dlg->Service().Link().kind, LinkState::Kind::NotResponding);

    // Far beyond the attempt's budget, well within the full one.
    ASSERT_TRUE(server->Execute("fault delay 600 on=SetPortDmsConfig count=1"));
    EditPort(L"COM3", L"Dock-3", [](HWND dialog) {
        SetText(dialog, IDC_DMS_PORT, L"81");
        Apply(dialog);
    });
    EXPECT_EQ(test::seen.text, L"");
    EXPECT_EQ(SimPort(L"COM3").own.port, "81");
    EXPECT_EQ(ConnectionShown(L"COM3"), L"own.example:81");
}

// The service answers the refresh but not the change: the flow sends nothing
// after the one request that met the silence, says so in one message, and the
// window shows the service not responding at once. The record keeps what the
// dialog stored until a pass reads the port in full.
TEST_F(ApplyFlowTest, PortChangeIntoSilenceStopsThereAndSaysNotResponding) {
    dlg->Service().Client().SetExchangeBudget(300);
    dlg->Service().SetStallTiming(0, 1000);
    ASSERT_TRUE(server->Execute("fault silence on=SetPortDmsConfig"));
    const uint64_t deviceReads = Requests(kGetPortDevice);
    EditPort(L"COM3", L"Dock-3", [](HWND dialog) {
        SetText(dialog, IDC_DMS_PORT, L"81");
        Apply(dialog);
    });
    EXPECT_EQ(test::seen.text, texts::kServiceNotResponding);
    EXPECT_EQ(Requests(kGetPortDevice), deviceReads) << "no read-back";
    EXPECT_EQ(ConnectionShown(L"COM3"), L"own.example:81");
    EXPECT_EQ(test::WindowText(window), texts::kTitleServiceNotResponding);

    ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_EQ(ConnectionShown(L"COM3"), L"own.example:80") << "read in full";
    EXPECT_EQ(test::WindowText(window), texts::kProductName);
}

TEST_F(ApplyFlowTest, PreferencesIntoSilenceSendOneRequestOnly) {
    dlg->Service().Client().SetExchangeBudget(300);
    ASSERT_TRUE(server->Execute("fault silence on=SetLogSettings"));
    const uint64_t reads = Requests(kGetLogSettings);
    EditPreferences([](HWND dialog) {
        SetText(dialog, IDC_DMS_PORT, L"8443");
        Apply(dialog);
    });
    EXPECT_EQ(test::seen.text, texts::kServiceNotResponding);
    EXPECT_EQ(Requests(kGetLogSettings), reads) << "no read-back";
    EXPECT_EQ(Requests(kSetDefaultDmsConfig), 0u) << "nor the next change";
    EXPECT_STREQ(dlg->Service().DefaultDms().port, "8443") << "as the dialog stored it";
    EXPECT_FALSE(dlg->Service().DefaultDmsLoaded());
    EXPECT_EQ(dlg->Service().Link().kind, LinkState::Kind::NotResponding);
}

// A refusal whose read-back meets the silence: the refusal is what the message
// reports, and the defaults keep what the dialog stored, not emptied.
TEST_F(ApplyFlowTest, ReadBackIntoSilenceKeepsTheStoredDefaults) {
    dlg->Service().Client().SetExchangeBudget(300);
    ASSERT_TRUE(server->Execute("fault refuse 87 on=SetDefaultDmsConfig"));
    ASSERT_TRUE(server->Execute("fault silence on=GetDefaultDmsConfig"));
    EditPreferences([](HWND dialog) {
        SetText(dialog, IDC_DMS_PORT, L"8443");
        Apply(dialog);
    });
    EXPECT_EQ(test::seen.text, texts::kNotAccepted);
    EXPECT_STREQ(dlg->Service().DefaultDms().port, "8443");
    EXPECT_FALSE(dlg->Service().DefaultDmsLoaded());
    EXPECT_EQ(ConnectionShown(L"COM4"), L"defaults.example:8443");
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

TEST_F(ApplyFlowTest, PreferencesReachTheServiceAndThePortsThatFollowThem) {
    EditPreferences([](HWND dialog) {
        SetText(dialog, IDC_DMS_HOST, L"new-defaults.example");
        SetText(dialog, IDC_DMS_PORT, L"8443");
        ::SendDlgItemMessageW(dialog, IDC_LOG_LEVEL, CB_SETCURSEL, 3, 0);
        Apply(dialog);
    });
    EXPECT_EQ(test::seen.text, L"");
    const sim::SimModel model = server->Snapshot();
    EXPECT_EQ(model.DefaultDms().host, "new-defaults.example");
    EXPECT_EQ(model.DefaultDms().port, "8443");
    EXPECT_EQ(model.LogFolder(), L"C:\\Logs");
    EXPECT_EQ(model.LogLevel(), 3u);
    EXPECT_TRUE(dlg->Service().DefaultDmsLoaded());
    EXPECT_TRUE(dlg->Service().LogSettingsLoaded());
    EXPECT_EQ(ConnectionShown(L"COM4"), L"new-defaults.example:8443");
    EXPECT_EQ(ConnectionShown(L"COM3"), L"own.example:80") << "COM3 has its own";
}

TEST_F(ApplyFlowTest, PreferencesRefusalReReadsAndStillSendsTheDefaults) {
    ASSERT_TRUE(server->Execute("fault refuse 87 on=SetLogSettings count=1"));
    EditPreferences([](HWND dialog) {
        ::SendDlgItemMessageW(dialog, IDC_LOG_LEVEL, CB_SETCURSEL, 3, 0);
        SetText(dialog, IDC_DMS_PORT, L"8443");
        Apply(dialog);
    });
    EXPECT_EQ(test::seen.text, texts::kNotAccepted);
    EXPECT_EQ(dlg->Service().LogSettingsCache().level, 1u) << "re-read from the service";
    EXPECT_TRUE(dlg->Service().LogSettingsLoaded());
    EXPECT_EQ(server->Snapshot().DefaultDms().port, "8443");
    EXPECT_EQ(ConnectionShown(L"COM4"), L"defaults.example:8443");
}

TEST_F(ApplyFlowTest, PreferencesOpenOnlyOnAClick) {
    Edit(texts::kPreferencesCaption, Cancel, [&] {
        for (const WORD code : {BN_DOUBLECLICKED, BN_SETFOCUS, BN_KILLFOCUS})
            ClickPreferences(code);
    });
    test::StopDriving();
    EXPECT_FALSE(opened);
}

// The first failure chooses the message: a refusal of the log settings, not
// the link that broke on the defaults after it.
TEST_F(ApplyFlowTest, PreferencesReportTheFirstFailure) {
    ASSERT_TRUE(server->Execute("fault refuse 87 on=SetLogSettings count=1"));
    ASSERT_TRUE(server->Execute("fault drop on=SetDefaultDmsConfig count=1"));
    EditPreferences([](HWND dialog) {
        SetText(dialog, IDC_DMS_PORT, L"8443");
        Apply(dialog);
    });
    EXPECT_EQ(test::seen.text, texts::kNotAccepted);
    EXPECT_EQ(test::seen.icon, test::ErrorIcon());
    EXPECT_FALSE(dlg->Service().Client().IsConnected());
}

// A folder the request cannot carry is refused before anything is sent for it.
TEST_F(ApplyFlowTest, PreferencesWithAnOverlongFolderSayNotAccepted) {
    const std::wstring folder = L"C:\\" + std::wstring(300, L'f');
    EditPreferences([&folder](HWND dialog) {
        SetText(dialog, IDC_LOG_FOLDER, folder.c_str());
        Apply(dialog);
    });
    EXPECT_EQ(test::seen.text, texts::kNotAccepted);
    EXPECT_EQ(Requests(kSetLogSettings), 0u);
    EXPECT_EQ(dlg->Service().LogSettingsCache().folder, L"C:\\Logs") << "re-read";
    EXPECT_EQ(Requests(kSetDefaultDmsConfig), 1u);
}

// The link is lost on the first request: nothing more is sent, the caches
// keep what the dialog stored, unconfirmed, and the service's values come
// back with the next pass that reaches it.
TEST_F(ApplyFlowTest, PreferencesWithTheServiceStoppedSendNothingMore) {
    EditPreferences([this](HWND dialog) {
        server->Stop();
        SetText(dialog, IDC_DMS_PORT, L"8443");
        Apply(dialog);
    });
    EXPECT_EQ(test::seen.text, texts::kServiceNotRunning);
    EXPECT_FALSE(dlg->Service().DefaultDmsLoaded());
    EXPECT_FALSE(dlg->Service().LogSettingsLoaded());
    EXPECT_EQ(ConnectionShown(L"COM4"), L"defaults.example:8443") << "follows the stored defaults";
    EXPECT_EQ(ConnectionShown(L"COM3"), L"own.example:80");

    StartService();
    ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_STREQ(dlg->Service().DefaultDms().port, "443");
    EXPECT_EQ(ConnectionShown(L"COM4"), L"defaults.example:443") << "read in full again";
}

}  // namespace
}  // namespace kestrel
