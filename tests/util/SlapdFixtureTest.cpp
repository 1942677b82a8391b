// The private slapd that directory tests run against, checked with the real
// OpenLDAP tools: limits, TLS, binds, access rules, AD-like data and root DSE,
// and the controls tests use to make the server misbehave.
#include "tests/util/ProcessRunner.h"
#include "tests/util/SlapdServer.h"
#include "tests/util/UsersLdif.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <netinet/in.h>
#include <set>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qmtest
{
namespace
{

using Entry = std::map<std::string, std::vector<std::string>>; // lower-case name -> values

std::string ToLower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string DecodeBase64(const std::string& text)
{
    std::string out;
    unsigned buffer = 0;
    int bits = 0;
    for (char c : text)
    {
        int v;
        if (c >= 'A' && c <= 'Z')
            v = c - 'A';
        else if (c >= 'a' && c <= 'z')
            v = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            v = c - '0' + 52;
        else if (c == '+')
            v = 62;
        else if (c == '/')
            v = 63;
        else
            continue;
        buffer = buffer << 6 | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8)
        {
            bits -= 8;
            out += static_cast<char>(buffer >> bits & 0xFF);
        }
    }
    return out;
}

// What one ldapsearch run returned, parsed from its -LLL output.
struct SearchResult
{
    ProcessResult process;
    std::vector<Entry> entries;
    std::vector<std::string> references;

    std::set<std::string> Values(const std::string& attribute) const
    {
        std::set<std::string> values;
        for (const auto& entry : entries)
        {
            auto it = entry.find(ToLower(attribute));
            if (it != entry.end())
                values.insert(it->second.begin(), it->second.end());
        }
        return values;
    }
};

SearchResult ParseLdif(ProcessResult process)
{
    SearchResult result;
    std::istringstream in(process.out);
    std::string line;
    Entry current;
    auto flush = [&]
    {
        if (!current.empty())
            result.entries.push_back(std::move(current));
        current.clear();
    };
    while (std::getline(in, line))
    {
        if (line.empty())
        {
            flush();
            continue;
        }
        if (line.rfind("# ref", 0) == 0)
        {
            result.references.push_back(line.substr(5));
            continue;
        }
        if (line[0] == '#')
            continue;
        auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string name = ToLower(line.substr(0, colon));
        std::string value;
        if (colon + 1 < line.size() && line[colon + 1] == ':')
            value = DecodeBase64(line.substr(colon + 2));
        else
            value = line.substr(std::min(line.size(), colon + 2));
        current[name].push_back(value);
    }
    flush();
    result.process = std::move(process);
    return result;
}

enum class Transport
{
    Plain,
    StartTls,
    Ldaps
};

struct Credentials
{
    std::string dn; // empty: anonymous
    std::string password;
};

std::vector<std::string> ConnectArgs(const SlapdServer& server, Transport transport,
                                     const std::string& host = "127.0.0.1")
{
    switch (transport)
    {
    case Transport::Plain:
        return {"-H", "ldap://" + host + ":" + std::to_string(server.Port())};
    case Transport::StartTls:
        return {"-ZZ", "-H", "ldap://" + host + ":" + std::to_string(server.Port())};
    case Transport::Ldaps:
        return {"-H", "ldaps://" + host + ":" + std::to_string(server.LdapsPort())};
    }
    return {};
}

ProcessResult RunTool(const SlapdServer& server, std::vector<std::string> argv,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20),
                      std::vector<std::string> extraEnvironment = {})
{
    ProcessOptions options;
    options.environment = server.ClientEnvironment();
    options.environment.insert(options.environment.end(), extraEnvironment.begin(),
                               extraEnvironment.end());
    options.timeout = timeout;
    return RunProcess(argv, options);
}

std::vector<std::string> BindArgs(const Credentials& credentials)
{
    if (credentials.dn.empty())
        return {"-x"};
    return {"-x", "-D", credentials.dn, "-w", credentials.password};
}

