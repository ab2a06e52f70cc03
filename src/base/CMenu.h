// Owns a menu made with CreateMenu or CreatePopupMenu (or loaded) and
// destroys it with DestroyMenu when it goes or is replaced. Move only. Not for
// menus the system owns (GetSystemMenu) or that a window destroys itself:
// those stay plain HMENUs.
#pragma once

#include <windows.h>

#include "TOwnedHandle.h"

namespace kestrel {

struct MenuTraits {
    using Type = HMENU;
    static HMENU Normal(HMENU menu) { return menu; }
    static void Close(HMENU menu) { ::DestroyMenu(menu); }
};

using CMenu = TOwnedHandle<MenuTraits>;

}  // namespace kestrel
