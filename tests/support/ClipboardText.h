// The clipboard's Unicode text, as a program that pastes reads it.
#pragma once

#include <windows.h>

#include <string>

#include "TScopeGuard.h"

namespace kestrel::test {

// The CF_UNICODETEXT on the clipboard, empty when there is none; the clipboard
// is emptied after, so that the next copy is seen as new.
inline std::wstring TakeClipboardText() {
    std::wstring text;
    if (!::OpenClipboard(nullptr)) return L"(the clipboard could not be opened)";
    const TScopeGuard closeClipboard([]() noexcept { ::CloseClipboard(); });
    if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = chars;
            ::GlobalUnlock(data);
        }
    }
    ::EmptyClipboard();
    return text;
}

}  // namespace kestrel::test
