// Owns memory that a system call allocated for the caller with LocalAlloc (SID
// and security descriptor conversions, CommandLineToArgvW, GetSecurityInfo's
// descriptor) and frees it with LocalFree when it goes or is replaced. Move
// only. Takes any pointer the call gave; the caller goes on using that pointer.
#pragma once

#include <windows.h>

#include "TOwnedHandle.h"

namespace kestrel {

struct LocalMemoryTraits {
    using Type = HLOCAL;
    static HLOCAL Normal(HLOCAL memory) { return memory; }
    static void Close(HLOCAL memory) { ::LocalFree(memory); }
};

using CLocalMemory = TOwnedHandle<LocalMemoryTraits>;

}  // namespace kestrel
