#include "WindowText.h"

#include <algorithm>

namespace kestrel {

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(std::max(::GetWindowTextLengthW(window), 0)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(::GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

}  // namespace kestrel
