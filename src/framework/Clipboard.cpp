#include "Clipboard.h"

#include <cstring>

#include "CGlobalMemory.h"
#include "TScopeGuard.h"

namespace kestrel {

bool PutTextOnClipboard(HWND owner, const std::wstring& text) {
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    CGlobalMemory memory(::GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory.IsValid()) return false;
    void* target = ::GlobalLock(memory.Get());
    if (!target) return false;
    std::memcpy(target, text.c_str(), bytes);
    ::GlobalUnlock(memory.Get());
    if (!::OpenClipboard(owner)) return false;
    const TScopeGuard closeClipboard([]() noexcept { ::CloseClipboard(); });
    ::EmptyClipboard();
    if (!::SetClipboardData(CF_UNICODETEXT, memory.Get())) return false;
    // The clipboard owns the memory once it has taken it.
    memory.Release();
    return true;
}

}  // namespace kestrel
