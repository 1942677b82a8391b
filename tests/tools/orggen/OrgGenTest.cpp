// The organisation generator: shares become exact counts, the mail store agrees with the
// expected lists when mailboxes are probed through the messaging layer, and the directory
// entries load into the private slapd and list the same mailboxes in the same order.
#include "tests/platform/mapi/MapiTestEnv.h"
#include "tests/util/ProcessRunner.h"
#include "tests/util/SlapdServer.h"
#include "tests/util/TempDir.h"
#include "tools/orggen/OrgGenerator.h"

#include "platform/base/ComPtr.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

using namespace mapitest;
using orggen::ExpectedLists;
using orggen::OrgGenerator;
using orggen::OrgSpec;

namespace
{

struct Entry
{
    std::map<std::string, std::vector<std::string>> attrs;
    bool Has(const std::string& name) const { return attrs.count(name) != 0; }
    std::string First(const std::string& name) const
    {
        auto it = attrs.find(name);
        return it == attrs.end() || it->second.empty() ? std::string() : it->second.front();
    }
};

// LDIF as the generator and ldapsearch -LLL -o ldif-wrap=no write it (values of "name::"
// stay in base64; the tests only read ASCII values).
std::vector<Entry> ParseLdif(const std::string& text)
{
    std::vector<Entry> entries;
    std::istringstream in(text);
    Entry current;
    bool open = false;
    for (std::string line; std::getline(in, line);)
    {
        if (line.empty())
        {
            if (open)
                entries.push_back(std::move(current));
            current = Entry{};
            open = false;
            continue;
        }
        size_t colon = line.find(':');
        if (colon == std::string::npos || line[0] == '#')
            continue;
        std::string name = line.substr(0, colon);
        size_t start = colon + 1;
        if (start < line.size() && line[start] == ':')
            ++start;
        while (start < line.size() && line[start] == ' ')
            ++start;
        current.attrs[name].push_back(line.substr(start));
        open = true;
    }
    if (open)
        entries.push_back(std::move(current));
    return entries;
}

// The mailboxes a scan probes, in directory order: person objects with a mail nickname and a
// legacyExchangeDN that are not hidden.
std::vector<std::string> Listed(const std::vector<Entry>& entries)
{
    std::vector<std::string> dns;
    for (const Entry& e : entries)
    {
        if (!e.Has("mailNickname") || e.First("objectCategory") != "person" ||
            !e.Has("legacyExchangeDN") || e.First("msExchHideFromAddressLists") == "TRUE")
            continue;
        dns.push_back(e.First("legacyExchangeDN"));
    }
    return dns;
}

std::string Key(const std::string& entry)
{
    size_t cut = entry.find("  -");
    return cut == std::string::npos ? entry : entry.substr(0, cut);
}

// Each list is the directory's order restricted to that list's mailboxes, and together they
// hold every listed mailbox once.
void ExpectListsFollow(const std::vector<std::string>& listed, const ExpectedLists& lists)
{
    std::map<std::string, int> which;
    const std::vector<std::string>* all[] = {&lists.ost, &lists.nonOst, &lists.errors};
    for (int k = 0; k < 3; ++k)
    {
        for (const std::string& e : *all[k])
            which[Key(e)] = k;
    }
    ASSERT_EQ(which.size(), listed.size());
    std::vector<std::string> split[3];
    for (const std::string& dn : listed)
    {
        auto it = which.find(dn);
        ASSERT_NE(it, which.end()) << dn;
        split[it->second].push_back(dn);
    }
    for (int k = 0; k < 3; ++k)
    {
        std::vector<std::string> keys;
        for (const std::string& e : *all[k])
            keys.push_back(Key(e));
        EXPECT_EQ(split[k], keys) << "list " << k;
    }
}

class OrgGenTest : public MapiTest
{
protected:
    std::string Path(const char* name) const { return m_env->Dir() + "/" + name; }
    std::string Write(OrgGenerator& gen)
    {
        return gen.Write(Path("org.ldif"), Path("org.db"), Path("org.expected"));
    }

