// Preferences end to end, and changes sent into a service that is silent.
#include "ApplyFlowFixture.h"

namespace kestrel::test {

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
    ApplyDefaultsPort(L"8443");
    EXPECT_EQ(test::seen.text, texts::kNotAccepted);
    EXPECT_EQ(test::seen.icon, test::ErrorIcon());
    // The dropped request went once more over a new link and was taken.
    EXPECT_TRUE(dlg->Service().IsConnected());
    EXPECT_EQ(Requests(kSetDefaultDmsConfig), 2u);
    EXPECT_TRUE(dlg->Service().DefaultDmsLoaded());
}

// The service stopped and started again while the dialog was open: the link
// still looks open until the first request meets its broken end, and the
// change goes over a new link to the new instance.
TEST_F(ApplyFlowTest, PreferencesAcrossAServiceRestartReachTheNewService) {
    EditPreferences([this](HWND dialog) {
        server->Stop();
        StartService();
        SetText(dialog, IDC_DMS_PORT, L"8443");
        Apply(dialog);
    });
    EXPECT_EQ(test::seen.text, L"");
    EXPECT_EQ(server->Snapshot().DefaultDms().port, "8443");
    EXPECT_EQ(ConnectionShown(L"COM4"), L"defaults.example:8443");
    EXPECT_EQ(test::WindowText(window), texts::kProductName);
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

// While the refresh leaves a silent service alone, a change is still sent,
// with the full budget, and its outcome reported.
TEST_F(ApplyFlowTest, ChangeAppliedWhileTheServiceIsNotRespondingIsSent) {
    dlg->Service().SetExchangeBudget(1500);
    dlg->Service().SetStallTiming(60000, 100);
    ASSERT_TRUE(server->Execute("fault delay 3000 on=GetPortCounters count=1"));
    ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0);
    ASSERT_EQ(dlg->Service().Link().kind, LinkState::Kind::NotResponding);

    // Far beyond the attempt's budget, well within the full one.
    ASSERT_TRUE(server->Execute("fault delay 600 on=SetPortDmsConfig count=1"));
    ApplyCom3Port(L"81");
    ExpectCom3Port81Taken();
}

// The service answers the refresh but not the change: the flow sends nothing
// after the one request that met the silence, says so in one message, and the
// window shows the service not responding at once. The record keeps what the
// dialog stored until a pass reads the port in full.
TEST_F(ApplyFlowTest, PortChangeIntoSilenceStopsThereAndSaysNotResponding) {
    dlg->Service().SetExchangeBudget(300);
    dlg->Service().SetStallTiming(0, 1000);
    ASSERT_TRUE(server->Execute("fault silence on=SetPortDmsConfig"));
    const uint64_t deviceReads = Requests(kGetPortDevice);
    ApplyCom3Port(L"81");
    EXPECT_EQ(test::seen.text, texts::kServiceNotResponding);
    EXPECT_EQ(Requests(kGetPortDevice), deviceReads) << "no read-back";
    EXPECT_EQ(ConnectionShown(L"COM3"), L"own.example:81");
    EXPECT_EQ(test::WindowText(window), texts::kTitleServiceNotResponding);

    ::SendMessageW(window, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_EQ(ConnectionShown(L"COM3"), L"own.example:80") << "read in full";
    EXPECT_EQ(test::WindowText(window), texts::kProductName);
}

TEST_F(ApplyFlowTest, PreferencesIntoSilenceSendOneRequestOnly) {
    dlg->Service().SetExchangeBudget(300);
    ASSERT_TRUE(server->Execute("fault silence on=SetLogSettings"));
    const uint64_t reads = Requests(kGetLogSettings);
    ApplyDefaultsPort(L"8443");
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
    dlg->Service().SetExchangeBudget(300);
    ASSERT_TRUE(server->Execute("fault refuse 87 on=SetDefaultDmsConfig"));
    ASSERT_TRUE(server->Execute("fault silence on=GetDefaultDmsConfig"));
    ApplyDefaultsPort(L"8443");
    EXPECT_EQ(test::seen.text, texts::kNotAccepted);
    EXPECT_STREQ(dlg->Service().DefaultDms().port, "8443");
    EXPECT_FALSE(dlg->Service().DefaultDmsLoaded());
    EXPECT_EQ(ConnectionShown(L"COM4"), L"defaults.example:8443");
}

}  // namespace kestrel::test
