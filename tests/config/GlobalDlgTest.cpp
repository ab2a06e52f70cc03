// The preferences dialog from its real template, run modally: a thread timer
// drives it from inside its modal loop as the user would.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "DialogDriver.h"
#include "DmsValues.h"
#include "GlobalDlg.h"
#include "MessageBoxAnswer.h"

namespace kestrel {
namespace {

using test::AnswerNextBox;
using test::Checked;
using test::Click;
using test::Dms;
using test::Enabled;
using test::seen;
using test::Text;
namespace texts = test::texts;

INT_PTR RunDialog(DmsConfig& defaults, LogSettings& log, std::function<void(HWND)> steps) {
    return test::DriveDialog(texts::kPreferencesCaption, std::move(steps), [&] {
        GlobalDlg dlg(&defaults, &log);
        return dlg.Run(nullptr);
    });
}

// Replaces an edit's text key by key, as typing does.
void Type(HWND dialog, int id, const std::wstring& text) {
    HWND edit = ::GetDlgItem(dialog, id);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    ::SendMessageW(edit, WM_CHAR, VK_BACK, 0);
    for (wchar_t c : text) ::SendMessageW(edit, WM_CHAR, c, 0);
}

LRESULT Selected(HWND dialog) {
    return ::SendDlgItemMessageW(dialog, IDC_LOG_LEVEL, CB_GETCURSEL, 0, 0);
}

class GlobalDlgTest : public ::testing::Test {
protected:
    void ExpectUnchanged() const {
        EXPECT_PRED2(test::SameDms, defaults, stored);
        EXPECT_EQ(log.folder, L"C:\\logs");
        EXPECT_EQ(log.level, 2u);
    }

