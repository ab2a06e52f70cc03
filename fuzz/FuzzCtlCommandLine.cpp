// KestrelCtl's command line and the texts it prints. The input is UTF-16LE
// whose NULs separate words: all of them go to the command-line parser, and
// the first eight also fill a port list row (name, label, serial number, mode,
// status, connection, host, DMS port) and a folder. Checks that an accepted
// command line is one the tool can run, that the values it carries pass the
// dialogs' rules only without control characters, and that every output
// format reads back to the texts it was given: the table and key=value lines
// show a value as it is or quoted with escapes, JSON is printable ASCII, CSV
// is RFC 4180 without a raw control character and with no cell a spreadsheet
// would run. The oracles keep their own lists of the characters that matter.
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "CtlCommandLine.h"
#include "CtlFormat.h"
#include "DmsRules.h"
#include "FuzzCheck.h"
#include "ParsedOutput.h"

namespace kestrel::ctl {
namespace {

using fuzz::Check;

bool IsControl(wchar_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// Characters that reorder a line or break it where they are shown.
bool IsBidiOrSeparator(wchar_t c) {
    return std::wstring_view(
               L"\u200e\u200f\u2028\u2029\u202a\u202b\u202c\u202d\u202e\u2066\u2067"
               L"\u2068\u2069")
               .find(c) != std::wstring_view::npos;
}

// Reads hexadecimal digits of text at i into value; i ends on the last.
bool ReadHex(const std::wstring& text, size_t& i, size_t digits, uint32_t& value) {
    if (i + digits >= text.size()) return false;
    value = 0;
    for (size_t k = 0; k < digits; ++k) {
        const wchar_t c = text[++i];
        const size_t digit = std::wstring_view(L"0123456789abcdef").find(c);
        if (digit == std::wstring_view::npos) return false;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    return true;
}

// The inverse of the escapes; false for text they cannot have written.
bool Unescape(const std::wstring& text, bool quoted, std::wstring& out) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsControl(text[i]) || IsBidiOrSeparator(text[i]) || (quoted && text[i] == L'"'))
            return false;
        if (text[i] != L'\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        uint32_t code = 0;
        switch (text[i]) {
        case L'\\': out += L'\\'; break;
        case L'r': out += L'\r'; break;
        case L'n': out += L'\n'; break;
        case L't': out += L'\t'; break;
        case L'"':
            if (!quoted) return false;
            out += L'"';
            break;
        case L'x':
        case L'u':
            if (!ReadHex(text, i, text[i] == L'x' ? 2 : 4, code)) return false;
            out += static_cast<wchar_t>(code);
            break;
        default: return false;
        }
    }
    return true;
}

// A value as shown: as it is, or in quotes with escapes when as it is it
// would break the line, turn it around, lose a blank or look quoted.
bool ReadShown(const std::wstring& shown, std::wstring& out) {
    if (shown.size() >= 2 && shown.front() == L'"' && shown.back() == L'"')
        return Unescape(shown.substr(1, shown.size() - 2), true, out);
    for (wchar_t c : shown)
        if (IsControl(c) || IsBidiOrSeparator(c)) return false;
    if (!shown.empty() && (shown.front() == L' ' || shown.back() == L' ' || shown.front() == L'"'))
        return false;
    out = shown;
    return true;
}

// A cell as CSV holds it: OWASP's formula starts get a leading ', and every
// control character but CR and LF is \xNN text.
std::wstring CsvCell(const std::wstring& text) {
    std::wstring cell;
    if (!text.empty() && std::wstring_view(L"=+-@\t\r").find(text[0]) != std::wstring_view::npos &&
        text != L"-")
        cell = L"'";
    for (wchar_t c : text) {
        if (IsControl(c) && c != L'\r' && c != L'\n') {
            constexpr wchar_t kDigits[] = L"0123456789abcdef";
            cell += L"\\x";
            cell += kDigits[c >> 4 & 0xF];
            cell += kDigits[c & 0xF];
        } else {
            cell += c;
        }
    }
    return cell;
}

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) {
        Check((c >= 0x20 && c < 0x7F) || c == L'\r' || c == L'\n', "JSON is printable ASCII");
        narrow += static_cast<char>(c);
    }
    return narrow;
}

std::string Utf8(const std::wstring& text) {
    std::string utf8;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = static_cast<uint32_t>(text[i]);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<uint32_t>(text[++i]) - 0xDC00);
        test::AppendUtf8(cp, utf8);
    }
    return utf8;
}

