// The key=value words of one command, checked against the keys the command
// takes and read as the values the command language knows (CommandParser.h).
// Portable: no windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace kestrel::sim {

class CommandOptions {
public:
    // Takes words[first] onwards. False on a word without '=', a key not
    // allowed, or a key given twice.
    bool Parse(const std::vector<std::string>& words, size_t first,
               std::initializer_list<const char*> allowed, std::string& error);

    bool Given(const char* key) const;
    bool AnyGiven(std::initializer_list<const char*> keys) const;
    // The value as written, or fallback when the key was not given.
    std::string Raw(const char* key, const char* fallback) const;

    // Each reader leaves its output alone when the key was not given, and
    // returns false with the reason when its value is refused.
    bool Number(const char* key, uint32_t& out, std::string& error) const;
    // N sets the counter, +N advances it (wrapping like the service's counters).
    bool Counter(const char* key, uint32_t& out, std::string& error) const;
    bool Flag(const char* key, bool& out, std::string& error) const;
    // UTF-8 text stored as UTF-16 code units, at most maxChars of them.
    bool Wide(const char* key, size_t maxChars, std::wstring& out, std::string& error) const;
    // Text passed through byte for byte, at most maxBytes.
    bool Narrow(const char* key, size_t maxBytes, std::string& out, std::string& error) const;

private:
    const std::string* Find(const char* key) const;

    std::map<std::string, std::string> values;
};

}  // namespace kestrel::sim
