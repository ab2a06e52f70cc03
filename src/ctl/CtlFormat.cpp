#include "CtlFormat.h"

#include <algorithm>
#include <cstdarg>
#include <cwchar>

#include "CtlTexts.h"
#include "ServiceProtocol.h"

namespace kestrel::ctl {

namespace {

constexpr wchar_t kLineEnd[] = L"\r\n";

// A field's value: JSON quotes a text, not a number or a truth value.
struct FieldValue {
    std::wstring text;
    bool quoted;
};

FieldValue Text(const std::wstring& text) { return {text, true}; }
FieldValue Number(uint32_t value) { return {std::to_wstring(value), false}; }
FieldValue Truth(bool value) { return {value ? L"true" : L"false", false}; }

// The fields of a listing in their order: JSON has each by its key, the table
// and CSV those with a column title, as columns.
struct ListingField {
    const wchar_t* key;
    const wchar_t* title;  // null: JSON only
    FieldValue (*value)(const PortListing& row);
};

const ListingField kListingFields[] = {
    {L"port", L"COM Port", [](const PortListing& row) { return Text(row.port); }},
    {L"label", L"Label", [](const PortListing& row) { return Text(row.label); }},
    {L"serial", L"Serial Number", [](const PortListing& row) { return Text(row.serial); }},
    {L"mode", L"Mode", [](const PortListing& row) { return Text(row.mode); }},
    {L"status", L"Status", [](const PortListing& row) { return Text(row.status); }},
    {L"connection", L"Connection", [](const PortListing& row) { return Text(row.connection); }},
    {L"useDefault", nullptr, [](const PortListing& row) { return Truth(row.useDefault); }},
    {L"host", nullptr, [](const PortListing& row) { return Text(row.dms.host); }},
    {L"dmsPort", nullptr, [](const PortListing& row) { return Text(row.dms.port); }},
    {L"retry", nullptr, [](const PortListing& row) { return Number(row.dms.retrySeconds); }},
    {L"ssl", nullptr, [](const PortListing& row) { return Truth(row.dms.ssl); }},
    {L"active", nullptr, [](const PortListing& row) { return Truth(row.dms.active); }},
};

// The table's and CSV's column titles, and a row's cells under them.
std::vector<std::wstring> ColumnTitles() {
    std::vector<std::wstring> titles;
    for (const ListingField& field : kListingFields)
        if (field.title) titles.push_back(field.title);
    return titles;
}

std::vector<std::wstring> Cells(const PortListing& row) {
    std::vector<std::wstring> cells;
    for (const ListingField& field : kListingFields)
        if (field.title) cells.push_back(field.value(row).text);
    return cells;
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

// Escapes for QuoteText (quoted) and EscapeText.
std::wstring Escaped(std::wstring_view text, bool quoted) {
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
            if (quoted && c == L'"') {
                escaped += L"\\\"";
            } else if (IsControlCharacter(c)) {
                escaped += L"\\x";
                AppendHex(escaped, code, 2);
            } else if (IsBidiOrSeparator(c)) {
                escaped += L"\\u";
                AppendHex(escaped, code, 4);
            } else {
                escaped += c;
            }
        }
    }
    return escaped;
}

// OWASP's list of the characters a spreadsheet takes as the start of a formula.
bool StartsFormula(const std::wstring& text) {
    return !text.empty() &&
           std::wstring_view(L"=+-@\t\r").find(text[0]) != std::wstring_view::npos && text != L"-";
}

std::wstring CsvField(const std::wstring& text) {
    std::wstring cell;
    if (StartsFormula(text)) cell = L"'";
    for (wchar_t c : text) {
        if (IsControlCharacter(c) && c != L'\r' && c != L'\n') {
            cell += L"\\x";
            AppendHex(cell, static_cast<uint32_t>(c), 2);
        } else {
            cell += c;
        }
    }
    if (cell.find_first_of(L",\"\r\n") == std::wstring::npos) return cell;
    std::wstring quoted = L"\"";
    for (wchar_t c : cell) {
        if (c == L'"') quoted += L'"';
        quoted += c;
    }
    return quoted + L'"';
}

std::wstring Line(const std::wstring& key, const std::wstring& value) {
    return key + L'=' + QuoteText(value) + kLineEnd;
}

}  // namespace