    // Every kind of mailbox at least a few times.
    static OrgSpec EveryKind(std::uint64_t mailboxes)
    {
        OrgSpec s;
        s.mailboxes = mailboxes;
        s.ost = 30;
        s.manyOst = 3;
        s.emptyOstId = 3;
        s.hidden = 5;
        s.noDn = 3;
        s.contacts = 2;
        s.cannotOpen = 3;
        s.noRoot = 3;
        s.noHierarchy = 3;
        s.noTop = 3;
        s.nearCase = 3;
        s.nearSpace = 3;
        s.topNotFirst = 50;
        return s;
    }
};

TEST_F(OrgGenTest, SharesBecomeExactCounts)
{
    OrgSpec spec = EveryKind(1001); // the administrator and 1000 others
    OrgGenerator gen(spec);
    ASSERT_EQ(Write(gen), "");
    const ExpectedLists& e = gen.Expected();
    // 1000 others: 300 + 30 + 30 OST; 3% of each of six error kinds, 2% contacts.
    EXPECT_EQ(e.ost.size(), 360u);
    EXPECT_EQ(e.errors.size(), 6u * 30 + 20);
    EXPECT_EQ(e.nonOst.size(), 1001u - 360 - 200 - 50 - 30);
    auto count = [&](const char* reason)
    {
        return std::count_if(e.errors.begin(), e.errors.end(),
                             [&](const std::string& s)
                             {
                                 return s.size() > std::strlen(reason) &&
                                        s.compare(s.size() - std::strlen(reason), std::string::npos,
                                                  reason) == 0;
                             });
    };
    EXPECT_EQ(count("  -Login failed."), 50); // cannot open, and the contacts
    EXPECT_EQ(count("  -Failed to get Root Container"), 30);
    EXPECT_EQ(count("  -Failed to get Hierarchy Table"), 30);
    EXPECT_EQ(count("  -Failed to open folder."), 90); // no row, and the two near misses
    std::vector<Entry> entries = ParseLdif(qmtest::ReadWholeFile(Path("org.ldif")));
    ASSERT_EQ(entries.size(), 1001u);
    EXPECT_EQ(entries[0].First("sAMAccountName"), "Administrator");
    EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                            [](const Entry& x) { return !x.Has("legacyExchangeDN"); }),
              30);
    // A few names are not ASCII: written in base64, as LDIF needs.
    std::string raw = qmtest::ReadWholeFile(Path("org.ldif"));
    EXPECT_NE(raw.find("\ncn:: Wm/DqyDDhW5nc3Ryw7Zt\n"), std::string::npos); // Zoë Ångström
    EXPECT_NE(raw.find("\ncn:: Sm9zw6kgTsO6w7Fleg==\n"), std::string::npos); // José Núñez
    ExpectedLists reread;
    ASSERT_TRUE(OrgGenerator::ReadExpected(qmtest::ReadWholeFile(Path("org.expected")), &reread));
    EXPECT_EQ(reread.ost, e.ost);
    EXPECT_EQ(reread.nonOst, e.nonOst);
    EXPECT_EQ(reread.errors, e.errors);
}

TEST_F(OrgGenTest, TheSameSeedGivesTheSameOrganisation)
{
    OrgSpec spec = EveryKind(300);
    OrgGenerator first(spec);
    ASSERT_EQ(Write(first), "");
    std::string ldif = qmtest::ReadWholeFile(Path("org.ldif"));
    std::string expected = qmtest::ReadWholeFile(Path("org.expected"));
    OrgGenerator again(spec);
    ASSERT_EQ(Write(again), "");
    EXPECT_EQ(qmtest::ReadWholeFile(Path("org.ldif")), ldif);
    EXPECT_EQ(qmtest::ReadWholeFile(Path("org.expected")), expected);
    spec.seed = 2;
    OrgGenerator other(spec);
    ASSERT_EQ(Write(other), "");
    EXPECT_NE(qmtest::ReadWholeFile(Path("org.expected")), expected);
}

