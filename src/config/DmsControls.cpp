#include "DmsControls.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>

#include "ConfigMessages.h"
#include "DmsTexts.h"
#include "WindowText.h"
#include "resource.h"

namespace kestrel {

namespace {

std::wstring ControlText(HWND dialog, int id) { return WindowText(::GetDlgItem(dialog, id)); }

// Fields read from the service need not be terminated.
void SetFieldText(HWND dialog, int id, const char* field, size_t size) {
    ::SetDlgItemTextA(dialog, id, std::string(FieldText(field, size)).c_str());
}

bool IsChecked(HWND dialog, int id) { return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

}  // namespace

void ShowDmsConfig(HWND dialog, const DmsConfig& config) {
    SetFieldText(dialog, IDC_DMS_HOST, config.host, sizeof config.host);
    SetFieldText(dialog, IDC_DMS_PORT, config.port, sizeof config.port);
    ::CheckDlgButton(dialog, IDC_USE_SSL, config.useSsl ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(dialog, IDC_COM_ACTIVE, config.comPortActive ? BST_CHECKED : BST_UNCHECKED);
    wchar_t seconds[16];
    std::swprintf(seconds, sizeof seconds / sizeof seconds[0], L"%u",
                  static_cast<unsigned>(config.retryMs / 1000));
    ::SetDlgItemTextW(dialog, IDC_DMS_RETRY, seconds);
}

bool validateDmsInput(HWND dialog, DmsInput& input) {
    DmsInputCheck check =
        CheckDmsInput(ControlText(dialog, IDC_DMS_HOST), ControlText(dialog, IDC_DMS_PORT),
                      ControlText(dialog, IDC_DMS_RETRY));
    if (!check.Ok()) {
        showError(dialog, DmsErrorFormat(check.error), static_cast<int>(check.argument));
        return false;
    }
    input = std::move(check.input);
    return true;
}

void updateComPortAvailability(HWND dialog) {
    HWND comPort = ::GetDlgItem(dialog, IDC_COM_ACTIVE);
    if (ComPortAvailable(ControlText(dialog, IDC_DMS_HOST), ControlText(dialog, IDC_DMS_PORT))) {
        ::EnableWindow(comPort, TRUE);
    } else {
        ::CheckDlgButton(dialog, IDC_COM_ACTIVE, BST_UNCHECKED);
        ::EnableWindow(comPort, FALSE);
    }
}

DmsConfirmation ConfirmationFor(HWND dialog, const DmsInput& input, const DmsConfig& reference) {
    return ConfirmationFor(reference, IsChecked(dialog, IDC_COM_ACTIVE),
                           DmsEntriesChanged(input, IsChecked(dialog, IDC_USE_SSL), reference));
}

void StoreDmsControls(HWND dialog, const DmsInput& input, DmsConfig& config) {
    StoreDmsInput(input, IsChecked(dialog, IDC_USE_SSL), IsChecked(dialog, IDC_COM_ACTIVE), config);
}

}  // namespace kestrel
