// Which owners of the service's pipe the panel talks to.
#include <gtest/gtest.h>

#include "PipeOwnerTrust.h"

namespace kestrel {
namespace {

constexpr wchar_t kUser[] = L"S-1-5-21-1004336348-1177238915-682003330-1001";
constexpr wchar_t kPolicyAccount[] = L"S-1-5-21-1004336348-1177238915-682003330-1500";

TEST(PipeOwnerTrust, ServiceAccountsAdministratorsServicesAndTheUser) {
    const PipeOwnerTrust trust(kUser, L"");
    for (const wchar_t* owner :
         {L"S-1-5-18", L"S-1-5-19", L"S-1-5-20", L"S-1-5-32-544",
          L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", kUser})
        EXPECT_TRUE(trust.Trusts(owner)) << owner;
    // S-1-5-80-0 is ALL SERVICES, a group: a service's own SID has five sub-authorities.
    for (const wchar_t* owner :
         {L"", L"S-1-5-80", L"S-1-5-80-", L"S-1-5-32-545", L"S-1-1-0",
          L"S-1-5-21-1004336348-1177238915-682003330-500", L"S-1-5-180", L"S-1-5-188",
          kPolicyAccount, L"S-1-5-80-0", L"S-1-5-80-956008885-3418522649-1831038044-1853292631",
          L"S-1-5-80-956008885-3418522649-1831038044-1853292631-4294967296",
          L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464-1",
          L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464-1-2"})
        EXPECT_FALSE(trust.Trusts(owner)) << owner;
}

// The policy names its account as a SID string; the aliases the system also
// reads as accounts (AU, WD) are not one.
TEST(PipeOwnerTrust, PolicyAccountIsASidStringOnly) {
    for (const wchar_t* text : {L"S-1-5-32-544", L"s-1-5-21-1-2-3-4242", L"S-1-1-0"})
        EXPECT_TRUE(IsSidText(text)) << text;
    for (const wchar_t* text : {L"", L"AU", L"WD", L"BA", L"S-1-", L"S-1-5-", L"S-1-5--1",
                                L"S-2-5-18", L"S-1-5-18 ", L"S-1-x", L"S-1-5-4294967296"})
        EXPECT_FALSE(IsSidText(text)) << text;
}

TEST(PipeOwnerTrust, PolicyAddsOneAccountAndNoneTrustsNoOwner) {
    EXPECT_TRUE(PipeOwnerTrust(kUser, kPolicyAccount).Trusts(kPolicyAccount));
    EXPECT_FALSE(PipeOwnerTrust(L"", L"").Trusts(L"")) << "no user and no policy trust no owner";
    EXPECT_FALSE(PipeOwnerTrust(kUser, kPolicyAccount).Trusts(L""));
}

}  // namespace
}  // namespace kestrel
