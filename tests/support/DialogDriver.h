// Runs a modal dialog and drives it from a thread timer inside its modal loop,
// as a user would, plus the control reads and clicks the dialog tests share.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>

namespace kestrel::test {

inline const wchar_t* drivenCaption = nullptr;
inline std::function<void(HWND)> drivenScript;
inline UINT_PTR drivingTimer = 0;

// Other test programs may show the same dialog on the display: look only
// among this thread's windows.
inline BOOL CALLBACK FindDrivenDialog(HWND window, LPARAM found) {
    wchar_t caption[64] = {};
    GetWindowTextW(window, caption, 64);
    if (std::wstring(caption) != drivenCaption) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Runs the script once the dialog is up.
inline void CALLBACK DriveDialogStep(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDrivenDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, timer);
    drivenScript(dialog);
}

// run() shows the dialog modally; script gets the dialog whose caption is given.
template <typename Run>
INT_PTR DriveDialog(const wchar_t* caption, std::function<void(HWND)> script, Run run) {
    drivenCaption = caption;
    drivenScript = std::move(script);
    drivingTimer = SetTimer(nullptr, 0, 20, DriveDialogStep);
    return run();
}

// For a run that was expected not to show the dialog at all.
inline void StopDriving() { KillTimer(nullptr, drivingTimer); }

inline std::wstring Text(HWND dialog, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

inline void Click(HWND dialog, int id) { SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0); }

// Also for a dialog of another process: the system carries the text across.
inline void SetText(HWND dialog, int id, const wchar_t* text) {
    SendDlgItemMessageW(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// Apply and Cancel as their buttons send them.
inline void Apply(HWND dialog) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }
inline void Cancel(HWND dialog) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

}  // namespace kestrel::test
