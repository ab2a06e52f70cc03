#include "SimModel.h"

#include <iterator>

namespace kestrel::sim {

namespace {

SimDms BuiltInDefaults() {
    SimDms dms;
    dms.host = "dms.example.local";
    dms.port = "4000";
    dms.retryMs = 30000;
    return dms;
}

}  // namespace

SimModel::SimModel() { Reset(); }

const SimPort* SimModel::FindPort(const std::wstring& name) const {
    const auto it = ports.find(name);
    return it == ports.end() ? nullptr : &it->second;
}

SimPort* SimModel::FindPort(const std::wstring& name) {
    const auto it = ports.find(name);
    return it == ports.end() ? nullptr : &it->second;
}

const std::wstring* SimModel::PortNameAt(uint32_t index) const {
    if (index >= ports.size()) return nullptr;
    return &std::next(ports.begin(), index)->first;
}

SimPort SimModel::NewPort(const std::wstring& name) const {
    SimPort port;
    port.label = name.substr(0, kMaxPortLabelChars);
    port.own.retryMs = defaults.retryMs;
    return port;
}

void SimModel::PutPort(const std::wstring& name, const SimPort& port) {
    if (ports.insert_or_assign(name, port).second) NewStamp();
}

bool SimModel::RemovePort(const std::wstring& name) {
    if (ports.erase(name) == 0) return false;
    NewStamp();
    return true;
}

void SimModel::RemoveAllPorts() {
    if (ports.empty()) return;
    ports.clear();
    NewStamp();
}

SimDms SimModel::EffectiveDms(const SimPort& port) const {
    return port.useDefault ? defaults : port.own;
}

void SimModel::SetPortDms(SimPort& port, const SimDms& dms) {
    port.own = dms;
    port.useDefault = false;
    MoveUpdate(port);
}

void SimModel::UseDefaultDms(SimPort& port) {
    port.useDefault = true;
    MoveUpdate(port);
}

void SimModel::SetDefaultDms(const SimDms& dms) {
    defaults = dms;
    for (auto& entry : ports) {
        if (entry.second.useDefault) MoveUpdate(entry.second);
    }
}

void SimModel::SetLogSettings(const std::wstring& folder, uint32_t level) {
    logFolder = folder;
    logLevel = level;
}

void SimModel::AdvanceTraffic() {
    for (auto& entry : ports) {
        SimPort& port = entry.second;
        if (!port.traffic || port.status == kStatusNoDevice || !EffectiveDms(port).comPortActive)
            continue;
        // About a third of the ticks leave a direction idle.
        const uint32_t tx = NextRandom() % 300;
        const uint32_t rx = NextRandom() % 300;
        if (tx >= 100) port.tx += tx - 99;
        if (rx >= 100) port.rx += rx - 99;
    }
}

void SimModel::Reset() {
    RemoveAllPorts();
    defaults = BuiltInDefaults();
    logFolder = L"C:\\ProgramData\\Kestrel\\Logs";
    logLevel = 2;
}

uint32_t SimModel::NextRandom() {
    // xorshift32: cheap, and the same sequence on every run.
    randomState ^= randomState << 13;
    randomState ^= randomState >> 17;
    randomState ^= randomState << 5;
    return randomState;
}

void SimModel::NewStamp() {
    // Skips 0, which older panels took for a list already enumerated.
    ++stamp;
    if (stamp == 0) stamp = 1;
}

}  // namespace kestrel::sim
