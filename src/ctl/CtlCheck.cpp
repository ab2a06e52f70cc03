#include "CtlCheck.h"

#include <algorithm>

#include "ActiveDmsLink.h"
#include "CtlCommandLine.h"
#include "PortRecord.h"
#include "PortRowTexts.h"

namespace kestrel::ctl {

namespace {

const wchar_t* const kStateWords[] = {L"OK", L"WARNING", L"CRITICAL", L"UNKNOWN"};

// A text from the service or the command line inside the one line: a line
// break would end it early and a bar would start the performance data.
std::wstring InLine(const std::wstring& text) {
    std::wstring safe = text;
    for (wchar_t& c : safe) {
        if (c < L' ' || c == 0x7F) c = L' ';
        if (c == L'|') c = L'/';
    }
    return safe;
}

CheckVerdict Verdict(CheckState state, const std::wstring& text) {
    return {state, std::wstring(L"KESTREL ") + kStateWords[state] + L" - " + text};
}

// A port as the line names it: the service's name, and its label where that
// says more.
std::wstring PortNamed(const PortRowInfo& port) {
    std::wstring named = InLine(port.name);
    if (!port.portLabel.empty() && port.portLabel != port.name)
        named += L" (" + InLine(port.portLabel) + L")";
    return named + L": " + StatusText(port.status);
}

}  // namespace

CheckVerdict CheckPorts(const std::vector<PortRowInfo>& ports, uint32_t criticalNotConnected) {
    std::vector<const PortRowInfo*> byName;
    for (const PortRowInfo& port : ports)
        if (port.status != kStatusNoDevice) byName.push_back(&port);
    std::sort(byName.begin(), byName.end(), [](const PortRowInfo* a, const PortRowInfo* b) {
        return PortNameLess()(a->name, b->name);
    });

    uint32_t connected = 0, notConnected = 0, notAvailable = 0;
    std::vector<const PortRowInfo*> down;
    for (const PortRowInfo* port : byName) {
        if (!HasActiveDmsLink(*port)) continue;
        if (!ActiveDmsLinkDown(*port)) {
            ++connected;
            continue;
        }
        if (port->status == kStatusNotConnected) ++notConnected;
        if (port->status == kStatusNotAvailable) ++notAvailable;
        down.push_back(port);
    }
    const std::wstring performance = L" | ports=" + std::to_wstring(byName.size()) +
                                     L" connected=" + std::to_wstring(connected) +
                                     L" not_connected=" + std::to_wstring(notConnected) +
                                     L" not_available=" + std::to_wstring(notAvailable);

    if (down.empty()) {
        const std::wstring count =
            std::to_wstring(byName.size()) + (byName.size() == 1 ? L" port" : L" ports");
        return Verdict(kCheckOk, count + L", all active ports connected" + performance);
    }
    std::wstring named;
    for (size_t i = 0; i < down.size() && i < kCheckPortsNamed; ++i)
        named += (i ? L", " : L"") + PortNamed(*down[i]);
    if (down.size() > kCheckPortsNamed)
        named += L" and " + std::to_wstring(down.size() - kCheckPortsNamed) + L" more";
    const bool critical = criticalNotConnected != 0 && down.size() >= criticalNotConnected;
    return Verdict(critical ? kCheckCritical : kCheckWarning, named + performance);
}

CheckVerdict CheckUnreachable(const std::wstring& status) {
    return Verdict(kCheckCritical, L"service " + InLine(status));
}

CheckVerdict CheckStopped(const std::wstring& reason) {
    return Verdict(kCheckUnknown, InLine(reason));
}

bool NamesCheck(const std::vector<std::wstring>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring word = AsciiLower(args[i]);
        if (word == L"--pipe" || word == L"--critical-not-connected") {
            ++i;
        } else if (!word.empty() && (word[0] == L'-' || word == L"/?")) {
            continue;
        } else {
            return word == L"check";
        }
    }
    return false;
}

}  // namespace kestrel::ctl