void CheckCommandLine(const std::vector<std::wstring>& words) {
    const CtlParse parse = ParseCtlArguments(words);
    if (!parse.ok) {
        Check(!parse.error.empty(), "a refused command line says why");
        return;
    }
    const CtlRequest& request = parse.request;
    Check(request.pipe.empty() || PlainPipeName(request.pipe), "only a plain pipe name");
    Check(request.format == PortsFormat::Table || request.command == CtlCommand::Ports,
          "--json and --csv only for ports");
    const bool asks = request.command == CtlCommand::Set ||
                      request.command == CtlCommand::FollowDefaults ||
                      request.command == CtlCommand::ChangeDefaults;
    // --help and --version take the other options and use none.
    const bool standsAlone =
        request.command == CtlCommand::Help || request.command == CtlCommand::Version;
    Check(!request.yes || asks || standsAlone, "--yes only where a question is asked");
    const std::set<std::wstring> keys{L"host",   L"port",   L"retry", L"ssl",
                                      L"active", L"folder", L"level"};
    for (const auto& [key, value] : request.values) Check(keys.count(key) == 1, "known keys only");

    const auto value = [&](const wchar_t* key) {
        const auto found = request.values.find(key);
        return found != request.values.end() ? found->second : std::wstring(L"1");
    };
    const DmsInputCheck check = CheckDmsInput(value(L"host"), value(L"port"), value(L"retry"));
    if (check.Ok())
        Check(FirstControlCharacter(value(L"host") + value(L"port") + value(L"retry")) == 0,
              "no value with a control character passes");
}

void CheckFormats(const std::vector<std::wstring>& words) {
    std::vector<std::wstring> texts = words;
    texts.resize(8);
    PortListing row;
    row.port = texts[0];
    row.label = texts[1];
    row.serial = texts[2];
    row.mode = texts[3];
    row.status = texts[4];
    row.connection = texts[5];
    row.dms.host = texts[6];
    row.dms.port = texts[7];
    const std::vector<PortListing> rows{row, row};

    for (const std::wstring& text : texts) {
        std::wstring back, shown;
        Check(Unescape(EscapeText(text), false, back) && back == text, "escaped text reads back");
        Check(ReadShown(QuoteText(text), shown) && shown == text, "a value shown reads back");
        Check(FormatText(L"<%ls>", text.c_str()).size() == text.size() + 2, "messages are not cut");
    }
    const std::wstring table = FormatTable(rows);
    size_t lineEnds = 0;
    for (size_t i = 0; i < table.size(); ++i) {
        Check(!IsBidiOrSeparator(table[i]) &&
                  (!IsControl(table[i]) || table.compare(i, 2, L"\r\n") == 0 ||
                   (i > 0 && table.compare(i - 1, 2, L"\r\n") == 0)),
              "the table holds no control or bidirectional character but its line ends");
        lineEnds += table.compare(i, 2, L"\r\n") == 0;
    }
    Check(lineEnds == rows.size() + 1, "one table line per row");
    const std::wstring settings = FormatDmsSettings(row.dms) + FormatLogSettings(texts[1], 3);
    size_t lines = 0;
    for (size_t at = settings.find(L"\r\n"); at != std::wstring::npos;
         at = settings.find(L"\r\n", at + 2))
        ++lines;
    Check(lines == 7, "one key=value line per setting");

    const auto objects = test::JsonArrayReader(Narrow(FormatJson(rows))).Read();
    Check(objects.has_value() && objects->size() == rows.size(), "JSON reads back");
    const test::JsonObject& object = objects->front();
    Check(test::WideFromUtf8(object.at("port")) == row.port &&
              test::WideFromUtf8(object.at("label")) == row.label &&
              test::WideFromUtf8(object.at("host")) == row.dms.host,
          "JSON texts read back whole");
    // A name that begins like an option would be taken for one.
    if (row.port.empty() || (row.port[0] != L'-' && row.port[0] != L'/'))
        Check(ParseCtlArguments({L"get", test::WideFromUtf8(object.at("port"))}).request.port ==
                  row.port,
              "a port read from JSON works as PORT");

    const std::wstring csv = FormatCsv(rows);
    for (wchar_t c : csv) Check(!IsControl(c) || c == L'\r' || c == L'\n', "no raw control in CSV");
    const auto records = test::ReadCsv(Utf8(csv));
    Check(records.has_value() && records->size() == rows.size() + 1, "CSV reads back");
    const std::vector<std::wstring> cells{row.port, row.label,  row.serial,
                                          row.mode, row.status, row.connection};
    for (size_t c = 0; c < cells.size(); ++c)
        Check(records->at(1).at(c) == Utf8(CsvCell(cells[c])),
              "a CSV cell is its text, disarmed and with its controls as text");
}

}  // namespace
}  // namespace kestrel::ctl

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrel::ctl;
    const std::vector<std::wstring> words = kestrel::fuzz::SplitTexts(data, size);
    CheckCommandLine(words);
    CheckFormats(words);
    return 0;
}
