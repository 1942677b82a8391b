#include "tools/orggen/OrgGenerator.h"

#include "platform/mapi/MailStoreSchema.h"
#include "platform/mapi/MapiDefs.h"
#include "platform/mapi/SqliteDb.h"
#include "platform/mapi/SqliteStatement.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string_view>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace orggen
{

namespace
{

using winplat::mapi::SqliteDb;
using winplat::mapi::SqliteStatement;

constexpr const char* kTopFolder = "Top of Information Store";
constexpr const char* kAdminGroup = "Exchange Administrative Group (FYDIBOHF23SPDLT)";

enum class Kind
{
    NonOst,
    Ost,
    ManyOst,
    EmptyOstId,
    Hidden,
    NoDn,
    Contact,
    CannotOpen,
    NoRoot,
    NoHierarchy,
    NoTop,
    NearCase,
    NearSpace,
};

// Reproducible from the seed on every platform.
class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint64_t Below(std::uint64_t n) { return n ? Next() % n : 0; }
    bool Chance(double percent) { return static_cast<double>(Below(1000000)) < percent * 10000; }

private:
    std::uint64_t m_state;
};

constexpr std::array kGiven = {"James",   "Mary",  "Robert", "Patricia",  "John",    "Jennifer",
                               "Michael", "Linda", "David",  "Elizabeth", "William", "Barbara",
                               "Richard", "Susan", "Joseph", "Jessica",   "Thomas",  "Sarah",
                               "Charles", "Karen", "Daniel", "Nancy",     "Matthew", "Lisa",
                               "Anthony", "Betty", "Mark",   "Margaret",  "Steven",  "Sandra"};
constexpr std::array kFamily = {
    "Smith",     "Johnson",  "Williams",  "Brown",   "Jones",    "Garcia", "Miller",   "Davis",
    "Rodriguez", "Martinez", "Hernandez", "Lopez",   "Gonzalez", "Wilson", "Anderson", "Thomas",
    "Taylor",    "Moore",    "Jackson",   "Martin",  "Lee",      "Perez",  "Thompson", "White",
    "Harris",    "Sanchez",  "Clark",     "Ramirez", "Lewis"};

struct ForeignName
{
    const char* given;
    const char* family;
    const char* alias;
};
// A few people whose names are not ASCII; their aliases are, as Exchange makes them.
constexpr std::array kForeign = {
    ForeignName{"Zoë", "Ångström", "zangstrom"},
    ForeignName{"Łukasz", "Żółć", "lzolc"},
    ForeignName{"Søren", "Kierkegård", "skierkegard"},
    ForeignName{"José", "Núñez", "jnunez"},
    ForeignName{"Ярослав", "Петров", "ypetrov"},
    ForeignName{"美咲", "佐藤", "msato"},
    ForeignName{"Chloé", "Müller-Lüdenscheidt", "cmuller"},
};

constexpr std::array kOtherFolders = {
    "Common Views", "Deferred Action", "Finder",        "Freebusy Data",
    "Schedule",     "Shortcuts",       "Spooler Queue", "Views"};
constexpr std::array kCaseMisses = {"Top of information store", "TOP OF INFORMATION STORE",
                                    "Top Of Information Store", "top of Information Store"};

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool NeedsBase64(std::string_view v)
{
    if (v.empty())
        return false;
    if (v.front() == ' ' || v.front() == ':' || v.front() == '<' || v.back() == ' ')
        return true;
    return std::any_of(v.begin(), v.end(),
                       [](char c)
                       {
                           auto u = static_cast<unsigned char>(c);
                           return u >= 0x80 || u == '\n' || u == '\r' || u == '\0';
                       });
}

std::string Base64(std::string_view v)
{
    static const char* table = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((v.size() + 2) / 3 * 4);
    for (size_t i = 0; i < v.size(); i += 3)
    {
        std::uint32_t n = static_cast<unsigned char>(v[i]) << 16;
        if (i + 1 < v.size())
            n |= static_cast<unsigned char>(v[i + 1]) << 8;
        if (i + 2 < v.size())
            n |= static_cast<unsigned char>(v[i + 2]);
        out += table[(n >> 18) & 63];
        out += table[(n >> 12) & 63];
        out += i + 1 < v.size() ? table[(n >> 6) & 63] : '=';
        out += i + 2 < v.size() ? table[n & 63] : '=';
    }
    return out;
}

void Attr(std::string& out, std::string_view name, std::string_view value)
{
    out += name;
    if (NeedsBase64(value))
    {
        out += ":: ";
        out += Base64(value);
    }
    else
    {
        out += ": ";
        out += value;
    }
    out += '\n';
}

// An RDN value with the characters a DN gives meaning to escaped.
std::string EscapeRdn(std::string_view v)
{
    std::string out;
    for (size_t i = 0; i < v.size(); ++i)
    {
        char c = v[i];
        bool special = c == ',' || c == '+' || c == '"' || c == '\\' || c == '<' || c == '>' ||
                       c == ';' || c == '=' || (i == 0 && (c == '#' || c == ' ')) ||
                       (i + 1 == v.size() && c == ' ');
        if (special)
            out += '\\';
        out += c;
    }
    return out;
}

std::string MailDomain(const std::string& suffix)
{
    std::string domain;
    size_t pos = 0;
    while (pos < suffix.size())
    {
        size_t comma = suffix.find(',', pos);
        std::string rdn =
            suffix.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        while (!rdn.empty() && rdn.front() == ' ')
            rdn.erase(0, 1);
        if (rdn.size() > 3 && Lower(rdn.substr(0, 3)) == "dc=")
        {
            if (!domain.empty())
                domain += '.';
            domain += rdn.substr(3);
        }
        if (comma == std::string::npos)
            break;
        pos = comma + 1;
    }
    return domain.empty() ? "example.test" : domain;
}

// Names are unique in a directory, letter case aside; a number tells namesakes apart.
std::string Unique(const std::string& base, const char* separator,
                   std::unordered_set<std::string>& taken,
                   std::unordered_map<std::string, int>& counts)
{
    std::string key = Lower(base);
    int& n = counts[key];
    std::string name = n == 0 ? base : base + separator + std::to_string(n + 1);
    while (!taken.insert(Lower(name)).second)
        name = base + separator + std::to_string(++n + 1);
    ++n;
    return name;
}

std::string Hex(Random& rnd, int bytes)
{
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (int i = 0; i < bytes; ++i)
    {
        auto b = static_cast<unsigned>(rnd.Below(256));
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

struct FolderRow
{
    std::string name;
    bool hasOstId = false;
    std::vector<unsigned char> ostId;
};

class StoreWriter
{
public:
    std::string Open(const std::string& path)
    {
        if (FAILED(m_db.Open(path, SqliteDb::Mode::ReadWriteCreate)))
            return "cannot create " + path;
        // A fresh file that is renamed into place when complete: no journal needed.
        if (FAILED(m_db.Exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;")) ||
            FAILED(m_db.Exec(winplat::mapi::kMailStoreSchema)) || FAILED(m_db.Exec("BEGIN")))
            return "cannot set up " + path;
        if (m_mailbox.Prepare(m_db.Handle(),
                              "INSERT INTO mailbox(id, dn, alias, display_name, open_result, "
                              "root_result, hierarchy_result) VALUES (?1,?2,?3,?4,?5,?6,?7)") !=
                SQLITE_OK ||
            m_folder.Prepare(m_db.Handle(),
                             "INSERT INTO root_folder(mailbox, position, display_name, ost_id, "
                             "instance_key, subfolders, container_flags) "
                             "VALUES (?1,?2,?3,?4,?5,?6,?7)") != SQLITE_OK)
            return "cannot prepare the inserts into " + path;
        return {};
    }

    bool AddMailbox(std::int64_t id, const std::string& dn, const std::string& alias,
                    const std::string& display, HRESULT open, HRESULT root, HRESULT hierarchy)
    {
        m_mailbox.Reset();
        m_mailbox.BindInt(1, id);
        m_mailbox.BindText(2, dn);
        m_mailbox.BindText(3, alias);
        m_mailbox.BindText(4, display);
        m_mailbox.BindInt(5, open);
        m_mailbox.BindInt(6, root);
        m_mailbox.BindInt(7, hierarchy);
        return m_mailbox.Step() == SQLITE_DONE;
    }

    bool AddFolders(std::int64_t mailbox, const std::vector<FolderRow>& rows, Random& rnd)
    {
        for (size_t pos = 0; pos < rows.size(); ++pos)
        {
            const FolderRow& r = rows[pos];
            m_folder.Reset();
            m_folder.BindInt(1, mailbox);
            m_folder.BindInt(2, static_cast<std::int64_t>(pos));
            m_folder.BindText(3, r.name);
            if (r.hasOstId)
                m_folder.BindBlob(4, r.ostId.data(), r.ostId.size());
            else
                m_folder.BindNull(4);
            std::uint32_t key = static_cast<std::uint32_t>(++m_instanceKey);
            m_folder.BindBlob(5, &key, sizeof key);
            m_folder.BindInt(6, r.name == kTopFolder || rnd.Below(2) ? 1 : 0);
            m_folder.BindInt(7, 0);
            if (m_folder.Step() != SQLITE_DONE)
                return false;
        }
        return true;
    }

    std::string Finish()
    {
        m_mailbox = SqliteStatement();
        m_folder = SqliteStatement();
        if (FAILED(m_db.Exec("COMMIT")) || FAILED(m_db.Exec(winplat::mapi::kMailStoreIndexes)))
            return "cannot complete " + m_db.Path();
        return {};
    }

private:
    SqliteDb m_db;
    SqliteStatement m_mailbox;
    SqliteStatement m_folder;
    std::uint64_t m_instanceKey = 0;
};

bool WriteFile(const std::string& path, const std::string& text)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

std::string TempName(const std::string& path)
{
    return path + ".tmp-" + std::to_string(::getpid());
}

} // namespace

std::string OrgGenerator::CheckSpec(const OrgSpec& s)
{
    if (s.mailboxes < 1)
        return "an organisation needs at least one mailbox (the administrator's)";
    if (s.mailboxes > 10000000)
        return "at most 10,000,000 mailboxes";
    double shares[] = {s.ost,        s.manyOst, s.emptyOstId,  s.hidden, s.noDn,     s.contacts,
                       s.cannotOpen, s.noRoot,  s.noHierarchy, s.noTop,  s.nearCase, s.nearSpace};
    double sum = 0;
    for (double d : shares)
    {
        if (!(d >= 0 && d <= 100))
            return "every share is a percentage from 0 to 100";
        sum += d;
    }
    if (sum > 100.0 + 1e-9)
        return "the shares add up to more than 100 percent";
    if (!(s.topNotFirst >= 0 && s.topNotFirst <= 100))
        return "the share of rows not first is a percentage from 0 to 100";
    if (s.admin.empty() || s.org.empty() || s.suffix.empty())
        return "the administrator, organisation and suffix must not be empty";
    for (const std::string* v : {&s.admin, &s.org, &s.suffix, &s.password})
    {
        if (v->find_first_of("\r\n/") != std::string::npos && v != &s.suffix)
            return "names must be one line without slashes";
        if (v->find_first_of("\r\n") != std::string::npos)
            return "values must be one line";
    }
    if (s.ostIdBytes == 0 || s.manyOstCount == 0)
        return "an offline store identifier has at least one byte";
    return {};
}

void OrgGenerator::WriteExpected(const ExpectedLists& lists, std::string& out)
{
    out += "# The lists a complete scan gives, in directory order.\n[ost]\n";
    for (const std::string& dn : lists.ost)
        out += dn + '\n';
    out += "[nonost]\n";
    for (const std::string& dn : lists.nonOst)
        out += dn + '\n';
    out += "[errors]\n";
    for (const std::string& e : lists.errors)
        out += e + '\n';
}

bool OrgGenerator::ReadExpected(const std::string& text, ExpectedLists* lists)
{
    *lists = ExpectedLists{};
    std::vector<std::string>* into = nullptr;
    int sections = 0;
    size_t pos = 0;
    while (pos < text.size())
    {
        size_t nl = text.find('\n', pos);
        if (nl == std::string::npos)
            return false; // every line ends with a newline
        std::string line = text.substr(pos, nl - pos);
        pos = nl + 1;
        if (line == "[ost]" || line == "[nonost]" || line == "[errors]")
        {
            into = line == "[ost]" ? &lists->ost
                                   : (line == "[nonost]" ? &lists->nonOst : &lists->errors);
            ++sections;
        }
        else if (!line.empty() && line[0] == '#' && into == nullptr)
        {
            continue;
        }
        else if (into == nullptr)
        {
            return false;
        }
        else
        {
            into->push_back(line);
        }
    }
    return sections == 3;
}

std::string OrgGenerator::Write(const std::string& ldifPath, const std::string& storePath,
                                const std::string& expectedPath)
{
    std::string problem = WriteFiles(ldifPath, storePath, expectedPath);
    // Nothing half-written stays behind.
    for (const std::string* p : {&ldifPath, &storePath, &expectedPath})
        std::remove(TempName(*p).c_str());
    if (!problem.empty())
        m_expected = ExpectedLists{};
    return problem;
}

std::string OrgGenerator::WriteFiles(const std::string& ldifPath, const std::string& storePath,
                                     const std::string& expectedPath)
{
    m_expected = ExpectedLists{};
    if (std::string problem = CheckSpec(m_spec); !problem.empty())
        return problem;
    const OrgSpec& s = m_spec;
    Random rnd(s.seed);

    // Exact counts per kind, dealt out in a shuffled order; the administrator comes first.
    const std::uint64_t others = s.mailboxes - 1;
    std::vector<Kind> kinds;
    kinds.reserve(others);
    auto deal = [&](Kind k, double share)
    {
        auto n =
            static_cast<std::uint64_t>(std::llround(static_cast<double>(others) * share / 100));
        n = std::min<std::uint64_t>(n, others - kinds.size());
        kinds.insert(kinds.end(), n, k);
    };
    deal(Kind::Ost, s.ost);
    deal(Kind::ManyOst, s.manyOst);
    deal(Kind::EmptyOstId, s.emptyOstId);
    deal(Kind::Hidden, s.hidden);
    deal(Kind::NoDn, s.noDn);
    deal(Kind::Contact, s.contacts);
    deal(Kind::CannotOpen, s.cannotOpen);
    deal(Kind::NoRoot, s.noRoot);
    deal(Kind::NoHierarchy, s.noHierarchy);
    deal(Kind::NoTop, s.noTop);
    deal(Kind::NearCase, s.nearCase);
    deal(Kind::NearSpace, s.nearSpace);
    kinds.resize(others, Kind::NonOst);
    for (size_t i = kinds.size(); i > 1; --i)
        std::swap(kinds[i - 1], kinds[rnd.Below(i)]);

    std::string storeTmp = TempName(storePath);
    std::remove(storeTmp.c_str());
    auto store = std::make_unique<StoreWriter>();
    if (std::string problem = store->Open(storeTmp); !problem.empty())
        return problem;

    const std::string domain = MailDomain(s.suffix);
    const std::string recipients = "/o=" + s.org + "/ou=" + kAdminGroup + "/cn=Recipients/cn=";
    std::string ldif;
    ldif.reserve(static_cast<size_t>(s.mailboxes) * 420);
    std::unordered_set<std::string> cns;
    std::unordered_set<std::string> aliases;
    std::unordered_map<std::string, int> cnCounts;
    std::unordered_map<std::string, int> aliasCounts;
    std::vector<FolderRow> rows;

    for (std::uint64_t i = 0; i < s.mailboxes; ++i)
    {
        const Kind kind = i == 0 ? Kind::NonOst : kinds[i - 1];
        std::string given;
        std::string family;
        std::string alias;
        if (i == 0)
        {
            given = s.admin;
            alias = s.admin;
        }
        else if (i % 997 == 3 || i == 7)
        {
            const ForeignName& f = kForeign[(i / 997 + (i == 7 ? 3 : 0)) % kForeign.size()];
            given = f.given;
            family = f.family;
            alias = f.alias;
        }
        else
        {
            given = kGiven[rnd.Below(kGiven.size())];
            family = kFamily[rnd.Below(kFamily.size())];
            alias = Lower(given.substr(0, 1) + family);
        }
        // Aliases and names are unique in a directory; a number tells namesakes apart.
        alias = Unique(alias, "", aliases, aliasCounts);
        std::string display = family.empty() ? given : given + " " + family;
        std::string cn = Unique(display, " ", cns, cnCounts);

        // Newer servers put a unique prefix before the alias in the recipient's RDN.
        std::string dn =
            recipients + (i != 0 && rnd.Below(3) == 0 ? Hex(rnd, 16) + "-" : "") + alias;
        const bool hasDn = kind != Kind::NoDn;

        Attr(ldif, "dn", "cn=" + EscapeRdn(cn) + ",ou=Users," + s.suffix);
        ldif += "objectClass: top\nobjectClass: person\nobjectClass: organizationalPerson\n"
                "objectClass: inetOrgPerson\n";
        ldif += kind == Kind::Contact ? "objectClass: adContact\n" : "objectClass: adUser\n";
        Attr(ldif, "cn", cn);
        Attr(ldif, "sn", family.empty() ? given : family);
        if (!family.empty())
            Attr(ldif, "givenName", given);
        Attr(ldif, "displayName", display);
        if (kind != Kind::Contact)
            Attr(ldif, "sAMAccountName", alias);
        Attr(ldif, "mailNickname", alias);
        Attr(ldif, "mail", alias + "@" + (kind == Kind::Contact ? "partner.example" : domain));
        ldif += "objectCategory: person\n";
        if (kind != Kind::Contact)
            Attr(ldif, "userPassword", s.password);
        if (hasDn)
            Attr(ldif, "legacyExchangeDN", dn);
        if (kind == Kind::Hidden)
            ldif += "msExchHideFromAddressLists: TRUE\n";
        else if (rnd.Below(2) == 0)
            ldif += "msExchHideFromAddressLists: FALSE\n";
        ldif += '\n';

        if (!hasDn || kind == Kind::Contact)
        {
            if (kind == Kind::Contact)
                m_expected.errors.push_back(dn + "  -Login failed.");
            continue;
        }

        HRESULT open = S_OK;
        HRESULT root = S_OK;
        HRESULT hierarchy = S_OK;
        static constexpr HRESULT kOpenFailures[] = {MAPI_E_LOGON_FAILED, MAPI_E_NO_ACCESS,
                                                    MAPI_E_FAILONEPROVIDER};
        if (kind == Kind::CannotOpen)
            open = kOpenFailures[rnd.Below(3)];
        if (kind == Kind::NoRoot)
            root = rnd.Below(2) ? MAPI_E_NO_ACCESS : MAPI_E_CALL_FAILED;
        if (kind == Kind::NoHierarchy)
            hierarchy = rnd.Below(2) ? MAPI_E_CALL_FAILED : MAPI_E_NO_SUPPORT;
        if (!store->AddMailbox(static_cast<std::int64_t>(i + 1), dn, alias, display, open, root,
                               hierarchy))
            return "cannot write mailbox " + dn;

        // The root folder's rows: the sought one (or a near miss) among system folders.
        rows.clear();
        FolderRow top{kTopFolder, false, {}};
        switch (kind)
        {
        case Kind::Ost:
        case Kind::Hidden:
            top.hasOstId = kind == Kind::Ost || rnd.Below(3) == 0;
            top.ostId.resize(s.ostIdBytes * (1 + rnd.Below(3)));
            break;
        case Kind::ManyOst:
            top.hasOstId = true;
            top.ostId.resize(static_cast<size_t>(s.ostIdBytes) * s.manyOstCount);
            break;
        case Kind::EmptyOstId:
            top.hasOstId = true;
            break;
        case Kind::NearCase:
            top.name = kCaseMisses[rnd.Below(kCaseMisses.size())];
            break;
        case Kind::NearSpace:
            top.name = std::string(kTopFolder) + " ";
            break;
        default:
            break;
        }
        if (!top.hasOstId)
            top.ostId.clear();
        for (unsigned char& b : top.ostId)
            b = static_cast<unsigned char>(rnd.Below(256));
        size_t before = rnd.Chance(s.topNotFirst) ? 1 + rnd.Below(4) : 0;
        size_t first = rnd.Below(kOtherFolders.size());
        for (size_t k = 0; k < before; ++k)
            rows.push_back(FolderRow{kOtherFolders[(first + k) % kOtherFolders.size()], false, {}});
        if (kind != Kind::NoTop)
            rows.push_back(std::move(top));
        for (size_t k = 0; k < 2; ++k)
            rows.push_back(
                FolderRow{kOtherFolders[(first + before + k) % kOtherFolders.size()], false, {}});
        if (!store->AddFolders(static_cast<std::int64_t>(i + 1), rows, rnd))
            return "cannot write the folders of " + dn;

        switch (kind)
        {
        case Kind::Hidden:
            break;
        case Kind::Ost:
        case Kind::ManyOst:
        case Kind::EmptyOstId:
            m_expected.ost.push_back(dn);
            break;
        case Kind::NonOst:
            m_expected.nonOst.push_back(dn);
            break;
        case Kind::CannotOpen:
            m_expected.errors.push_back(dn + "  -Login failed.");
            break;
        case Kind::NoRoot:
            m_expected.errors.push_back(dn + "  -Failed to get Root Container");
            break;
        case Kind::NoHierarchy:
            m_expected.errors.push_back(dn + "  -Failed to get Hierarchy Table");
            break;
        default:
            m_expected.errors.push_back(dn + "  -Failed to open folder.");
            break;
        }
    }
    if (std::string problem = store->Finish(); !problem.empty())
        return problem;
    store.reset(); // closed before it is moved into place

    std::string expected;
    WriteExpected(m_expected, expected);
    std::string ldifTmp = TempName(ldifPath);
    std::string expectedTmp = TempName(expectedPath);
    if (!WriteFile(ldifTmp, ldif))
        return "cannot write " + ldifPath;
    if (!WriteFile(expectedTmp, expected))
        return "cannot write " + expectedPath;
    if (std::rename(storeTmp.c_str(), storePath.c_str()) != 0)
        return "cannot move the store into place at " + storePath;
    if (std::rename(ldifTmp.c_str(), ldifPath.c_str()) != 0)
        return "cannot move the LDIF into place at " + ldifPath;
    if (std::rename(expectedTmp.c_str(), expectedPath.c_str()) != 0)
        return "cannot move the expected lists into place at " + expectedPath;
    return {};
}

} // namespace orggen