SearchResult Search(const SlapdServer& server, const std::string& filter,
                    const std::vector<std::string>& attributes = {"1.1"},
                    const std::vector<std::string>& extra = {},
                    Transport transport = Transport::Plain, const Credentials& credentials = {},
                    std::chrono::milliseconds timeout = std::chrono::seconds(20))
{
    std::vector<std::string> argv{"ldapsearch", "-LLL", "-o", "ldif-wrap=no"};
    for (const auto& a : BindArgs(credentials))
        argv.push_back(a);
    for (const auto& a : ConnectArgs(server, transport))
        argv.push_back(a);
    argv.insert(argv.end(), {"-b", server.Suffix()});
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.push_back(filter);
    argv.insert(argv.end(), attributes.begin(), attributes.end());
    return ParseLdif(RunTool(server, argv, timeout));
}

SearchResult RootDse(const SlapdServer& server)
{
    return ParseLdif(RunTool(server, {"ldapsearch", "-LLL", "-o", "ldif-wrap=no", "-x", "-H",
                                      server.LdapUri(), "-s", "base", "-b", "", "*", "+"}));
}

ProcessResult WhoAmI(const SlapdServer& server, Transport transport, const Credentials& credentials,
                     const std::string& host = "127.0.0.1",
                     std::vector<std::string> extraEnvironment = {})
{
    std::vector<std::string> argv{"ldapwhoami"};
    for (const auto& a : BindArgs(credentials))
        argv.push_back(a);
    for (const auto& a : ConnectArgs(server, transport, host))
        argv.push_back(a);
    return RunTool(server, argv, std::chrono::seconds(20), std::move(extraEnvironment));
}

bool PortAcceptsConnections(int port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// A live process: not a zombie waiting to be reaped, and no thread of it
// still exiting (the leader turns zombie first).
bool ProcessRunning(int pid)
{
    const std::string proc = "/proc/" + std::to_string(pid);
    std::ifstream in(proc + "/stat");
    std::string line;
    if (!std::getline(in, line))
        return false;
    auto close = line.rfind(')');
    if (close == std::string::npos || close + 2 >= line.size())
        return false;
    if (line[close + 2] != 'Z' && line[close + 2] != 'X')
        return true;
    std::error_code error;
    auto threads = std::filesystem::directory_iterator(proc + "/task", error);
    return !error && std::distance(threads, std::filesystem::directory_iterator()) > 1;
}

template <typename Predicate>
bool Eventually(Predicate done, std::chrono::milliseconds bound = std::chrono::seconds(5))
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!done())
    {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Generated users user000001..user000600: every 10th hidden (TRUE), odd ones
// FALSE, the rest without the flag; every 7th without legacyExchangeDN.
constexpr int kGeneratedUsers = 600;
constexpr int kHiddenEvery = 10;
constexpr int kNoDnEvery = 7;

const char* const kAliceLegacyDn = "/O=Corp/OU=First  Administrative Group/cn=Recipients/CN=alice";

std::vector<DirectoryUser> SpecialUsers()
{
    return {
        {"Alice Example", "alice", "alice", kAliceLegacyDn},
        {"Bob, Jr.", "bob", "bob", "/o=Corp/ou=Second/cn=Recipients/cn=bob", "TRUE"},
        {"Chlo\xC3\xA9 Dupr\xC3\xA9", "chloe", "chloe",
         "/o=Corp/ou=Second/cn=Recipients/cn=chlo\xC3\xA9 ", "FALSE", "P\xC3\xA4sswort 1"},
        {"Dora NoDn", "dora", "dora"},
        {"Erin NoMailbox", "erin"},
        {"Staff Group", "", "staff", "/o=Corp/ou=Second/cn=Recipients/cn=staff", std::nullopt, "",
         "group"},
        {"Frank Changer", "frank"},
    };
}

std::string GeneratedUsersLdif()
{
    ProcessResult generated =
        RunProcess({MakeUsersLdifScript(), std::to_string(kGeneratedUsers), "--hidden-every",
                    std::to_string(kHiddenEvery), "--no-dn-every", std::to_string(kNoDnEvery)});
    return generated.Succeeded() ? generated.out : std::string();
}

// The servers most tests share: one plain slapd and one dressed as an Active
// Directory domain controller. Started once, stopped at the end of the run.
class Directories : public ::testing::Environment
{
public:
    void SetUp() override
    {
        std::string generated = GeneratedUsersLdif();
        ASSERT_FALSE(generated.empty()) << "make-users-ldif failed";
        plain = std::make_unique<SlapdServer>();
        ASSERT_TRUE(plain->Start({generated, UsersLdif(plain->Options(), SpecialUsers())}))
            << plain->LastError();

        SlapdOptions adOptions;
        adOptions.adNetbios = "DC01";
        adOptions.referral = true;
        adOptions.tlsBindsOnly = true;
        ad = std::make_unique<SlapdServer>(adOptions);
        ASSERT_TRUE(ad->Start({UsersLdif(adOptions, SpecialUsers())})) << ad->LastError();
    }
    void TearDown() override
    {
        ad.reset();
        plain.reset();
    }

    static inline std::unique_ptr<SlapdServer> plain;
    static inline std::unique_ptr<SlapdServer> ad;
};

[[maybe_unused]] const auto* const kDirectories =
    ::testing::AddGlobalTestEnvironment(new Directories);

SlapdServer& Plain()
{
    return *Directories::plain;
}

SlapdServer& Ad()
{
    return *Directories::ad;
}

class SharedDirectory : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Directories::plain && Directories::plain->Pid() != 0);
        ASSERT_TRUE(Directories::ad && Directories::ad->Pid() != 0);
    }
};

