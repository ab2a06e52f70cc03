// Owns a menu made with CreateMenu or CreatePopupMenu (or loaded) and
// destroys it with DestroyMenu when it goes or is replaced. Move only. Not for
// menus the system owns (GetSystemMenu) or that a window destroys itself:
// those stay plain HMENUs.
#pragma once

#include <windows.h>

#include "TOwnedHandle.h"

namespace kestrel {

using CMenu = TOwnedHandle<TPlainHandleTraits<HMENU, ::DestroyMenu>>;

}  // namespace kestrel
