// Window object over a window that is not a dialog: an existing window taken
// over with SubclassWindow, or a new window created from a superclass. Messages
// the map leaves unhandled go to the previous procedure through CallWindowProcW:
// the one the window had before (SubclassWindow) or the base class's (Create).
//
//     class ListCtrlButton : public CWindowBase {
//         BEGIN_MSG_MAP(ListCtrlButton)
//             MESSAGE_HANDLER_EX(BM_SETSTYLE, OnSetStyle)
//         END_MSG_MAP()
//         ...
//     };
//     static CSuperclass buttonClass(L"BUTTON");
//     button.Create(buttonClass, list, cell, L"Edit...", WS_CHILD | WS_VISIBLE, 0, id);
#pragma once

#include <windows.h>

#include "CSuperclass.h"
#include "CWindowObject.h"

namespace kestrel {

class CWindowBase : public CWindowObject {
public:
    CWindowBase() = default;
    // Puts the previous procedure back if the window is still bound and still
    // has the object's procedure; never destroys the window.
    ~CWindowBase() override;

    // The procedure installed in bound windows.
    virtual WNDPROC GetWindowProc();

    // Binds to an existing window and replaces its procedure. False, with
    // nothing bound, when this object or the window is bound already or the
    // procedure cannot be replaced.
    bool SubclassWindow(HWND window);

    // Creates a window of the superclass (registering the class on first use),
    // bound from its first message on. Null on failure; the object then stays
    // unbound.
    HWND Create(CSuperclass& windowClass, HWND parent, const RECT& rect, const wchar_t* text,
                DWORD style, DWORD exStyle = 0, UINT id = 0);

    // Passes a message of the bound window to the previous procedure.
    LRESULT CallPreviousProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Passes the message being handled on, for a handler that acts after it.
    LRESULT CallPreviousProc() {
        return CallPreviousProc(CurrentMessage().msg, CurrentMessage().wParam,
                                CurrentMessage().lParam);
    }

protected:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

private:
    // Class procedure of superclasses: binds the waiting object, then hands over.
    static LRESULT CALLBACK StartWindowProc(HWND hwnd, UINT msg, WPARAM wParam,
                                            LPARAM lParam) noexcept;
    LRESULT Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void RestorePreviousProc(HWND window);

    WNDPROC previousProc = nullptr;
    WNDPROC installedProc = nullptr;
};

}  // namespace kestrel
