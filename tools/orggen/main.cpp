// orggen: writes a test organisation as directory entries (LDIF for a private slapd), the
// matching mail store database, and the three lists a correct scan of it gives.
#include "tools/orggen/OrgGenerator.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{

const char* const kUsage =
    "usage: orggen --mailboxes N --ldif FILE --store FILE --expected FILE [options]\n"
    "\n"
    "Shares in percent of the mailboxes (decimals allowed; they add up to at most 100,\n"
    "the rest are non-OST users):\n"
    "  --ost P           top folder carries PR_OST_OSTID (default 30)\n"
    "  --many-ost P      ... with a value too large for a table row (default 1)\n"
    "  --empty-ostid P   ... with an empty value (default 0.5)\n"
    "  --hidden P        hidden from the address lists (default 2)\n"
    "  --no-dn P         without legacyExchangeDN (default 1)\n"
    "  --contacts P      mail contacts: listed, no mailbox behind them (default 0)\n"
    "  --cannot-open P   mailbox cannot be opened (default 1)\n"
    "  --no-root P       root folder cannot be opened (default 0.5)\n"
    "  --no-hierarchy P  no hierarchy table (default 0.5)\n"
    "  --no-top P        no \"Top of Information Store\" row (default 0.5)\n"
    "  --near-case P     only a row differing in letter case (default 0.2)\n"
    "  --near-space P    only a row with a trailing space (default 0.2)\n"
    "  --top-not-first P of the mailboxes with such a row, the share where it is not\n"
    "                    the first row (default 20)\n"
    "Other options:\n"
    "  --seed N          for a different organisation of the same shape (default 1)\n"
    "  --org NAME        organisation in the DNs (default Corp)\n"
    "  --suffix DN       directory suffix (default dc=corp,dc=example,dc=test)\n"
    "  --admin NAME      the administrator's account and alias (default Administrator)\n"
    "  --password PW     userPassword of every account (default Secret1!)\n";

bool ParseShare(const char* text, double* out)
{
    char* end = nullptr;
    double v = std::strtod(text, &end);
    if (end == text || *end != '\0')
        return false;
    *out = v;
    return true;
}

bool ParseCount(const char* text, std::uint64_t* out)
{
    if (*text < '0' || *text > '9')
        return false;
    char* end = nullptr;
    unsigned long long v = std::strtoull(text, &end, 10);
    if (*end != '\0')
        return false;
    *out = v;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    orggen::OrgSpec spec;
    std::string ldif;
    std::string store;
    std::string expected;
    bool haveCount = false;
    struct Share
    {
        const char* option;
        double* value;
    };
    const Share shares[] = {
        {"--ost", &spec.ost},
        {"--many-ost", &spec.manyOst},
        {"--empty-ostid", &spec.emptyOstId},
        {"--hidden", &spec.hidden},
        {"--no-dn", &spec.noDn},
        {"--contacts", &spec.contacts},
        {"--cannot-open", &spec.cannotOpen},
        {"--no-root", &spec.noRoot},
        {"--no-hierarchy", &spec.noHierarchy},
        {"--no-top", &spec.noTop},
        {"--near-case", &spec.nearCase},
        {"--near-space", &spec.nearSpace},
        {"--top-not-first", &spec.topNotFirst},
    };
    for (int i = 1; i < argc; ++i)
    {
        std::string opt = argv[i];
        if (opt == "-h" || opt == "--help")
        {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (i + 1 >= argc)
        {
            std::fprintf(stderr, "orggen: %s needs a value\n%s", opt.c_str(), kUsage);
            return 2;
        }
        const char* value = argv[++i];
        bool ok = true;
        bool known = true;
        if (opt == "--mailboxes")
            ok = haveCount = ParseCount(value, &spec.mailboxes);
        else if (opt == "--seed")
            ok = ParseCount(value, &spec.seed);
        else if (opt == "--ldif")
            ldif = value;
        else if (opt == "--store")
            store = value;
        else if (opt == "--expected")
            expected = value;
        else if (opt == "--org")
            spec.org = value;
        else if (opt == "--suffix")
            spec.suffix = value;
        else if (opt == "--admin")
            spec.admin = value;
        else if (opt == "--password")
            spec.password = value;
        else
        {
            known = false;
            for (const Share& s : shares)
            {
                if (opt == s.option)
                {
                    known = true;
                    ok = ParseShare(value, s.value);
                }
            }
        }
        if (!known)
        {
            std::fprintf(stderr, "orggen: unknown option %s\n%s", opt.c_str(), kUsage);
            return 2;
        }
        if (!ok)
        {
            std::fprintf(stderr, "orggen: %s: not a number: %s\n", opt.c_str(), value);
            return 2;
        }
    }
    if (!haveCount || ldif.empty() || store.empty() || expected.empty())
    {
        std::fputs(kUsage, stderr);
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    orggen::OrgGenerator gen(spec);
    if (std::string problem = gen.Write(ldif, store, expected); !problem.empty())
    {
        std::fprintf(stderr, "orggen: %s\n", problem.c_str());
        return 1;
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const orggen::ExpectedLists& e = gen.Expected();
    std::printf("%llu mailboxes: %zu OST, %zu non-OST, %zu errors expected (%.2f s)\n",
                static_cast<unsigned long long>(spec.mailboxes), e.ost.size(), e.nonOst.size(),
                e.errors.size(), seconds);
    return 0;
}
