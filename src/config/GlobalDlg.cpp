#include "GlobalDlg.h"

#include <shlobj.h>

#include <string>

#include "CAppModule.h"
#include "CenterWindow.h"
#include "ConfigMessages.h"
#include "DmsControls.h"
#include "DmsTexts.h"
#include "LogFolderRule.h"
#include "TScopeGuard.h"
#include "WindowIcons.h"
#include "WindowText.h"

namespace kestrel {

namespace {

constexpr uint32_t kLogLevelCount = sizeof(kLogLevelTexts) / sizeof(kLogLevelTexts[0]);

// OK follows the drive of the selected folder; items without a file-system
// path (and paths without a drive letter) keep it disabled.
void EnableOkForSelection(HWND browser, LPCITEMIDLIST item) {
    wchar_t path[MAX_PATH] = {};
    bool allowed = false;
    if (item && ::SHGetPathFromIDListW(item, path)) allowed = IsOnLocalFixedDrive(path);
    ::SendMessageW(browser, BFFM_ENABLEOK, 0, allowed);
}

// data: the folder to select at the start, or null for the browser's default.
int CALLBACK BrowseCallback(HWND browser, UINT msg, LPARAM lParam, LPARAM data) noexcept {
    if (msg == BFFM_INITIALIZED && data != 0)
        ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
    else if (msg == BFFM_SELCHANGED)
        EnableOkForSelection(browser, reinterpret_cast<LPCITEMIDLIST>(lParam));
    return 0;
}

}  // namespace

std::wstring BrowseStartFolder(const std::wstring& folder) {
    return IsOnLocalFixedDrive(folder) ? folder : std::wstring();
}

GlobalDlg::GlobalDlg(DmsConfig* editedDefaults, LogSettings* editedLogging)
    : defaults(editedDefaults), logSettings(editedLogging) {}

BOOL GlobalDlg::OnInitDialog(HWND, LPARAM) {
    folderEdit = ::GetDlgItem(Handle(), IDC_LOG_FOLDER);
    levelCombo = ::GetDlgItem(Handle(), IDC_LOG_LEVEL);
    for (const wchar_t* text : kLogLevelTexts)
        ::SendMessageW(levelCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));

    CenterWindow(Handle(), ::GetWindow(Handle(), GW_OWNER));
    SetWindowIcons(Handle(), appModule.Instance(), IDR_MAINFRAME);

    ::SetWindowTextW(folderEdit, logSettings->folder.c_str());
    // A level without a text selects nothing; Apply then stores 0.
    const WPARAM selection = logSettings->level < kLogLevelCount ? logSettings->level : WPARAM(-1);
    ::SendMessageW(levelCombo, CB_SETCURSEL, selection, 0);
    ShowDmsConfig(Handle(), *defaults);
    return TRUE;
}

void GlobalDlg::OnApply(UINT, int, HWND) {
    DmsInput input;
    if (!validateDmsInput(Handle(), input)) return;
    switch (ConfirmationFor(Handle(), input, *defaults)) {
    case DmsConfirmation::Deactivation:
        if (!confirmChange(Handle(), kDefaultDeactivationQuestion)) return;
        break;
    case DmsConfirmation::Change:
        if (!confirmChange(Handle(), kDefaultChangeQuestion)) return;
        break;
    case DmsConfirmation::None: break;
    }

    logSettings->folder = WindowText(folderEdit);
    // The items are the level texts in level order, so an item's index is its level.
    const LRESULT selected = ::SendMessageW(levelCombo, CB_GETCURSEL, 0, 0);
    logSettings->level = selected == CB_ERR ? 0 : static_cast<uint32_t>(selected);
    StoreDmsControls(Handle(), input, *defaults);
    EndDialog(IDOK);
}

void GlobalDlg::OnCancel(UINT, int, HWND) { EndDialog(IDCANCEL); }

void GlobalDlg::OnHostOrPortChange(UINT, int, HWND) { updateComPortAvailability(Handle()); }

void GlobalDlg::OnBrowse(UINT, int, HWND) {
    BROWSEINFOW info = {};
    info.hwndOwner = Handle();
    info.lpszTitle = kLogFolderBrowseTitle;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    info.lpfn = BrowseCallback;
    // The stored folder, not the edit: an unapplied choice is not where to start.
    const std::wstring start = BrowseStartFolder(logSettings->folder);
    info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    LPITEMIDLIST chosen = ::SHBrowseForFolderW(&info);
    if (!chosen) return;
    const TScopeGuard freeChosen([chosen]() noexcept { ::CoTaskMemFree(chosen); });
    wchar_t path[MAX_PATH] = {};
    if (::SHGetPathFromIDListW(chosen, path)) ::SetWindowTextW(folderEdit, path);
}

}  // namespace kestrel
