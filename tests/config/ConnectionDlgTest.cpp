// The port connection dialog from its template, run modally and driven from a
// thread timer inside its modal loop, with real message boxes answered.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>

#include "CAppModule.h"
#include "CMessageLoop.h"
#include "ConnectionDlg.h"
#include "DialogDriver.h"
#include "MessageBoxAnswer.h"
#include "resource.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class DialogEnvironment : public ::testing::Environment {
    void SetUp() override {
        ASSERT_TRUE(appModule.Init(GetModuleHandleW(nullptr)));
        ASSERT_TRUE(appModule.AddMessageLoop(&loop));
    }
    void TearDown() override { appModule.RemoveMessageLoop(); }
    CMessageLoop loop;
};
[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new DialogEnvironment);

DmsConfig config(const char* host, const char* port, uint32_t retryMs, bool ssl, bool active) {
    DmsConfig c;
    std::strcpy(c.host, host);
    std::strcpy(c.port, port);
    c.retryMs = retryMs;
    c.useSsl = ssl;
    c.comPortActive = active;
    return c;
}

PortRecord portRecord(bool useDefault, const DmsConfig& dms) {
    PortRecord r;
    r.portLabel = L"COM3";
    r.useDefault = useDefault;
    r.dms = dms;
    return r;
}

INT_PTR RunDialog(PortRecord& record, const DmsConfig& defaults, std::function<void(HWND)> s) {
    return DriveDialog(L"COM3 - Configuration", std::move(s), [&] {
        ConnectionDlg dlg(&record, &defaults);
        return dlg.Run(nullptr);
    });
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }
bool ReadOnly(HWND dialog, int id) {
    return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & ES_READONLY) != 0;
}
void PostKey(HWND dialog, int id, WPARAM key) {
    PostMessageW(GetDlgItem(dialog, id), WM_KEYDOWN, key, 0);
}

bool SameDms(const DmsConfig& a, const DmsConfig& b) {
    return std::strcmp(a.host, b.host) == 0 && std::strcmp(a.port, b.port) == 0 &&
           a.retryMs == b.retryMs && a.useSsl == b.useSsl && a.comPortActive == b.comPortActive;
}

const DmsConfig kDefaults = config("defaults.example", "443", 3000, false, false);

}  // namespace

