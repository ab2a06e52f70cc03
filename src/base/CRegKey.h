// Owns a registry key opened or created by the program and closes it with
// RegCloseKey when it goes or is replaced. Move only. The predefined keys
// (HKEY_LOCAL_MACHINE and the like) are never held.
#pragma once

#include <windows.h>

#include "TOwnedHandle.h"

namespace kestrel {

struct RegKeyTraits {
    using Type = HKEY;
    static HKEY Normal(HKEY key) { return key; }
    static void Close(HKEY key) { ::RegCloseKey(key); }
};

using CRegKey = TOwnedHandle<RegKeyTraits>;

}  // namespace kestrel
