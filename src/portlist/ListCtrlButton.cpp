#include "ListCtrlButton.h"

#include "CSuperclass.h"

namespace kestrel {

HWND ListCtrlButton::Create(HWND parent, const RECT& rect, const wchar_t* text, DWORD style,
                            UINT id) {
    static CSuperclass buttonClass(L"BUTTON");
    return CWindowBase::Create(buttonClass, parent, rect, text, style, 0, id);
}

LRESULT ListCtrlButton::OnSetStyle(UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallPreviousProc(msg, wParam & ~static_cast<WPARAM>(BS_DEFPUSHBUTTON), lParam);
}

}  // namespace kestrel
