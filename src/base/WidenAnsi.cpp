#include <windows.h>

#include <cstring>

#include "WideText.h"

namespace kestrel {

std::wstring WidenAnsi(const char* text) {
    const int length = static_cast<int>(std::strlen(text));
    if (length == 0) return std::wstring();
    const int units = ::MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, length, &wide[0], units);
    return wide;
}

}  // namespace kestrel
