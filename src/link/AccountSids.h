// Accounts by their SID strings, as the system writes them ("S-1-5-18"): the
// user this process runs as, the owner of an open handle's object, and the
// account an administrator's policy adds to those the panel trusts as owner
// of the service's pipe. Each gives an empty string where there is none.
#pragma once

#include <windows.h>

#include <string>

namespace kestrel {

// HKLM\Software\Policies\Norvane\Kestrel Control Panel, TrustedServiceAccount (REG_SZ).
inline constexpr wchar_t kTrustPolicyKey[] = L"Software\\Policies\\Norvane\\Kestrel Control Panel";
inline constexpr wchar_t kTrustPolicyValue[] = L"TrustedServiceAccount";

std::wstring ProcessUserSid();
std::wstring HandleOwnerSid(HANDLE handle);
// Read from the 64-bit view where there is one, which is where policy lands,
// and written as the system writes SIDs.
std::wstring PolicyTrustedAccount();

}  // namespace kestrel
