#include "WindowIcons.h"

namespace kestrel {

void SetWindowIcons(HWND window, HINSTANCE module, int iconId) {
    const auto load = [module, iconId](int widthMetric, int heightMetric) {
        return reinterpret_cast<LPARAM>(::LoadImageW(module, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                                     ::GetSystemMetrics(widthMetric),
                                                     ::GetSystemMetrics(heightMetric), LR_SHARED));
    };
    ::SendMessageW(window, WM_SETICON, ICON_BIG, load(SM_CXICON, SM_CYICON));
    ::SendMessageW(window, WM_SETICON, ICON_SMALL, load(SM_CXSMICON, SM_CYSMICON));
}

}  // namespace kestrel
