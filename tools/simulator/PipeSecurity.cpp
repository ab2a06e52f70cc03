#include "PipeSecurity.h"

#include <sddl.h>

#include "AccountSids.h"

namespace kestrel::sim {

PipeSecurity::PipeSecurity(const std::wstring& owner) {
    const std::wstring user = ProcessUserSid();
    const std::wstring account = owner.empty() ? user : owner;
    if (account.empty()) return;
    const std::wstring sddl = L"O:" + account + L"D:(A;;GA;;;" + account + L")" +
                              (user.empty() ? L"" : L"(A;;GA;;;" + user + L")");
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                descriptor.Put(), nullptr)) {
        return;
    }
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = descriptor.Get();
}

}  // namespace kestrel::sim
