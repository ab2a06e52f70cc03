// The big and small icons of a top-level window from one icon resource.
#pragma once

#include <windows.h>

namespace kestrel {

// Loads the icon at the system's large and small sizes and sets both. They
// are shared icons, which belong to the system, so nothing has to free them.
void SetWindowIcons(HWND window, HINSTANCE module, int iconId);

// The icon at the system's small-icon size (16 px at 96 DPI, 24 at 144), as a
// shared icon: loading it again gives the same handle.
HICON LoadSmallIcon(HINSTANCE module, int iconId);

}  // namespace kestrel
