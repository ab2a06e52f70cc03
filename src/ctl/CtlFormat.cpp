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

std::wstring JsonString(const std::wstring& text) {
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        if (c == L'"' || c == L'\\') {
            quoted += L'\\';
            quoted += c;
        } else if (c < 0x20) {
            wchar_t escape[8] = {};
            std::swprintf(escape, 8, L"\\u%04x", static_cast<unsigned>(c));
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + L'"';
}

const wchar_t* JsonBool(bool value) { return value ? L"true" : L"false"; }

// RFC 4180: a field with a comma, a quote or a line break goes in quotes, with
// its quotes doubled.
std::wstring CsvField(const std::wstring& text) {
    if (text.find_first_of(L",\"\r\n") == std::wstring::npos) return text;
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        if (c == L'"') quoted += L'"';
        quoted += c;
    }
    return quoted + L'"';
}

std::wstring Line(const std::wstring& key, const std::wstring& value) {
    return key + L'=' + value + kLineEnd;
}

}  // namespace

std::wstring FormatTable(const std::vector<PortListing>& ports) {
    std::array<size_t, 6> widths{};
    for (size_t c = 0; c < widths.size(); ++c) widths[c] = std::wcslen(kColumnTitles[c]);
    for (const PortListing& row : ports) {
        const auto cells = Cells(row);
        for (size_t c = 0; c < widths.size(); ++c)
            widths[c] = std::max(widths[c], cells[c]->size());
    }
    const auto line = [&](const std::array<const std::wstring*, 6>& cells) {
        std::wstring text;
        for (size_t c = 0; c < cells.size(); ++c) {
            text += *cells[c];
            if (c + 1 < cells.size()) text.append(widths[c] - cells[c]->size() + 2, L' ');
        }
        return text + kLineEnd;
    };
    std::array<std::wstring, 6> titles;
    std::array<const std::wstring*, 6> titleCells{};
    for (size_t c = 0; c < titles.size(); ++c) {
        titles[c] = kColumnTitles[c];
        titleCells[c] = &titles[c];
    }
    std::wstring table = line(titleCells);
    for (const PortListing& row : ports) table += line(Cells(row));
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

std::wstring FormatText(const wchar_t* format, ...) {
    wchar_t text[1024] = {};
    va_list args;
    va_start(args, format);
    std::vswprintf(text, 1024, format, args);
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
