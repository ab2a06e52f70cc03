// The requests that change what the service holds, as the service client
// answers them: the mirror's editing flows send them, and KestrelCtl sends
// its own. Portable: no windows.h.
#pragma once

#include <cstdint>
#include <string>

#include "DmsConfig.h"
#include "RequestResult.h"

namespace kestrel {

class ServiceChanges {
public:
    // A text too long for its field is refused with
    // ClientFailed(kResultTextTooLong) before anything is sent.
    [[nodiscard]] virtual RequestResult SetPortDmsConfig(const std::wstring& name,
                                                         const DmsConfig& dms) = 0;
    [[nodiscard]] virtual RequestResult UseDefaultDmsConfig(const std::wstring& name) = 0;
    [[nodiscard]] virtual RequestResult SetDefaultDmsConfig(const DmsConfig& dms) = 0;
    [[nodiscard]] virtual RequestResult SetLogSettings(const std::wstring& folder,
                                                       uint32_t level) = 0;

protected:
    ~ServiceChanges() = default;
};

}  // namespace kestrel