std::wstring FormatTable(const std::vector<PortListing>& ports) {
    std::vector<std::vector<std::wstring>> lines{ColumnTitles()};
    for (const PortListing& row : ports) {
        std::vector<std::wstring>& line = lines.emplace_back(Cells(row));
        for (std::wstring& cell : line) cell = QuoteText(cell);
    }
    std::vector<size_t> widths(lines[0].size());
    for (const auto& line : lines)
        for (size_t c = 0; c < widths.size(); ++c) widths[c] = std::max(widths[c], line[c].size());
    std::wstring table;
    for (const auto& line : lines) {
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
        json += i == 0 ? kLineEnd : std::wstring(L",") + kLineEnd;
        const wchar_t* separator = L"  {";
        for (const ListingField& field : kListingFields) {
            const FieldValue value = field.value(ports[i]);
            json += separator + JsonString(field.key) + L": " +
                    (value.quoted ? JsonString(value.text) : value.text);
            separator = L", ";
        }
        json += L"}";
    }
    return json + kLineEnd + L"]" + kLineEnd;
}

std::wstring FormatCsv(const std::vector<PortListing>& ports) {
    std::wstring csv;
    const auto appendLine = [&csv](const std::vector<std::wstring>& cells) {
        for (size_t c = 0; c < cells.size(); ++c) csv += (c == 0 ? L"" : L",") + CsvField(cells[c]);
        csv += kLineEnd;
    };
    appendLine(ColumnTitles());
    for (const PortListing& row : ports) appendLine(Cells(row));
    return csv;
}

bool IsControlCharacter(wchar_t c) {
    const auto code = static_cast<uint32_t>(c);
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

bool IsBidiOrSeparator(wchar_t c) {
    const auto code = static_cast<uint32_t>(c);
    return code == 0x200E || code == 0x200F || code == 0x2028 || code == 0x2029 ||
           (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

std::wstring QuoteText(std::wstring_view text) {
    const bool plain =
        std::none_of(text.begin(), text.end(),
                     [](wchar_t c) { return IsControlCharacter(c) || IsBidiOrSeparator(c); }) &&
        (text.empty() || (text.front() != L' ' && text.back() != L' ' && text.front() != L'"'));
    if (plain) return std::wstring(text);
    return L'"' + Escaped(text, true) + L'"';
}

std::wstring EscapeText(std::wstring_view text) { return Escaped(text, false); }

size_t ConsolePiece(std::wstring_view text, size_t mostUnits) {
    if (text.size() <= mostUnits) return text.size();
    const auto last = static_cast<uint32_t>(text[mostUnits - 1]);
    const bool splitsPair = last >= 0xD800 && last < 0xDC00 && mostUnits > 1;
    return splitsPair ? mostUnits - 1 : mostUnits;
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

std::wstring StatusLine(const LinkState& link) {
    switch (link.kind) {
    case LinkState::Kind::Connected:
        return FormatText(kStatusRunningFormat, kProtocolVersionMajor, kProtocolVersionMinor,
                          kProtocolVersionPatch);
    case LinkState::Kind::NotRunning: return kStatusNotRunning;
    case LinkState::Kind::WrongVersion:
        return FormatText(kStatusVersionFormat, link.major, link.minor, link.patch);
    case LinkState::Kind::Untrusted: return kStatusUntrusted;
    case LinkState::Kind::NotResponding: return kStatusNotResponding;
    }
    return kStatusNotRunning;
}

}  // namespace kestrel::ctl
