#include "CAboutDlg.h"

#include <cstdio>

#include "CenterWindow.h"
#include "PanelTexts.h"
#include "ProductVersion.h"
#include "resource.h"

namespace kestrel {

std::wstring CAboutDlg::Text() {
    wchar_t text[512];
    text[511] = L'\0';
    _snwprintf(text, 511, kAboutFormat, kProgramTitle, kProductVersionMajor, kProductVersionMinor,
               kProductVersionPatch, kAboutVersionSuffix, kAboutNotice, kCompanyName);
    return text;
}

BOOL CAboutDlg::OnInitDialog(HWND, LPARAM) {
    textControl = ::GetDlgItem(Handle(), IDC_ABOUT_TEXT);
    ::SetWindowTextW(textControl, Text().c_str());
    CenterWindow(Handle(), ::GetWindow(Handle(), GW_OWNER));
    return TRUE;
}

void CAboutDlg::OnCloseCmd(UINT, int id, HWND) { EndDialog(id); }

}  // namespace kestrel