// --- Lifecycle -------------------------------------------------------------

TEST(SlapdLifecycle, StartsAnswersAndStopsLeavingNothingBehind)
{
    std::string dir;
    int pid = 0;
    int port = 0;
    {
        SlapdServer server;
        ASSERT_TRUE(server.Start()) << server.LastError();
        dir = server.Dir();
        pid = server.Pid();
        port = server.Port();
        EXPECT_TRUE(ProcessRunning(pid));
        EXPECT_TRUE(PortAcceptsConnections(server.Port()));
        EXPECT_TRUE(PortAcceptsConnections(server.LdapsPort()));
        EXPECT_NE(server.Port(), server.LdapsPort());
        EXPECT_TRUE(std::filesystem::exists(server.CaFile()));
        EXPECT_FALSE(server.Start()) << "a second Start on the same object must be refused";

        ProcessResult whoami =
            WhoAmI(server, Transport::StartTls, {server.RootDn(), server.RootPassword()});
        EXPECT_TRUE(whoami.Succeeded()) << whoami.Describe();

        server.Stop();
        EXPECT_FALSE(ProcessRunning(pid));
        EXPECT_FALSE(PortAcceptsConnections(port));
        EXPECT_EQ(server.Pid(), 0);
        server.Stop(); // a second Stop is harmless
    }
    EXPECT_FALSE(std::filesystem::exists(dir)) << dir;
}

TEST(SlapdLifecycle, BadLdifFailsWithTheServersMessageAndLeavesNothing)
{
    SlapdServer server;
    const std::string entry = "dn: cn=x,ou=Users," + server.Suffix() + "\nobjectClass person\n";
    EXPECT_FALSE(server.Start({entry}));
    EXPECT_NE(server.LastError().find("could not parse entry"), std::string::npos)
        << server.LastError();
    EXPECT_EQ(server.Pid(), 0);
    EXPECT_TRUE(server.Dir().empty());

    SlapdOptions badSuffix;
    badSuffix.suffix = "cn=not a domain";
    SlapdServer other(badSuffix);
    EXPECT_FALSE(other.Start());
    EXPECT_NE(other.LastError().find("suffix"), std::string::npos) << other.LastError();
}

