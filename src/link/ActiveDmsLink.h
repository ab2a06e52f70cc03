// Which ports have a DMS link the panel watches, and which of those have lost
// it: the one rule behind the tray's warning and KestrelCtl's check. A port
// counts when it has a device, is not in Serial mode (which has no DMS link)
// and its connection is active; it is not connected when it then shows any
// status but Connected. Portable: no windows.h.
#pragma once

#include <cstdint>

#include "PortRecord.h"
#include "PortRowInfo.h"
#include "ServiceProtocol.h"

namespace kestrel {

inline bool HasActiveDmsLink(bool comPortActive, uint32_t mode, uint32_t status) {
    return comPortActive && mode != kModeSerial && status != kStatusNoDevice;
}

inline bool HasActiveDmsLink(const PortRowInfo& port) {
    return HasActiveDmsLink(port.comPortActive, port.mode, port.status);
}

inline bool HasActiveDmsLink(const PortRecord& record) {
    return HasActiveDmsLink(record.dms.comPortActive != 0, record.mode, record.status);
}

// An active DMS link that does not show Connected.
template <typename Port>
bool ActiveDmsLinkDown(const Port& port) {
    return HasActiveDmsLink(port) && port.status != kStatusConnected;
}

}  // namespace kestrel
