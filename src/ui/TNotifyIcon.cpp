#include "TNotifyIcon.h"

#include <cwchar>

namespace kestrel {

TNotifyIcon::~TNotifyIcon() {
    // Not virtual here: a derived part is already gone.
    TNotifyIcon::Destroy();
}

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

bool TNotifyIcon::Create(HICON icon, const wchar_t* tooltip, UINT message, HWND owner,
                         HINSTANCE module) {
    if (!Accepts(icon, tooltip)) return false;
    if (owner) {
        window = owner;
    } else if (!CreateHiddenWindow(module)) {
        return false;
    }
    NOTIFYICONDATAW record = MakeRecord(window, icon, tooltip, message);
    if (!::Shell_NotifyIconW(NIM_ADD, &record)) {
        if (ownsWindow) {
            ::DestroyWindow(window);
            ::UnregisterClassW(kNotifyIconWindowClass, instance);
        }
        window = nullptr;
        instance = nullptr;
        ownsWindow = false;
        return false;
    }
    added = record;
    callbackMessage = message;
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

bool TNotifyIcon::CreateHiddenWindow(HINSTANCE module) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = HiddenWindowProc;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kNotifyIconWindowClass;
    // A second object cannot register the class again while the first holds it.
    if (!::RegisterClassExW(&windowClass)) return false;

    HWND hidden = ::CreateWindowExW(
        0, kNotifyIconWindowClass, kNotifyIconWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, module, nullptr);
    if (!hidden) {
        ::UnregisterClassW(kNotifyIconWindowClass, module);
        return false;
    }
    // 0 is also the previous value of a fresh window, so only the error tells.
    ::SetLastError(0);
    if (::SetWindowLongPtrW(hidden, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this)) == 0 &&
        ::GetLastError() != 0) {
        ::DestroyWindow(hidden);
        ::UnregisterClassW(kNotifyIconWindowClass, module);
        return false;
    }
    window = hidden;
    instance = module;
    ownsWindow = true;
    return true;
}

LRESULT CALLBACK TNotifyIcon::HiddenWindowProc(HWND hidden, UINT message, WPARAM wParam,
                                               LPARAM lParam) noexcept {
    auto* icon = reinterpret_cast<TNotifyIcon*>(::GetWindowLongPtrW(hidden, GWLP_USERDATA));
    if (!icon || message != icon->callbackMessage)
        return ::DefWindowProcW(hidden, message, wParam, lParam);
    bool handled = true;
    return icon->OnNotifyIconMessage(message, wParam, lParam, handled);
}

void TNotifyIcon::Destroy() {
    if (window) {
        NOTIFYICONDATAW record{};
        record.cbSize = kNotifyIconRecordSize;
        record.hWnd = window;
        record.uID = iconId;
        ::Shell_NotifyIconW(NIM_DELETE, &record);
    }
    if (ownsWindow && window) ::DestroyWindow(window);
    window = nullptr;
    if (ownsWindow && instance) ::UnregisterClassW(kNotifyIconWindowClass, instance);
    instance = nullptr;
    ownsWindow = false;
}

LRESULT TNotifyIcon::OnNotifyIconMessage(UINT, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (wParam != iconId) {
        handled = false;
        return 0;
    }
    void (TNotifyIcon::*handler)(POINT) = nullptr;
    switch (static_cast<UINT>(lParam)) {
    case WM_LBUTTONDOWN: handler = &TNotifyIcon::OnLButtonDown; break;
    case WM_LBUTTONDBLCLK: handler = &TNotifyIcon::OnLButtonDblClk; break;
    case WM_RBUTTONDOWN: handler = &TNotifyIcon::OnRButtonDown; break;
    case WM_RBUTTONDBLCLK: handler = &TNotifyIcon::OnRButtonDblClk; break;
    default: break;
    }
    POINT point;
    if (handler && ::GetCursorPos(&point)) (this->*handler)(point);
    return 0;
}

void TNotifyIcon::OnLButtonDown(POINT point) { TrackLButtonDownMenu(point); }
void TNotifyIcon::OnLButtonDblClk(POINT point) { TrackLButtonDblClkMenu(point); }
void TNotifyIcon::OnRButtonDown(POINT point) { TrackRButtonDownMenu(point); }
void TNotifyIcon::OnRButtonDblClk(POINT point) { TrackRButtonDblClkMenu(point); }

void TNotifyIcon::TrackLButtonDownMenu(POINT point) { TrackMenu(kLButtonDown, point); }
void TNotifyIcon::TrackLButtonDblClkMenu(POINT point) { TrackMenu(kLButtonDblClk, point); }
void TNotifyIcon::TrackRButtonDownMenu(POINT point) { TrackMenu(kRButtonDown, point); }
void TNotifyIcon::TrackRButtonDblClkMenu(POINT point) { TrackMenu(kRButtonDblClk, point); }

void TNotifyIcon::TrackMenu(MenuEvent event, POINT point) {
    const HMENU menu = menus[event].Get();
    if (!menu || !window) return;
    const bool leftButton = event == kLButtonDown || event == kLButtonDblClk;
    // Without the foreground the menu would not close on a click elsewhere.
    ::SetForegroundWindow(window);
    ::TrackPopupMenu(menu, leftButton ? kLeftMenuAlignment : kRightMenuAlignment,
                     ClampToWorkArea(point.x, point.y), point.y, 0, window, nullptr);
    ::PostMessageW(window, WM_NULL, 0, 0);
}

bool TNotifyIcon::AppendLButtonDownMenuItem(UINT id, const wchar_t* text) {
    return AppendMenuItem(kLButtonDown, id, text);
}
bool TNotifyIcon::AppendLButtonDblClkMenuItem(UINT id, const wchar_t* text) {
    return AppendMenuItem(kLButtonDblClk, id, text);
}
bool TNotifyIcon::AppendRButtonDownMenuItem(UINT id, const wchar_t* text) {
    return AppendMenuItem(kRButtonDown, id, text);
}
bool TNotifyIcon::AppendRButtonDblClkMenuItem(UINT id, const wchar_t* text) {
    return AppendMenuItem(kRButtonDblClk, id, text);
}

bool TNotifyIcon::AppendMenuItem(MenuEvent event, UINT id, const wchar_t* text) {
    CMenu& menu = menus[event];
    if (!menu.IsValid()) menu.Reset(::CreatePopupMenu());
    if (!menu.IsValid()) return false;
    return ::AppendMenuW(menu.Get(), MF_STRING, id, text) != FALSE;
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
