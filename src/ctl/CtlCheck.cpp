#include "CtlCheck.h"

#include <algorithm>

#include "ActiveDmsLink.h"
#include "CtlCommandLine.h"
#include "CtlFormat.h"
#include "PortRowTexts.h"

namespace kestrel::ctl {

namespace {

const wchar_t* const kStateWords[] = {L"OK", L"WARNING", L"CRITICAL", L"UNKNOWN"};

// A text from the service or the command line inside the one line: a line
// break would end it early, a bar would start the performance data, and a
// bidirectional mark would turn what follows around.
std::wstring InLine(const std::wstring& text) {
    std::wstring safe = text;
    for (wchar_t& c : safe) {
        if (IsControlCharacter(c) || IsBidiOrSeparator(c)) c = L' ';
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

CheckVerdict CheckPorts(const std::vector<PortRowInfo>& ports, const UnreadablePorts& unreadable,
                        uint32_t criticalNotConnected) {
    std::vector<const PortRowInfo*> byName;
    for (const PortRowInfo& port : ports)
        if (port.status != kStatusNoDevice) byName.push_back(&port);
    std::sort(byName.begin(), byName.end(), [](const PortRowInfo* a, const PortRowInfo* b) {
        return PortNameLess()(a->name, b->name);
    });

    // What the line names: the ports that could not be read, then those down.
    std::vector<std::wstring> named;
    for (const auto& [name, status] : unreadable)
        named.push_back(FormatText(L"%ls: could not be read (status 0x%lX)", InLine(name).c_str(),
                                   static_cast<unsigned long>(status)));
    uint32_t connected = 0, notConnected = 0, notAvailable = 0;
    size_t down = 0;
    for (const PortRowInfo* port : byName) {
        if (!HasActiveDmsLink(*port)) continue;
        if (!ActiveDmsLinkDown(*port)) {
            ++connected;
            continue;
        }
        if (port->status == kStatusNotConnected) ++notConnected;
        if (port->status == kStatusNotAvailable) ++notAvailable;
        named.push_back(PortNamed(*port));
        ++down;
    }
    const std::wstring performance = L" | ports=" + std::to_wstring(byName.size()) +
                                     L" connected=" + std::to_wstring(connected) +
                                     L" not_connected=" + std::to_wstring(notConnected) +
                                     L" not_available=" + std::to_wstring(notAvailable) +
                                     L" unreadable=" + std::to_wstring(unreadable.size());

    if (named.empty()) {
        const std::wstring count =
            std::to_wstring(byName.size()) + (byName.size() == 1 ? L" port" : L" ports");
        return Verdict(kCheckOk, count + L", all active ports connected" + performance);
    }
    std::wstring text;
    for (size_t i = 0; i < named.size() && i < kCheckPortsNamed; ++i)
        text += (i ? L", " : L"") + named[i];
    if (named.size() > kCheckPortsNamed)
        text += L" and " + std::to_wstring(named.size() - kCheckPortsNamed) + L" more";
    const bool critical = criticalNotConnected != 0 && down >= criticalNotConnected;
    const CheckState state = !unreadable.empty() ? kCheckUnknown
                             : critical          ? kCheckCritical
                                                 : kCheckWarning;
    return Verdict(state, text + performance);
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
        if (word == L"--pipe" || word == L"--critical-not-connected" || word == L"--timeout") {
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
