// The domain-controller lookup without a network: names from the configuration, SRV replies
// read byte by byte, the order in which SRV targets are tried, and the API's own contract.
#include "platform/ads/DnsSrvQuery.h"
#include "platform/ads/DnsSrvRecord.h"
#include "platform/ads/NetApi.h"
#include "platform/base/CString.h"
#include "tests/platform/ads/DirectoryTestSupport.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>

using namespace winplat::ads;

namespace
{

// A DNS message put together field by field, so that each case shows the bytes that matter.
class DnsMessage
{
public:
    DnsMessage(std::uint16_t id, std::uint16_t flags) : m_id(id), m_flags(flags) {}

    DnsMessage& Question(const std::string& name, std::uint16_t type = 33)
    {
        Name(m_questions, name);
        Put16(m_questions, type);
        Put16(m_questions, 1);
        ++m_qdCount;
        return *this;
    }
    DnsMessage& Answer(const std::string& name, std::uint16_t type,
                       const std::vector<unsigned char>& rdata)
    {
        Name(m_answers, name);
        Put16(m_answers, type);
        Put16(m_answers, 1);
        Put16(m_answers, 0);
        Put16(m_answers, 600); // TTL
        Put16(m_answers, static_cast<std::uint16_t>(rdata.size()));
        m_answers.insert(m_answers.end(), rdata.begin(), rdata.end());
        ++m_anCount;
        return *this;
    }
    DnsMessage& Srv(const std::string& name, std::uint16_t priority, std::uint16_t weight,
                    std::uint16_t port, const std::string& target)
    {
        std::vector<unsigned char> rdata;
        Put16(rdata, priority);
        Put16(rdata, weight);
        Put16(rdata, port);
        Name(rdata, target);
        return Answer(name, 33, rdata);
    }
    std::vector<unsigned char> Bytes() const
    {
        std::vector<unsigned char> out;
        Put16(out, m_id);
        Put16(out, m_flags);
        Put16(out, m_qdCount);
        Put16(out, m_anCount);
        Put16(out, 0);
        Put16(out, 0);
        out.insert(out.end(), m_questions.begin(), m_questions.end());
        out.insert(out.end(), m_answers.begin(), m_answers.end());
        return out;
    }

