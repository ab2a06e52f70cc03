// Owns memory that a system call allocated for the caller with LocalAlloc (SID
// and security descriptor conversions, CommandLineToArgvW, GetSecurityInfo's
// descriptor) and frees it with LocalFree when it goes or is replaced. Move
// only. T is what the memory holds, so that Get and Put give the pointer type
// the call takes: TLocalMemory<wchar_t> for a text, TLocalMemory<void> for a
// SID or a security descriptor.
#pragma once

#include <windows.h>

#include "TOwnedHandle.h"

namespace kestrel {

template <class T>
using TLocalMemory = TOwnedHandle<TPlainHandleTraits<T*, ::LocalFree>>;

}  // namespace kestrel
