// The directory client's decisions that need no server.
#include "platform/ads/AdsPath.h"
#include "platform/ads/AttributeSchema.h"
#include "platform/ads/BindName.h"
#include "platform/ads/LdapEndpoint.h"

#include <gtest/gtest.h>

using namespace winplat;
using namespace winplat::ads;

struct PathCase
{
    const char* name;
    std::u16string path;
    bool valid;
    std::string server;
    int port;
    std::string dn;
};

class AdsPathTest : public testing::TestWithParam<PathCase>
{
};

TEST_P(AdsPathTest, Parses)
{
    const PathCase& c = GetParam();
    auto p = ParseAdsPath(c.path);
    ASSERT_EQ(p.has_value(), c.valid);
    if (!c.valid)
        return;
    EXPECT_EQ(p->server, c.server);
    EXPECT_EQ(p->port.value_or(0), c.port);
    EXPECT_EQ(p->dn, c.dn);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, AdsPathTest,
    testing::Values(PathCase{"Bare", u"LDAP://EXCH01", true, "EXCH01", 0, ""},
                    PathCase{"DnsName", u"LDAP://dc01.corp.example.test", true,
                             "dc01.corp.example.test", 0, ""},
                    PathCase{"PortAndDn", u"LDAP://dc01:3890/DC=corp,DC=test", true, "dc01", 3890,
                             "DC=corp,DC=test"},
                    PathCase{"LowerMoniker", u"ldap://exch01", true, "exch01", 0, ""},
                    PathCase{"Empty", u"", false, "", 0, ""},
                    PathCase{"NoServer", u"LDAP://", false, "", 0, ""},
                    PathCase{"Space", u"LDAP://EXCH 01", false, "", 0, ""},
                    PathCase{"TrailingSpace", u"LDAP://EXCH01 ", false, "", 0, ""},
                    PathCase{"Serverless", u"LDAP://DC=corp,DC=test", false, "", 0, ""},
                    PathCase{"BadPort", u"LDAP://dc01:99999", false, "", 0, ""},
                    PathCase{"EmptyPort", u"LDAP://dc01:", false, "", 0, ""},
                    PathCase{"NonAscii", u"LDAP://sérveur", false, "", 0, ""},
                    PathCase{"OtherScheme", u"GC://dc01", false, "", 0, ""}),
    [](const testing::TestParamInfo<PathCase>& i) { return i.param.name; });

TEST(LdapEndpoint, ConfigurationMapsNamesAndGuardsCleartext)
{
    auto cfg = PlatformConfig::Parse("[hosts]\n"
                                     "exch01 = 127.0.0.1:3890\n"
                                     "secure = ldaps://127.0.0.1:6360\n"
                                     "remote = 192.0.2.10:389\n"
                                     "[directory]\n"
                                     "cleartext = EXCH01 remote\n"
                                     "ca_file = /etc/ca.pem\n"
                                     "timeout_seconds = 7\n");
    auto ep = ResolveEndpoint(*ParseAdsPath(u"LDAP://EXCH01"), cfg);
    ASSERT_TRUE(ep);
    EXPECT_EQ(ep->Uri(), "ldap://127.0.0.1:3890");
    EXPECT_TRUE(ep->cleartextAllowed);
    EXPECT_EQ(ep->caFile, "/etc/ca.pem");
    EXPECT_EQ(ep->timeoutSeconds, 7);

    ep = ResolveEndpoint(*ParseAdsPath(u"LDAP://secure"), cfg);
    ASSERT_TRUE(ep);
    EXPECT_EQ(ep->Uri(), "ldaps://127.0.0.1:6360");
    EXPECT_FALSE(ep->cleartextAllowed);

    // Listed for cleartext, but not on loopback: the password still goes under TLS.
    ep = ResolveEndpoint(*ParseAdsPath(u"LDAP://remote"), cfg);
    ASSERT_TRUE(ep);
    EXPECT_FALSE(ep->cleartextAllowed);

    // Unmapped names are DNS names on the standard port.
    ep = ResolveEndpoint(*ParseAdsPath(u"LDAP://dc01.corp.test"), cfg);
    ASSERT_TRUE(ep);
    EXPECT_EQ(ep->Uri(), "ldap://dc01.corp.test:389");
    EXPECT_FALSE(ep->cleartextAllowed);

    EXPECT_FALSE(ResolveEndpoint(*ParseAdsPath(u"LDAP://x"),
                                 PlatformConfig::Parse("[hosts]\nx = 127.0.0.1:notaport\n")));
}

