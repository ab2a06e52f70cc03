#include "ConnectionDlg.h"

#include <string>

#include "CAppModule.h"
#include "CenterWindow.h"
#include "WindowIcons.h"
#include "ConfigMessages.h"
#include "DmsControls.h"
#include "DmsTexts.h"

namespace kestrel {

ConnectionDlg::ConnectionDlg(PortRecord* edited, const DmsConfig* followed)
    : record(edited), defaults(followed), useDefault(edited->useDefault) {}

BOOL ConnectionDlg::OnInitDialog(HWND, LPARAM) {
    const HWND dialog = Handle();
    ::SetWindowTextW(dialog, (record->portLabel + kConnectionCaptionSuffix).c_str());
    useDefaultRadio = ::GetDlgItem(dialog, IDC_USE_DEFAULT);
    useSpecificRadio = ::GetDlgItem(dialog, IDC_USE_SPECIFIC);
    useSslBox = ::GetDlgItem(dialog, IDC_USE_SSL);
    comActiveBox = ::GetDlgItem(dialog, IDC_COM_ACTIVE);
    hostEdit = ::GetDlgItem(dialog, IDC_DMS_HOST);
    portEdit = ::GetDlgItem(dialog, IDC_DMS_PORT);
    retryEdit = ::GetDlgItem(dialog, IDC_DMS_RETRY);
    CenterWindow(dialog, ::GetWindow(dialog, GW_OWNER));
    SetWindowIcons(dialog, appModule.Instance(), IDR_MAINFRAME);

    ::SendMessageW(useDefault ? useDefaultRadio : useSpecificRadio, BM_SETCHECK, BST_CHECKED, 0);
    // The port's own stored values in either mode, as the service reported them.
    ShowDmsConfig(dialog, record->dms);
    applyModeState();
    return TRUE;
}

void ConnectionDlg::applyModeState() {
    const WPARAM readOnly = useDefault ? TRUE : FALSE;
    ::EnableWindow(useSslBox, !useDefault);
    if (useDefault)
        ::EnableWindow(comActiveBox, FALSE);
    else
        updateComPortAvailability(Handle());
    for (HWND edit : {hostEdit, portEdit, retryEdit})
        ::SendMessageW(edit, EM_SETREADONLY, readOnly, 0);
}

void ConnectionDlg::OnUseDefault(UINT, int, HWND) {
    if (::SendMessageW(useDefaultRadio, BM_GETCHECK, 0, 0) == BST_CHECKED) {
        useDefault = true;
        ShowDmsConfig(Handle(), *defaults);
        applyModeState();
    }
}

void ConnectionDlg::OnUseSpecific(UINT, int, HWND) {
    if (::SendMessageW(useSpecificRadio, BM_GETCHECK, 0, 0) == BST_CHECKED) {
        useDefault = false;
        ShowDmsConfig(Handle(), record->dms);
        applyModeState();
    }
}

void ConnectionDlg::OnHostOrPortChange(UINT, int, HWND) {
    // The defaults are shown read-only with the check box disabled.
    if (!useDefault) updateComPortAvailability(Handle());
}

void ConnectionDlg::OnApply(UINT, int, HWND) {
    const HWND dialog = Handle();
    DmsInput input;
    if (!validateDmsInput(dialog, input)) return;
    switch (ConfirmationFor(dialog, input, record->dms)) {
    case DmsConfirmation::Deactivation:
        if (!confirmChange(dialog, kConnectionDeactivateQuestion)) return;
        break;
    case DmsConfirmation::Change:
        if (!confirmChange(dialog, kConnectionChangeQuestion)) return;
        break;
    case DmsConfirmation::None: break;
    }
    record->useDefault = useDefault;
    StoreDmsControls(dialog, input, record->dms);
    EndDialog(IDOK);
}

void ConnectionDlg::OnCancel(UINT, int, HWND) { EndDialog(IDCANCEL); }

}  // namespace kestrel
