#include "CtlFormat.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cwchar>

namespace kestrel::ctl {

namespace {

constexpr wchar_t kLineEnd[] = L"\r\n";

// The table's and the CSV header's column titles.
constexpr std::array<const wchar_t*, 6> kColumnTitles = {L"COM Port", L"Label",  L"Serial Number",
                                                         L"Mode",     L"Status", L"Connection"};

std::array<const std::wstring*, 6> Cells(const PortListing& row) {
    return {&row.port, &row.label, &row.serial, &row.mode, &row.status, &row.connection};
}

// Appends the lowest digits of value as that many hexadecimal digits.
void AppendHex(std::wstring& out, uint32_t value, int digits) {
    constexpr wchar_t kDigits[] = L"0123456789abcdef";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kDigits[value >> shift & 0xF];
}

void AppendJsonUnit(std::wstring& out, uint32_t unit) {
    out += L"\\u";
    AppendHex(out, unit, 4);
}

std::wstring JsonString(const std::wstring& text) {
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        const auto code = static_cast<uint32_t>(c);
        if (c == L'"' || c == L'\\') {
            quoted += L'\\';
            quoted += c;
        } else if (code >= 0x20 && code < 0x7F) {
            quoted += c;
        } else if (code <= 0xFFFF) {
            AppendJsonUnit(quoted, code);  // a lone surrogate too: it stays what it was
        } else if (code <= 0x10FFFF) {
            // Where wchar_t is 32 bits wide (native builds) it holds a whole code point.
            AppendJsonUnit(quoted, 0xD800 + ((code - 0x10000) >> 10));
            AppendJsonUnit(quoted, 0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            AppendJsonUnit(quoted, 0xFFFD);
        }
    }
    return quoted + L'"';
}

const wchar_t* JsonBool(bool value) { return value ? L"true" : L"false"; }

std::wstring CsvField(const std::wstring& text) {
    std::wstring cell;
    if (!text.empty() && std::wstring_view(L"=+-@").find(text[0]) != std::wstring_view::npos &&
        text != L"-")
        cell = L"'";
    cell += text;
    if (cell.find_first_of(L",\"\r\n") == std::wstring::npos) return cell;
    std::wstring quoted = L"\"";
    for (wchar_t c : cell) {
        if (c == L'"') quoted += L'"';
        quoted += c;
    }
    return quoted + L'"';
}

std::wstring Line(const std::wstring& key, const std::wstring& value) {
    return key + L'=' + EscapeText(value) + kLineEnd;
}

}  // namespace

std::wstring FormatTable(const std::vector<PortListing>& ports) {
    using RowTexts = std::array<std::wstring, 6>;
    std::vector<RowTexts> lines(1);
    for (size_t c = 0; c < kColumnTitles.size(); ++c) lines[0][c] = kColumnTitles[c];
    for (const PortListing& row : ports) {
        const auto cells = Cells(row);
        RowTexts& line = lines.emplace_back();
        for (size_t c = 0; c < cells.size(); ++c) line[c] = EscapeText(*cells[c]);
    }
    std::array<size_t, 6> widths{};
    for (const RowTexts& line : lines)
        for (size_t c = 0; c < widths.size(); ++c) widths[c] = std::max(widths[c], line[c].size());
    std::wstring table;
    for (const RowTexts& line : lines) {
        for (size_t c = 0; c < line.size(); ++c) {
            table += line[c];
            if (c + 1 < line.size()) table.append(widths[c] - line[c].size() + 2, L' ');
        }
        table += kLineEnd;
    }
    return table;
}

std::wstring FormatJson(const std::vector<PortListing>& ports) {
    std::wstring json = L"[";
    for (size_t i = 0; i < ports.size(); ++i) {
        const PortListing& row = ports[i];
        json += i == 0 ? kLineEnd : std::wstring(L",") + kLineEnd;
        json += L"  {\"port\": " + JsonString(row.port) + L", \"label\": " + JsonString(row.label) +
                L", \"serial\": " + JsonString(row.serial) + L", \"mode\": " +
                JsonString(row.mode) + L", \"status\": " + JsonString(row.status) +
                L", \"connection\": " + JsonString(row.connection) + L", \"useDefault\": " +
                JsonBool(row.useDefault) + L", \"host\": " + JsonString(row.dms.host) +
                L", \"dmsPort\": " + JsonString(row.dms.port) + L", \"retry\": " +
                std::to_wstring(row.dms.retrySeconds) + L", \"ssl\": " + JsonBool(row.dms.ssl) +
                L", \"active\": " + JsonBool(row.dms.active) + L"}";
    }
    return json + kLineEnd + L"]" + kLineEnd;
}

std::wstring FormatCsv(const std::vector<PortListing>& ports) {
    std::wstring csv;
    for (size_t c = 0; c < kColumnTitles.size(); ++c)
        csv += (c == 0 ? L"" : L",") + CsvField(kColumnTitles[c]);
    csv += kLineEnd;
    for (const PortListing& row : ports) {
        const auto cells = Cells(row);
        for (size_t c = 0; c < cells.size(); ++c)
            csv += (c == 0 ? L"" : L",") + CsvField(*cells[c]);
        csv += kLineEnd;
    }
    return csv;
}

std::wstring EscapeText(std::wstring_view text) {
    std::wstring escaped;
    escaped.reserve(text.size());
    for (wchar_t c : text) {
        const auto code = static_cast<uint32_t>(c);
        switch (c) {
        case L'\\': escaped += L"\\\\"; break;
        case L'\r': escaped += L"\\r"; break;
        case L'\n': escaped += L"\\n"; break;
        case L'\t': escaped += L"\\t"; break;
        default:
            if (code < 0x20 || (code >= 0x7F && code <= 0x9F)) {
                escaped += L"\\x";
                AppendHex(escaped, code, 2);
            } else {
                escaped += c;
            }
        }
    }
    return escaped;
}

std::wstring FormatText(const wchar_t* format, ...) {
    // vswprintf tells only that the buffer was too small, not how large it must be.
    constexpr size_t kLargest = size_t{1} << 24;
    std::wstring text(1024, L'\0');
    va_list args;
    va_start(args, format);
    for (;;) {
        va_list attempt;
        va_copy(attempt, args);
        const int length = std::vswprintf(&text[0], text.size(), format, attempt);
        va_end(attempt);
        if (length >= 0 && static_cast<size_t>(length) < text.size()) {
            text.resize(static_cast<size_t>(length));
            break;
        }
        if (text.size() >= kLargest) {
            text.clear();  // no message of the tool comes near this
            break;
        }
        text.resize(text.size() * 2);
    }
    va_end(args);
    return text;
}

std::wstring FormatDmsSettings(const DmsSettings& dms, const bool* useDefault) {
    std::wstring text;
    if (useDefault) text += Line(L"useDefault", *useDefault ? L"1" : L"0");
    text += Line(L"host", dms.host);
    text += Line(L"port", dms.port);
    text += Line(L"retry", std::to_wstring(dms.retrySeconds));
    text += Line(L"ssl", dms.ssl ? L"1" : L"0");
    text += Line(L"active", dms.active ? L"1" : L"0");
    return text;
}

std::wstring FormatLogSettings(const std::wstring& folder, uint32_t level) {
    return Line(L"folder", folder) + Line(L"level", std::to_wstring(level));
}

}  // namespace kestrel::ctl
