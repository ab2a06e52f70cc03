// Security attributes for the server end of a pipe, with its owner set
// explicitly: the panel talks only to a pipe whose owner it trusts, and a pipe
// created with default security may report no owner at all. The owner is this
// process's user unless another account is named; the owner and this user may
// open the pipe.
#pragma once

#include <windows.h>

#include <string>

#include "TLocalMemory.h"

namespace kestrel::sim {

class PipeSecurity {
public:
    // owner: a SID string or an account alias of the security descriptor
    // language (LS, SY, BA); empty for this process's user.
    explicit PipeSecurity(const std::wstring& owner = std::wstring());
    PipeSecurity(const PipeSecurity&) = delete;
    PipeSecurity& operator=(const PipeSecurity&) = delete;

    // Null when the owner could not be made into a security descriptor.
    SECURITY_ATTRIBUTES* Attributes() { return descriptor.IsValid() ? &attributes : nullptr; }

private:
    SECURITY_ATTRIBUTES attributes{};
    TLocalMemory<void> descriptor;
};

}  // namespace kestrel::sim
