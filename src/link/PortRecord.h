// What the panel knows about one of the service's ports, and the table of
// them by port name. Portable: no windows.h.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "DmsConfig.h"
#include "ServiceProtocol.h"

namespace kestrel {

struct PortRecord {
    std::wstring portLabel;     // at most 29 characters
    std::wstring serialNumber;  // at most 149 characters
    uint32_t mode = kModeSerial;
    uint32_t status = kStatusNoDevice;
    bool useDefault = true;
    DmsConfig dms;
    bool present = false;  // handed to the list since the enumeration began or the last failed poll
    bool seen = false;     // reported by GetPortName in the current enumeration
    uint32_t txPrev = 0, txCount = 0;
    uint32_t rxPrev = 0, rxCount = 0;
    uint32_t updatePrev = 0, updateCount = 0;
    // The record holds no completed full read (device data and DMS parameters)
    // the service has confirmed: the port is new, its last full read failed,
    // or the record holds what an editing flow stored and the service did not
    // answer. The next pass reads it in full whatever its update counter says,
    // since a new record's counters start at 0, 0 and a service may well
    // report 0.
    bool fullReadOwed = true;
    // The service's status for the last read of the port it refused (counters
    // or full read), cleared by a read that went through: the port is listed
    // but what it shows is not known.
    std::optional<uint32_t> readRefusal;
};

// Orders port names by their UTF-16 code units as unsigned numbers, so that
// COM10 comes before COM2 and a prefix before its extensions.
struct PortNameLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        const size_t n = a.size() < b.size() ? a.size() : b.size();
        for (size_t i = 0; i < n; ++i) {
            const auto ua = static_cast<uint16_t>(a[i]);
            const auto ub = static_cast<uint16_t>(b[i]);
            if (ua != ub) return ua < ub;
        }
        return a.size() < b.size();
    }
};

using PortTable = std::map<std::wstring, PortRecord, PortNameLess>;

// The most ports the panel lists: one row button each, ids 2000 to 2999. A
// service that claims more gives a malformed answer.
inline constexpr uint32_t kMaxPortCount = 1000;

}  // namespace kestrel
