// Which accounts may own the service's pipe. Whoever owns the pipe decides
// what the panel shows and receives every change the user applies, and any
// local account can create the pipe's name while the service is stopped. So
// the panel talks only to a pipe owned by one of the system's service
// accounts, the Administrators group, a service's own SID, the user's own
// account (a program the user started, such as the simulator), or the one
// account an administrator names by policy. Accounts are SID strings as the
// system writes them ("S-1-5-18"). Portable: no windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrel {

// A service's own SID: S-1-5-80- and the five sub-authorities of the hash of
// its name. S-1-5-80-0 (ALL SERVICES) is the group of every service, not one.
bool IsServiceSid(const std::wstring& sid);

// Whether a text is written as a SID: S-1-, either case of S, then the
// identifier authority and sub-authorities as decimal numbers. What else the
// system reads as an account (aliases such as AU or WD, groups of every
// user) is no SID string, and the policy names no account with it.
bool IsSidText(const std::wstring& text);

// The policy value's text as the registry gave it (bytes of a REG_SZ): up to
// its first NUL, or all of it when it lacks one; an odd last byte is no character.
std::wstring PolicyValueText(const uint8_t* data, size_t bytes);

class PipeOwnerTrust {
public:
    // user: the account the panel runs as; policyAccount: empty when no policy names one.
    PipeOwnerTrust(std::wstring user, std::wstring policyAccount);

    // owner: empty when the pipe reports none, which is never trusted.
    bool Trusts(const std::wstring& owner) const;

private:
    std::wstring user;
    std::wstring policyAccount;
};

}  // namespace kestrel
