#include "CommandParser.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "DecimalText.h"
#include "ServiceProtocol.h"
#include "SimModel.h"
#include "WideText.h"

namespace kestrel::sim {

namespace {

constexpr const char* kRequestNames[kRequestCodeCount] = {
    "QueryVersion",        "GetPortListInfo",  "GetPortName",         "GetPortDevice",
    "GetPortDmsConfig",    "SetPortDmsConfig", "UseDefaultDmsConfig", "GetDefaultDmsConfig",
    "SetDefaultDmsConfig", "GetLogSettings",   "SetLogSettings",      "GetPortCounters"};

// In the order of FaultKind.
constexpr const char* kFaultKindNames[] = {"delay", "drop",   "crash",   "length",
                                           "stale", "future", "version", "refuse",
                                           "claim", "names",  "silence"};

constexpr const char* kPastEndNames[] = {"refuse", "repeat", "invent"};

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

bool CommandParser::IsBlankOrComment(const std::string& line) {
    const auto first = std::find_if_not(line.begin(), line.end(), IsBlank);
    return first == line.end() || *first == '#';
}

bool CommandParser::Split(const std::string& line, std::vector<std::string>& words,
                          std::string& error) {
    words.clear();
    size_t i = 0;
    while (true) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i == line.size()) return true;
        std::string word;
        while (i < line.size() && !IsBlank(line[i])) {
            if (line[i] != '"') {
                word += line[i++];
                continue;
            }
            ++i;
            while (true) {
                if (i == line.size()) return Fail(error, "unterminated quote");
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        word += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                word += line[i++];
            }
        }
        words.push_back(word);
    }
}

std::string CommandParser::Quote(const std::string& text) {
    // Empty text, or text holding a quote or a blank, would not come back as one word.
    const bool plain = !text.empty() && std::none_of(text.begin(), text.end(),
                                                     [](char c) { return c == '"' || IsBlank(c); });
    if (plain) return text;
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + "\"";
}

bool CommandParser::ParseNumber(const std::string& text, uint32_t& value) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (!hex) return ParseDecimal(text, value);
    const char* digits = text.c_str() + 2;
    if (!std::isxdigit(static_cast<unsigned char>(*digits))) return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(digits, &end, 16);
    if (errno != 0 || end != text.c_str() + text.size() || parsed > 0xFFFFFFFFull) return false;
    value = static_cast<uint32_t>(parsed);
    return true;
}

bool CommandParser::ParseFlag(const std::string& text, bool& value) {
    if (text == "1" || text == "on") {
        value = true;
    } else if (text == "0" || text == "off") {
        value = false;
    } else {
        return false;
    }
    return true;
}

bool CommandParser::ParsePortName(const std::string& text, std::wstring& name, std::string& error) {
    if (!Utf8ToWide(text, name)) return Fail(error, "port name is not valid UTF-8");
    if (name.empty()) return Fail(error, "port name is empty");
    if (name.size() > kMaxPortNameChars)
        return Fail(error, "port name is longer than 200 characters");
    if (name.find(L'\0') != std::wstring::npos) return Fail(error, "port name holds a NUL");
    return true;
}

bool CommandParser::ParseVersion(const std::string& text, uint32_t (&version)[3]) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == '.') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    uint32_t parsed[3] = {};
    if (parts.size() != 3 || !ParseNumber(parts[0], parsed[0]) ||
        !ParseNumber(parts[1], parsed[1]) || !ParseNumber(parts[2], parsed[2])) {
        return false;
    }
    std::copy(parsed, parsed + 3, version);
    return true;
}

bool CommandParser::ParseRequestCode(const std::string& text, uint32_t& code) {
    uint32_t number = 0;
    if (ParseNumber(text, number)) {
        if (number >= kRequestCodeCount) return false;
        code = number;
        return true;
    }
    for (uint32_t i = 0; i < kRequestCodeCount; ++i) {
        if (SameIgnoringCase(kRequestNames[i], text)) {
            code = i;
            return true;
        }
    }
    return false;
}

bool CommandParser::ParseFaultKind(const std::string& text, FaultKind& kind) {
    const auto* const end = std::end(kFaultKindNames);
    const auto* const found = std::find(std::begin(kFaultKindNames), end, text);
    if (found == end) return false;
    kind = static_cast<FaultKind>(found - std::begin(kFaultKindNames));
    return true;
}

bool CommandParser::ParsePastEndNames(const std::string& text, uint32_t& value) {
    const auto* const end = std::end(kPastEndNames);
    const auto* const found = std::find(std::begin(kPastEndNames), end, text);
    if (found == end) return false;
    value = static_cast<uint32_t>(found - std::begin(kPastEndNames));
    return true;
}

const char* CommandParser::PastEndNamesName(uint32_t value) { return kPastEndNames[value]; }

const char* CommandParser::RequestName(uint32_t code) { return kRequestNames[code]; }

const char* CommandParser::FaultKindName(FaultKind kind) {
    return kFaultKindNames[static_cast<int>(kind)];
}

}  // namespace kestrel::sim