TEST(ConnectionDlg, ModesReloadStoredValuesAndEscapeCancels) {
    const DmsConfig own = config("own.example", "80", 5500, true, true);
    PortRecord record = portRecord(true, own);
    const INT_PTR result = RunDialog(record, kDefaults, [&](HWND d) {
        // A port following the defaults shows its own stored values, read-only.
        EXPECT_TRUE(Checked(d, IDC_USE_DEFAULT));
        EXPECT_EQ(Text(d, IDC_DMS_HOST), L"own.example");
        EXPECT_EQ(Text(d, IDC_DMS_RETRY), L"5");
        for (int id : {IDC_DMS_HOST, IDC_DMS_PORT, IDC_DMS_RETRY}) EXPECT_TRUE(ReadOnly(d, id));
        EXPECT_FALSE(Enabled(d, IDC_USE_SSL));
        EXPECT_FALSE(Enabled(d, IDC_COM_ACTIVE));
        EXPECT_TRUE(Enabled(d, IDC_USE_SPECIFIC));
        EXPECT_TRUE(Enabled(d, IDOK));

        Click(d, IDC_USE_SPECIFIC);
        EXPECT_FALSE(ReadOnly(d, IDC_DMS_HOST));
        EXPECT_TRUE(Enabled(d, IDC_USE_SSL));
        EXPECT_TRUE(Enabled(d, IDC_COM_ACTIVE));
        EXPECT_TRUE(Checked(d, IDC_COM_ACTIVE));
        // Emptying the host cuts the COM port at once; typing it back keeps it off.
        SetText(d, IDC_DMS_HOST, L"");
        EXPECT_FALSE(Enabled(d, IDC_COM_ACTIVE));
        EXPECT_FALSE(Checked(d, IDC_COM_ACTIVE));
        SetText(d, IDC_DMS_HOST, L"typed");
        EXPECT_TRUE(Enabled(d, IDC_COM_ACTIVE));
        EXPECT_FALSE(Checked(d, IDC_COM_ACTIVE));
        // The radio of the mode shown reloads its stored values too.
        Click(d, IDC_USE_SPECIFIC);
        EXPECT_EQ(Text(d, IDC_DMS_HOST), L"own.example");
        EXPECT_TRUE(Checked(d, IDC_COM_ACTIVE));

        Click(d, IDC_USE_DEFAULT);
        EXPECT_EQ(Text(d, IDC_DMS_HOST), L"defaults.example");
        EXPECT_EQ(Text(d, IDC_DMS_PORT), L"443");
        EXPECT_FALSE(Checked(d, IDC_USE_SSL));
        EXPECT_TRUE(ReadOnly(d, IDC_DMS_PORT));
        // In default mode the edits' changes leave the check box disabled.
        SetText(d, IDC_DMS_PORT, L"8080");
        EXPECT_FALSE(Enabled(d, IDC_COM_ACTIVE));
        PostKey(d, IDC_DMS_HOST, VK_ESCAPE);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(record.useDefault);
    EXPECT_TRUE(SameDms(record.dms, own));
}

TEST(ConnectionDlg, ApplyValidatesAsksAndWrites) {
    const DmsConfig own = config("own.example", "80", 5000, false, true);
    PortRecord record = portRecord(false, own);
    const INT_PTR result = RunDialog(record, kDefaults, [&](HWND d) {
        EXPECT_TRUE(Checked(d, IDC_USE_SPECIFIC));
        SetText(d, IDC_DMS_RETRY, L"0");
        AnswerNextBox(d, IDOK);
        Apply(d);
        EXPECT_EQ(seen.text, L"Invalid period to retry to connect to DMS. Must be > 0.");
        EXPECT_EQ(Text(d, IDC_DMS_RETRY), L"0");

        SetText(d, IDC_DMS_RETRY, L"7");
        Click(d, IDC_USE_SSL);
        AnswerNextBox(d, IDNO);
        Apply(d);
        EXPECT_EQ(seen.text,
                  L"DMS configuration changed. Any communication between\n"
                  L"the device and the current DMS will abort immediately.\n\n"
                  L"Do you want to continue?");
        EXPECT_EQ(seen.defaultId, IDNO);
        EXPECT_TRUE(SameDms(record.dms, own));

        // Enter in an edit runs Apply.
        AnswerNextBox(d, IDYES);
        PostKey(d, IDC_DMS_PORT, VK_RETURN);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(record.useDefault);
    EXPECT_TRUE(SameDms(record.dms, config("own.example", "80", 7000, true, true)));
}

TEST(ConnectionDlg, DefaultModeApplyStoresDefaultsAfterDeactivationQuestion) {
    const DmsConfig own = config("own.example", "80", 5000, false, true);
    PortRecord record = portRecord(false, own);
    EXPECT_EQ(RunDialog(record, kDefaults,
                        [&](HWND d) {
                            Click(d, IDC_USE_DEFAULT);
                            AnswerNextBox(d, IDNO);
                            Apply(d);
                            EXPECT_EQ(seen.text,
                                      L"COM port was deactivated. Any communication between\n"
                                      L"the device and the current DMS will abort immediately.\n\n"
                                      L"Do you want to continue?");
                            PostMessageW(d, WM_CLOSE, 0, 0);
                        }),
              IDCANCEL);
    EXPECT_FALSE(record.useDefault);
    EXPECT_TRUE(SameDms(record.dms, own));

    EXPECT_EQ(RunDialog(record, kDefaults,
                        [&](HWND d) {
                            Click(d, IDC_USE_DEFAULT);
                            AnswerNextBox(d, IDYES);
                            Apply(d);
                        }),
              IDOK);
    EXPECT_TRUE(record.useDefault);
    EXPECT_TRUE(SameDms(record.dms, kDefaults));
}
