#include "CtlService.h"

#include <algorithm>
#include <vector>

#include "CtlFormat.h"
#include "CtlTexts.h"

namespace kestrel::ctl {

namespace {

// Collects the rows the panel's list would show after a pass.
class RowCollector : public PortListView {
public:
    explicit RowCollector(PortRows& collected) : rows(collected) {}

    bool UpdatePort(const PortRowInfo& info) override {
        const auto found = rows.find(info.name);
        if (info.countersOnly) return found != rows.end();
        if (info.status == kStatusNoDevice) {
            if (found != rows.end()) rows.erase(found);
            return true;
        }
        rows[info.name] = info;
        return true;
    }
    void DeletePort(const std::wstring& name) override { rows.erase(name); }
    void PassEnded() override {}

private:
    PortRows& rows;
};

PortRead NotRead(int exitCode) {
    PortRead port;
    port.exitCode = exitCode;
    return port;
}

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

CtlService::CtlService(CtlConsole& out, const std::wstring& pipe, uint32_t seconds)
    : console(out),
      pipeName(pipe.empty() ? kServicePipeName : pipe),
      timeoutSeconds(seconds),
      mirror(pipeName.c_str()) {
    if (seconds == 0) return;
    deadline.emplace(seconds);
    mirror.SetWaitPolicy(&*deadline);
}

bool CtlService::TryConnect() {
    mirror.ConnectAtStartup();
    return mirror.IsConnected();
}

int CtlService::Connect() { return TryConnect() ? kExitOk : Unreachable(RequestResult{}); }

int CtlService::Unreachable(const RequestResult& result) {
    console.Err(WhyUnreachable(result));
    return kExitUnreachable;
}

std::wstring CtlService::WhyUnreachable(const RequestResult& result) const {
    if (deadline && deadline->Expired())
        return FormatText(kStatusNotRespondingWithinFormat, timeoutSeconds);
    if (result.TimedOut()) return kStatusNotResponding;
    if (result.ServiceGone() || result == RequestResult::LinkFailed(kResultNotConnected))
        return kStatusNotRunning;
    return StatusLine(mirror.Link());
}

int CtlService::ReadFailure(const RequestResult& result, const std::wstring& what) {
    if (result.LinkFailure()) return Unreachable(result);
    console.Err(what);
    return kExitUnreachable;
}

RequestResult CtlService::PassRows(PortRows& rows) {
    RowCollector collector(rows);
    mirror.RefreshPorts(collector);
    return mirror.LastPassResult();
}

int CtlService::ReadRows(PortRows& rows) {
    const RequestResult result = PassRows(rows);
    return result.Done() ? kExitOk : PortListFailure(result);
}

UnreadablePorts CtlService::Unreadable() const {
    UnreadablePorts unreadable;
    for (const auto& [name, record] : mirror.Ports())
        if (record.readRefusal) unreadable[name] = *record.readRefusal;
    return unreadable;
}

int CtlService::PortListFailure(const RequestResult& result) {
    return ReadFailure(
        result, FormatText(kPortListUnreadableFormat, static_cast<unsigned long>(result.Code())));
}

// The names alone find the port: only that one is read in full.
PortRead CtlService::FindPort(const std::wstring& given) {
    std::vector<std::wstring> names;
    const RequestResult result = mirror.ReadNames(names);
    if (!result.Done()) return NotRead(PortListFailure(result));
    if (std::find(names.begin(), names.end(), given) != names.end()) return ReadPort(given);
    const std::wstring* match = nullptr;
    int matches = 0;
    for (const std::wstring& candidate : names) {
        if (!SameIgnoringCase(candidate, given)) continue;
        match = &candidate;
        ++matches;
    }
    if (matches != 1) {
        console.Err(FormatText(kNoSuchPortFormat, QuoteText(given).c_str()));
        return NotRead(kExitNoPort);
    }
    return ReadPort(*match);
}

PortRead CtlService::ReadPort(const std::wstring& name) {
    PortRead port;
    port.name = name;
    const RequestResult result = mirror.ReadPort(name, port.record);
    if (result.Done()) return port;
    if (result == kPortGoneAnswer) {
        console.Err(FormatText(kNoSuchPortFormat, QuoteText(name).c_str()));
        port.exitCode = kExitNoPort;
        return port;
    }
    port.exitCode = ReadFailure(result, FormatText(kPortUnreadableFormat, QuoteText(name).c_str(),
                                                   static_cast<unsigned long>(result.Code())));
    return port;
}

int CtlService::LoadDefaults(bool afresh) {
    if (mirror.DefaultDmsLoaded() && !afresh) return kExitOk;
    return SettingsRead(mirror.ReadDefaults());
}

int CtlService::LoadLogSettings(bool afresh) {
    if (mirror.LogSettingsLoaded() && !afresh) return kExitOk;
    return SettingsRead(mirror.ReadLogSettings());
}

int CtlService::SettingsRead(const RequestResult& result) {
    if (result.Done()) return kExitOk;
    return ReadFailure(
        result, FormatText(kSettingsUnreadableFormat, static_cast<unsigned long>(result.Code())));
}

}  // namespace kestrel::ctl
