// Owns memory from GlobalAlloc and frees it with GlobalFree when it goes or is
// replaced. Move only. Release it once a call that takes the memory over (the
// clipboard's SetClipboardData) has taken it.
#pragma once

#include <windows.h>

#include "TOwnedHandle.h"

namespace kestrel {

struct GlobalMemoryTraits {
    using Type = HGLOBAL;
    static HGLOBAL Normal(HGLOBAL memory) { return memory; }
    static void Close(HGLOBAL memory) { ::GlobalFree(memory); }
};

using CGlobalMemory = TOwnedHandle<GlobalMemoryTraits>;

}  // namespace kestrel
