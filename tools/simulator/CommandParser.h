// The words and values of the simulator's command language (CommandInterpreter.h).
// Words are separated by blanks; a value in double quotes may hold blanks, and
// "" inside quotes stands for one quote (backslashes are plain characters, so
// Windows paths need no escaping). Lines whose first non-blank character is #
// are comments. N is decimal or 0x hex and fits 32 bits; B is 0, 1, on or off.
// Texts are UTF-8. Portable: no windows.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FaultPlan.h"

namespace kestrel::sim {

// Sets the reason and returns false, so that a refusal takes one statement.
inline bool Fail(std::string& error, const std::string& message) {
    error = message;
    return false;
}

class CommandParser {
public:
    // True for a line of blanks only (those Split separates words at) or a
    // comment: it runs nothing.
    static bool IsBlankOrComment(const std::string& line);

    // Splits a line into words, removing quotes. False on an unterminated quote.
    static bool Split(const std::string& line, std::vector<std::string>& words, std::string& error);

    // The text as one word that Split gives back unchanged.
    static std::string Quote(const std::string& text);

    // The value parsers leave their output alone when they refuse the text.
    static bool ParseNumber(const std::string& text, uint32_t& value);
    static bool ParseFlag(const std::string& text, bool& value);
    // A port name that fits the wire's name field; the reason in error when not.
    static bool ParsePortName(const std::string& text, std::wstring& name, std::string& error);
    // A protocol version A.B.C.
    static bool ParseVersion(const std::string& text, uint32_t (&version)[3]);
    // A request code as a number below kRequestCodeCount or as its name, in any case.
    static bool ParseRequestCode(const std::string& text, uint32_t& code);
    static bool ParseFaultKind(const std::string& text, FaultKind& kind);

    // code < kRequestCodeCount.
    static const char* RequestName(uint32_t code);
    static const char* FaultKindName(FaultKind kind);
    // The word of a names fault (refuse, repeat, invent) as a PastEndNames value.
    static bool ParsePastEndNames(const std::string& text, uint32_t& value);
    static const char* PastEndNamesName(uint32_t value);
};

}  // namespace kestrel::sim