TEST(SlapdLifecycle, PauseStopsAnswersResumeRecoversKillDropsRestartKeepsData)
{
    SlapdServer server;
    DirectoryUser user{"Gina Pause", "gina", "gina", "/o=Corp/cn=gina"};
    ASSERT_TRUE(server.Start({UsersLdif(server.Options(), {user})})) << server.LastError();
    const int port = server.Port();

    server.Pause();
    // The kernel still accepts the connection, so only a deadline ends the wait;
    // neither -l nor -o nettimeout bounds it.
    SearchResult paused = Search(server, "(sAMAccountName=gina)", {"1.1"}, {}, Transport::Plain, {},
                                 std::chrono::milliseconds(1500));
    EXPECT_TRUE(paused.process.timedOut) << paused.process.Describe();

    server.Resume();
    SearchResult resumed = Search(server, "(sAMAccountName=gina)");
    EXPECT_TRUE(resumed.process.Succeeded()) << resumed.process.Describe();
    EXPECT_EQ(resumed.entries.size(), 1u);

    server.Kill();
    EXPECT_FALSE(PortAcceptsConnections(port));
    SearchResult killed = Search(server, "(sAMAccountName=gina)");
    EXPECT_EQ(killed.process.exitCode, 255)
        << "expected 'Can't contact LDAP server': " << killed.process.Describe();

    ASSERT_TRUE(server.Restart()) << server.LastError();
    EXPECT_EQ(server.Port(), port);
    SearchResult restarted = Search(server, "(sAMAccountName=gina)");
    EXPECT_TRUE(restarted.process.Succeeded()) << restarted.process.Describe();
    EXPECT_EQ(restarted.entries.size(), 1u);

    // A test that fails while the server is paused still gets it stopped.
    const int pid = server.Pid();
    server.Pause();
    server.Stop();
    EXPECT_FALSE(ProcessRunning(pid));
    EXPECT_FALSE(PortAcceptsConnections(port));
}

// A test process that dies without its destructors must not leave slapd
// running or its directory behind: the script's watchdog cleans up.
TEST(SlapdLifecycle, WatchdogStopsServerWhenOwnerDies)
{
    TempDir parent("qm-slapd-owner-");
    ASSERT_TRUE(parent.Valid()) << parent.Error();
    const std::string dir = parent.Path() + "/instance";
    ProcessResult init = RunProcess({FixtureScript(), "init", dir});
    ASSERT_TRUE(init.Succeeded()) << init.Describe();

    pid_t owner = ::fork();
    ASSERT_GE(owner, 0);
    if (owner == 0)
    {
        ::pause();
        ::_exit(0);
    }
    ProcessResult start =
        RunProcess({FixtureScript(), "start", dir, "--owner", std::to_string(owner), "--cleanup"});
    int slapdPid = 0;
    std::ifstream(dir + "/pid") >> slapdPid;
    ::kill(owner, SIGKILL);
    ::waitpid(owner, nullptr, 0);
    ASSERT_TRUE(start.Succeeded()) << start.Describe();
    ASSERT_GT(slapdPid, 0);

    EXPECT_TRUE(Eventually([&] { return !ProcessRunning(slapdPid); })) << "slapd still runs";
    EXPECT_TRUE(Eventually([&] { return !std::filesystem::exists(dir); })) << dir;
}

// --- Size limits and paging ------------------------------------------------

struct LimitCase
{
    const char* name;
    std::vector<std::string> extra;
    bool asRoot;
    int exitCode;
    size_t entries;
};

class SizeLimits : public SharedDirectory, public ::testing::WithParamInterface<LimitCase>
{
};

TEST_P(SizeLimits, GeneratedUsers)
{
    const LimitCase& c = GetParam();
    Credentials credentials;
    if (c.asRoot)
        credentials = {Plain().RootDn(), Plain().RootPassword()};
    SearchResult result = Search(Plain(), "(sAMAccountName=user*)", {"1.1"}, c.extra,
                                 c.asRoot ? Transport::StartTls : Transport::Plain, credentials);
    EXPECT_EQ(result.process.exitCode, c.exitCode) << result.process.Describe();
    EXPECT_EQ(result.entries.size(), c.entries);
}

