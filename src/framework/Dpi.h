// Pixel figures are given for 96 DPI; on a display of another DPI they are
// scaled to it, as the dialog templates scale through their font.
#pragma once

#include <windows.h>

namespace kestrel {

inline constexpr UINT kDefaultDpi = 96;

// WM_DPICHANGED_AFTERPARENT: a child window's parent has moved to a monitor
// of another DPI (systems from Windows 10 on; older ones never send it).
inline constexpr UINT kDpiChangedAfterParent = 0x02E3;

// The DPI a window is shown at: its monitor's where the system keeps one per
// window, else the system's.
UINT WindowDpi(HWND window);

// pixels at 96 DPI, at dpi (rounded to the nearest pixel).
inline int ScaleForDpi(int pixels, UINT dpi) {
    return ::MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}

}  // namespace kestrel
