// One port as the port list shows it: what the refresh and the editing flows
// hand to the list. Portable: no windows.h.
#pragma once

#include <cstdint>
#include <string>

#include "ServiceProtocol.h"

namespace kestrel {

struct PortRowInfo {
    std::wstring name;
    bool comPortActive = false;
    std::wstring portLabel;
    bool rxChanged = false;
    bool txChanged = false;
    std::wstring serialNumber;
    uint32_t mode = 0;
    uint32_t status = kStatusNoDevice;  // a full row with status 3 removes the port's row
    std::wstring connection;
    bool countersOnly = false;  // only rxChanged and txChanged carry news
};

}  // namespace kestrel
