// Push button that a list row carries over one of its cells. Its window class is
// a superclass of "BUTTON", registered once per process. It never takes the
// default-push-button style, so the dialog manager's default-button moves leave
// it a plain push button.
#pragma once

#include <windows.h>

#include "CWindowBase.h"
#include "MessageMap.h"

namespace kestrel {

class ListCtrlButton : public CWindowBase {
public:
    BEGIN_MSG_MAP(ListCtrlButton)
        MESSAGE_HANDLER_EX(BM_SETSTYLE, OnSetStyle)
    END_MSG_MAP()

    // Creates the button window as a child with that control id. Null on failure.
    HWND Create(HWND parent, const RECT& rect, const wchar_t* text, DWORD style, UINT id);

private:
    LRESULT OnSetStyle(UINT msg, WPARAM wParam, LPARAM lParam);
};

}  // namespace kestrel
