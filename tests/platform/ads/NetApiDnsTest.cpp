// The domain-controller lookup through DNS: a real DNS server (dnsmasq) on loopback holds the
// SRV records; silent and refusing servers show that a lookup always comes back, and soon.
#include "platform/ads/DnsSrvQuery.h"
#include "platform/ads/NetApi.h"
#include "platform/base/CString.h"
#include "tests/platform/ads/DirectoryTestSupport.h"
#include "tests/util/TempDir.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <set>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace winplat::ads;
using Clock = std::chrono::steady_clock;

namespace
{

std::string FindProgram(const std::string& name)
{
    // Ordinary users often have no sbin directories in PATH.
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    path += ":/usr/sbin:/sbin";
    std::istringstream dirs(path);
    std::string dir;
    while (std::getline(dirs, dir, ':'))
    {
        std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

// A loopback port that is free for both UDP and TCP right now.
std::uint16_t FreePort()
{
    for (int attempt = 0; attempt < 20; ++attempt)
    {
        int udp = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        bool ok = ::bind(udp, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
                  ::getsockname(udp, reinterpret_cast<sockaddr*>(&a), &len) == 0;
        int tcp = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ok = ok && ::bind(tcp, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        ::close(tcp);
        ::close(udp);
        if (ok)
            return ntohs(a.sin_port);
    }
    return 0;
}

// A UDP socket that takes questions and never answers them.
class SilentServer
{
public:
    SilentServer()
    {
        m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
            m_port = ntohs(a.sin_port);
    }
    ~SilentServer() { ::close(m_fd); }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;
    std::uint16_t Port() const { return m_port; }

private:
    int m_fd = -1;
    std::uint16_t m_port = 0;
};

// dnsmasq in the foreground on a free loopback port, answering only from its command line.
// Started under `timeout`, so that it ends even if this process dies without stopping it.
class Dnsmasq
{
public:
    explicit Dnsmasq(std::vector<std::string> records) : m_records(std::move(records))
    {
        if (!m_dir.Valid())
        {
            m_error = m_dir.Error();
            return;
        }
        std::string program = FindProgram("dnsmasq");
        if (program.empty())
        {
            m_error = "dnsmasq is not installed (Debian package dnsmasq-base)";
            return;
        }
        // Another process may take the port between our look and dnsmasq's bind.
        for (int attempt = 0; attempt < 5 && m_port == 0; ++attempt)
            StartOn(program, FreePort());
    }
    ~Dnsmasq() { Stop(); }
    Dnsmasq(const Dnsmasq&) = delete;
    Dnsmasq& operator=(const Dnsmasq&) = delete;

    bool Running() const { return m_port != 0; }
    std::uint16_t Port() const { return m_port; }
    std::string Describe() const { return m_error + "\n" + Log(); }

private:
    std::string LogPath() const { return m_dir.Path() + "/dnsmasq.log"; }
    std::string Log() const
    {
        std::ifstream in(LogPath());
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    void StartOn(const std::string& program, std::uint16_t port)
    {
        if (port == 0)
        {
            m_error = "no free port";
            return;
        }
        std::vector<std::string> args = {
            "timeout", "--kill-after=5", "600", program, "--no-daemon",
            "--port=" + std::to_string(port), "--listen-address=127.0.0.1", "--bind-interfaces",
            "--no-resolv", "--no-hosts", "--no-poll", "--conf-file=/dev/null", "--log-facility=-",
            // Names under example.test that it does not hold
            // do not exist, rather than go unanswered.
            "--local=/example.test/"};
        for (const std::string& r : m_records)
            args.push_back("--srv-host=" + r);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, LogPath().c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        pid_t pid = -1;
        int rc = posix_spawnp(&pid, "timeout", &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0)
        {
            m_error = std::string("cannot start dnsmasq: ") + std::strerror(rc);
            return;
        }
        m_pid = pid;

        // Ready when it answers; gone when the port was taken after all.
        DnsSrvQuery probe(DnsServer{"127.0.0.1", port}, std::chrono::seconds(1));
        const auto deadline = Clock::now() + std::chrono::seconds(15);
        while (Clock::now() < deadline)
        {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid)
            {
                m_pid = -1;
                m_error = "dnsmasq ended at start";
                return;
            }
            if (probe.Query("_ldap._tcp.dc._msdcs.ready.example.test").outcome ==
                SrvAnswer::Outcome::Records)
            {
                m_port = port;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        m_error = "dnsmasq did not answer within 15 s";
        Stop();
    }

    void Stop()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < deadline)
        {
            if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid)
            {
                m_pid = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

    std::vector<std::string> m_records;
    qmtest::TempDir m_dir{"qm-dnsmasq-"};
    pid_t m_pid = -1;
    std::uint16_t m_port = 0;
    std::string m_error;
};

std::vector<std::string> Records()
{
    std::vector<std::string> r = {
        "_ldap._tcp.dc._msdcs.ready.example.test,ready.example.test,389",
        // The backup is listed first, so that only the priority can put dc01 in front.
        "_ldap._tcp.dc._msdcs.corp.example.test,dc02.corp.example.test,389,10,100",
        "_ldap._tcp.dc._msdcs.corp.example.test,dc01.corp.example.test,389,0,5",
        "_ldap._tcp.dc._msdcs.other.example.test,dc7.other.example.test,389,0,0",
        // No target: the domain says it offers no controller.
        "_ldap._tcp.dc._msdcs.none.example.test",
    };
    // More than a 512-byte datagram holds: the answer comes truncated, then whole over TCP.
    for (int i = 0; i < 40; ++i)
        r.push_back("_ldap._tcp.dc._msdcs.big.example.test,dc" + std::to_string(100 + i) +
                    ".big.example.test,389,0," + std::to_string(i + 1));
    return r;
}

struct Lookup
{
    NET_API_STATUS status = NERR_Success;
    std::string name;
};

Lookup Look(const char16_t* domain)
{
    Lookup out;
    LPBYTE buffer = nullptr;
    out.status = NetGetDCName(nullptr, domain, &buffer);
    if (buffer != nullptr)
    {
        out.name = winplat::ToUtf8(reinterpret_cast<const char16_t*>(buffer));
        NetApiBufferFree(buffer);
    }
    return out;
}

std::string MachineConfig(const std::string& dnsServer, const std::string& extra = "")
{
    return "[machine]\nnetbios_domain = CORP\ndns_domain = corp.example.test\ndns_server = " +
           dnsServer + "\n" + extra;
}

class DnsLocator : public testing::Test
{
protected:
    static void SetUpTestSuite() { s_dns = new Dnsmasq(Records()); }
    static void TearDownTestSuite()
    {
        delete s_dns;
        s_dns = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(s_dns->Running()) << s_dns->Describe();
        setenv("WINPLAT_QUIET", "1", 1);
    }
    void TearDown() override { unsetenv("WINPLAT_QUIET"); }

    static std::string Server() { return "127.0.0.1:" + std::to_string(s_dns->Port()); }

    static Dnsmasq* s_dns;
};

Dnsmasq* DnsLocator::s_dns = nullptr;

TEST_F(DnsLocator, OwnDomainWithoutListedControllersAsksDnsByEitherName)
{
    qmtest::ConfigFile config(MachineConfig(Server()));
    for (const char16_t* name : {u"CORP", u"corp", u"corp.example.test", u"CORP.Example.Test"})
    {
        // The lower priority wins every time, whatever the weights draw.
        for (int i = 0; i < 10; ++i)
        {
            Lookup r = Look(name);
            ASSERT_EQ(r.status, NERR_Success) << winplat::ToUtf8(name);
            EXPECT_EQ(r.name, "\\\\dc01.corp.example.test") << winplat::ToUtf8(name);
        }
    }
}

TEST_F(DnsLocator, ListedControllersComeBeforeDns)
{
    qmtest::ConfigFile config(MachineConfig(Server(), "domain_controllers = DC01\n"));
    EXPECT_EQ(Look(u"CORP").name, "\\\\DC01");
}

TEST_F(DnsLocator, DnsServerMayBeNamedByHostName)
{
    qmtest::ConfigFile config(MachineConfig("localhost:" + std::to_string(s_dns->Port())));
    EXPECT_EQ(Look(u"CORP").name, "\\\\dc01.corp.example.test");
}

TEST_F(DnsLocator, AnotherDomainIsFoundByItsDnsNameOnly)
{
    qmtest::ConfigFile config(MachineConfig(Server()));
    Lookup r = Look(u"other.example.test");
    EXPECT_EQ(r.status, NERR_Success);
    EXPECT_EQ(r.name, "\\\\dc7.other.example.test");
    // Its NetBIOS name means nothing to this computer.
    EXPECT_EQ(Look(u"OTHER").status, ERROR_NO_SUCH_DOMAIN);
}

struct FailureCase
{
    const char* name;
    std::u16string domain;
    NET_API_STATUS status;
};

class DnsLocatorFailure : public DnsLocator, public testing::WithParamInterface<FailureCase>
{
};

TEST_P(DnsLocatorFailure, FailsWithoutABuffer)
{
    qmtest::ConfigFile config(MachineConfig(Server()));
    LPBYTE buffer = nullptr;
    EXPECT_EQ(NetGetDCName(nullptr, GetParam().domain.c_str(), &buffer), GetParam().status);
    EXPECT_EQ(buffer, nullptr);
    NetApiBufferFree(buffer);
}

INSTANTIATE_TEST_SUITE_P(
    Domains, DnsLocatorFailure,
    testing::Values(FailureCase{"UnknownDnsDomain", u"nosuch.example.test", ERROR_NO_SUCH_DOMAIN},
                    FailureCase{"NoControllerOffered", u"none.example.test", NERR_DCNotFound},
                    FailureCase{"Empty", u"", ERROR_NO_SUCH_DOMAIN},
                    FailureCase{"Root", u".", ERROR_NO_SUCH_DOMAIN},
                    FailureCase{"UnknownNetBios", u"NOSUCH", ERROR_NO_SUCH_DOMAIN}),
    [](const testing::TestParamInfo<FailureCase>& i) { return i.param.name; });

TEST_F(DnsLocator, AnswerTooLargeForADatagramArrivesWhole)
{
    DnsSrvQuery query(DnsServer{"127.0.0.1", s_dns->Port()});
    SrvAnswer answer = query.Query("_ldap._tcp.dc._msdcs.big.example.test");
    ASSERT_EQ(answer.outcome, SrvAnswer::Outcome::Records) << answer.detail;
    std::set<std::string> targets;
    for (const SrvRecord& r : answer.records)
        targets.insert(r.target);
    EXPECT_EQ(targets.size(), 40u);
    EXPECT_TRUE(targets.count("dc139.big.example.test"));

    qmtest::ConfigFile config(MachineConfig(Server()));
    Lookup r = Look(u"big.example.test");
    EXPECT_EQ(r.status, NERR_Success);
    EXPECT_TRUE(targets.count(r.name.substr(2))) << r.name;
}

TEST_F(DnsLocator, LookupsFromSeveralThreadsAtOnce)
{
    qmtest::ConfigFile config(MachineConfig(Server()));
    std::vector<std::thread> threads;
    std::vector<int> found(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back(
            [t, &found]
            {
                for (int i = 0; i < 10; ++i)
                    found[t] +=
                        Look(t % 2 ? u"CORP" : u"other.example.test").status == NERR_Success;
            });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(found, (std::vector<int>{10, 10, 10, 10}));
}

class DeadDnsServer : public testing::Test
{
protected:
    void SetUp() override { setenv("WINPLAT_QUIET", "1", 1); }
    void TearDown() override { unsetenv("WINPLAT_QUIET"); }

    // How long a failing lookup took; the lookup gives up after a few seconds by design, and
    // the generous bound here only tells "gave up" from "hangs".
    static double FailingLookupSeconds(const char16_t* domain)
    {
        const auto start = Clock::now();
        Lookup r = Look(domain);
        EXPECT_NE(r.status, NERR_Success);
        EXPECT_TRUE(r.name.empty());
        return std::chrono::duration<double>(Clock::now() - start).count();
    }
};

TEST_F(DeadDnsServer, ServerThatNeverAnswersFailsWithinTheBound)
{
    SilentServer silent;
    ASSERT_NE(silent.Port(), 0);
    qmtest::ConfigFile config(MachineConfig("127.0.0.1:" + std::to_string(silent.Port())));
    EXPECT_LT(FailingLookupSeconds(u"CORP"), 20.0);
}

TEST_F(DeadDnsServer, NothingListeningFailsAtOnce)
{
    std::uint16_t port = FreePort();
    ASSERT_NE(port, 0);
    qmtest::ConfigFile config(MachineConfig("127.0.0.1:" + std::to_string(port)));
    EXPECT_LT(FailingLookupSeconds(u"corp.example.test"), 20.0);
}

// No dns_server: the system's resolver is asked; a reserved name never has controllers.
TEST_F(DeadDnsServer, SystemResolverFindsNoControllerForAReservedName)
{
    qmtest::ConfigFile config("[machine]\nnetbios_domain = CORP\ndns_domain = corp.invalid\n");
    EXPECT_LT(FailingLookupSeconds(u"CORP"), 30.0);
    EXPECT_LT(FailingLookupSeconds(u"nosuch.invalid"), 30.0);
}

} // namespace
