// Whether the notification area holds the icon of a window, in this process or
// another: an icon can be modified only while it is there. The modification
// changes nothing (no flags).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "TNotifyIcon.h"

namespace kestrel::test {

inline bool IconShown(HWND window) {
    NOTIFYICONDATAW record{};
    record.cbSize = kNotifyIconRecordSize;
    record.hWnd = window;
    record.uID = TNotifyIcon::kIconId;
    return ::Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

}  // namespace kestrel::test
