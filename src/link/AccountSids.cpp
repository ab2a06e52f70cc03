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
    TLocalMemory<wchar_t> text;
    if (!::ConvertSidToStringSidW(sid, text.Put())) return std::wstring();
    return std::wstring(text.Get());
}

// The system's own writing of a SID given as text; empty when it is none.
std::wstring CanonicalSid(const std::wstring& text) {
    TLocalMemory<void> sid;
    if (text.empty() || !::ConvertStringSidToSidW(text.c_str(), sid.Put())) return std::wstring();
    return SidText(sid.Get());
}

}  // namespace

std::wstring ProcessUserSid() {
    CHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put())) return std::wstring();
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
    // The owner SID points into the descriptor.
    TLocalMemory<void> descriptor;
    if (::GetSecurityInfo(handle, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                          nullptr, nullptr, descriptor.Put()) != ERROR_SUCCESS) {
        return std::wstring();
    }
    return SidText(owner);
}

std::wstring PolicyTrustedAccount() {
    CRegKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTrustPolicyKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                        key.Put()) != ERROR_SUCCESS) {
        return std::wstring();
    }
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
