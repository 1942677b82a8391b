// Enumerating a large directory: the scanner's directory step against ldapsearch paging by
// 1000 on the same server, for the same three attributes, plus the scanner's memory.
//
//   directory_enumeration_bench [mailboxes=100000] [runs=3]
#include "bench/ProcessMemory.h"
#include "scan/MailboxScanner.h"
#include "tests/platform/ads/DirectoryTestSupport.h"
#include "tests/scan/MessageBoxLog.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <malloc.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace qmtest;
using Clock = std::chrono::steady_clock;

namespace
{

double RunLdapsearch(const SlapdServer& server)
{
    std::string uri = "ldap://" + server.Host() + ":" + std::to_string(server.Port());
    std::string bindDn = "cn=user100000,ou=Users," + server.Suffix();
    std::vector<std::string> args = {"ldapsearch",
                                     "-LLL",
                                     "-x",
                                     "-ZZ",
                                     "-H",
                                     uri,
                                     "-D",
                                     bindDn,
                                     "-w",
                                     "Secret1!",
                                     "-b",
                                     server.Suffix(),
                                     "-E",
                                     "pr=1000/noprompt",
                                     "(&(mailnickname=*)(objectCategory=person))",
                                     "cn",
                                     "legacyExchangeDN",
                                     "msExchHideFromAddressLists"};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string ca = "LDAPTLS_CACERT=" + server.CaFile();
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e)
        envp.push_back(*e);
    envp.push_back(ca.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "ldapsearch", &fa, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    double secs = std::chrono::duration<double>(Clock::now() - start).count();
    posix_spawn_file_actions_destroy(&fa);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? secs : -1;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    int mailboxes = argc > 1 ? std::atoi(argv[1]) : 100000;
    int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    setenv("WINPLAT_QUIET", "1", 1);

    SlapdServer server;
    auto t0 = Clock::now();
    if (!server.Start({UsersLdif(server.Options(), ManyUsers(mailboxes))}))
    {
        std::fprintf(stderr, "slapd: %s\n", server.LastError().c_str());
        return 1;
    }
    std::printf("directory of %d mailboxes loaded and started in %.2f s\n", mailboxes,
                std::chrono::duration<double>(Clock::now() - t0).count());
    ConfigFile cfg(ConfigFor(server));
    MessageBoxLog boxes;

    RunLdapsearch(server); // warm the server's caches for both
    std::vector<double> ldap, scanner;
    long peakGrowthKb = 0;
    size_t dnBytes = 0;
    INT_PTR found = 0;
    for (int i = 0; i < runs; ++i)
    {
        double l = RunLdapsearch(server);
        if (l < 0)
        {
            std::fprintf(stderr, "ldapsearch failed\n");
            return 1;
        }
        ldap.push_back(l);

        malloc_trim(0); // what earlier work freed must not hide the growth
        long before = ProcStatusKb("VmRSS:");
        ResetPeakRss();
        auto start = Clock::now();
        {
            CMailboxScanner s;
            s.SetCredentials(_T("EXCH01"), _T("CORP\\user100000"), _T("Secret1!"));
            if (!s.FindMailboxes())
            {
                std::fprintf(stderr, "FindMailboxes failed\n");
                return 1;
            }
            scanner.push_back(std::chrono::duration<double>(Clock::now() - start).count());
            peakGrowthKb = std::max(peakGrowthKb, ProcStatusKb("VmHWM:") - before);
            found = s.m_arrMailboxes.GetSize();
            dnBytes = 0;
            for (const CString& dn : s.m_arrMailboxes)
                dnBytes += static_cast<size_t>(dn.GetLength()) * sizeof(WCHAR);
        }
    }
    double l = Median(ldap), s = Median(scanner);
    std::printf("mailboxes listed:         %lld\n", static_cast<long long>(found));
    std::printf("ldapsearch -E pr=1000:    %.3f s (median of %d)\n", l, runs);
    std::printf("FindMailboxes:            %.3f s (median of %d)\n", s, runs);
    std::printf("ratio scanner/ldapsearch: %.2f (target <= 1.2)\n", s / l);
    std::printf("DN bytes kept:            %.1f MB\n", dnBytes / 1e6);
    std::printf("peak memory growth:       %.1f MB = %.2f x the DN bytes (target < 3)\n",
                peakGrowthKb / 1024.0, peakGrowthKb * 1024.0 / static_cast<double>(dnBytes));
    return boxes.Boxes().empty() ? 0 : 1;
}