struct BadSpec
{
    const char* label;
    std::function<void(OrgSpec&)> change;
};

class OrgGenBadSpecTest : public OrgGenTest, public ::testing::WithParamInterface<BadSpec>
{
};

TEST_P(OrgGenBadSpecTest, IsRefusedAndLeavesNoFile)
{
    OrgSpec spec;
    spec.mailboxes = 10;
    GetParam().change(spec);
    OrgGenerator gen(spec);
    EXPECT_NE(Write(gen), "");
    for (const auto& e : std::filesystem::directory_iterator(m_env->Dir()))
        EXPECT_EQ(e.path().filename().string().rfind("org.", 0), std::string::npos) << e.path();
}

INSTANTIATE_TEST_SUITE_P(
    Specs, OrgGenBadSpecTest,
    ::testing::Values(BadSpec{"NoMailbox", [](OrgSpec& s) { s.mailboxes = 0; }},
                      BadSpec{"NegativeShare", [](OrgSpec& s) { s.hidden = -1; }},
                      BadSpec{"SharesOver100",
                              [](OrgSpec& s)
                              {
                                  s.ost = 60;
                                  s.cannotOpen = 50;
                              }},
                      BadSpec{"NotANumber", [](OrgSpec& s) { s.noTop = std::nan(""); }},
                      BadSpec{"TwoLineSuffix", [](OrgSpec& s) { s.suffix = "dc=a\ndc=b"; }},
                      BadSpec{"SlashInOrganisation", [](OrgSpec& s) { s.org = "A/B"; }}),
    [](const ::testing::TestParamInfo<BadSpec>& info) { return info.param.label; });

// A probe through the messaging layer, as a scan makes it, with the mended rule: a PR_OST_OSTID
// too large for the row is an OST user.
std::string Probe(IMAPISession* session, IMsgStore* admin, const std::string& dn)
{
    CComPtr<IExchangeManageStore> manage;
    if (FAILED(admin->QueryInterface(IID_IExchangeManageStore, reinterpret_cast<void**>(&manage))))
        return "no manage";
    std::string server = "/cn=Configuration/cn=Servers/cn=EXCH01/cn=Microsoft Private MDB";
    std::string mailbox = dn;
    ULONG cb = 0;
    LPENTRYID eid = nullptr;
    (void)manage->CreateStoreEntryID(server.data(), mailbox.data(), 0x9, &cb, &eid);
    CComPtr<IMsgStore> store;
    HRESULT hr = session->OpenMsgStore(0, cb, eid, nullptr, 0x1B1, &store);
    if (hr == MAPI_E_UNKNOWN_FLAGS)
        hr = session->OpenMsgStore(0, cb, eid, nullptr, 0xB1, &store);
    MAPIFreeBuffer(eid);
    if (FAILED(hr) || !store)
        return dn + "  -Login failed.";
    ULONG type = 0;
    CComPtr<IUnknown> root;
    (void)store->OpenEntry(0, nullptr, nullptr, MAPI_BEST_ACCESS, &type, &root);
    if (!root)
        return dn + "  -Failed to get Root Container";
    CComPtr<IMAPIFolder> folder;
    (void)root->QueryInterface(IID_IMAPIFolder, reinterpret_cast<void**>(&folder));
    CComPtr<IMAPITable> table;
    if (FAILED(folder->GetHierarchyTable(MAPI_UNICODE, &table)))
        return dn + "  -Failed to get Hierarchy Table";
    SizedSPropTagArray(5, cols) = {
        5, {PR_DISPLAY_NAME_W, PR_OST_OSTID, PR_INSTANCE_KEY, PR_SUBFOLDERS, PR_CONTAINER_FLAGS}};
    (void)table->SetColumns(reinterpret_cast<LPSPropTagArray>(&cols), TBL_BATCH);
    (void)table->SeekRow(BOOKMARK_BEGINNING, 0, nullptr);
    for (;;)
    {
        RowsHolder rows;
        (void)table->QueryRows(1, 0, &rows.rows);
        if (!rows.rows || rows.rows->cRows == 0)
            return dn + "  -Failed to open folder.";
        const SPropValue* v = rows.rows->aRow[0].lpProps;
        if (v[0].ulPropTag == PR_DISPLAY_NAME_W &&
            std::u16string(v[0].Value.lpszW) == u"Top of Information Store")
        {
            bool tooLarge = v[1].ulPropTag == PROP_TAG(PT_ERROR, PROP_ID(PR_OST_OSTID)) &&
                            v[1].Value.err == MAPI_E_NOT_ENOUGH_MEMORY;
            return v[1].ulPropTag == PR_OST_OSTID || tooLarge ? "ost" : "nonost";
        }
    }
}