    static void Put16(std::vector<unsigned char>& out, std::uint16_t v)
    {
        out.push_back(static_cast<unsigned char>(v >> 8));
        out.push_back(static_cast<unsigned char>(v & 0xFF));
    }
    static void Name(std::vector<unsigned char>& out, const std::string& name)
    {
        size_t start = 0;
        while (start < name.size() && name != ".")
        {
            size_t dot = name.find('.', start);
            if (dot == std::string::npos)
                dot = name.size();
            out.push_back(static_cast<unsigned char>(dot - start));
            out.insert(out.end(), name.begin() + static_cast<long>(start),
                       name.begin() + static_cast<long>(dot));
            start = dot + 1;
        }
        out.push_back(0);
    }

private:
    std::uint16_t m_id;
    std::uint16_t m_flags;
    std::uint16_t m_qdCount = 0;
    std::uint16_t m_anCount = 0;
    std::vector<unsigned char> m_questions;
    std::vector<unsigned char> m_answers;
};

const std::string kName = "_ldap._tcp.dc._msdcs.corp.example.test";
constexpr std::uint16_t kReply = 0x8180; // a reply, recursion desired and available, NOERROR

struct ParseCase
{
    const char* name;
    std::vector<unsigned char> message;
    SrvAnswer::Outcome outcome;
    std::vector<std::string> targets;
};

std::vector<unsigned char> Truncate(std::vector<unsigned char> bytes, size_t cut)
{
    bytes.resize(bytes.size() - cut);
    return bytes;
}

std::vector<ParseCase> ParseCases()
{
    using O = SrvAnswer::Outcome;
    std::vector<unsigned char> compressed = {
        0, 0, 0, 100, 1, 133, 4, 'd', 'c', '0', '9', 0xC0, 12 + 1 + 5 + 1 + 4 + 1 + 2 + 1 + 6};
    std::vector<unsigned char> shortRdata = {0, 0, 0, 100};
    // The target's last label runs past the end of the record: no terminating zero.
    std::vector<unsigned char> overrun = {0, 0, 0, 0, 1, 133, 4, 'd', 'c', '0', '1'};
    std::vector<unsigned char> cname;
    DnsMessage::Name(cname, "elsewhere.example.test");
    return {
        {"TwoRecords",
         DnsMessage(7, kReply)
             .Question(kName)
             .Srv(kName, 10, 100, 389, "dc02.corp.example.test")
             .Srv(kName, 0, 100, 3890, "dc01.corp.example.test")
             .Bytes(),
         O::Records,
         {"dc02.corp.example.test", "dc01.corp.example.test"}},
        // The target points back into the question: "dc09" + "corp.example.test".
        {"CompressedTarget",
         DnsMessage(7, kReply).Question(kName).Answer(kName, 33, compressed).Bytes(),
         O::Records,
         {"dc09.corp.example.test"}},
        {"RootTargetMeansNotOffered",
         DnsMessage(7, kReply).Question(kName).Srv(kName, 0, 0, 0, ".").Bytes(),
         O::Records,
         {""}},
        {"CnameBeforeRecords",
         DnsMessage(7, kReply)
             .Question(kName)
             .Answer(kName, 5, cname)
             .Srv("elsewhere.example.test", 0, 0, 389, "dc05.example.test")
             .Bytes(),
         O::Records,
         {"dc05.example.test"}},
        {"QuestionInOtherCase",
         DnsMessage(7, kReply)
             .Question("_LDAP._TCP.DC._MSDCS.CORP.EXAMPLE.TEST")
             .Srv(kName, 0, 0, 389, "dc01.corp.example.test")
             .Bytes(),
         O::Records,
         {"dc01.corp.example.test"}},
        {"NxDomain", DnsMessage(7, kReply | 3).Question(kName).Bytes(), O::NoSuchName, {}},
        {"NoAnswers", DnsMessage(7, kReply).Question(kName).Bytes(), O::NoRecords, {}},
        {"ServFail", DnsMessage(7, kReply | 2).Question(kName).Bytes(), O::Failed, {}},
        {"Refused", DnsMessage(7, kReply | 5).Question(kName).Bytes(), O::Failed, {}},
        {"AnswersAnotherName",
         DnsMessage(7, kReply)
             .Question("_ldap._tcp.dc._msdcs.evil.example.test")
             .Srv("_ldap._tcp.dc._msdcs.evil.example.test", 0, 0, 389, "evil.example.test")
             .Bytes(),
         O::Failed,
         {}},
        {"AnswersAnotherType",
         DnsMessage(7, kReply)
             .Question(kName, 1)
             .Srv(kName, 0, 0, 389, "dc01.example.test")
             .Bytes(),
         O::Failed,
         {}},
        {"NotAReply",
         DnsMessage(7, 0x0100).Question(kName).Srv(kName, 0, 0, 389, "dc01.example.test").Bytes(),
         O::Failed,
         {}},
        {"NoQuestion",
         DnsMessage(7, kReply).Srv(kName, 0, 0, 389, "dc01.example.test").Bytes(),
         O::Failed,
         {}},
        {"RdataTooShort",
         DnsMessage(7, kReply).Question(kName).Answer(kName, 33, shortRdata).Bytes(),
         O::Failed,
         {}},
        {"TargetLongerThanRdata",
         DnsMessage(7, kReply)
             .Question(kName)
             .Answer(kName, 33, overrun)
             .Srv(kName, 0, 0, 389, "dc02.corp.example.test")
             .Bytes(),
         O::Failed,
         {}},
        {"CutShort",
         Truncate(DnsMessage(7, kReply)
                      .Question(kName)
                      .Srv(kName, 0, 0, 389, "dc01.corp.example.test")
                      .Bytes(),
                  5),
         O::Failed,
         {}},
        {"HeaderOnly", {0, 7, 0x81}, O::Failed, {}},
    };
}

class SrvParse : public testing::TestWithParam<ParseCase>
{
};

TEST_P(SrvParse, ReadsWhatTheReplySays)
{
    const ParseCase& c = GetParam();
    SrvAnswer answer = ParseSrvResponse(c.message.data(), c.message.size(), kName);
    EXPECT_EQ(static_cast<int>(answer.outcome), static_cast<int>(c.outcome)) << answer.detail;
    std::vector<std::string> targets;
    for (const SrvRecord& r : answer.records)
        targets.push_back(r.target);
    EXPECT_EQ(targets, c.targets);
}

INSTANTIATE_TEST_SUITE_P(Replies, SrvParse, testing::ValuesIn(ParseCases()),
                         [](const testing::TestParamInfo<ParseCase>& i) { return i.param.name; });

TEST(SrvParse, KeepsPriorityWeightAndPort)
{
    auto bytes = DnsMessage(7, kReply)
                     .Question(kName)
                     .Srv(kName, 65535, 258, 3268, "gc.corp.example.test")
                     .Bytes();
    SrvAnswer answer = ParseSrvResponse(bytes.data(), bytes.size(), kName);
    ASSERT_EQ(answer.records.size(), 1u);
    EXPECT_EQ(answer.records[0].priority, 65535);
    EXPECT_EQ(answer.records[0].weight, 258);
    EXPECT_EQ(answer.records[0].port, 3268);
}

SrvRecord Rec(std::uint16_t priority, std::uint16_t weight, std::string target)
{
    return {priority, weight, 389, std::move(target)};
}

std::vector<std::string> Targets(const std::vector<SrvRecord>& records)
{
    std::vector<std::string> out;
    for (const SrvRecord& r : records)
        out.push_back(r.target);
    return out;
}

TEST(SrvOrder, LowerPriorityFirstAndNotOfferedDropped)
{
    std::mt19937 random(1);
    for (int i = 0; i < 50; ++i)
    {
        auto ordered = OrderSrvRecords({Rec(20, 5, "late"), Rec(10, 0, "b1"), Rec(0, 0, ""),
                                        Rec(10, 50, "b2"), Rec(5, 1, "first")},
                                       random);
        ASSERT_EQ(ordered.size(), 4u);
        EXPECT_EQ(ordered[0].target, "first");
        EXPECT_TRUE((ordered[1].target == "b1" && ordered[2].target == "b2") ||
                    (ordered[1].target == "b2" && ordered[2].target == "b1"));
        EXPECT_EQ(ordered[3].target, "late");
    }
    EXPECT_TRUE(OrderSrvRecords({Rec(0, 0, "")}, random).empty());
}

// Within one priority, each record comes first in proportion to its weight.
TEST(SrvOrder, WeightDecidesWithinAPriority)
{
    std::mt19937 random(2782);
    std::map<std::string, int> first;
    const int runs = 8000;
    for (int i = 0; i < runs; ++i)
    {
        auto ordered = OrderSrvRecords(
            {Rec(0, 10, "light"), Rec(0, 30, "heavy"), Rec(0, 0, "zero"), Rec(1, 1000, "backup")},
            random);
        ASSERT_EQ(ordered.size(), 4u);
        EXPECT_EQ(ordered.back().target, "backup");
        ++first[ordered.front().target];
    }
    // Expected shares: heavy 30/41, light 10/41, zero 1/41 (a zero weight wins only a draw of 0).
    EXPECT_NEAR(first["heavy"] / double(runs), 30.0 / 41, 0.03);
    EXPECT_NEAR(first["light"] / double(runs), 10.0 / 41, 0.03);
    EXPECT_NEAR(first["zero"] / double(runs), 1.0 / 41, 0.01);
}

TEST(SrvOrder, AllZeroWeightsStillGiveEveryRecord)
{
    std::mt19937 random(3);
    auto ordered = OrderSrvRecords({Rec(0, 0, "a"), Rec(0, 0, "b"), Rec(0, 0, "c")}, random);
    std::vector<std::string> targets = Targets(ordered);
    std::sort(targets.begin(), targets.end());
    EXPECT_EQ(targets, (std::vector<std::string>{"a", "b", "c"}));
}

struct NameCase
{
    const char* name;
    std::string text;
    bool valid;
};

class DnsNameSyntax : public testing::TestWithParam<NameCase>
{
};

TEST_P(DnsNameSyntax, Checks)
{
    EXPECT_EQ(IsDnsName(GetParam().text), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Names, DnsNameSyntax,
    testing::Values(NameCase{"Plain", "corp.example.test", true},
                    NameCase{"FinalDot", "corp.example.test.", true},
                    NameCase{"SrvLabels", "_ldap._tcp.dc._msdcs.corp.test", true},
                    NameCase{"Hyphen", "dc-01.corp.test", true}, NameCase{"Empty", "", false},
                    NameCase{"OnlyDot", ".", false}, NameCase{"EmptyLabel", "corp..test", false},
                    NameCase{"LeadingDot", ".corp.test", false},
                    NameCase{"Space", "corp .test", false},
                    NameCase{"Backslash", "corp\\.test", false},
                    NameCase{"NonAscii", "c\xC3\xB6rp.test", false},
                    NameCase{"Label63", std::string(63, 'a') + ".test", true},
                    NameCase{"Label64", std::string(64, 'a') + ".test", false},
                    NameCase{"Name253",
                             std::string(63, 'a') + "." + std::string(63, 'b') + "." +
                                 std::string(63, 'c') + "." + std::string(61, 'd'),
                             true},
                    NameCase{"Name254",
                             std::string(63, 'a') + "." + std::string(63, 'b') + "." +
                                 std::string(63, 'c') + "." + std::string(62, 'd'),
                             false}),
    [](const testing::TestParamInfo<NameCase>& i) { return i.param.name; });

struct ServerCase
{
    const char* name;
    std::string text;
    bool valid;
    std::string host;
    int port;
};

class DnsServerSetting : public testing::TestWithParam<ServerCase>
{
};

TEST_P(DnsServerSetting, Parses)
{
    const ServerCase& c = GetParam();
    auto server = ParseDnsServer(c.text);
    ASSERT_EQ(server.has_value(), c.valid);
    if (!server)
        return;
    EXPECT_EQ(server->host, c.host);
    EXPECT_EQ(server->port, c.port);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, DnsServerSetting,
    testing::Values(ServerCase{"Address", "127.0.0.1", true, "127.0.0.1", 53},
                    ServerCase{"AddressAndPort", "127.0.0.1:5353", true, "127.0.0.1", 5353},
                    ServerCase{"Name", "ns1.example.test:53", true, "ns1.example.test", 53},
                    ServerCase{"BareV6", "::1", true, "::1", 53},
                    ServerCase{"BracketedV6", "[::1]:5353", true, "::1", 5353},
                    ServerCase{"EmptyPort", "127.0.0.1:", false, "", 0},
                    ServerCase{"PortZero", "127.0.0.1:0", false, "", 0},
                    ServerCase{"PortTooBig", "127.0.0.1:65536", false, "", 0},
                    ServerCase{"PortNotNumber", "127.0.0.1:dns", false, "", 0},
                    ServerCase{"UnclosedBracket", "[::1:53", false, "", 0},
                    ServerCase{"Empty", "", false, "", 0},
                    ServerCase{"TwoNames", "ns1 ns2", false, "", 0}),
    [](const testing::TestParamInfo<ServerCase>& i) { return i.param.name; });

// What NetGetDCName returned, with its buffer freed.
struct Lookup
{
    NET_API_STATUS status = NERR_Success;
    std::u16string name;
    bool bufferSet = false;
};

Lookup Look(const char16_t* domain, const char16_t* server = nullptr)
{
    Lookup out;
    LPBYTE buffer = reinterpret_cast<LPBYTE>(&out); // anything but null, to see it cleared
    out.status = NetGetDCName(server, domain, &buffer);
    out.bufferSet = buffer != nullptr;
    if (buffer != nullptr)
    {
        out.name = reinterpret_cast<const char16_t*>(buffer);
        EXPECT_EQ(NetApiBufferFree(buffer), NERR_Success);
    }
    return out;
}

// The machine's domain with its controllers listed. Nothing here may need DNS: a lookup that
// tried would fail against the server named below, where nothing listens.
const char* kConfiguredDomain = "[machine]\n"
                                "netbios_domain = CORP\n"
                                "dns_domain = corp.example.test\n"
                                "domain_controllers = dc01.corp.example.test, DC03\n"
                                "dns_server = 127.0.0.1:1\n";

struct DomainCase
{
    const char* name;
    std::u16string domain;
    NET_API_STATUS status;
    std::u16string controller;
};

class ConfiguredDomain : public testing::TestWithParam<DomainCase>
{
protected:
    void SetUp() override { setenv("WINPLAT_QUIET", "1", 1); }
    void TearDown() override { unsetenv("WINPLAT_QUIET"); }
    qmtest::ConfigFile m_config{kConfiguredDomain};
};

TEST_P(ConfiguredDomain, Answers)
{
    const DomainCase& c = GetParam();
    Lookup r = Look(c.domain.c_str());
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.bufferSet, c.status == NERR_Success);
    EXPECT_EQ(winplat::ToUtf8(r.name), winplat::ToUtf8(c.controller));
}

INSTANTIATE_TEST_SUITE_P(
    Names, ConfiguredDomain,
    testing::Values(
        DomainCase{"NetBios", u"CORP", NERR_Success, u"\\\\dc01.corp.example.test"},
        DomainCase{"NetBiosLowerCase", u"corp", NERR_Success, u"\\\\dc01.corp.example.test"},
        DomainCase{"Dns", u"corp.example.test", NERR_Success, u"\\\\dc01.corp.example.test"},
        DomainCase{"DnsMixedCase", u"Corp.EXAMPLE.test", NERR_Success,
                   u"\\\\dc01.corp.example.test"},
        DomainCase{"DnsFinalDot", u"corp.example.test.", NERR_Success,
                   u"\\\\dc01.corp.example.test"},
        DomainCase{"Empty", u"", ERROR_NO_SUCH_DOMAIN, u""},
        DomainCase{"UnknownNetBios", u"CORPX", ERROR_NO_SUCH_DOMAIN, u""},
        DomainCase{"PrefixOfNetBios", u"COR", ERROR_NO_SUCH_DOMAIN, u""},
        DomainCase{"NetBiosWithSpace", u"CORP ", ERROR_NO_SUCH_DOMAIN, u""},
        DomainCase{"FirstLabelOfDnsName", u"corp.example", NERR_DCNotFound, u""},
        DomainCase{"NotADnsName", u"corp..example.test", ERROR_NO_SUCH_DOMAIN, u""},
        DomainCase{"NonAscii", u"c\u00f6rp.example.test", ERROR_NO_SUCH_DOMAIN, u""}),
    [](const testing::TestParamInfo<DomainCase>& i) { return i.param.name; });

class NetGetDCNameContract : public testing::Test
{
protected:
    void SetUp() override { setenv("WINPLAT_QUIET", "1", 1); }
    void TearDown() override { unsetenv("WINPLAT_QUIET"); }
};

TEST_F(NetGetDCNameContract, OnlyTheLocalComputerIsAsked)
{
    qmtest::ConfigFile config(kConfiguredDomain);
    Lookup r = Look(u"CORP", u"\\\\otherhost");
    EXPECT_EQ(r.status, ERROR_NOT_SUPPORTED);
    EXPECT_FALSE(r.bufferSet);
    EXPECT_EQ(Look(u"CORP", u"").status, ERROR_NOT_SUPPORTED);
}

TEST_F(NetGetDCNameContract, NoDomainMeansThisComputersDomain)
{
    qmtest::ConfigFile config(kConfiguredDomain);
    EXPECT_EQ(winplat::ToUtf8(Look(nullptr).name), "\\\\dc01.corp.example.test");
}

TEST_F(NetGetDCNameContract, NoBufferIsRefused)
{
    qmtest::ConfigFile config(kConfiguredDomain);
    EXPECT_EQ(NetGetDCName(nullptr, u"CORP", nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(NetGetDCNameContract, FreeingNothingIsHarmless)
{
    EXPECT_EQ(NetApiBufferFree(nullptr), NERR_Success);
}

TEST_F(NetGetDCNameContract, NoConfigurationKnowsNoNetBiosDomain)
{
    qmtest::ConfigFile config("");
    EXPECT_EQ(Look(u"CORP").status, ERROR_NO_SUCH_DOMAIN);
    EXPECT_NE(Look(nullptr).status, NERR_Success);
}

TEST_F(NetGetDCNameContract, OwnDomainWithoutControllersOrDnsNameIsNotFound)
{
    qmtest::ConfigFile config("[machine]\nnetbios_domain = CORP\n");
    EXPECT_EQ(Look(u"CORP").status, NERR_DCNotFound);
}

// A misspelt dns_server must not quietly send the question to somebody else.
TEST_F(NetGetDCNameContract, UnreadableDnsServerFailsInsteadOfFallingBack)
{
    qmtest::ConfigFile config("[machine]\nnetbios_domain = CORP\ndns_domain = corp.example.test\n"
                              "dns_server = 127.0.0.1:dns\n");
    EXPECT_EQ(Look(u"CORP").status, NERR_DCNotFound);
}

// Each call reads the configuration as it is now.
TEST_F(NetGetDCNameContract, FollowsConfigurationChanges)
{
    qmtest::ConfigFile config(kConfiguredDomain);
    EXPECT_EQ(winplat::ToUtf8(Look(u"CORP").name), "\\\\dc01.corp.example.test");
    config.Write("[machine]\nnetbios_domain = CORP\ndomain_controllers = DC03 dc01\n");
    EXPECT_EQ(winplat::ToUtf8(Look(u"corp").name), "\\\\DC03");
}

} // namespace
