// Owns a kernel object handle (event, pipe, file, thread, process, token,
// mutex) and closes it with CloseHandle when it goes or is replaced. Move only.
// Empty is null: the Win32 calls report failure with null or with
// INVALID_HANDLE_VALUE, and the latter counts as null, so that IsValid and Get
// answer alike whichever call made the handle.
#pragma once

#include <windows.h>

#include "TOwnedHandle.h"

namespace kestrel {

struct KernelHandleTraits {
    using Type = HANDLE;
    static HANDLE Normal(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : h; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};

using CHandle = TOwnedHandle<KernelHandleTraits>;

}  // namespace kestrel
