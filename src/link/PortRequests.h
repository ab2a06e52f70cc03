// The requests a refresh pass sends about the ports, as the service client
// answers them: a RequestResult, the outputs set to their failure values
// before anything is sent. CplPipeClient answers them over the pipe. Portable:
// no windows.h.
#pragma once

#include <cstdint>
#include <string>

#include "DmsConfig.h"
#include "RequestResult.h"

namespace kestrel {

class PortRequests {
public:
    [[nodiscard]] virtual RequestResult GetPortListInfo(uint32_t* stamp, uint32_t* count) = 0;
    [[nodiscard]] virtual RequestResult GetPortName(uint32_t stamp, uint32_t index,
                                                    std::wstring& name) = 0;
    [[nodiscard]] virtual RequestResult GetPortDevice(const std::wstring& name,
                                                      std::wstring& portLabel,
                                                      std::wstring& serialNumber, uint32_t& mode,
                                                      uint32_t& status, bool& useDefault) = 0;
    [[nodiscard]] virtual RequestResult GetPortDmsConfig(const std::wstring& name,
                                                         DmsConfig& dms) = 0;
    [[nodiscard]] virtual RequestResult GetPortCounters(const std::wstring& name, uint32_t& txCount,
                                                        uint32_t& rxCount,
                                                        uint32_t& updateCount) = 0;

protected:
    ~PortRequests() = default;
};

}  // namespace kestrel
