// KestrelCtl's command line and the texts it prints. The input is UTF-16LE
// whose NULs separate words: all of them go to the command-line parser, and
// the first eight also fill a port list row (name, label, serial number, mode,
// status, connection, host, DMS port) and a folder. Checks that an accepted
// command line is one the tool can run, that the values it carries pass the
// dialogs' rules only without control characters, and that every output
// format reads back to the texts it was given: the table and key=value lines
// escape every control character, JSON is printable ASCII, CSV is RFC 4180.
#include <cstdint>
#include <set>
#include <string>
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

// The inverse of EscapeText; false for text EscapeText cannot have written.
bool Unescape(const std::wstring& text, std::wstring& out) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsControl(text[i])) return false;
        if (text[i] != L'\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        switch (text[i]) {
        case L'\\': out += L'\\'; break;
        case L'r': out += L'\r'; break;
        case L'n': out += L'\n'; break;
        case L't': out += L'\t'; break;
        case L'x': {
            if (i + 2 >= text.size()) return false;
            const std::wstring hex = text.substr(i + 1, 2);
            if (hex.find_first_not_of(L"0123456789abcdef") != std::wstring::npos) return false;
            out += static_cast<wchar_t>(std::stoul(hex, nullptr, 16));
            i += 2;
            break;
        }
        default: return false;
        }
    }
    return true;
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
        std::wstring back;
        Check(Unescape(EscapeText(text), back) && back == text, "escaped text reads back");
        Check(FormatText(L"<%ls>", text.c_str()).size() == text.size() + 2, "messages are not cut");
    }
    const std::wstring table = FormatTable(rows);
    size_t lineEnds = 0;
    for (size_t i = 0; i < table.size(); ++i) {
        Check(!IsControl(table[i]) || table.compare(i, 2, L"\r\n") == 0 ||
                  (i > 0 && table.compare(i - 1, 2, L"\r\n") == 0),
              "the table holds no control character but its line ends");
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

    const auto records = test::ReadCsv(Utf8(FormatCsv(rows)));
    Check(records.has_value() && records->size() == rows.size() + 1, "CSV reads back");
    const std::vector<std::wstring> cells{row.port, row.label,  row.serial,
                                          row.mode, row.status, row.connection};
    for (size_t c = 0; c < cells.size(); ++c) {
        const std::wstring& text = cells[c];
        const bool formula = !text.empty() &&
                             std::wstring(L"=+-@").find(text[0]) != std::wstring::npos &&
                             text != L"-";
        Check(records->at(1).at(c) == Utf8(formula ? L"'" + text : text),
              "a CSV cell is its text, a formula's after a '");
    }
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
