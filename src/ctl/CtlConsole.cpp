#include "CtlConsole.h"

#include <string>

namespace kestrel::ctl {

DWORD CtlConsole::Write(HANDLE stream, const std::wstring& text) {
    if (stream == nullptr || stream == INVALID_HANDLE_VALUE || text.empty()) return 0;
    const int length = static_cast<int>(text.size());
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(stream, &mode)) {
        if (!::WriteConsoleW(stream, text.data(), static_cast<DWORD>(length), &written, nullptr))
            return ::GetLastError();
        return written == static_cast<DWORD>(length) ? 0 : ERROR_WRITE_FAULT;
    }
    const int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &utf8[0], bytes, nullptr, nullptr);
    if (!::WriteFile(stream, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr))
        return ::GetLastError();
    return written == utf8.size() ? 0 : ERROR_WRITE_FAULT;
}

}  // namespace kestrel::ctl
