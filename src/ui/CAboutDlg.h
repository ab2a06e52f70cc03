// The About box: program name, version, notice and company in one centred
// text, with the program icon and an OK button. Modal, from the main window's
// system menu.
#pragma once

#include <windows.h>

#include <string>

#include "CDialogBase.h"
#include "MessageMap.h"

namespace kestrel {

class CAboutDlg : public CDialogBase {
public:
    BEGIN_MSG_MAP(CAboutDlg)
        MSG_WM_INITDIALOG(OnInitDialog)
        COMMAND_ID_HANDLER_EX(IDOK, OnCloseCmd)
        COMMAND_ID_HANDLER_EX(IDCANCEL, OnCloseCmd)
    END_MSG_MAP()

    // Seven lines: product, blank, "Version MM.mm.pp" with the suffix (the product version), blank,
    // notice, blank, company.
    static std::wstring Text();

private:
    BOOL OnInitDialog(HWND focus, LPARAM initParam);
    void OnCloseCmd(UINT code, int id, HWND control);

    HWND textControl = nullptr;
};

}  // namespace kestrel
