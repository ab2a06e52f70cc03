// UTF-8 command text to and from the UTF-16 code units of the wire's wide fields.
// Portable: no windows.h, and independent of the width of wchar_t.
#pragma once

#include <string>

namespace kestrel::sim {

// Every element of the result is one UTF-16 code unit. False on malformed UTF-8.
bool Utf8ToWide(const std::string& text, std::wstring* wide);

// Unpaired surrogates come out as U+FFFD.
std::string WideToUtf8(const std::wstring& wide);

}  // namespace kestrel::sim
