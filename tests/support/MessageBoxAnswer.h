// Answers the next message box a window owns, as the user would, and records
// what the box showed. The box runs its own modal loop; a timer of the owner
// finds it there.
#pragma once

#include <windows.h>

#include <string>

#include "ExpectedTexts.h"

namespace kestrel::test {

// The text, icon, Yes button and default button of the last box answered.
struct BoxSeen {
    std::wstring text;
    HICON icon = nullptr;
    bool hasYes = false;
    int defaultId = 0;
};

// The system's icons that a box may show, to compare with BoxSeen::icon.
inline HICON ErrorIcon() { return ::LoadIconW(nullptr, IDI_ERROR); }
inline HICON QuestionIcon() { return ::LoadIconW(nullptr, IDI_QUESTION); }

inline BOOL CALLBACK FindBoxIcon(HWND child, LPARAM icon) {
    if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) return TRUE;
    *reinterpret_cast<HICON*>(icon) =
        reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    return FALSE;
}
inline BoxSeen seen;
inline int answer = IDOK;
// Not 1: the main window's refresh timer has that id.
inline constexpr UINT_PTR kAnswerTimerId = 0x4B41;

// Runs inside the message box's modal loop.
inline void CALLBACK AnswerBox(HWND owner, UINT, UINT_PTR timer, DWORD) {
    HWND box = nullptr;
    while ((box = ::FindWindowExW(nullptr, box, L"#32770", texts::kProductName)) != nullptr)
        if (::GetWindow(box, GW_OWNER) == owner) break;
    if (!box) return;
    ::KillTimer(owner, timer);
    wchar_t text[512] = {};
    ::GetDlgItemTextW(box, 0xFFFF, text, 512);
    seen.text = text;
    ::EnumChildWindows(box, FindBoxIcon, reinterpret_cast<LPARAM>(&seen.icon));
    seen.hasYes = ::GetDlgItem(box, IDYES) != nullptr;
    for (int id : {IDOK, IDYES, IDNO}) {
        HWND button = ::GetDlgItem(box, id);
        if (button && (::GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            seen.defaultId = id;
    }
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, answer)));
}

// Clears the record; the next box owned by the window gets the button `with`.
inline void AnswerNextBox(HWND owner, int with) {
    seen = BoxSeen();
    answer = with;
    ::SetTimer(owner, kAnswerTimerId, 50, AnswerBox);
}

}  // namespace kestrel::test
