// Runs a modal dialog and drives it from a thread timer inside its modal loop,
// as a user would, plus the control reads and clicks the dialog tests share.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>

namespace kestrel::test {

inline std::wstring drivenCaption;
inline std::function<void(HWND)> drivenScript;
inline UINT_PTR drivingTimer = 0;

// Other test programs may show the same dialog on the display: look only
// among this thread's windows.
inline BOOL CALLBACK FindDrivenDialog(HWND window, LPARAM found) {
    wchar_t caption[64] = {};
    GetWindowTextW(window, caption, 64);
    if (caption != drivenCaption) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Runs the script once the dialog is up.
inline void CALLBACK DriveDialogStep(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDrivenDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, timer);
    drivingTimer = 0;
    drivenScript(dialog);
}

// For a run that was expected not to show the dialog at all. The timer's id
// is forgotten with it: the system may give it to another timer.
inline void StopDriving() {
    if (drivingTimer) KillTimer(nullptr, drivingTimer);
    drivingTimer = 0;
}

// run() shows the dialog modally; script gets the dialog whose caption is
// given. A timer left from an earlier run that showed no dialog goes first, or
// both would run the script.
template <typename Run>
INT_PTR DriveDialog(const std::wstring& caption, std::function<void(HWND)> script, Run run) {
    StopDriving();
    drivenCaption = caption;
    drivenScript = std::move(script);
    drivingTimer = SetTimer(nullptr, 0, 20, DriveDialogStep);
    return run();
}

inline std::wstring Text(HWND dialog, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

inline bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
inline bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
inline bool ReadOnly(HWND dialog, int id) {
    return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & ES_READONLY) != 0;
}

inline void Click(HWND dialog, int id) { SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0); }

// Also for a dialog of another process: the system carries the text across.
inline void SetText(HWND dialog, int id, const wchar_t* text) {
    SendDlgItemMessageW(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}
inline void SetText(HWND dialog, int id, const std::wstring& text) { SetText(dialog, id, text.c_str()); }

// Apply and Cancel as their buttons send them.
inline void Apply(HWND dialog) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }
inline void Cancel(HWND dialog) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

}  // namespace kestrel::test