INSTANTIATE_TEST_SUITE_P(
    Slapd, SizeLimits,
    ::testing::Values(
        LimitCase{"NonPagedStopsAtSizeLimit", {}, false, 4, 500},
        LimitCase{"PagedBy1000ReturnsAll", {"-E", "pr=1000/noprompt"}, false, 0, kGeneratedUsers},
        LimitCase{"PagedBy100ReturnsAll", {"-E", "pr=100/noprompt"}, false, 0, kGeneratedUsers},
        LimitCase{"PageAbove1000IsRefused", {"-E", "pr=1001/noprompt"}, false, 11, 0},
        LimitCase{"RootDnHasNoLimit", {}, true, 0, kGeneratedUsers}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Data as the directory client sees it ----------------------------------

struct FilterCase
{
    const char* name;
    const char* filter;
    std::set<std::string> cns;
};

class AdLikeFilters : public SharedDirectory, public ::testing::WithParamInterface<FilterCase>
{
};

TEST_P(AdLikeFilters, MatchExactlyTheseUsers)
{
    const FilterCase& c = GetParam();
    // Only the hand-made users: the generated ones all start with "user".
    SearchResult result = Search(Plain(), std::string("(&") + c.filter + "(!(cn=user*)))", {"cn"});
    ASSERT_TRUE(result.process.Succeeded()) << result.process.Describe();
    EXPECT_EQ(result.Values("cn"), c.cns);
}

const std::string kChloe = "Chlo\xC3\xA9 Dupr\xC3\xA9";

INSTANTIATE_TEST_SUITE_P(
    Slapd, AdLikeFilters,
    ::testing::Values(
        FilterCase{"MailboxQuery",
                   "(&(mailnickname=*)(objectCategory=person))",
                   {"Alice Example", "Bob, Jr.", kChloe, "Dora NoDn"}},
        FilterCase{"HiddenTrue", "(msExchHideFromAddressLists=TRUE)", {"Bob, Jr."}},
        FilterCase{"NotHiddenIncludesUnset",
                   "(mailNickname=*)(!(msExchHideFromAddressLists=TRUE))",
                   {"Alice Example", kChloe, "Dora NoDn", "Staff Group"}},
        FilterCase{
            "CategoryIgnoresCase",
            "(objectCategory=PERSON)",
            {"Alice Example", "Bob, Jr.", kChloe, "Dora NoDn", "Erin NoMailbox", "Frank Changer"}},
        FilterCase{"AccountNameIgnoresCase", "(sAMAccountName=ALICE)", {"Alice Example"}},
        FilterCase{
            "LegacyDnMatchesIgnoringCase",
            "(legacyExchangeDN=/o=corp/ou=first  administrative group/cn=recipients/cn=ALICE)",
            {"Alice Example"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SharedDirectory, ValuesComeBackExactlyAsStored)
{
    SearchResult alice = Search(Plain(), "(sAMAccountName=alice)",
                                {"cn", "legacyExchangeDN", "msExchHideFromAddressLists"});
    ASSERT_EQ(alice.entries.size(), 1u) << alice.process.Describe();
    EXPECT_EQ(alice.Values("legacyExchangeDN"), std::set<std::string>{kAliceLegacyDn});
    EXPECT_TRUE(alice.Values("msExchHideFromAddressLists").empty());

    SearchResult chloe = Search(Plain(), "(sAMAccountName=chloe)",
                                {"cn", "legacyExchangeDN", "msExchHideFromAddressLists"});
    ASSERT_EQ(chloe.entries.size(), 1u) << chloe.process.Describe();
    EXPECT_EQ(chloe.Values("cn"), std::set<std::string>{kChloe});
    EXPECT_EQ(chloe.Values("legacyExchangeDN"),
              std::set<std::string>{"/o=Corp/ou=Second/cn=Recipients/cn=chlo\xC3\xA9 "});
    EXPECT_EQ(chloe.Values("msExchHideFromAddressLists"), std::set<std::string>{"FALSE"});

    // slapd returns DNs in its own escaping (cn=Bob\2C Jr.); the one UsersLdif
    // wrote must name the same entry.
    SearchResult bob =
        ParseLdif(RunTool(Plain(), {"ldapsearch", "-LLL", "-x", "-H", Plain().LdapUri(), "-s",
                                    "base", "-b", UserDn(Plain().Options(), "Bob, Jr."), "cn"}));
    ASSERT_TRUE(bob.process.Succeeded()) << bob.process.Describe();
    EXPECT_EQ(bob.Values("cn"), std::set<std::string>{"Bob, Jr."});
}

TEST_F(SharedDirectory, GeneratedUsersFollowTheirPattern)
{
    SearchResult listed = Search(
        Plain(),
        "(&(cn=user*)(mailnickname=*)(objectCategory=person)(!(msExchHideFromAddressLists=TRUE))"
        "(legacyExchangeDN=*))",
        {"legacyExchangeDN"}, {"-E", "pr=1000/noprompt"});
    ASSERT_TRUE(listed.process.Succeeded()) << listed.process.Describe();
    size_t expected = 0;
    for (int i = 1; i <= kGeneratedUsers; ++i)
        expected += (i % kHiddenEvery != 0 && i % kNoDnEvery != 0) ? 1 : 0;
    EXPECT_EQ(listed.entries.size(), expected);
    EXPECT_EQ(listed.Values("legacyExchangeDN")
                  .count("/o=Corp/ou=Exchange Administrative Group (FYDIBOHF23SPDLT)/cn=Recipients/"
                         "cn=user000001"),
              1u);

    SearchResult shown = Search(Plain(), "(&(cn=user*)(msExchHideFromAddressLists=FALSE))", {"1.1"},
                                {"-E", "pr=1000/noprompt"});
    EXPECT_EQ(shown.entries.size(), static_cast<size_t>(kGeneratedUsers / 2)); // the odd ones
}

// --- Binds, access rules and TLS --------------------------------------------

struct BindCase
{
    const char* name;
    const char* cn; // nullptr: use dn as given
    const char* dn;
    std::string password;
    int exitCode;
};

class Binds : public SharedDirectory, public ::testing::WithParamInterface<BindCase>
{
};

TEST_P(Binds, OverStartTls)
{
    const BindCase& c = GetParam();
    std::string dn = c.cn != nullptr ? UserDn(Plain().Options(), c.cn) : c.dn;
    ProcessResult result = WhoAmI(Plain(), Transport::StartTls, {dn, c.password});
    EXPECT_EQ(result.exitCode, c.exitCode) << result.Describe();
}

INSTANTIATE_TEST_SUITE_P(
    Slapd, Binds,
    ::testing::Values(
        BindCase{"RightPassword", "user000042", nullptr, "Secret1!", 0},
        BindCase{"WrongPassword", "user000042", nullptr, "Secret1", 49},
        BindCase{"NonAsciiPassword", "Chlo\xC3\xA9 Dupr\xC3\xA9", nullptr, "P\xC3\xA4sswort 1", 0},
        BindCase{"UnknownDn", nullptr, "cn=nobody,ou=Users,dc=corp,dc=example,dc=test", "x", 49},
        BindCase{"EmptyPasswordIsUnwilling", "user000042", nullptr, "", 53},
        BindCase{"BareAccountIsNoDn", nullptr, "alice", "Secret1!", 34}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SharedDirectory, PasswordsAreNeverReadableButSelfWritable)
{
    const std::string frank = UserDn(Plain().Options(), "Frank Changer");
    SearchResult anonymous =
        Search(Plain(), "(sAMAccountName=frank)", {"sAMAccountName", "userPassword"});
    ASSERT_EQ(anonymous.entries.size(), 1u) << anonymous.process.Describe();
    EXPECT_EQ(anonymous.Values("sAMAccountName"), std::set<std::string>{"frank"});
    EXPECT_TRUE(anonymous.Values("userPassword").empty());

    SearchResult self = Search(Plain(), "(sAMAccountName=frank)", {"userPassword"}, {},
                               Transport::StartTls, {frank, "Secret1!"});
    ASSERT_EQ(self.entries.size(), 1u) << self.process.Describe();
    EXPECT_TRUE(self.Values("userPassword").empty());

    ProcessOptions change;
    change.environment = Plain().ClientEnvironment();
    change.input =
        "dn: " + frank + "\nchangetype: modify\nreplace: userPassword\nuserPassword: New2!\n";
    ProcessResult modified = RunProcess(
        {"ldapmodify", "-x", "-ZZ", "-H", Plain().LdapUri(), "-D", frank, "-w", "Secret1!"},
        change);
    ASSERT_TRUE(modified.Succeeded()) << modified.Describe();
    EXPECT_EQ(WhoAmI(Plain(), Transport::StartTls, {frank, "New2!"}).exitCode, 0);
    EXPECT_EQ(WhoAmI(Plain(), Transport::StartTls, {frank, "Secret1!"}).exitCode, 49);

    ProcessOptions intrude = change;
    intrude.input = "dn: " + UserDn(Plain().Options(), "Alice Example") +
                    "\nchangetype: modify\nreplace: userPassword\nuserPassword: Mine!\n";
    ProcessResult refused = RunProcess(
        {"ldapmodify", "-x", "-ZZ", "-H", Plain().LdapUri(), "-D", frank, "-w", "New2!"}, intrude);
    EXPECT_EQ(refused.exitCode, 50) << refused.Describe(); // insufficient access

    change.input =
        "dn: " + frank + "\nchangetype: modify\nreplace: userPassword\nuserPassword: Secret1!\n";
    ProcessResult restored = RunProcess(
        {"ldapmodify", "-x", "-ZZ", "-H", Plain().LdapUri(), "-D", frank, "-w", "New2!"}, change);
    EXPECT_TRUE(restored.Succeeded()) << restored.Describe();
}

struct TlsCase
{
    const char* name;
    Transport transport;
    const char* host;
    bool ownCa; // false: trust another instance's CA instead
    bool works;
};

class Tls : public SharedDirectory, public ::testing::WithParamInterface<TlsCase>
{
};

TEST_P(Tls, CertificateIsCheckedAgainstTheCa)
{
    const TlsCase& c = GetParam();
    std::vector<std::string> env;
    if (!c.ownCa)
        env.push_back("LDAPTLS_CACERT=" + Ad().CaFile());
    ProcessResult result = WhoAmI(Plain(), c.transport, {}, c.host, env);
    EXPECT_EQ(result.Succeeded(), c.works) << result.Describe();
}

INSTANTIATE_TEST_SUITE_P(
    Slapd, Tls,
    ::testing::Values(TlsCase{"StartTlsWithCa", Transport::StartTls, "127.0.0.1", true, true},
                      TlsCase{"StartTlsToLocalhost", Transport::StartTls, "localhost", true, true},
                      TlsCase{"LdapsWithCa", Transport::Ldaps, "127.0.0.1", true, true},
                      TlsCase{"StartTlsOtherCa", Transport::StartTls, "127.0.0.1", false, false},
                      TlsCase{"LdapsOtherCa", Transport::Ldaps, "127.0.0.1", false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Data loaded at start-up skips value checks (slapadd does not make them);
// Modify goes through the server like any client's change.
TEST(SlapdModify, GoesThroughSchemaChecks)
{
    SlapdServer server;
    ASSERT_TRUE(server.Start()) << server.LastError();
    DirectoryUser hank{"Hank Lower", "hank", "hank", "/o=Corp/cn=hank", "true"};
    EXPECT_FALSE(server.Modify(UsersLdif(server.Options(), {hank})));
    EXPECT_NE(server.LastError().find("(21)"), std::string::npos) << server.LastError();

    hank.hidden = "TRUE";
    ASSERT_TRUE(server.Modify(UsersLdif(server.Options(), {hank}))) << server.LastError();
    EXPECT_EQ(
        Search(server, "(&(sAMAccountName=hank)(msExchHideFromAddressLists=TRUE))").entries.size(),
        1u);

    ASSERT_TRUE(
        server.Modify("dn: " + UserDn(server.Options(), "Hank Lower") + "\nchangetype: delete\n"))
        << server.LastError();
    EXPECT_TRUE(Search(server, "(sAMAccountName=hank)").entries.empty());
}

// --- Looking like Active Directory -----------------------------------------

TEST_F(SharedDirectory, RootDseClaimsActiveDirectoryOnlyWhenAsked)
{
    SearchResult ad = RootDse(Ad());
    ASSERT_EQ(ad.entries.size(), 1u) << ad.process.Describe();
    EXPECT_EQ(ad.Values("defaultNamingContext"), std::set<std::string>{Ad().Suffix()});
    EXPECT_EQ(ad.Values("supportedCapabilities").count("1.2.840.113556.1.4.800"), 1u);
    EXPECT_EQ(ad.Values("dnsHostName"), std::set<std::string>{"dc01.corp.example.test"});
    EXPECT_EQ(ad.Values("ldapServiceName"),
              std::set<std::string>{"corp.example.test:dc01$@CORP.EXAMPLE.TEST"});
    EXPECT_EQ(ad.Values("namingContexts"), std::set<std::string>{Ad().Suffix()});

    SearchResult plain = RootDse(Plain());
    ASSERT_EQ(plain.entries.size(), 1u) << plain.process.Describe();
    EXPECT_TRUE(plain.Values("defaultNamingContext").empty());
    EXPECT_TRUE(plain.Values("supportedCapabilities").empty());
    EXPECT_EQ(plain.Values("namingContexts"), std::set<std::string>{Plain().Suffix()});
}

TEST_F(SharedDirectory, ReferralFlagAddsASearchReference)
{
    SearchResult ad = Search(Ad(), "(objectCategory=person)", {"1.1"}, {"-E", "pr=1000/noprompt"});
    ASSERT_TRUE(ad.process.Succeeded()) << ad.process.Describe();
    ASSERT_EQ(ad.references.size(), 1u) << ad.process.out;
    EXPECT_EQ(ad.references[0].rfind("ldap://forest.invalid/", 0), 0u) << ad.references[0];
    EXPECT_EQ(ad.entries.size(), 6u);

    SearchResult plain = Search(Plain(), "(sAMAccountName=alice)");
    ASSERT_TRUE(plain.process.Succeeded()) << plain.process.Describe();
    EXPECT_TRUE(plain.references.empty());
}

TEST_F(SharedDirectory, TlsBindsOnlyRefusesCleartextBinds)
{
    const Credentials alice{UserDn(Ad().Options(), "Alice Example"), "Secret1!"};
    EXPECT_EQ(WhoAmI(Ad(), Transport::Plain, alice).exitCode, 13); // confidentiality required
    EXPECT_EQ(WhoAmI(Ad(), Transport::StartTls, alice).exitCode, 0);
    EXPECT_EQ(WhoAmI(Ad(), Transport::Ldaps, alice).exitCode, 0);
    // Search-then-bind still starts with an anonymous lookup in the clear.
    SearchResult lookup = Search(Ad(), "(sAMAccountName=alice)");
    EXPECT_TRUE(lookup.process.Succeeded()) << lookup.process.Describe();
    EXPECT_EQ(lookup.entries.size(), 1u);
}

} // namespace
} // namespace qmtest
