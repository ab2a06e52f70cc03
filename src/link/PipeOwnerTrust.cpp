#include "PipeOwnerTrust.h"

#include <utility>

namespace kestrel {

namespace {

constexpr const wchar_t* kTrustedAccounts[] = {
    L"S-1-5-18",      // LocalSystem
    L"S-1-5-19",      // LocalService
    L"S-1-5-20",      // NetworkService
    L"S-1-5-32-544",  // Administrators
};
// A service's own SID: S-1-5-80- followed by the hash of its name.
constexpr wchar_t kServiceSidPrefix[] = L"S-1-5-80-";

}  // namespace

PipeOwnerTrust::PipeOwnerTrust(std::wstring userSid, std::wstring policySid)
    : user(std::move(userSid)), policyAccount(std::move(policySid)) {}

bool PipeOwnerTrust::Trusts(const std::wstring& owner) const {
    if (owner.empty()) return false;
    for (const wchar_t* account : kTrustedAccounts)
        if (owner == account) return true;
    const std::wstring prefix(kServiceSidPrefix);
    if (owner.size() > prefix.size() && owner.compare(0, prefix.size(), prefix) == 0) return true;
    return owner == user || owner == policyAccount;
}

}  // namespace kestrel
