// The modal dialog of one port's DMS parameters: the port either follows the
// defaults or has its own. Apply validates, asks before cutting a running COM
// port's communication, and writes the port record; it never talks to the service.
#pragma once

#include <windows.h>

#include "CDialogBase.h"
#include "DmsConfig.h"
#include "MessageMap.h"
#include "PortRecord.h"
#include "resource.h"

namespace kestrel {

class ConnectionDlg : public CDialogBase {
public:
    // Neither is owned; the record is written only by a successful Apply.
    ConnectionDlg(PortRecord* edited, const DmsConfig* followed);

    // 1 when Apply wrote the record, 2 when cancelled, -1 when the dialog
    // could not be created.
    INT_PTR Run(HWND owner) { return DoModal(IDD_CONNECTIONDLG, owner); }

    BEGIN_MSG_MAP(ConnectionDlg)
        MSG_WM_INITDIALOG(OnInitDialog)
        COMMAND_ID_HANDLER_EX(IDOK, OnApply)
        COMMAND_ID_HANDLER_EX(IDCANCEL, OnCancel)
        COMMAND_HANDLER_EX(IDC_USE_DEFAULT, BN_CLICKED, OnUseDefault)
        COMMAND_HANDLER_EX(IDC_USE_SPECIFIC, BN_CLICKED, OnUseSpecific)
        COMMAND_HANDLER_EX(IDC_DMS_HOST, EN_CHANGE, OnHostOrPortChange)
        COMMAND_HANDLER_EX(IDC_DMS_PORT, EN_CHANGE, OnHostOrPortChange)
    END_MSG_MAP()

private:
    BOOL OnInitDialog(HWND focus, LPARAM initParam);
    void OnApply(UINT code, int id, HWND control);
    void OnCancel(UINT code, int id, HWND control);
    void OnUseDefault(UINT code, int id, HWND control);
    void OnUseSpecific(UINT code, int id, HWND control);
    void OnHostOrPortChange(UINT code, int id, HWND control);

    // Read-only entries and disabled check boxes while the defaults are shown.
    void applyModeState();

    PortRecord* record;
    const DmsConfig* defaults;
    bool useDefault;
    HWND useDefaultRadio = nullptr;
    HWND useSpecificRadio = nullptr;
    HWND useSslBox = nullptr;
    HWND comActiveBox = nullptr;
    HWND hostEdit = nullptr;
    HWND portEdit = nullptr;
    HWND retryEdit = nullptr;
};

}  // namespace kestrel
