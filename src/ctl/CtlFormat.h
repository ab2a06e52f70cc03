// What the tool prints: the port list as a table, JSON or CSV, and settings as
// key=value lines. Lines end with CR LF. Portable: no windows.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
std::wstring FormatJson(const std::vector<PortListing>& ports);
std::wstring FormatCsv(const std::vector<PortListing>& ports);

// printf-style formatting into a wide string, for the tool's messages.
std::wstring FormatText(const wchar_t* format, ...);

// host, port, retry, ssl and active lines, after a useDefault line when given.
std::wstring FormatDmsSettings(const DmsSettings& dms, const bool* useDefault = nullptr);
std::wstring FormatLogSettings(const std::wstring& folder, uint32_t level);

}  // namespace kestrel::ctl
