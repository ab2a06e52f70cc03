// The port connection dialog from its template, run modally and driven from a
// thread timer inside its modal loop, with real message boxes answered.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "ConnectionDlg.h"
#include "DialogDriver.h"
#include "DmsValues.h"
#include "MessageBoxAnswer.h"
#include "resource.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

PortRecord portRecord(bool useDefault, const DmsConfig& dms) {
    PortRecord r;
    r.portLabel = L"COM3";
    r.useDefault = useDefault;
    r.dms = dms;
    return r;
}

INT_PTR RunDialog(PortRecord& record, const DmsConfig& defaults, std::function<void(HWND)> s) {
    return DriveDialog(texts::ConnectionCaption(L"COM3"), std::move(s), [&] {
        ConnectionDlg dlg(&record, &defaults);
        return dlg.Run(nullptr);
    });
}

void PostKey(HWND dialog, int id, WPARAM key) {
    ::PostMessageW(::GetDlgItem(dialog, id), WM_KEYDOWN, key, 0);
}

const DmsConfig kDefaults = Dms("defaults.example", "443", 3000, false, false);

}  // namespace

TEST(ConnectionDlg, ModesReloadStoredValuesAndEscapeCancels) {
    const DmsConfig own = Dms("own.example", "80", 5500, true, true);
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
    EXPECT_PRED2(SameDms, record.dms, own);
}

TEST(ConnectionDlg, ApplyValidatesAsksAndWrites) {
    const DmsConfig own = Dms("own.example", "80", 5000, false, true);
    PortRecord record = portRecord(false, own);
    const INT_PTR result = RunDialog(record, kDefaults, [&](HWND d) {
        EXPECT_TRUE(Checked(d, IDC_USE_SPECIFIC));
        SetText(d, IDC_DMS_RETRY, L"0");
        AnswerNextBox(d, IDOK);
        Apply(d);
        EXPECT_EQ(seen.text, texts::kRetryInvalid);
        EXPECT_EQ(Text(d, IDC_DMS_RETRY), L"0");

        SetText(d, IDC_DMS_RETRY, L"7");
        Click(d, IDC_USE_SSL);
        AnswerNextBox(d, IDNO);
        Apply(d);
        EXPECT_EQ(seen.text, texts::kChangeQuestion);
        EXPECT_EQ(seen.defaultId, IDNO);
        EXPECT_PRED2(SameDms, record.dms, own);

        // Enter in an edit runs Apply.
        AnswerNextBox(d, IDYES);
        PostKey(d, IDC_DMS_PORT, VK_RETURN);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(record.useDefault);
    EXPECT_PRED2(SameDms, record.dms, Dms("own.example", "80", 7000, true, true));
}

TEST(ConnectionDlg, DefaultModeApplyStoresDefaultsAfterDeactivationQuestion) {
    const DmsConfig own = Dms("own.example", "80", 5000, false, true);
    PortRecord record = portRecord(false, own);
    EXPECT_EQ(RunDialog(record, kDefaults,
                        [&](HWND d) {
                            Click(d, IDC_USE_DEFAULT);
                            AnswerNextBox(d, IDNO);
                            Apply(d);
                            EXPECT_EQ(seen.text, texts::kDeactivationQuestion);
                            ::PostMessageW(d, WM_CLOSE, 0, 0);
                        }),
              IDCANCEL);
    EXPECT_FALSE(record.useDefault);
    EXPECT_PRED2(SameDms, record.dms, own);

    EXPECT_EQ(RunDialog(record, kDefaults,
                        [&](HWND d) {
                            Click(d, IDC_USE_DEFAULT);
                            AnswerNextBox(d, IDYES);
                            Apply(d);
                        }),
              IDOK);
    EXPECT_TRUE(record.useDefault);
    EXPECT_PRED2(SameDms, record.dms, kDefaults);
}
