#include "StateDescription.h"

#include <sstream>

#include "CommandParser.h"
#include "WideText.h"

namespace kestrel::sim {

namespace {

std::string DescribeDms(const SimDms& dms) {
    std::ostringstream out;
    out << "host=" << CommandParser::Quote(dms.host)
        << " dmsport=" << CommandParser::Quote(dms.port) << " retry=" << dms.retryMs
        << " ssl=" << dms.useSsl << " active=" << dms.comPortActive;
    return out.str();
}

// Texts of the model are UTF-16; commands are UTF-8.
std::string QuoteWide(const std::wstring& text) { return CommandParser::Quote(WideToUtf8(text)); }

std::string DescribeFault(const Fault& fault) {
    std::ostringstream out;
    out << "fault " << CommandParser::FaultKindName(fault.kind);
    switch (fault.kind) {
    case FaultKind::Drop:
    case FaultKind::Crash:
    case FaultKind::Silence: break;
    case FaultKind::Version:
        out << ' ' << fault.version[0] << '.' << fault.version[1] << '.' << fault.version[2];
        break;
    case FaultKind::Names: out << ' ' << CommandParser::PastEndNamesName(fault.value); break;
    default: out << ' ' << fault.value; break;
    }
    out << " on=" << (fault.anyCode ? "any" : CommandParser::RequestName(fault.code));
    if (!fault.port.empty()) out << " port=" << QuoteWide(fault.port);
    if (fault.skip != 0) out << " after=" << fault.skip;
    out << " count=";
    if (fault.always) {
        out << "always";
    } else {
        out << fault.remaining;
    }
    return out.str();
}

}  // namespace

std::string StateDescription::Describe(const SimState& state) {
    const SimModel& model = state.model;
    std::ostringstream out;
    out << "defaults " << DescribeDms(model.DefaultDms()) << '\n';
    out << "log folder=" << QuoteWide(model.LogFolder()) << " level=" << model.LogLevel() << '\n';
    for (const auto& [name, port] : model.Ports()) {
        out << "port " << QuoteWide(name) << " label=" << QuoteWide(port.label)
            << " serial=" << QuoteWide(port.serial) << " mode=" << port.mode
            << " status=" << port.status << " default=" << port.useDefault << ' '
            << DescribeDms(port.own) << " traffic=" << (port.traffic ? "on" : "off")
            << " tx=" << port.tx << " rx=" << port.rx << " update=" << port.update << '\n';
    }
    for (const Fault& fault : state.faults.Faults()) out << DescribeFault(fault) << '\n';
    out << "# stamp=" << model.Stamp() << " ports=" << model.Ports().size();
    return out.str();
}

std::string StateDescription::DescribeCounts(const RequestCounts& counts) {
    std::ostringstream out;
    out << "requests total=" << counts.total;
    for (uint32_t i = 0; i < kRequestCodeCount; ++i)
        out << ' ' << CommandParser::RequestName(i) << '=' << counts.byCode[i];
    out << " unknown=" << counts.unknownCode << " malformed=" << counts.malformed;
    return out.str();
}

}  // namespace kestrel::sim