    const DmsConfig stored = Dms("dms.example", "8080", 30000, false, true);
    DmsConfig defaults = stored;
    LogSettings log{L"C:\\logs", 2};
};

TEST_F(GlobalDlgTest, OpensWithStoredValuesAndEscapeCancels) {
    const INT_PTR result = RunDialog(defaults, log, [](HWND dialog) {
        EXPECT_EQ(Text(dialog, IDC_LOG_FOLDER), L"C:\\logs");
        EXPECT_EQ(::SendDlgItemMessageW(dialog, IDC_LOG_LEVEL, CB_GETCOUNT, 0, 0), 4);
        EXPECT_EQ(Selected(dialog), 2);
        EXPECT_EQ(Text(dialog, IDC_LOG_LEVEL), L"Number of bytes sent/received");
        EXPECT_EQ(Text(dialog, IDC_DMS_HOST), L"dms.example");
        EXPECT_EQ(Text(dialog, IDC_DMS_RETRY), L"30");
        EXPECT_TRUE(Checked(dialog, IDC_COM_ACTIVE));

        // The folder changes only through Browse.
        ::SendDlgItemMessageW(dialog, IDC_LOG_FOLDER, WM_CHAR, L'x', 0);
        EXPECT_EQ(Text(dialog, IDC_LOG_FOLDER), L"C:\\logs");

        ::SetDlgItemTextW(dialog, IDC_LOG_FOLDER, L"D:\\other");
        ::SendDlgItemMessageW(dialog, IDC_LOG_LEVEL, CB_SETCURSEL, 3, 0);
        Type(dialog, IDC_DMS_HOST, L"other");
        ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
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
        Type(dialog, IDC_DMS_PORT, L"");
        EXPECT_FALSE(Enabled(dialog, IDC_COM_ACTIVE));
        EXPECT_FALSE(Checked(dialog, IDC_COM_ACTIVE));
        Type(dialog, IDC_DMS_PORT, L"1");
        EXPECT_TRUE(Enabled(dialog, IDC_COM_ACTIVE));
        Type(dialog, IDC_DMS_HOST, L"");
        EXPECT_FALSE(Enabled(dialog, IDC_COM_ACTIVE));
        ::SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    ExpectUnchanged();
}

// Folder, level and DMS entries are stored together or not at all.
TEST_F(GlobalDlgTest, ApplyStoresEverythingOnlyAfterValidationAndYes) {
    const INT_PTR result = RunDialog(defaults, log, [this](HWND dialog) {
        ::SetDlgItemTextW(dialog, IDC_LOG_FOLDER, L"D:\\new logs");
        ::SendDlgItemMessageW(dialog, IDC_LOG_LEVEL, CB_SETCURSEL, 3, 0);
        Type(dialog, IDC_DMS_RETRY, L"0");
        AnswerNextBox(dialog, IDOK);
        Click(dialog, IDOK);
        EXPECT_EQ(seen.text, texts::kRetryInvalid);
        ExpectUnchanged();

        Type(dialog, IDC_DMS_RETRY, L"5");
        Click(dialog, IDC_USE_SSL);
        AnswerNextBox(dialog, IDNO);
        Click(dialog, IDOK);
        EXPECT_EQ(seen.text, texts::kDefaultChangeQuestion);
        ExpectUnchanged();

        Click(dialog, IDC_COM_ACTIVE);
        AnswerNextBox(dialog, IDYES);
        Click(dialog, IDOK);
        EXPECT_EQ(seen.text, texts::kDefaultDeactivationQuestion);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(log.folder, L"D:\\new logs");
    EXPECT_EQ(log.level, 3u);
    EXPECT_EQ(defaults.useSsl, 1);
    EXPECT_EQ(defaults.retryMs, 5000u);
    EXPECT_EQ(defaults.comPortActive, 0);
}

std::vector<std::wstring> selectionsAsked;

LRESULT CALLBACK RecordSelections(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == BFFM_SETSELECTIONW && call->wParam)
        selectionsAsked.emplace_back(reinterpret_cast<const wchar_t*>(call->lParam));
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK FindBrowser(HWND window, LPARAM found) {
    wchar_t caption[64] = {};
    ::GetWindowTextW(window, caption, 64);
    if (std::wstring(caption) != L"Browse for Folder") return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Cancels this thread's folder browser once it shows.
void CALLBACK CancelBrowser(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND browser = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindBrowser, reinterpret_cast<LPARAM>(&browser));
    if (!browser) return;
    ::KillTimer(nullptr, timer);
    ::PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
}

// The browser is told where to start only for a folder on a local fixed
// drive: a network path from the service never reaches the shell. The edit
// shows the folder as the service reported it either way.
TEST_F(GlobalDlgTest, BrowseStartsAtTheStoredFolderOnlyOnALocalFixedDrive) {
    const std::pair<const wchar_t*, std::vector<std::wstring>> cases[] = {
        {L"C:\\windows", {L"C:\\windows"}}, {L"\\\\host@80\\x", {}}};
    for (const auto& [folder, asked] : cases) {
        log.folder = folder;
        selectionsAsked.clear();
        HHOOK hook =
            ::SetWindowsHookExW(WH_CALLWNDPROC, RecordSelections, nullptr, ::GetCurrentThreadId());
        RunDialog(defaults, log, [&](HWND dialog) {
            EXPECT_EQ(Text(dialog, IDC_LOG_FOLDER), folder);
            ::SetTimer(nullptr, 0, 20, CancelBrowser);
            Click(dialog, IDC_BROWSE);
            EXPECT_EQ(Text(dialog, IDC_LOG_FOLDER), folder);
            test::Cancel(dialog);
        });
        ::UnhookWindowsHookEx(hook);
        EXPECT_EQ(selectionsAsked, asked) << folder;
    }
}

TEST(GlobalDlgBrowse, StartsOnlyAtAFolderOnALocalFixedDrive) {
    EXPECT_EQ(BrowseStartFolder(L"C:\\windows"), L"C:\\windows");
    EXPECT_EQ(BrowseStartFolder(L"c:\\"), L"c:\\");
    for (const wchar_t* folder :
         {L"\\\\host\\share", L"\\\\host@80\\x", L"//host/share", L"\\\\?\\C:\\windows",
          L"\\\\?\\UNC\\host\\share", L"C:", L"C:windows", L"1:\\x", L"Q:\\no such drive", L""})
        EXPECT_EQ(BrowseStartFolder(folder), L"") << folder;
}

}  // namespace
}  // namespace kestrel
