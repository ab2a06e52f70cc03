// Whether the notification area holds the icon of a window, in this process or
// another: an icon can be modified only while it is there. The modification
// changes nothing (no flags).
// TrayLook names an icon by the resource of this program it was loaded from.
// The balloons shown are read as the user sees them: Wine shows each as a
// tooltip window of its notification area.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <utility>

#include "CRegKey.h"
#include "Eventually.h"

#include "TNotifyIcon.h"
#include "resource.h"

namespace kestrel::test {

inline bool IconShown(HWND window) {
    NOTIFYICONDATAW record{};
    record.cbSize = kNotifyIconRecordSize;
    record.hWnd = window;
    record.uID = TNotifyIcon::kIconId;
    return ::Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

// The tray look of an icon: "plain", "greyed" or "warning", by the resource
// of this program it was loaded from at the system's small-icon size, else "?".
inline std::wstring TrayLook(HICON icon) {
    const std::pair<int, const wchar_t*> looks[] = {
        {IDR_MAINFRAME, L"plain"}, {IDI_TRAY_GREYED, L"greyed"}, {IDI_TRAY_WARNING, L"warning"}};
    for (const auto& [id, name] : looks) {
        const HANDLE loaded = ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                           IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                           ::GetSystemMetrics(SM_CYSMICON), LR_SHARED);
        if (loaded && loaded == icon) return name;
    }
    return L"?";
}

// Whether a balloon with this text shows, of any process, within timeoutMs
// (Wine shows one 2 s after it was asked for, as a tooltip window). Tests that
// run side by side tell theirs apart by their texts.
inline bool BalloonShows(const std::wstring& text, DWORD timeoutMs) {
    return Eventually(
        [&] {
            HWND tip = nullptr;
            while ((tip = ::FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) != nullptr) {
                wchar_t shown[300] = {};
                DWORD_PTR copied = 0;
                if (::IsWindowVisible(tip) &&
                    ::SendMessageTimeoutW(tip, WM_GETTEXT, 300, reinterpret_cast<LPARAM>(shown),
                                          SMTO_ABORTIFHUNG, 1000, &copied) &&
                    text == shown)
                    return true;
            }
            return false;
        },
        timeoutMs);
}

// Balloons on or off, as a user (HKCU) or a policy (HKLM, 64-bit view) says;
// no value: the value is removed. Written out, not taken from the program.
inline void SetNotifications(HKEY root, const DWORD* value) {
    const wchar_t* path = root == HKEY_LOCAL_MACHINE
                              ? L"Software\\Policies\\Norvane\\Kestrel Control Panel"
                              : L"Software\\Norvane\\Kestrel Control Panel";
    CRegKey key;
    if (::RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr,
                          key.Put(), nullptr) != ERROR_SUCCESS)
        return;
    if (value) {
        ::RegSetValueExW(key.Get(), L"Notifications", 0, REG_DWORD,
                         reinterpret_cast<const BYTE*>(value), sizeof(*value));
    } else {
        ::RegDeleteValueW(key.Get(), L"Notifications");
    }
}

}  // namespace kestrel::test