struct BindCase
{
    const char* name;
    std::string user;
    bool ad;
    BindPlan::Kind kind;
    std::string bindName;
};

class BindNameTest : public testing::TestWithParam<BindCase>
{
};

TEST_P(BindNameTest, Plans)
{
    const BindCase& c = GetParam();
    RootDse dse;
    dse.namingContexts = {"DC=corp,DC=example,DC=test"};
    if (c.ad)
    {
        dse.defaultNamingContext = "DC=corp,DC=example,DC=test";
        dse.supportedCapabilities = {"1.2.840.113556.1.4.800"};
    }
    BindPlan plan = PlanBind(c.user, dse);
    EXPECT_EQ(plan.kind, c.kind);
    EXPECT_EQ(plan.name, c.bindName);
}

using K = BindPlan::Kind;
INSTANTIATE_TEST_SUITE_P(
    Names, BindNameTest,
    testing::Values(
        BindCase{"AdDn", "CN=Alice,OU=Users,DC=corp,DC=example,DC=test", true, K::Direct,
                 "CN=Alice,OU=Users,DC=corp,DC=example,DC=test"},
        BindCase{"AdDomainAccount", "CORP\\alice", true, K::Direct, "CORP\\alice"},
        BindCase{"AdUpn", "alice@corp.example.test", true, K::Direct, "alice@corp.example.test"},
        BindCase{"AdBareAccount", "alice", true, K::Direct, "alice@corp.example.test"},
        BindCase{"LdapDn", "cn=alice,ou=Users,dc=corp", false, K::Direct,
                 "cn=alice,ou=Users,dc=corp"},
        BindCase{"LdapDomainAccount", "CORP\\alice", false, K::LookupAccount, "alice"},
        BindCase{"LdapSeveralBackslashes", "CORP\\dept\\alice", false, K::LookupAccount,
                 "dept\\alice"},
        BindCase{"LdapUpn", "alice@corp.example.test", false, K::LookupAccount, "alice"},
        BindCase{"LdapBare", "alice", false, K::LookupAccount, "alice"},
        BindCase{"LdapDomainOnly", "CORP\\", false, K::Refuse, ""},
        BindCase{"Empty", "", true, K::Refuse, ""}),
    [](const testing::TestParamInfo<BindCase>& i) { return i.param.name; });

TEST(AttributeSchema, TypesFollowSyntaxAndSuperiors)
{
    AttributeSchema schema;
    schema.AddDescription("( 1.2.3.1 NAME 'msExchHideFromAddressLists' SYNTAX "
                          "1.3.6.1.4.1.1466.115.121.1.7 SINGLE-VALUE )");
    schema.AddDescription("( 2.5.4.41 NAME 'name' SYNTAX 1.3.6.1.4.1.1466.115.121.1.15{32768} )");
    schema.AddDescription("( 2.5.4.3 NAME ( 'cn' 'commonName' ) SUP name )");
    schema.AddDescription("( 1.2.3.2 NAME 'uSNChanged' SYNTAX 1.2.840.113556.1.4.906 )");
    schema.AddDescription("not a description");
    EXPECT_EQ(schema.TypeOf("MSEXCHHIDEFROMADDRESSLISTS"), ADSTYPE_BOOLEAN);
    EXPECT_EQ(schema.TypeOf("commonName"), ADSTYPE_CASE_IGNORE_STRING);
    EXPECT_EQ(schema.TypeOf("uSNChanged"), ADSTYPE_LARGE_INTEGER);
    EXPECT_EQ(schema.TypeOf("unknown"), ADSTYPE_INVALID);
}
