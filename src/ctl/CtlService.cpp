#include "CtlService.h"

#include <algorithm>
#include <vector>

#include "CtlFormat.h"
#include "CtlTexts.h"
#include "RefreshPass.h"

namespace kestrel::ctl {

namespace {

// Collects the rows the panel's list would show after a pass.
class RowCollector : public PortListView {
public:
    explicit RowCollector(PortRows& collected) : rows(collected) {}

    bool UpdatePort(const PortRowInfo& info, bool* added) override {
        if (added) *added = false;
        const auto found = rows.find(info.name);
        if (info.countersOnly) return found != rows.end();
        if (info.status == kStatusNoDevice) {
            if (found != rows.end()) rows.erase(found);
            return true;
        }
        if (added) *added = found == rows.end();
        rows[info.name] = info;
        return true;
    }
    void DeletePort(const std::wstring& name) override { rows.erase(name); }
    bool SortItems(int, int) override { return true; }

private:
    PortRows& rows;
};

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

CtlService::CtlService(CtlConsole& out, const std::wstring& pipe)
    : console(out), pipeName(pipe.empty() ? kServicePipeName : pipe), mirror(pipeName.c_str()) {}

bool CtlService::TryConnect() {
    mirror.ConnectAtStartup();
    return mirror.Client().IsConnected();
}

int CtlService::Connect() { return TryConnect() ? kExitOk : Unreachable(RequestResult{}); }

int CtlService::Unreachable(const RequestResult& result) {
    console.Err(WhyUnreachable(result));
    return kExitUnreachable;
}

std::wstring CtlService::WhyUnreachable(const RequestResult& result) const {
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

int CtlService::PortListFailure(const RequestResult& result) {
    return ReadFailure(
        result, FormatText(kPortListUnreadableFormat, static_cast<unsigned long>(result.Code())));
}

// The names alone find the port: only that one is read in full.
int CtlService::FindPort(const std::wstring& given, std::wstring& name) {
    std::vector<std::wstring> names;
    const RequestResult result = ReadPortNames(mirror.Client(), names);
    if (!result.Done()) return PortListFailure(result);
    if (std::find(names.begin(), names.end(), given) != names.end()) {
        name = given;
    } else {
        int matches = 0;
        for (const std::wstring& candidate : names) {
            if (!SameIgnoringCase(candidate, given)) continue;
            name = candidate;
            ++matches;
        }
        if (matches != 1) {
            console.Err(FormatText(kNoSuchPortFormat, EscapeText(given).c_str()));
            return kExitNoPort;
        }
    }
    return ReadPort(name);
}

int CtlService::ReadPort(const std::wstring& name) {
    const RequestResult result = RereadPort(mirror.Client(), name, port);
    if (result.Done()) return kExitOk;
    if (result == kPortGoneAnswer) {
        console.Err(FormatText(kNoSuchPortFormat, EscapeText(name).c_str()));
        return kExitNoPort;
    }
    return ReadFailure(result, FormatText(kPortUnreadableFormat, EscapeText(name).c_str(),
                                          static_cast<unsigned long>(result.Code())));
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
