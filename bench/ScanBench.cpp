// A whole scan of a generated organisation (Run, then the teardown) against its floor: the
// same directory enumerated by ldapsearch plus the sqlite3 tool reading the top-folder row
// of every mailbox.
//
//   scan_bench [mailboxes=100000]
#include "bench/ProcessMemory.h"
#include "scan/MailboxScanner.h"
#include "tests/platform/ads/DirectoryTestSupport.h"
#include "tests/scan/MessageBoxLog.h"
#include "tests/util/ProcessRunner.h"
#include "tests/util/TempDir.h"
#include "tools/orggen/OrgGenerator.h"

#include <chrono>
#include <clocale>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <sstream>

using namespace qmtest;
using Clock = std::chrono::steady_clock;

namespace
{

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

bool Run(const std::vector<std::string>& argv, const std::vector<std::string>& env = {})
{
    ProcessOptions options;
    options.environment = env;
    options.timeout = std::chrono::minutes(10);
    ProcessResult r = RunProcess(argv, options);
    if (!r.Succeeded())
        std::fprintf(stderr, "%s\n", r.Describe().c_str());
    return r.Succeeded();
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C.UTF-8");
    setenv("WINPLAT_QUIET", "1", 1);
    orggen::OrgSpec spec;
    spec.mailboxes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000;

    TempDir dir("scan-bench");
    std::string ldif = dir.Path() + "/org.ldif", store = dir.Path() + "/org.sqlite";
    auto t0 = Clock::now();
    orggen::OrgGenerator generator(spec);
    if (std::string err = generator.Write(ldif, store, dir.Path() + "/expected.txt"); !err.empty())
    {
        std::fprintf(stderr, "orggen: %s\n", err.c_str());
        return 1;
    }
    std::ifstream in(ldif, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    SlapdServer server;
    if (!server.Start({text.str()}))
    {
        std::fprintf(stderr, "slapd: %s\n", server.LastError().c_str());
        return 1;
    }
    text.str({});
    std::printf("organisation of %llu mailboxes generated and loaded in %.1f s\n",
                static_cast<unsigned long long>(spec.mailboxes), Seconds(t0));
    ConfigFile cfg(ConfigFor(server, "[messaging]\nprofiles = " + dir.Path() +
                                         "/profiles.db\n[exchange EXCH01]\nstore = " + store +
                                         "\n"));
    MessageBoxLog boxes;

    // The floor: the same entries from the directory, the same rows from the store.
    std::vector<std::string> ldapsearch = {"ldapsearch",
                                           "-LLL",
                                           "-x",
                                           "-ZZ",
                                           "-H",
                                           server.LdapUri(),
                                           "-D",
                                           UserDn(server.Options(), "Administrator"),
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
    std::vector<std::string> sqlite = {
        "sqlite3", store,
        "SELECT m.dn, f.ost_id IS NOT NULL FROM mailbox m JOIN root_folder f "
        "ON f.mailbox = m.id WHERE f.display_name = 'Top of Information Store'"};
    Run(ldapsearch, server.ClientEnvironment()); // warm both caches
    Run(sqlite);
    auto f0 = Clock::now();
    if (!Run(ldapsearch, server.ClientEnvironment()) || !Run(sqlite))
        return 1;
    double floor = Seconds(f0);

    malloc_trim(0);
    long before = ProcStatusKb("VmRSS:");
    std::ofstream("/proc/self/clear_refs") << "5";
    auto s0 = Clock::now();
    size_t ost = 0, nonOst = 0, errors = 0;
    {
        CMailboxScanner scanner;
        scanner.SetCredentials(_T("EXCH01"), _T("CORP\\Administrator"), _T("Secret1!"));
        scanner.Run();
        ost = scanner.m_arrOst.GetSize();
        nonOst = scanner.m_arrNonOst.GetSize();
        errors = scanner.m_arrErrors.GetSize();
    }
    double scan = Seconds(s0);
    long peak = ProcStatusKb("VmHWM:");

    const auto& expected = generator.Expected();
    bool right = ost == expected.ost.size() && nonOst == expected.nonOst.size() &&
                 errors == expected.errors.size();
    std::printf("lists: %zu OST, %zu non-OST, %zu errors (%s)\n", ost, nonOst, errors,
                right ? "as expected" : "NOT AS EXPECTED");
    std::printf("floor (ldapsearch + sqlite3): %.2f s\n", floor);
    std::printf("scan (Run + teardown):        %.2f s\n", scan);
    std::printf("ratio scan/floor:             %.2f (target <= 1.5)\n", scan / floor);
    std::printf("peak memory of the process:   %.1f MB (%.1f MB before the scan; target < 200)\n",
                peak / 1024.0, before / 1024.0);
    return right && boxes.Boxes().empty() ? 0 : 1;
}
