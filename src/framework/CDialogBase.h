// Window object over a dialog made from a dialog template of the module,
// modeless (Create) or modal (DoModal). The map sees the dialog's messages
// first; unhandled ones get the dialog manager's default handling. A handled
// message's result reaches the sender: through DWLP_MSGRESULT, or directly for
// the messages whose result is the dialog procedure's return value
// (WM_INITDIALOG, WM_CTLCOLOR..., WM_COMPAREITEM, WM_VKEYTOITEM, WM_CHARTOITEM,
// WM_QUERYDRAGICON). WM_INITDIALOG: a result of TRUE lets the dialog manager set
// the focus, FALSE keeps the focus the handler set; unhandled counts as TRUE.
// The template may name a registered class whose procedure is DefDlgProcW.
// A modeless dialog gets the dialog manager's keyboard handling (Tab, Enter,
// Escape, mnemonics) from the thread's message loop, as its filter from
// WM_INITDIALOG until its window's last message; a modal one has it from the
// system's modal loop. Destroy a modeless dialog before its object: a dialog
// whose object is gone gets only the default handling.
//
//     class CAboutDlg : public CDialogBase {
//     public:
//         BEGIN_MSG_MAP(CAboutDlg)
//             MSG_WM_INITDIALOG(OnInitDialog)
//             COMMAND_ID_HANDLER_EX(IDOK, OnCloseCmd)
//             COMMAND_ID_HANDLER_EX(IDCANCEL, OnCloseCmd)
//         END_MSG_MAP()
//         BOOL OnInitDialog(HWND, LPARAM) { ...; return TRUE; }
//         void OnCloseCmd(UINT, int id, HWND) { EndDialog(id); }
//     };
//     CAboutDlg dlg;
//     dlg.DoModal(IDD_ABOUTBOX, ::GetActiveWindow());
#pragma once

#include <windows.h>

#include "CMessageLoop.h"
#include "CWindowObject.h"

namespace kestrel {

class CDialogBase : public CWindowObject {
public:
    ~CDialogBase() override;

    // Creates a modeless dialog, bound from its first message on. Null on failure.
    HWND Create(UINT templateId, HWND owner);
    // Runs a modal dialog; returns the value given to EndDialog, or -1 when the
    // dialog could not be created.
    INT_PTR DoModal(UINT templateId, HWND owner);
    // Ends a modal dialog with that result.
    bool EndDialog(INT_PTR result);

protected:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

private:
    class KeyboardFilter final : public CMessageFilter {
    public:
        bool PreTranslateMessage(MSG* msg) override;
        HWND window = nullptr;  // while in the loop
    };

    INT_PTR Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void LeaveMessageLoop();

    bool modeless = false;
    KeyboardFilter keyboard;
};

}  // namespace kestrel
