// The big and small icons of a top-level window from one icon resource.
#pragma once

#include <windows.h>

namespace kestrel {

// Loads the icon at the system's large and small sizes and sets both. They
// are shared icons, which belong to the system, so nothing has to free them.
void SetWindowIcons(HWND window, HINSTANCE module, int iconId);

}  // namespace kestrel
