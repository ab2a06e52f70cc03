#include "CommandOptions.h"

#include <algorithm>

#include "CommandParser.h"
#include "WideText.h"

namespace kestrel::sim {

bool CommandOptions::Parse(const std::vector<std::string>& words, size_t first,
                           std::initializer_list<const char*> allowed, std::string& error) {
    for (size_t i = first; i < words.size(); ++i) {
        const std::string& word = words[i];
        const size_t eq = word.find('=');
        if (eq == std::string::npos) return Fail(error, "expected key=value: " + word);
        const std::string key = word.substr(0, eq);
        if (std::find(allowed.begin(), allowed.end(), key) == allowed.end())
            return Fail(error, "unknown key: " + key);
        if (!values.emplace(key, word.substr(eq + 1)).second)
            return Fail(error, "key given twice: " + key);
    }
    return true;
}

bool CommandOptions::Given(const char* key) const { return values.count(key) != 0; }

bool CommandOptions::AnyGiven(std::initializer_list<const char*> keys) const {
    return std::any_of(keys.begin(), keys.end(), [this](const char* key) { return Given(key); });
}

std::string CommandOptions::Raw(const char* key, const char* fallback) const {
    const std::string* value = Find(key);
    return value ? *value : fallback;
}

bool CommandOptions::Number(const char* key, uint32_t& out, std::string& error) const {
    const std::string* value = Find(key);
    if (value && !CommandParser::ParseNumber(*value, out))
        return Fail(error, std::string(key) + ": expected a number");
    return true;
}

bool CommandOptions::Counter(const char* key, uint32_t& out, std::string& error) const {
    const std::string* value = Find(key);
    if (!value) return true;
    const bool relative = !value->empty() && (*value)[0] == '+';
    uint32_t number = 0;
    if (!CommandParser::ParseNumber(value->substr(relative ? 1 : 0), number))
        return Fail(error, std::string(key) + ": expected N or +N");
    out = relative ? out + number : number;
    return true;
}

bool CommandOptions::Flag(const char* key, bool& out, std::string& error) const {
    const std::string* value = Find(key);
    if (value && !CommandParser::ParseFlag(*value, out))
        return Fail(error, std::string(key) + ": expected 0, 1, on or off");
    return true;
}

bool CommandOptions::Wide(const char* key, size_t maxChars, std::wstring& out,
                          std::string& error) const {
    const std::string* value = Find(key);
    if (!value) return true;
    std::wstring text;
    if (!Utf8ToWide(*value, text)) return Fail(error, std::string(key) + ": not valid UTF-8");
    if (text.size() > maxChars || text.find(L'\0') != std::wstring::npos)
        return Fail(error,
                    std::string(key) + ": longer than " + std::to_string(maxChars) + " characters");
    out = text;
    return true;
}

bool CommandOptions::Narrow(const char* key, size_t maxBytes, std::string& out,
                            std::string& error) const {
    const std::string* value = Find(key);
    if (!value) return true;
    if (value->size() > maxBytes || value->find('\0') != std::string::npos)
        return Fail(error,
                    std::string(key) + ": longer than " + std::to_string(maxBytes) + " bytes");
    out = *value;
    return true;
}

const std::string* CommandOptions::Find(const char* key) const {
    const auto it = values.find(key);
    return it == values.end() ? nullptr : &it->second;
}

}  // namespace kestrel::sim
