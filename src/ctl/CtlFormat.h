// What the tool prints: the port list as a table, JSON or CSV, settings as
// key=value lines, and the status line. Lines end with CR LF. Texts from the
// service or the user cannot add lines, drive a console or turn text around:
// the table, key=value lines and messages quote them where needed (QuoteText),
// JSON writes every character outside printable ASCII as \uXXXX, and CSV
// quotes as RFC 4180 says. Portable: no windows.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "LinkState.h"

namespace kestrel::ctl {

// A DMS parameter set as the tool shows it: texts widened, the retry period
// in whole seconds, as the dialogs show it.
struct DmsSettings {
    std::wstring host;
    std::wstring port;
    uint32_t retrySeconds = 0;
    bool ssl = false;
    bool active = false;
};

// One row of the port list: the cells with the panel's texts, and the port's
// parameters.
struct PortListing {
    std::wstring port;
    std::wstring label;
    std::wstring serial;
    std::wstring mode;
    std::wstring status;
    std::wstring connection;
    bool useDefault = false;
    DmsSettings dms;
};

std::wstring FormatTable(const std::vector<PortListing>& ports);
// Every character outside printable ASCII as \uXXXX: a character beyond the
// BMP as its surrogate pair, a lone surrogate as itself. Readers get the
// texts whatever code page they decode the output with.
std::wstring FormatJson(const std::vector<PortListing>& ports);
// RFC 4180. A cell that begins with =, +, -, @, a tab or a CR would run as a
// formula in a spreadsheet, so it gets a leading ' (OWASP's advice for CSV
// injection); only a lone "-", the panel's mark for no value, is left as it
// is. CR and LF stay inside quotes; every other control character is written
// as \xNN text.
std::wstring FormatCsv(const std::vector<PortListing>& ports);

// C0 and C1 control characters and DEL.
bool IsControlCharacter(wchar_t c);
// The characters that reorder or break a line where they are shown: the line
// and paragraph separators and the bidirectional marks, embeddings,
// overrides and isolates.
bool IsBidiOrSeparator(wchar_t c);

// A value as the table, key=value lines and messages show it: as it is when
// it holds no control, bidirectional or separator character, has no blank at
// either end and does not begin with a quote; otherwise in double quotes
// with \\, \", \r, \n, \t, \xNN for other control characters and \uXXXX for
// the bidirectional and separator ones. A script takes a plain value as
// printed, and a quoted one as a C string.
std::wstring QuoteText(std::wstring_view text);
// The same escapes without the quotes, for a whole message that names a
// character.
std::wstring EscapeText(std::wstring_view text);

// How many units of text from its start the console takes in one write: at
// most mostUnits, never the first half of a surrogate pair alone.
size_t ConsolePiece(std::wstring_view text, size_t mostUnits);

// printf-style formatting into a wide string, for the tool's messages; the
// text is never cut.
std::wstring FormatText(const wchar_t* format, ...);

// host, port, retry, ssl and active lines, after a useDefault line when given.
std::wstring FormatDmsSettings(const DmsSettings& dms, const bool* useDefault = nullptr);
std::wstring FormatLogSettings(const std::wstring& folder, uint32_t level);

// The status command's line for how the link stands, without the line end.
std::wstring StatusLine(const LinkState& link);

}  // namespace kestrel::ctl
