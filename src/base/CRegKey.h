// Owns a registry key opened or created by the program and closes it with
// RegCloseKey when it goes or is replaced. Move only. The predefined keys
// (HKEY_LOCAL_MACHINE and the like) are never held.
#pragma once

#include <windows.h>

#include "TOwnedHandle.h"

namespace kestrel {

using CRegKey = TOwnedHandle<TPlainHandleTraits<HKEY, ::RegCloseKey>>;

}  // namespace kestrel
