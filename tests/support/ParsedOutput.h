// Readers for what the command-line tool prints, strict enough that output a
// JSON or CSV reader would refuse fails here too: a JSON array of flat objects
// (string, number and true/false values), RFC 4180 CSV and a monitoring
// plugin's line. Texts are UTF-8; a lone surrogate that JSON escapes as \uXXXX
// is read as UTF-8 would write its code point (WTF-8), so that WideFromUtf8
// gives back the UTF-16 it was.
#pragma once

#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace kestrel::test {

inline void AppendUtf8(uint32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
        return;
    }
    const int extra = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
    constexpr uint32_t kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLead[extra] | cp >> (6 * extra));
    for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | (cp >> (6 * k) & 0x3F));
}

// UTF-16 code units of UTF-8 text, surrogates written on their own included.
inline std::wstring WideFromUtf8(const std::string& text) {
    std::wstring wide;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<uint8_t>(text[i]);
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        uint32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < text.size(); ++k)
            cp = cp << 6 | (static_cast<uint8_t>(text[i + k]) & 0x3F);
        i += static_cast<size_t>(extra) + 1;
        if (cp >= 0x10000) {
            wide += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
            wide += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            wide += static_cast<wchar_t>(cp);
        }
    }
    return wide;
}

// Each object's values by key: strings unescaped, numbers and true/false as written.
using JsonObject = std::map<std::string, std::string>;

class JsonArrayReader {
public:
    explicit JsonArrayReader(const std::string& text) : s(text) {}

    std::optional<std::vector<JsonObject>> Read() {
        std::vector<JsonObject> objects;
        if (!Take('[')) return std::nullopt;
        if (!Take(']')) {
            do {
                JsonObject object;
                if (!Object(object)) return std::nullopt;
                objects.push_back(std::move(object));
            } while (Take(','));
            if (!Take(']')) return std::nullopt;
        }
        Blanks();
        if (i != s.size()) return std::nullopt;
        return objects;
    }

private:
    void Blanks() {
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    }
    bool Take(char c) {
        Blanks();
        if (i >= s.size() || s[i] != c) return false;
        ++i;
        return true;
    }
    bool Object(JsonObject& object) {
        if (!Take('{')) return false;
        if (Take('}')) return true;
        do {
            std::string key, value;
            if (!String(key) || !Take(':') || !Value(value)) return false;
            if (!object.emplace(key, value).second) return false;
        } while (Take(','));
        return Take('}');
    }
    bool Value(std::string& value) {
        Blanks();
        if (i < s.size() && s[i] == '"') return String(value);
        const size_t start = i;
        while (i < s.size() &&
               (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '-' || s[i] == '.'))
            ++i;
        value = s.substr(start, i - start);
        if (value == "true" || value == "false") return true;
        return !value.empty() && value.find_first_not_of("-0123456789.eE") == std::string::npos;
    }
    bool String(std::string& out) {
        if (!Take('"')) return false;
        for (; i < s.size(); ++i) {
            const char c = s[i];
            if (c == '"') {
                ++i;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (++i >= s.size()) return false;
            switch (s[i]) {
            case '"':
            case '\\':
            case '/': out += s[i]; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                uint32_t unit = 0;
                if (!Hex4(unit)) return false;
                uint32_t low = 0;
                const size_t next = i;
                if (unit >= 0xD800 && unit < 0xDC00 && s.compare(i + 1, 2, "\\u") == 0 &&
                    (i += 2, Hex4(low)) && low >= 0xDC00 && low < 0xE000) {
                    unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                } else {
                    i = next;  // a lone surrogate stays one
                }
                AppendUtf8(unit, out);
                break;
            }
            default: return false;
            }
        }
        return false;
    }

    // Four hexadecimal digits after s[i]; i ends on the last of them.
    bool Hex4(uint32_t& value) {
        if (i + 4 >= s.size()) return false;
        value = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = s[++i];
            if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
            value = value << 4 | static_cast<uint32_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
        }
        return true;
    }

    const std::string& s;
    size_t i = 0;
};

using CsvRecords = std::vector<std::vector<std::string>>;

// Records of RFC 4180 CSV with CR LF line ends; nullopt when malformed.
inline std::optional<CsvRecords> ReadCsv(const std::string& text) {
    CsvRecords records;
    std::vector<std::string> record;
    std::string field;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '"') {
            for (++i;; ++i) {
                if (i >= text.size()) return std::nullopt;
                if (text[i] != '"') {
                    field += text[i];
                } else if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        }
        while (i < text.size() && text[i] != ',' && text[i] != '\r') {
            if (text[i] == '"' || text[i] == '\n') return std::nullopt;
            field += text[i++];
        }
        record.push_back(std::move(field));
        field.clear();
        if (i < text.size() && text[i] == ',') {
            ++i;
            continue;
        }
        if (text.compare(i, 2, "\r\n") != 0) return std::nullopt;
        i += 2;
        records.push_back(std::move(record));
        record.clear();
    }
    return records;
}

// A monitoring plugin's output as one line ended by CR LF: "SERVICE STATE -
// text", then optionally " | " and performance data, label=value items
// separated by blanks (no blanks or quotes in a label; the value a number,
// then perhaps a unit and thresholds). A bar only as that separator.
struct PluginLine {
    std::string service, state, text;
    std::map<std::string, std::string> performance;
};

inline std::optional<PluginLine> ReadPluginLine(const std::string& out) {
    if (out.size() < 2 || out.find_first_of("\r\n") != out.size() - 2 ||
        out.compare(out.size() - 2, 2, "\r\n") != 0)
        return std::nullopt;
    const std::string line = out.substr(0, out.size() - 2);
    const size_t bar = line.find(" | ");
    if (line.find('|') != (bar == std::string::npos ? bar : bar + 1)) return std::nullopt;
    std::istringstream summary(line.substr(0, bar));
    PluginLine parsed;
    std::string dash;
    if (!(summary >> parsed.service >> parsed.state >> dash) || dash != "-" || summary.get() != ' ')
        return std::nullopt;
    std::getline(summary, parsed.text);
    if (bar == std::string::npos) return parsed;
    std::istringstream data(line.substr(bar + 3));
    for (std::string item; data >> item;) {
        const size_t equals = item.find('=');
        if (equals == 0 || equals == std::string::npos ||
            item.find_first_of("'\"") != std::string::npos)
            return std::nullopt;
        const std::string value = item.substr(equals + 1);
        if (value.empty() || value.find_first_not_of("-0123456789.") == 0) return std::nullopt;
        if (!parsed.performance.emplace(item.substr(0, equals), value).second) return std::nullopt;
    }
    return parsed;
}

}  // namespace kestrel::test
