#include "CenterWindow.h"

namespace kestrel {

POINT CenteredPosition(SIZE size, const RECT& target, const RECT& workArea) {
    POINT position{(target.left + target.right - size.cx) / 2,
                   (target.top + target.bottom - size.cy) / 2};
    if (position.x + size.cx > workArea.right) position.x = workArea.right - size.cx;
    if (position.y + size.cy > workArea.bottom) position.y = workArea.bottom - size.cy;
    if (position.x < workArea.left) position.x = workArea.left;
    if (position.y < workArea.top) position.y = workArea.top;
    return position;
}

bool CenterWindow(HWND window, HWND over) {
    RECT rect;
    if (!::GetWindowRect(window, &rect)) return false;
    const bool useOver = over && ::IsWindowVisible(over) && !::IsIconic(over);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!::GetMonitorInfoW(::MonitorFromWindow(useOver ? over : window, MONITOR_DEFAULTTONEAREST),
                           &monitor))
        return false;
    RECT target = monitor.rcWork;
    if (useOver && !::GetWindowRect(over, &target)) return false;
    const SIZE size{rect.right - rect.left, rect.bottom - rect.top};
    const POINT position = CenteredPosition(size, target, monitor.rcWork);
    return ::SetWindowPos(window, nullptr, position.x, position.y, 0, 0,
                          SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

}  // namespace kestrel
