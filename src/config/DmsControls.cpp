#include "DmsControls.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>

#include "ConfigMessages.h"
#include "DmsTexts.h"
#include "resource.h"

namespace kestrel {

namespace {

std::wstring controlText(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    std::wstring text(static_cast<size_t>(std::max(::GetWindowTextLengthW(control), 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(control, &text[0], static_cast<int>(text.size()))));
    return text;
}

// Fields read from the service need not be terminated.
void setFieldText(HWND dialog, int id, const char* field, size_t size) {
    const std::string text(field, static_cast<size_t>(std::find(field, field + size, '\0') - field));
    ::SetDlgItemTextA(dialog, id, text.c_str());
}

bool isChecked(HWND dialog, int id) { return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

}  // namespace

void ShowDmsConfig(HWND dialog, const DmsConfig& config) {
    setFieldText(dialog, IDC_DMS_HOST, config.host, sizeof config.host);
    setFieldText(dialog, IDC_DMS_PORT, config.port, sizeof config.port);
    ::CheckDlgButton(dialog, IDC_USE_SSL, config.useSsl ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(dialog, IDC_COM_ACTIVE, config.comPortActive ? BST_CHECKED : BST_UNCHECKED);
    wchar_t seconds[16];
    std::swprintf(seconds, sizeof seconds / sizeof seconds[0], L"%u",
                  static_cast<unsigned>(config.retryMs / 1000));
    ::SetDlgItemTextW(dialog, IDC_DMS_RETRY, seconds);
}

bool validateDmsInput(HWND dialog, DmsInput& input) {
    DmsInputCheck check = CheckDmsInput(controlText(dialog, IDC_DMS_HOST),
                                        controlText(dialog, IDC_DMS_PORT),
                                        controlText(dialog, IDC_DMS_RETRY));
    if (!check.Ok()) {
        showError(dialog, DmsErrorFormat(check.error), static_cast<int>(check.argument));
        return false;
    }
    input = std::move(check.input);
    return true;
}

void updateComPortAvailability(HWND dialog) {
    HWND comPort = ::GetDlgItem(dialog, IDC_COM_ACTIVE);
    if (ComPortAvailable(controlText(dialog, IDC_DMS_HOST), controlText(dialog, IDC_DMS_PORT))) {
        ::EnableWindow(comPort, TRUE);
    } else {
        ::CheckDlgButton(dialog, IDC_COM_ACTIVE, BST_UNCHECKED);
        ::EnableWindow(comPort, FALSE);
    }
}

DmsConfirmation ConfirmationFor(HWND dialog, const DmsInput& input, const DmsConfig& reference) {
    return ConfirmationFor(reference, isChecked(dialog, IDC_COM_ACTIVE),
                           DmsEntriesChanged(input, isChecked(dialog, IDC_USE_SSL), reference));
}

void StoreDmsControls(HWND dialog, const DmsInput& input, DmsConfig& config) {
    StoreDmsInput(input, isChecked(dialog, IDC_USE_SSL), isChecked(dialog, IDC_COM_ACTIVE), config);
}

}  // namespace kestrel
