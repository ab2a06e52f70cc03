// The tool's standard output and error: UTF-16 through the console where the
// stream is one, UTF-8 where it goes to a file or a pipe, so that other
// programs read it as the text it is.
#pragma once

#include <windows.h>

#include <string>

namespace kestrel::ctl {

class CtlConsole {
public:
    void Out(const std::wstring& text) { Write(::GetStdHandle(STD_OUTPUT_HANDLE), text); }
    // A line of its own on the error stream.
    void Err(const std::wstring& text) { Write(::GetStdHandle(STD_ERROR_HANDLE), text + L"\r\n"); }

private:
    static void Write(HANDLE stream, const std::wstring& text);
};

}  // namespace kestrel::ctl
