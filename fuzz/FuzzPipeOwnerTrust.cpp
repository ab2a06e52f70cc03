// Which pipe owners the panel trusts, and the policy value's text. The input is
// UTF-16LE whose NULs separate the user's SID, the owner's SID and a policy
// value's raw bytes (the rest of the input, as the registry could hand them
// over: odd lengths, no terminator, NULs inside). Checks the trust decision
// against a plain reading of the rules and that the policy's text is what the
// value holds up to its first NUL.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "PipeOwnerTrust.h"

namespace kestrel {
namespace {

using fuzz::Check;

// A service SID as the rules put it: S-1-5-80- and five decimal
// sub-authorities of 32 bits.
bool LooksLikeServiceSid(const std::wstring& sid) {
    const std::wstring prefix = L"S-1-5-80-";
    if (sid.rfind(prefix, 0) != 0) return false;
    std::vector<std::wstring> parts(1);
    for (size_t i = prefix.size(); i < sid.size(); ++i) {
        if (sid[i] == L'-') {
            parts.emplace_back();
        } else {
            parts.back() += sid[i];
        }
    }
    if (parts.size() != 5) return false;
    for (const std::wstring& part : parts) {
        if (part.empty() || part.size() > 10 ||
            part.find_first_not_of(L"0123456789") != std::wstring::npos)
            return false;
        if (std::stoull(part) > UINT32_MAX) return false;
    }
    return true;
}

}  // namespace
}  // namespace kestrel

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrel;
    std::wstring texts[2];
    size_t i = 0;
    for (std::wstring& text : texts) {
        for (; i + 1 < size; i += 2) {
            const auto unit = static_cast<wchar_t>(data[i] | data[i + 1] << 8);
            if (unit == L'\0') break;
            text += unit;
        }
        i += 2;
    }
    const std::wstring& user = texts[0];
    const std::wstring& owner = texts[1];
    const uint8_t* value = i < size ? data + i : data;
    const size_t valueBytes = i < size ? size - i : 0;

    const std::wstring policy = PolicyValueText(value, valueBytes);
    Check(policy.find(L'\0') == std::wstring::npos && policy.size() <= valueBytes / 2,
          "the policy's text ends at its first NUL");
    for (size_t k = 0; k < policy.size(); ++k)
        Check(policy[k] == static_cast<wchar_t>(value[2 * k] | value[2 * k + 1] << 8),
              "the policy's text is the value's");

    static const std::wstring kFixed[] = {L"S-1-5-18", L"S-1-5-19", L"S-1-5-20", L"S-1-5-32-544"};
    const PipeOwnerTrust trust(user, policy);
    bool expected = false;
    for (const std::wstring& account : kFixed) expected = expected || owner == account;
    expected = expected || LooksLikeServiceSid(owner) || owner == user || owner == policy;
    expected = expected && !owner.empty();
    Check(trust.Trusts(owner) == expected, "trusted exactly as the rules say");
    Check(IsServiceSid(owner) == LooksLikeServiceSid(owner), "service SIDs as the rules say");
    Check(!trust.Trusts(L"S-1-5-80-0") || user == L"S-1-5-80-0" || policy == L"S-1-5-80-0",
          "ALL SERVICES is no service");
    return 0;
}
