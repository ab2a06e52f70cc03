#include "WindowIcons.h"

namespace kestrel {

namespace {

HICON LoadSharedIcon(HINSTANCE module, int iconId, int widthMetric, int heightMetric) {
    return static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                           ::GetSystemMetrics(widthMetric),
                                           ::GetSystemMetrics(heightMetric), LR_SHARED));
}

}  // namespace

void SetWindowIcons(HWND window, HINSTANCE module, int iconId) {
    ::SendMessageW(window, WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(LoadSharedIcon(module, iconId, SM_CXICON, SM_CYICON)));
    ::SendMessageW(window, WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(LoadSmallIcon(module, iconId)));
}

HICON LoadSmallIcon(HINSTANCE module, int iconId) {
    return LoadSharedIcon(module, iconId, SM_CXSMICON, SM_CYSMICON);
}

}  // namespace kestrel
