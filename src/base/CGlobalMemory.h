// Owns memory from GlobalAlloc and frees it with GlobalFree when it goes or is
// replaced. Move only. Release it once a call that takes the memory over (the
// clipboard's SetClipboardData) has taken it.
#pragma once

#include <windows.h>

#include "TOwnedHandle.h"

namespace kestrel {

using CGlobalMemory = TOwnedHandle<TPlainHandleTraits<HGLOBAL, ::GlobalFree>>;

}  // namespace kestrel
