// The text of a window or control, of any length.
#pragma once

#include <windows.h>

#include <string>

namespace kestrel {

// Empty when the window has no text or is not a window.
std::wstring WindowText(HWND window);

}  // namespace kestrel
