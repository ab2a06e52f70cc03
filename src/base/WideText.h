// Texts between the program's UTF-16 strings and the byte texts around it:
// UTF-8 (the simulator's commands, a console that is not one) and the system's
// ANSI code page (the service's narrow fields). The UTF-8 pair is portable and
// independent of the width of wchar_t.
#pragma once

#include <string>

namespace kestrel {

// Every element of the result is one UTF-16 code unit. False on malformed UTF-8.
bool Utf8ToWide(const std::string& text, std::wstring& wide);

// Unpaired surrogates come out as U+FFFD.
std::string WideToUtf8(const std::wstring& wide);

// A NUL-terminated text in the ANSI code page, as the panel shows it. Win32
// builds define it in WidenAnsi.cpp; a native program that calls it (a fuzzer
// of the refresh pass) brings its own.
std::wstring WidenAnsi(const char* text);

}  // namespace kestrel
