#include "AccountSids.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "CHandle.h"
#include "CRegKey.h"
#include "PipeOwnerTrust.h"
#include "TLocalMemory.h"

namespace kestrel {

namespace {

std::wstring SidText(PSID sid) {
    if (sid == nullptr || !::IsValidSid(sid)) return std::wstring();
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &text)) return std::wstring();
    const TLocalMemory<wchar_t> owned(text);
    return std::wstring(text);
}

// The system's own writing of a SID given as text; empty when it is none.
std::wstring CanonicalSid(const std::wstring& text) {
    PSID sid = nullptr;
    if (text.empty() || !::ConvertStringSidToSidW(text.c_str(), &sid)) return std::wstring();
    const TLocalMemory<void> owned(sid);
    return SidText(sid);
}

}  // namespace

std::wstring ProcessUserSid() {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened)) return std::wstring();
    const CHandle token(opened);
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    std::wstring sid;
    if (size != 0 && ::GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size))
        sid = SidText(reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid);
    return sid;
}

std::wstring HandleOwnerSid(HANDLE handle) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(handle, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                          nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return std::wstring();
    }
    // The owner SID points into the descriptor.
    const TLocalMemory<void> owned(descriptor);
    return SidText(owner);
}

std::wstring PolicyTrustedAccount() {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTrustPolicyKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                        &opened) != ERROR_SUCCESS) {
        return std::wstring();
    }
    const CRegKey key(opened);
    BYTE value[512] = {};
    DWORD type = 0;
    DWORD bytes = sizeof(value);
    const LSTATUS read =
        ::RegQueryValueExW(key.Get(), kTrustPolicyValue, nullptr, &type, value, &bytes);
    if (read != ERROR_SUCCESS || type != REG_SZ) return std::wstring();
    const std::wstring text = PolicyValueText(value, bytes);
    return IsSidText(text) ? CanonicalSid(text) : std::wstring();
}

}  // namespace kestrel
