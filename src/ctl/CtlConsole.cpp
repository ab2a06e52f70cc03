#include "CtlConsole.h"

#include <string>
#include <string_view>

#include "CtlFormat.h"

namespace kestrel::ctl {

namespace {

// UTF-16 units in one console write, well below the 64 KB some consoles take.
constexpr size_t kConsolePieceUnits = 8192;

}  // namespace

DWORD CtlConsole::Write(HANDLE stream, const std::wstring& text) {
    if (stream == nullptr || stream == INVALID_HANDLE_VALUE || text.empty()) return 0;
    const int length = static_cast<int>(text.size());
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(stream, &mode)) {
        // Older consoles refuse a write of 64 KB or more: the text goes in pieces.
        for (std::wstring_view rest = text; !rest.empty();) {
            const size_t piece = ConsolePiece(rest, kConsolePieceUnits);
            if (!::WriteConsoleW(stream, rest.data(), static_cast<DWORD>(piece), &written, nullptr))
                return ::GetLastError();
            if (written != piece) return ERROR_WRITE_FAULT;
            rest.remove_prefix(piece);
        }
        return 0;
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
