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
constexpr wchar_t kServiceSidPrefix[] = L"S-1-5-80-";
constexpr size_t kServiceSidSubAuthorities = 5;

// A sub-authority at from: decimal digits up to the next '-' or the end, whose
// value fits 32 bits. The position after it, or 0 when there is none.
size_t SubAuthorityEnd(const std::wstring& sid, size_t from) {
    uint64_t value = 0;
    size_t i = from;
    for (; i < sid.size() && sid[i] != L'-'; ++i) {
        if (sid[i] < L'0' || sid[i] > L'9' || i - from >= 10) return 0;
        value = value * 10 + static_cast<uint64_t>(sid[i] - L'0');
    }
    return i > from && value <= UINT32_MAX ? i : 0;
}

}  // namespace

bool IsServiceSid(const std::wstring& sid) {
    const std::wstring prefix(kServiceSidPrefix);
    if (sid.compare(0, prefix.size(), prefix) != 0) return false;
    size_t at = prefix.size();
    for (size_t part = 1;; ++part) {
        at = SubAuthorityEnd(sid, at);
        if (at == 0) return false;
        if (at == sid.size()) return part == kServiceSidSubAuthorities;
        ++at;  // the '-'
    }
}

bool IsSidText(const std::wstring& text) {
    if (text.size() < 5 || (text[0] != L'S' && text[0] != L's') || text.compare(1, 3, L"-1-") != 0)
        return false;
    size_t at = 4;
    for (;;) {
        at = SubAuthorityEnd(text, at);
        if (at == 0) return false;
        if (at == text.size()) return true;
        ++at;  // the '-'
    }
}

std::wstring PolicyValueText(const uint8_t* data, size_t bytes) {
    std::wstring text;
    for (size_t i = 0; i + 1 < bytes; i += 2) {
        const auto unit = static_cast<wchar_t>(data[i] | data[i + 1] << 8);
        if (unit == L'\0') break;
        text += unit;
    }
    return text;
}

PipeOwnerTrust::PipeOwnerTrust(std::wstring userSid, std::wstring policySid)
    : user(std::move(userSid)), policyAccount(std::move(policySid)) {}

bool PipeOwnerTrust::Trusts(const std::wstring& owner) const {
    if (owner.empty()) return false;
    for (const wchar_t* account : kTrustedAccounts)
        if (owner == account) return true;
    return IsServiceSid(owner) || owner == user || owner == policyAccount;
}

}  // namespace kestrel
