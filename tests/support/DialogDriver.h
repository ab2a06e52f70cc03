// Runs a modal dialog (or a popup menu) and drives it from a thread timer
// inside its modal loop, as a user would, plus the control reads and clicks
// the dialog tests share.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>

namespace kestrel::test {

inline std::wstring drivenCaption;
// When set, the window is found by its class instead: a popup menu has no caption.
inline std::wstring drivenClass;
inline std::function<void(HWND)> drivenScript;
inline UINT_PTR drivingTimer = 0;

// Other test programs may show the same dialog on the display: look only
// among this thread's windows.
inline BOOL CALLBACK FindDrivenDialog(HWND window, LPARAM found) {
    wchar_t text[64] = {};
    if (drivenClass.empty()) {
        ::GetWindowTextW(window, text, 64);
        if (text != drivenCaption) return TRUE;
    } else {
        ::GetClassNameW(window, text, 64);
        if (text != drivenClass || !::IsWindowVisible(window)) return TRUE;
    }
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Runs the script once the dialog is up.
inline void CALLBACK DriveDialogStep(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindDrivenDialog,
                        reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    ::KillTimer(nullptr, timer);
    drivingTimer = 0;
    drivenScript(dialog);
}

// For a run that was expected not to show the dialog at all. The timer's id
// is forgotten with it: the system may give it to another timer.
inline void StopDriving() {
    if (drivingTimer) ::KillTimer(nullptr, drivingTimer);
    drivingTimer = 0;
}

inline void StartDriving(const std::wstring& caption, const wchar_t* windowClass,
                         std::function<void(HWND)> script) {
    StopDriving();
    drivenCaption = caption;
    drivenClass = windowClass;
    drivenScript = std::move(script);
    drivingTimer = ::SetTimer(nullptr, 0, 20, DriveDialogStep);
}

// run() shows the dialog modally; script gets the dialog whose caption is
// given. A timer left from an earlier run that showed no dialog goes first, or
// both would run the script.
template <typename Run>
INT_PTR DriveDialog(const std::wstring& caption, std::function<void(HWND)> script, Run run) {
    StartDriving(caption, L"", std::move(script));
    return run();
}

// run() opens a popup menu (TrackPopupMenu); script gets the menu's window,
// whose MN_GETHMENU gives the menu.
template <typename Run>
void DriveMenu(std::function<void(HWND)> script, Run run) {
    StartDriving(std::wstring(), L"#32768", std::move(script));
    run();
    StopDriving();
}

inline std::wstring Text(HWND dialog, int id) {
    wchar_t text[512] = {};
    ::GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

// Also of a window of another process.
inline std::wstring WindowText(HWND window) {
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

inline bool Checked(HWND dialog, int id) { return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
inline bool Enabled(HWND dialog, int id) {
    return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE;
}
inline bool ReadOnly(HWND dialog, int id) {
    return (::GetWindowLongW(::GetDlgItem(dialog, id), GWL_STYLE) & ES_READONLY) != 0;
}

inline void Click(HWND dialog, int id) { ::SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0); }

// Also for a dialog of another process: the system carries the text across.
inline void SetText(HWND dialog, int id, const wchar_t* text) {
    ::SendDlgItemMessageW(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}
inline void SetText(HWND dialog, int id, const std::wstring& text) {
    SetText(dialog, id, text.c_str());
}

// Apply and Cancel as their buttons send them.
inline void Apply(HWND dialog) {
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}
inline void Cancel(HWND dialog) {
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

}  // namespace kestrel::test
