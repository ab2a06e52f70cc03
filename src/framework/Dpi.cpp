#include "Dpi.h"

#include "TScopeGuard.h"

namespace kestrel {

UINT WindowDpi(HWND window) {
    // Looked up at run time: older systems do not have it.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && window) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) return dpi;
    }
    const HDC screen = ::GetDC(nullptr);
    if (!screen) return kDefaultDpi;
    const TScopeGuard releaseScreen([screen]() noexcept { ::ReleaseDC(nullptr, screen); });
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

}  // namespace kestrel
