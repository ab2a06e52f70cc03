// The modal "Preferences" dialog: the service's log folder and level and the
// default DMS parameters. Apply stores both groups together into records the
// main window owns, or neither; the dialog never talks to the service.
#pragma once

#include <windows.h>

#include <string>

#include "CDialogBase.h"
#include "DmsConfig.h"
#include "MessageMap.h"
#include "LogFolderRule.h"
#include "LogSettings.h"
#include "resource.h"

namespace kestrel {

// Where the folder browser starts for this folder: the folder itself when it
// lies on a local fixed drive (LogFolderRule.h), else empty for the browser's
// default place. The folder comes from the service, and a network path there
// would make the shell contact its host as soon as the browser opens.
std::wstring BrowseStartFolder(const std::wstring& folder);

class GlobalDlg : public CDialogBase {
public:
    // Neither record is owned; both must outlive the dialog.
    GlobalDlg(DmsConfig* editedDefaults, LogSettings* editedLogging);

    // 1 after a successful Apply, 2 when cancelled, -1 when the dialog could not
    // be created. Only 1 changes the records.
    INT_PTR Run(HWND owner) { return DoModal(IDD_GLOBALDLG, owner); }

    BEGIN_MSG_MAP(GlobalDlg)
        MSG_WM_INITDIALOG(OnInitDialog)
        COMMAND_ID_HANDLER_EX(IDOK, OnApply)
        COMMAND_ID_HANDLER_EX(IDCANCEL, OnCancel)
        COMMAND_HANDLER_EX(IDC_DMS_HOST, EN_CHANGE, OnHostOrPortChange)
        COMMAND_HANDLER_EX(IDC_DMS_PORT, EN_CHANGE, OnHostOrPortChange)
        COMMAND_HANDLER_EX(IDC_BROWSE, BN_CLICKED, OnBrowse)
    END_MSG_MAP()

private:
    BOOL OnInitDialog(HWND focus, LPARAM initParam);
    void OnApply(UINT code, int id, HWND control);
    void OnCancel(UINT code, int id, HWND control);
    void OnHostOrPortChange(UINT code, int id, HWND control);
    void OnBrowse(UINT code, int id, HWND control);

    DmsConfig* defaults;
    LogSettings* logSettings;
    HWND folderEdit = nullptr;
    HWND levelCombo = nullptr;
};

}  // namespace kestrel
