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
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDOK, OnCloseCmd)
        COMMAND_ID_HANDLER(IDCANCEL, OnCloseCmd)
    END_MSG_MAP()

    // Seven lines: product, blank, "Version MM.mm.pp" with the suffix (the product version), blank,
    // notice, blank, company.
    static std::wstring Text();

private:
    LRESULT OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnCloseCmd(WORD code, WORD id, HWND control, BOOL& handled);

    HWND textControl = nullptr;
};

}  // namespace kestrel
