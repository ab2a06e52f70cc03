#include "TNotifyIcon.h"

#include <cwchar>

namespace kestrel {

TNotifyIcon::~TNotifyIcon() { Destroy(); }

bool TNotifyIcon::Accepts(HICON icon, const wchar_t* tooltip) {
    return icon != nullptr && (tooltip == nullptr || wcslen(tooltip) < kNotifyIconTipChars);
}

NOTIFYICONDATAW TNotifyIcon::MakeRecord(HWND target, HICON icon, const wchar_t* tooltip,
                                        UINT message) {
    NOTIFYICONDATAW record{};
    record.cbSize = kNotifyIconRecordSize;
    record.hWnd = target;
    record.uID = kIconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON;
    record.uCallbackMessage = message;
    record.hIcon = icon;
    if (tooltip) {
        record.uFlags |= NIF_TIP;
        wcsncpy(record.szTip, tooltip, kNotifyIconTipChars - 1);
        record.szTip[kNotifyIconTipChars - 1] = L'\0';
    }
    return record;
}

bool TNotifyIcon::Create(HICON icon, const wchar_t* tooltip, UINT message, HWND owner) {
    if (!owner || !Accepts(icon, tooltip)) return false;
    NOTIFYICONDATAW record = MakeRecord(owner, icon, tooltip, message);
    // A failed add leaves no window: nothing of this icon is shown.
    window = ::Shell_NotifyIconW(NIM_ADD, &record) ? owner : nullptr;
    if (!window) return false;
    added = record;
    return true;
}

bool TNotifyIcon::AddAgain() {
    if (!window) return false;
    return ::Shell_NotifyIconW(NIM_ADD, &added) != FALSE;
}

bool TNotifyIcon::Modify(HICON icon, const wchar_t* tooltip) {
    if (!window || !Accepts(icon, tooltip)) return false;
    NOTIFYICONDATAW record = MakeRecord(window, icon, tooltip, added.uCallbackMessage);
    if (!::Shell_NotifyIconW(NIM_MODIFY, &record)) return false;
    added = record;
    return true;
}

bool TNotifyIcon::ShowBalloon(const wchar_t* title, const wchar_t* text, bool warning) {
    if (!window) return false;
    NOTIFYICONDATAW record{};
    record.cbSize = kNotifyIconRecordSize;
    record.hWnd = window;
    record.uID = iconId;
    record.uFlags = NIF_INFO;
    wcsncpy(record.szInfo, text, kBalloonTextChars - 1);
    wcsncpy(record.szInfoTitle, title, kBalloonTitleChars - 1);
    record.dwInfoFlags = (warning ? NIIF_WARNING : NIIF_INFO) | NIIF_RESPECT_QUIET_TIME;
    return ::Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

void TNotifyIcon::Destroy() {
    if (window) {
        NOTIFYICONDATAW record{};
        record.cbSize = kNotifyIconRecordSize;
        record.hWnd = window;
        record.uID = iconId;
        ::Shell_NotifyIconW(NIM_DELETE, &record);
    }
    window = nullptr;
}

TrayEvent TNotifyIcon::EventOf(WPARAM forIcon, LPARAM event) const {
    if (forIcon != iconId) return TrayEvent::OtherIcon;
    switch (static_cast<UINT>(event)) {
    case WM_LBUTTONDBLCLK: return TrayEvent::DoubleClick;
    case WM_RBUTTONDOWN: return TrayEvent::RightButton;
    case NIN_BALLOONUSERCLICK: return TrayEvent::BalloonClick;
    default: return TrayEvent::None;
    }
}

void TNotifyIcon::TrackRButtonDownMenu(POINT point) {
    const HMENU menu = rButtonDownMenu.Get();
    if (!menu || !window) return;
    // Without the foreground the menu would not close on a click elsewhere.
    ::SetForegroundWindow(window);
    ::TrackPopupMenu(menu, kRightMenuAlignment, ClampToWorkArea(point.x, point.y), point.y, 0,
                     window, nullptr);
    ::PostMessageW(window, WM_NULL, 0, 0);
}

bool TNotifyIcon::AppendRButtonDownMenuItem(UINT id, const wchar_t* text) {
    if (!rButtonDownMenu.IsValid()) rButtonDownMenu.Reset(::CreatePopupMenu());
    if (!rButtonDownMenu.IsValid()) return false;
    return ::AppendMenuW(rButtonDownMenu.Get(), MF_STRING, id, text) != FALSE;
}

int TNotifyIcon::ClampToWorkArea(int x, int y) {
    const POINT point{x, y};
    if (::MonitorFromPoint(point, MONITOR_DEFAULTTONULL)) return x;
    HMONITOR nearest = ::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!nearest || !::GetMonitorInfoW(nearest, &info)) return x;
    return ClampToRange(x, info.rcWork);
}

int TNotifyIcon::ClampToRange(int x, const RECT& workArea) {
    if (x < workArea.left) return workArea.left;
    if (x > workArea.right) return workArea.right;
    return x;
}

}  // namespace kestrel
