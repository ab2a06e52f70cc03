// The tool's standard output and error: UTF-16 through the console where the
// stream is one, UTF-8 where it goes to a file or a pipe, so that other
// programs read it as the text it is.
#pragma once

#include <windows.h>

#include <string>

namespace kestrel::ctl {

class CtlConsole {
public:
    // A write that fails or is cut short (a full disk, a reader that closed
    // the pipe) is remembered, and nothing more is written to the output.
    void Out(const std::wstring& text) {
        if (outputError == 0) outputError = Write(::GetStdHandle(STD_OUTPUT_HANDLE), text);
    }
    // A line of its own on the error stream.
    void Err(const std::wstring& text) {
        static_cast<void>(Write(::GetStdHandle(STD_ERROR_HANDLE), text + L"\r\n"));
    }

    // The error of the output's first failed write; 0 while every write went through.
    DWORD OutputError() const { return outputError; }

private:
    // 0, or why the text was not written whole. A stream that is not there
    // takes nothing and fails nothing.
    [[nodiscard]] static DWORD Write(HANDLE stream, const std::wstring& text);

    DWORD outputError = 0;
};

}  // namespace kestrel::ctl
