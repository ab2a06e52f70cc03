// What the tool prints: the port list as a table, JSON or CSV, settings as
// key=value lines, and the status line. Lines end with CR LF. Texts from the service or the user
// cannot add lines or drive a console: the table and key=value lines escape
// them (EscapeText), JSON writes every character outside printable ASCII as
// \uXXXX, and CSV quotes as RFC 4180 says. Portable: no windows.h.
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
// RFC 4180. A cell that begins with =, +, - or @ would run as a formula in a
// spreadsheet, so it gets a leading ' (OWASP's advice for CSV injection);
// only a lone "-", the panel's mark for no value, is left as it is.
std::wstring FormatCsv(const std::vector<PortListing>& ports);

// A text as the table and key=value lines show it: backslash, CR, LF and tab
// as \\, \r, \n and \t, every other control character (below 0x20, 0x7F to
// 0x9F) as \xNN.
std::wstring EscapeText(std::wstring_view text);

// printf-style formatting into a wide string, for the tool's messages; the
// text is never cut.
std::wstring FormatText(const wchar_t* format, ...);

// host, port, retry, ssl and active lines, after a useDefault line when given.
std::wstring FormatDmsSettings(const DmsSettings& dms, const bool* useDefault = nullptr);
std::wstring FormatLogSettings(const std::wstring& folder, uint32_t level);

// The status command's line for how the link stands, without the line end.
std::wstring StatusLine(const LinkState& link);

}  // namespace kestrel::ctl
