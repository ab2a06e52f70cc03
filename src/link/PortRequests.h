// The requests a refresh pass sends about the ports, as the service client
// answers them: 0 or an error code, the outputs set to their failure values
// before anything is sent. CplPipeClient answers them over the pipe. Portable:
// no windows.h.
#pragma once

#include <cstdint>
#include <string>

#include "DmsConfig.h"

namespace kestrel {

class PortRequests {
public:
    [[nodiscard]] virtual uint32_t GetPortListInfo(uint32_t* stamp, uint32_t* count) = 0;
    [[nodiscard]] virtual uint32_t GetPortName(uint32_t stamp, uint32_t index,
                                               std::wstring& name) = 0;
    [[nodiscard]] virtual uint32_t GetPortDevice(const std::wstring& name, std::wstring& portLabel,
                                                 std::wstring& serialNumber, uint32_t& mode,
                                                 uint32_t& status, bool& useDefault) = 0;
    [[nodiscard]] virtual uint32_t GetPortDmsConfig(const std::wstring& name, DmsConfig& dms) = 0;
    [[nodiscard]] virtual uint32_t GetPortCounters(const std::wstring& name, uint32_t& txCount,
                                                   uint32_t& rxCount, uint32_t& updateCount) = 0;

protected:
    ~PortRequests() = default;
};

}  // namespace kestrel
