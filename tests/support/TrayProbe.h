// Whether the notification area holds the icon of a window, in this process or
// another: an icon can be modified only while it is there. The modification
// changes nothing (no flags).
// TrayLook names an icon by the resource of this program it was loaded from.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <utility>

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

}  // namespace kestrel::test
