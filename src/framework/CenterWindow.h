// Centring of a top-level window, kept inside the work area of its monitor.
#pragma once

#include <windows.h>

namespace kestrel {

// Centres window over the window `over`; over the work area of the window's
// monitor when `over` is null, hidden or minimised.
bool CenterWindow(HWND window, HWND over);

// Where a window of the given size goes when centred over `target`, moved back
// into workArea where it would stick out (left and top edges win).
POINT CenteredPosition(SIZE size, const RECT& target, const RECT& workArea);

}  // namespace kestrel