TEST_F(OrgGenTest, ProbingTheStoreGivesTheExpectedLists)
{
    OrgGenerator gen(EveryKind(3000));
    ASSERT_EQ(Write(gen), "");
    m_env->Configure("[exchange EXCH01]\nstore = " + Path("org.db") + "\n");
    CreateExchangeProfile("TempAdmin1", "EXCH01", "Administrator");
    CComPtr<IMAPISession> session;
    ASSERT_EQ(Logon("TempAdmin1", &session), S_OK);
    CComPtr<IMAPITable> stores;
    ASSERT_EQ(session->GetMsgStoresTable(0, &stores), S_OK);
    SizedSPropTagArray(2, cols) = {2, {PR_ENTRYID, PR_DEFAULT_STORE}};
    RowsHolder rows;
    ASSERT_EQ(HrQueryAllRows(stores, reinterpret_cast<LPSPropTagArray>(&cols), nullptr, nullptr, 0,
                             &rows.rows),
              S_OK);
    const SBinary& eid = rows.rows->aRow[1].lpProps[0].Value.bin;
    CComPtr<IMsgStore> admin;
    ASSERT_EQ(session->OpenMsgStore(0, eid.cb, reinterpret_cast<LPENTRYID>(eid.lpb), nullptr,
                                    MAPI_BEST_ACCESS, &admin),
              S_OK);
    ExpectedLists got;
    for (const std::string& dn : Listed(ParseLdif(qmtest::ReadWholeFile(Path("org.ldif")))))
    {
        std::string r = Probe(session, admin, dn);
        if (r == "ost")
            got.ost.push_back(dn);
        else if (r == "nonost")
            got.nonOst.push_back(dn);
        else
            got.errors.push_back(r);
    }
    const ExpectedLists& e = gen.Expected();
    EXPECT_EQ(got.ost, e.ost);
    EXPECT_EQ(got.nonOst, e.nonOst);
    EXPECT_EQ(got.errors, e.errors);
    EXPECT_EQ(session->Logoff(0, 0, 0), S_OK);
}

TEST_F(OrgGenTest, TheDirectoryListsTheExpectedMailboxesInOrder)
{
    OrgSpec spec = EveryKind(1200); // more than one page of the server's size limit
    OrgGenerator gen(spec);
    ASSERT_EQ(Write(gen), "");
    qmtest::SlapdServer slapd;
    ASSERT_TRUE(slapd.Start({qmtest::ReadWholeFile(Path("org.ldif"))})) << slapd.LastError();
    qmtest::ProcessOptions options;
    options.environment = slapd.ClientEnvironment();
    qmtest::ProcessResult search = qmtest::RunProcess(
        {"ldapsearch", "-LLL", "-o", "ldif-wrap=no", "-x", "-H", slapd.LdapUri(), "-b",
         slapd.Suffix(), "-E", "pr=1000/noprompt", "(&(mailnickname=*)(objectCategory=person))",
         "cn", "mailNickname", "objectCategory", "legacyExchangeDN", "msExchHideFromAddressLists"},
        options);
    ASSERT_TRUE(search.Succeeded()) << search.Describe();
    std::vector<Entry> entries = ParseLdif(search.out);
    EXPECT_EQ(entries.size(), 1200u);
    ExpectListsFollow(Listed(entries), gen.Expected());
}

} // namespace
