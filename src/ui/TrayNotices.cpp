#include "TrayNotices.h"

#include <cwchar>
#include <utility>
#include <vector>

#include "ActiveDmsLink.h"
#include "PanelTexts.h"
#include "PortRowTexts.h"
#include "TickElapsed.h"

namespace kestrel {

namespace {

std::wstring Formatted(const wchar_t* format, size_t count) {
    wchar_t text[64] = {};
    std::swprintf(text, 64, format, static_cast<unsigned>(count));
    return text;
}

std::wstring Counted(size_t count, const wchar_t* one, const wchar_t* format) {
    return count == 1 ? std::wstring(one) : Formatted(format, count);
}

void AddLine(std::wstring& text, const std::wstring& line) {
    if (line.empty()) return;
    if (!text.empty()) text += L'\n';
    text += line;
}

// A text from the service on one line of the balloon.
std::wstring OneLine(std::wstring text) {
    for (wchar_t& c : text)
        if (c < L' ' || c == 0x7F) c = L' ';
    return text;
}

}  // namespace

void TrayNotices::PassSeen(const PortTable& ports) {
    seen.clear();
    for (const auto& [name, record] : ports) {
        Port& port = seen[name];
        port.label = record.portLabel;
        port.status = record.status;
        if (HasActiveDmsLink(record))
            port.watch = ActiveDmsLinkDown(record) ? Watch::Down : Watch::Up;
    }
    seenService = Service::Running;
    if (!started) {
        started = true;
        MarkTold();
    }
}

void TrayNotices::LinkSeen(LinkState::Kind kind) {
    if (kind == LinkState::Kind::NotRunning) seenService = Service::NotRunning;
    if (kind == LinkState::Kind::NotResponding) seenService = Service::NotResponding;
}

std::wstring NotConnectedLine(size_t count) {
    return Counted(count, kOnePortNotConnected, kPortsNotConnected);
}

std::optional<TrayNotice> TrayNotices::Take(uint32_t now, const std::function<bool()>& mayShow) {
    if (!started) return std::nullopt;
    TrayNotice notice = Compose();
    if (notice.text.empty() || !mayShow()) {
        MarkTold();
        return std::nullopt;
    }
    if (lastShown && TickElapsed(*lastShown, now) < interval) return std::nullopt;
    MarkTold();
    lastShown = now;
    return notice;
}

void TrayNotices::MarkTold() {
    told = seen;
    toldService = seenService;
}

TrayNotice TrayNotices::Compose() const {
    TrayNotice notice;
    std::wstring text;
    if (seenService != toldService) {
        notice.warning = seenService != Service::Running;
        AddLine(text, seenService == Service::Running      ? kServiceRunning
                      : seenService == Service::NotRunning ? kServiceNotRunning
                                                           : kServiceNotResponding);
    }

    // Losses first: they are what the user has to act on.
    std::vector<std::pair<const std::wstring*, const Port*>> lost, back;
    for (const auto& [name, port] : seen) {
        const auto before = told.find(name);
        if (before == told.end()) continue;  // a device that came is the list's news
        const Watch was = before->second.watch;
        if (was == Watch::Up && port.watch == Watch::Down) lost.emplace_back(&name, &port);
        if (was == Watch::Down && port.watch == Watch::Up) back.emplace_back(&name, &port);
    }
    std::vector<std::pair<const std::wstring*, const Port*>> changed = lost;
    changed.insert(changed.end(), back.begin(), back.end());
    if (changed.empty()) {
        notice.text = text;
        return notice;
    }
    notice.warning = notice.warning || !lost.empty();
    notice.firstPort = *changed.front().first;

    std::wstring named;
    for (size_t i = 0; i < changed.size() && i < kNoticePortsNamed; ++i) {
        const auto& [name, port] = changed[i];
        std::wstring line = OneLine(*name);
        if (!port->label.empty() && port->label != *name)
            line += L" (" + OneLine(port->label) + L")";
        AddLine(named, line + L": " + StatusText(port->status));
    }
    if (changed.size() > kNoticePortsNamed) {
        AddLine(named, Formatted(kAndMorePorts, changed.size() - kNoticePortsNamed));
    }
    std::wstring counted;
    if (!lost.empty()) AddLine(counted, NotConnectedLine(lost.size()));
    if (!back.empty()) AddLine(counted, Counted(back.size(), kOnePortConnected, kPortsConnected));

    // Up to three ports are named, unless their names do not fit; past that
    // the shorter of names and counts.
    const bool namesFit = text.size() + 1 + named.size() <= kNoticeMaxChars;
    const bool countsShorter = changed.size() > kNoticePortsNamed && counted.size() < named.size();
    AddLine(text, namesFit && !countsShorter ? named : counted);
    notice.text = text.substr(0, kNoticeMaxChars);
    return notice;
}

}  // namespace kestrel
