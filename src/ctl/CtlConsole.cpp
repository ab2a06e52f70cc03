#include "CtlConsole.h"

#include <string>

namespace kestrel::ctl {

void CtlConsole::Write(HANDLE stream, const std::wstring& text) {
    if (stream == nullptr || stream == INVALID_HANDLE_VALUE || text.empty()) return;
    const int length = static_cast<int>(text.size());
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(stream, &mode)) {
        ::WriteConsoleW(stream, text.data(), static_cast<DWORD>(length), &written, nullptr);
        return;
    }
    const int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &utf8[0], bytes, nullptr, nullptr);
    ::WriteFile(stream, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace kestrel::ctl
