// The preferences dialog from its real template, run modally: a thread timer
// drives it from inside its modal loop as the user would.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>

#include "CAppModule.h"
#include "DialogDriver.h"
#include "GlobalDlg.h"
#include "MessageBoxAnswer.h"

namespace kestrel {
namespace {

using test::AnswerNextBox;
using test::Click;
using test::seen;
using test::Text;

INT_PTR RunDialog(DmsConfig& defaults, LogSettings& log, std::function<void(HWND)> steps) {
    return test::DriveDialog(L"Preferences", std::move(steps), [&] {
        GlobalDlg dlg(&defaults, &log);
        return dlg.Run(nullptr);
    });
}

// Replaces an edit's text key by key, as typing does.
void Type(HWND dialog, int id, const std::wstring& text) {
    HWND edit = GetDlgItem(dialog, id);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_CHAR, VK_BACK, 0);
    for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 0);
}

LRESULT Selected(HWND dialog) {
    return SendDlgItemMessageW(dialog, IDC_LOG_LEVEL, CB_GETCURSEL, 0, 0);
}

class GlobalDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Another test file of the program may have initialised the module.
        if (!appModule.Instance()) {
            ASSERT_TRUE(appModule.Init(GetModuleHandleW(nullptr)));
        }
        std::strcpy(defaults.host, "dms.example");
        std::strcpy(defaults.port, "8080");
        defaults.retryMs = 30000;
        defaults.useSsl = 0;
        defaults.comPortActive = 1;
        stored = defaults;
        log = {L"C:\\logs", 2};
    }

    void ExpectUnchanged() const {
        EXPECT_EQ(std::memcmp(&defaults, &stored, sizeof(DmsConfig)), 0);
        EXPECT_EQ(log.folder, L"C:\\logs");
        EXPECT_EQ(log.level, 2u);
    }

    DmsConfig defaults{};
    DmsConfig stored{};
    LogSettings log;
};

TEST_F(GlobalDlgTest, OpensWithStoredValuesAndEscapeCancels) {
    const INT_PTR result = RunDialog(defaults, log, [](HWND dialog) {
        EXPECT_EQ(Text(dialog, IDC_LOG_FOLDER), L"C:\\logs");
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_LOG_LEVEL, CB_GETCOUNT, 0, 0), 4);
        EXPECT_EQ(Selected(dialog), 2);
        EXPECT_EQ(Text(dialog, IDC_LOG_LEVEL), L"Number of bytes sent/received");
        EXPECT_EQ(Text(dialog, IDC_DMS_HOST), L"dms.example");
        EXPECT_EQ(Text(dialog, IDC_DMS_RETRY), L"30");
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_COM_ACTIVE), BST_CHECKED);

        // The folder changes only through Browse.
        SendDlgItemMessageW(dialog, IDC_LOG_FOLDER, WM_CHAR, L'x', 0);
        EXPECT_EQ(Text(dialog, IDC_LOG_FOLDER), L"C:\\logs");

        SetDlgItemTextW(dialog, IDC_LOG_FOLDER, L"D:\\other");
        SendDlgItemMessageW(dialog, IDC_LOG_LEVEL, CB_SETCURSEL, 3, 0);
        Type(dialog, IDC_DMS_HOST, L"other");
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    ExpectUnchanged();
}

TEST_F(GlobalDlgTest, LevelWithoutTextSelectsNothingAndIsStoredAsZero) {
    log.level = 7;
    const INT_PTR result = RunDialog(defaults, log, [](HWND dialog) {
        EXPECT_EQ(Selected(dialog), CB_ERR);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(log.level, 0u);
    EXPECT_EQ(log.folder, L"C:\\logs");
}

TEST_F(GlobalDlgTest, ComPortBoxFollowsTypedHostAndPort) {
    const INT_PTR result = RunDialog(defaults, log, [](HWND dialog) {
        HWND comPort = GetDlgItem(dialog, IDC_COM_ACTIVE);
        Type(dialog, IDC_DMS_PORT, L"");
        EXPECT_FALSE(IsWindowEnabled(comPort));
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_COM_ACTIVE), BST_UNCHECKED);
        Type(dialog, IDC_DMS_PORT, L"1");
        EXPECT_TRUE(IsWindowEnabled(comPort));
        Type(dialog, IDC_DMS_HOST, L"");
        EXPECT_FALSE(IsWindowEnabled(comPort));
        SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    ExpectUnchanged();
}

// Folder, level and DMS entries are stored together or not at all.
TEST_F(GlobalDlgTest, ApplyStoresEverythingOnlyAfterValidationAndYes) {
    const INT_PTR result = RunDialog(defaults, log, [this](HWND dialog) {
        SetDlgItemTextW(dialog, IDC_LOG_FOLDER, L"D:\\new logs");
        SendDlgItemMessageW(dialog, IDC_LOG_LEVEL, CB_SETCURSEL, 3, 0);
        Type(dialog, IDC_DMS_RETRY, L"0");
        AnswerNextBox(dialog, IDOK);
        Click(dialog, IDOK);
        EXPECT_EQ(seen.text, L"Invalid period to retry to connect to DMS. Must be > 0.");
        ExpectUnchanged();

        Type(dialog, IDC_DMS_RETRY, L"5");
        Click(dialog, IDC_USE_SSL);
        AnswerNextBox(dialog, IDNO);
        Click(dialog, IDOK);
        EXPECT_EQ(seen.text,
                  L"Default DMS configuration changed. This affects any devices which currrently "
                  L"using default configuration\nparameters. Any communication between these "
                  L"devices and their assigned DMS will abort immediately.\n\nDo you want to continue?");
        ExpectUnchanged();

        Click(dialog, IDC_COM_ACTIVE);
        AnswerNextBox(dialog, IDYES);
        Click(dialog, IDOK);
        EXPECT_EQ(seen.text.substr(0, 42), L"COM ports will be deactivated by default. ");
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(log.folder, L"D:\\new logs");
    EXPECT_EQ(log.level, 3u);
    EXPECT_EQ(defaults.useSsl, 1);
    EXPECT_EQ(defaults.retryMs, 5000u);
    EXPECT_EQ(defaults.comPortActive, 0);
}

TEST(GlobalDlgBrowse, OkOnlyForFixedLocalDrives) {
    for (UINT type : {DRIVE_UNKNOWN, DRIVE_NO_ROOT_DIR, DRIVE_REMOVABLE, DRIVE_REMOTE, DRIVE_CDROM,
                      DRIVE_RAMDISK})
        EXPECT_FALSE(LogFolderDriveAllowed(type)) << type;
    EXPECT_TRUE(LogFolderDriveAllowed(DRIVE_FIXED));
}

}  // namespace
}  // namespace kestrel
