// The simulated service's state: its ports, the default DMS parameters, the log
// settings and the port-list stamp. Not synchronised: SimService guards it.
// Portable: no windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "ServiceProtocol.h"

namespace kestrel::sim {

// Text limits of the wire fields, without the terminating NUL.
inline constexpr size_t kMaxPortNameChars = kPortNameChars - 1;
inline constexpr size_t kMaxPortLabelChars = kPortLabelChars - 1;
inline constexpr size_t kMaxSerialNumberChars = kSerialNumberChars - 1;
inline constexpr size_t kMaxLogFolderChars = kLogFolderChars - 1;
inline constexpr size_t kMaxDmsHostBytes = kDmsHostBytes - 1;
inline constexpr size_t kMaxDmsPortBytes = kDmsPortBytes - 1;

// A DMS parameter set; host and port are narrow texts passed through byte for byte.
struct SimDms {
    std::string host;
    std::string port;
    uint32_t retryMs = 0;
    bool useSsl = false;
    bool comPortActive = false;

    bool operator==(const SimDms& other) const {
        return host == other.host && port == other.port && retryMs == other.retryMs &&
               useSsl == other.useSsl && comPortActive == other.comPortActive;
    }
};

struct SimPort {
    std::wstring label;   // UTF-16 code units, at most kMaxPortLabelChars
    std::wstring serial;  // at most kMaxSerialNumberChars
    uint32_t mode = kModePoct1A;
    uint32_t status = kStatusConnected;
    bool useDefault = true;
    SimDms own;            // kept while the port follows the defaults
    bool traffic = false;  // the background tick may advance tx and rx
    uint32_t tx = 0;
    uint32_t rx = 0;
    // Starts at 1; update=0 makes the service that reports 0 for a new port.
    uint32_t update = 1;
};

class SimModel {
public:
    // Ports keyed by name; std::wstring order is UTF-16 code-unit order here,
    // which is also the order GetPortName enumerates in.
    using PortMap = std::map<std::wstring, SimPort>;

    SimModel();

    const PortMap& Ports() const { return ports; }
    const SimPort* FindPort(const std::wstring& name) const;
    SimPort* FindPort(const std::wstring& name);
    // Name of the port at index of the current list, or null when out of range.
    const std::wstring* PortNameAt(uint32_t index) const;

    // A port as the service first reports it: labelled with its name and
    // following the defaults.
    SimPort NewPort(const std::wstring& name) const;
    // Adds the port or replaces the one of that name. Adding or removing a port
    // gives the list a new stamp.
    void PutPort(const std::wstring& name, const SimPort& port);
    bool RemovePort(const std::wstring& name);
    void RemoveAllPorts();
    uint32_t Stamp() const { return stamp; }

    // Tells the panel to re-read the port's device data and DMS parameters.
    static void MoveUpdate(SimPort& port) { ++port.update; }

    SimDms EffectiveDms(const SimPort& port) const;
    void SetPortDms(SimPort& port, const SimDms& dms);
    void UseDefaultDms(SimPort& port);
    const SimDms& DefaultDms() const { return defaults; }
    void SetDefaultDms(const SimDms& dms);

    const std::wstring& LogFolder() const { return logFolder; }
    uint32_t LogLevel() const { return logLevel; }
    void SetLogSettings(const std::wstring& folder, uint32_t level);

    // One step of simulated traffic: ports with traffic on, a device and an
    // active COM port move tx and rx by small pseudo-random amounts (sometimes 0,
    // so the panel's RX/TX marks come and go).
    void AdvanceTraffic();

    // Back to the state of a freshly started service without ports.
    void Reset();

private:
    uint32_t NextRandom();
    void NewStamp();

    PortMap ports;
    uint32_t stamp = 1;
    SimDms defaults;
    std::wstring logFolder;
    uint32_t logLevel = 0;
    uint32_t randomState = 0x2545F491u;
};

}  // namespace kestrel::sim
