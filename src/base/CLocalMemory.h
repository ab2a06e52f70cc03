// Owns memory that a system call allocated for the caller with LocalAlloc (SID
// and security descriptor conversions, CommandLineToArgvW, GetSecurityInfo's
// descriptor) and frees it with LocalFree when it goes or is replaced. Move
// only. Takes any pointer the call gave; the caller goes on using that pointer.
#pragma once

#include <windows.h>

#include "TOwnedHandle.h"

namespace kestrel {

using CLocalMemory = TOwnedHandle<TPlainHandleTraits<HLOCAL, ::LocalFree>>;

}  // namespace kestrel
