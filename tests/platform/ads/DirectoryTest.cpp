// The directory client against a real slapd: binds, protection, paging, limits, failures.
#include "tests/platform/ads/DirectoryTestSupport.h"

#include "platform/base/CString.h"

#include <chrono>
#include <gtest/gtest.h>

using namespace qmtest;

namespace
{

struct Walk
{
    std::vector<std::string> dns;
    std::vector<std::string> hiddenTypes;
    HRESULT end = S_OK;
};

HRESULT Open(const std::u16string& path, const std::u16string& user, const std::u16string& password,
             IDirectorySearch** out)
{
    return ADsOpenObject(path.c_str(), user.c_str(), password.c_str(), ADS_SECURE_AUTHENTICATION,
                         IID_IDirectorySearch, reinterpret_cast<void**>(out));
}

HRESULT SetPrefs(IDirectorySearch* s, DWORD pageSize, DWORD timeout = 120)
{
    ADS_SEARCHPREF_INFO p[5] = {};
    p[0].dwSearchPref = ADS_SEARCHPREF_TIMEOUT;
    p[0].vValue.dwType = ADSTYPE_INTEGER;
    p[0].vValue.Integer = timeout;
    p[1].dwSearchPref = ADS_SEARCHPREF_SEARCH_SCOPE;
    p[1].vValue.dwType = ADSTYPE_INTEGER;
    p[1].vValue.Integer = ADS_SCOPE_SUBTREE;
    p[2].dwSearchPref = ADS_SEARCHPREF_PAGESIZE;
    p[2].vValue.dwType = ADSTYPE_INTEGER;
    p[2].vValue.Integer = pageSize;
    p[3].dwSearchPref = ADS_SEARCHPREF_CACHE_RESULTS;
    p[3].vValue.dwType = ADSTYPE_BOOLEAN;
    p[3].vValue.Boolean = TRUE;
    p[4].dwSearchPref = ADS_SEARCHPREF_ASYNCHRONOUS;
    p[4].vValue.dwType = ADSTYPE_BOOLEAN;
    p[4].vValue.Boolean = TRUE;
    return s->SetSearchPreference(p, 5);
}

std::string Column(IDirectorySearch* s, ADS_SEARCH_HANDLE h, const char16_t* name,
                   ADSTYPE* type = nullptr)
{
    ADS_SEARCH_COLUMN col;
    if (FAILED(s->GetColumn(h, const_cast<LPWSTR>(name), &col)))
        return "<none>";
    std::string v;
    if (type)
        *type = col.dwADsType;
    if (col.dwADsType == ADSTYPE_BOOLEAN)
        v = col.pADsValues->Boolean ? "TRUE" : "FALSE";
    else
        v = winplat::ToUtf8(col.pADsValues->CaseIgnoreString);
    s->FreeColumn(&col);
    return v;
}

// Walks every row of the mailbox search, with hooks between rows.
Walk Enumerate(IDirectorySearch* s, std::function<void(size_t)> afterRow = {})
{
    Walk w;
    WCHAR filter[] = u"(&(mailnickname=*)(objectCategory=person))";
    WCHAR a0[] = u"cn", a1[] = u"legacyExchangeDN", a2[] = u"msExchHideFromAddressLists";
    LPWSTR attrs[] = {a0, a1, a2};
    ADS_SEARCH_HANDLE h = nullptr;
    w.end = s->ExecuteSearch(filter, attrs, 3, &h);
    if (w.end != S_OK)
        return w;
    for (HRESULT hr = s->GetFirstRow(h);; hr = s->GetNextRow(h))
    {
        if (hr != S_OK)
        {
            w.end = hr;
            break;
        }
        w.dns.push_back(Column(s, h, u"legacyExchangeDN"));
        if (afterRow)
            afterRow(w.dns.size());
    }
    s->CloseSearchHandle(h);
    return w;
}

std::vector<std::string> ExpectedDns(const std::vector<DirectoryUser>& users)
{
    std::vector<std::string> out;
    for (const auto& u : users)
        out.push_back(*u.legacyDN);
    return out;
}

class Directory : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_users = ManyUsers(1200);
        DirectoryUser odd = User("Odd One");
        odd.legacyDN = "/O=CORP/ou=First  Group/cn=Recipients/cn=Odd One ";
        s_users.insert(s_users.begin() + 3, odd);
        SlapdOptions options;
        options.referral = true;
        s_server = new SlapdServer(options);
        ASSERT_TRUE(s_server->Start({UsersLdif(s_server->Options(), s_users)}))
            << s_server->LastError();
    }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }
    static inline SlapdServer* s_server = nullptr;
    static inline std::vector<DirectoryUser> s_users;
};

} // namespace

TEST_F(Directory, PagedSearchEnumeratesEverythingInServerOrderWhateverPageSizeIsAsked)
{
    // The server allows pages of 1000 and refuses larger ones; we may be configured to ask
    // for more and must then come down to what it allows.
    for (const char* maxPage : {"1000", "5000", "300"})
    {
        ConfigFile cfg(ConfigFor(*s_server, std::string("max_page_size = ") + maxPage + "\n"));
        IDirectorySearch* s = nullptr;
        ASSERT_EQ(Open(u"LDAP://EXCH01", u"CORP\\user100000", u"Secret1!", &s), S_OK);
        ASSERT_EQ(SetPrefs(s, 100000000), S_OK);
        Walk w = Enumerate(s);
        EXPECT_EQ(w.end, S_ADS_NOMORE_ROWS) << maxPage;
        EXPECT_EQ(w.dns, ExpectedDns(s_users)) << maxPage; // no reference among the rows
        s->Release();
    }
}

TEST_F(Directory, SearchCutShortByTheServerLimitIsNotPassedOffAsComplete)
{
    ConfigFile cfg(ConfigFor(*s_server));
    IDirectorySearch* s = nullptr;
    ASSERT_EQ(Open(u"LDAP://EXCH01", u"CORP\\user100000", u"Secret1!", &s), S_OK);
    ASSERT_EQ(SetPrefs(s, 0), S_OK); // no paging: the server's limit of 500 applies
    Walk w = Enumerate(s);
    EXPECT_EQ(w.dns.size(), 500u);
    EXPECT_EQ(w.end, HRESULT_FROM_WIN32(ERROR_DS_SIZELIMIT_EXCEEDED));
    s->Release();
}

TEST_F(Directory, ColumnsMatchNamesInAnyCaseAndReadTypedFirstValues)
{
    ConfigFile cfg(ConfigFor(*s_server));
    IDirectorySearch* s = nullptr;
    ASSERT_EQ(Open(u"LDAP://exch01", u"user100001@corp.example.test", u"Secret1!", &s), S_OK);
    ASSERT_EQ(SetPrefs(s, 1000), S_OK);
    WCHAR filter[] = u"(cn=Odd One)";
    ADS_SEARCH_HANDLE h = nullptr;
    ASSERT_EQ(s->ExecuteSearch(filter, nullptr, static_cast<DWORD>(-1), &h), S_OK);
    ASSERT_EQ(s->GetFirstRow(h), S_OK);
    ADSTYPE type = ADSTYPE_INVALID;
    EXPECT_EQ(Column(s, h, u"LEGACYEXCHANGEDN", &type),
              "/O=CORP/ou=First  Group/cn=Recipients/cn=Odd One ");
    EXPECT_EQ(type, ADSTYPE_CASE_IGNORE_STRING);
    EXPECT_EQ(Column(s, h, u"CN"), "Odd One");
    EXPECT_EQ(Column(s, h, u"msExchHideFromAddressLists"), "<none>");
    EXPECT_EQ(s->GetNextRow(h), S_ADS_NOMORE_ROWS);
    EXPECT_EQ(s->GetNextRow(h), S_ADS_NOMORE_ROWS); // the end stays the end
    // A second walk from the first row asks again and finds the same row.
    ASSERT_EQ(s->GetFirstRow(h), S_OK);
    EXPECT_EQ(Column(s, h, u"cn"), "Odd One");
    EXPECT_EQ(s->CloseSearchHandle(h), S_OK);
    EXPECT_EQ(s->CloseSearchHandle(h), E_ADS_INVALID_HANDLE);
    s->Release();
}

TEST_F(Directory, UnsupportedPreferencesAreRefused)
{
    ConfigFile cfg(ConfigFor(*s_server));
    IDirectorySearch* s = nullptr;
    ASSERT_EQ(Open(u"LDAP://EXCH01", u"CORP\\user100000", u"Secret1!", &s), S_OK);
    ADS_SEARCHPREF_INFO p[2] = {};
    p[0].dwSearchPref = ADS_SEARCHPREF_SORT_ON;
    p[0].vValue.dwType = ADSTYPE_INTEGER;
    p[1].dwSearchPref = ADS_SEARCHPREF_PAGESIZE;
    p[1].vValue.dwType = ADSTYPE_BOOLEAN; // wrong value type
    EXPECT_EQ(s->SetSearchPreference(p, 2), S_ADS_ERRORSOCCURRED);
    EXPECT_EQ(p[0].dwStatus, ADS_STATUS_INVALID_SEARCHPREF);
    EXPECT_EQ(p[1].dwStatus, ADS_STATUS_INVALID_SEARCHPREFVALUE);
    s->Release();
}

struct BindCase
{
    const char* name;
    std::u16string user;
    std::u16string password;
    bool accepted;
};

class DirectoryBind : public Directory, public testing::WithParamInterface<BindCase>
{
};

TEST_P(DirectoryBind, AcceptsEveryNameFormAndOnlyTheRightPassword)
{
    ConfigFile cfg(ConfigFor(*s_server));
    IDirectorySearch* s = nullptr;
    HRESULT hr = Open(u"LDAP://EXCH01", GetParam().user, GetParam().password, &s);
    if (GetParam().accepted)
    {
        EXPECT_EQ(hr, S_OK);
        ASSERT_NE(s, nullptr);
        s->Release();
    }
    else
    {
        EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
        EXPECT_EQ(s, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, DirectoryBind,
    testing::Values(BindCase{"Dn", u"cn=user100002,ou=Users,dc=corp,dc=example,dc=test",
                             u"Secret1!", true},
                    BindCase{"DomainAccount", u"CORP\\user100002", u"Secret1!", true},
                    BindCase{"Upn", u"user100002@corp.example.test", u"Secret1!", true},
                    BindCase{"BareAccount", u"user100002", u"Secret1!", true},
                    BindCase{"WrongPassword", u"CORP\\user100002", u"secret1!", false},
                    BindCase{"UnknownAccount", u"CORP\\nobody", u"Secret1!", false},
                    BindCase{"EmptyPassword", u"CORP\\user100002", u"", false},
                    BindCase{"EmptyUser", u"", u"Secret1!", false},
                    BindCase{"FilterInjection", u"CORP\\Odd On*", u"Secret1!", false}),
    [](const auto& i) { return i.param.name; });

TEST_F(Directory, BadOrUnreachableServersFailQuickly)
{
    ConfigFile cfg(ConfigFor(*s_server, "\n[hosts]\nCLOSED = 127.0.0.1:1\n"));
    struct Case
    {
        std::u16string path;
        HRESULT expected; // 0: any failure
    } cases[] = {{u"", E_ADS_BAD_PATHNAME},
                 {u"LDAP://", E_ADS_BAD_PATHNAME},
                 {u"LDAP://EXCH 01", E_ADS_BAD_PATHNAME},
                 {u"LDAP://EXCH01\u00e9", E_ADS_BAD_PATHNAME},
                 {u"LDAP://CLOSED", HRESULT_FROM_WIN32(ERROR_DS_SERVER_DOWN)},
                 {u"LDAP://no-such-host.invalid", 0}};
    for (const Case& c : cases)
    {
        auto start = std::chrono::steady_clock::now();
        IDirectorySearch* s = nullptr;
        HRESULT hr = Open(c.path, u"CORP\\user100000", u"Secret1!", &s);
        EXPECT_TRUE(FAILED(hr)) << winplat::ToUtf8(c.path);
        if (c.expected)
        {
            EXPECT_EQ(hr, c.expected) << winplat::ToUtf8(c.path);
        }
        EXPECT_EQ(s, nullptr);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    }
}

TEST(DirectoryProtection, PasswordsOnlyTravelOverProtectedConnections)
{
    SlapdServer server;
    ASSERT_TRUE(server.Start({UsersLdif(server.Options(), {User("alice")})})) << server.LastError();
    std::string plain = "[hosts]\nEXCH01 = 127.0.0.1:" + std::to_string(server.Port()) +
                        "\nSECURE = ldaps://127.0.0.1:" + std::to_string(server.LdapsPort()) + "\n";
    struct Case
    {
        const char* name;
        std::string config;
        std::u16string path;
        bool accepted;
    } cases[] = {
        {"StartTlsWithTheCa", ConfigFor(server), u"LDAP://EXCH01", true},
        {"LdapsWithTheCa", plain + "[directory]\nca_file = " + server.CaFile() + "\n",
         u"LDAP://SECURE", true},
        // The certificate cannot be checked: no cleartext fallback.
        {"UntrustedCertificate", plain, u"LDAP://EXCH01", false},
        {"UntrustedLdaps", plain, u"LDAP://SECURE", false},
        // Explicitly allowed, on loopback only.
        {"CleartextAllowedOnLoopback", plain + "[directory]\ncleartext = EXCH01\n",
         u"LDAP://EXCH01", true},
    };
    for (const auto& c : cases)
    {
        ConfigFile cfg(c.config);
        IDirectorySearch* s = nullptr;
        HRESULT hr = Open(c.path, u"CORP\\alice", u"Secret1!", &s);
        EXPECT_EQ(SUCCEEDED(hr), c.accepted) << c.name << std::hex << " 0x" << hr;
        if (s)
            s->Release();
        // StartTLS tells a refused protection apart from a missing server.
        if (!c.accepted && c.path == u"LDAP://EXCH01")
        {
            EXPECT_EQ(hr, HRESULT_FROM_WIN32(ERROR_DS_STRONG_AUTH_REQUIRED)) << c.name;
        }
    }
}

TEST(DirectoryProtection, ServerThatDemandsTlsRefusesACleartextBind)
{
    SlapdOptions options;
    options.tlsBindsOnly = true;
    SlapdServer server(options);
    ASSERT_TRUE(server.Start({UsersLdif(server.Options(), {User("alice")})})) << server.LastError();
    ConfigFile cfg(ConfigFor(server));
    IDirectorySearch* s = nullptr;
    EXPECT_EQ(Open(u"LDAP://EXCH01", u"CORP\\alice", u"Secret1!", &s), S_OK);
    if (s)
        s->Release();
    cfg.Write("[hosts]\nEXCH01 = 127.0.0.1:" + std::to_string(server.Port()) +
              "\n[directory]\ncleartext = EXCH01\n");
    s = nullptr;
    EXPECT_TRUE(FAILED(Open(u"LDAP://EXCH01", u"CORP\\alice", u"Secret1!", &s)));
    EXPECT_EQ(s, nullptr);
}

TEST(DirectoryFailures, PagedTotalLimitEndsTheSearchWithAFailure)
{
    SlapdOptions options;
    options.limits = "size.pr=1000 size.prtotal=700";
    SlapdServer server(options);
    ASSERT_TRUE(server.Start({UsersLdif(server.Options(), ManyUsers(1200))})) << server.LastError();
    ConfigFile cfg(ConfigFor(server));
    IDirectorySearch* s = nullptr;
    ASSERT_EQ(Open(u"LDAP://EXCH01", u"CORP\\user100000", u"Secret1!", &s), S_OK);
    ASSERT_EQ(SetPrefs(s, 100000000), S_OK);
    Walk w = Enumerate(s);
    EXPECT_LT(w.dns.size(), 1200u);
    EXPECT_TRUE(FAILED(w.end)) << std::hex << w.end;
    s->Release();
}

TEST(DirectoryFailures, ServerThatStopsAnsweringEndsTheWalkWithinTheTimeout)
{
    SlapdServer server;
    ASSERT_TRUE(server.Start({UsersLdif(server.Options(), ManyUsers(2500))})) << server.LastError();
    ConfigFile cfg(ConfigFor(server));
    IDirectorySearch* s = nullptr;
    ASSERT_EQ(Open(u"LDAP://EXCH01", u"CORP\\user100000", u"Secret1!", &s), S_OK);
    ASSERT_EQ(SetPrefs(s, 100000000, 2), S_OK);
    auto start = std::chrono::steady_clock::now();
    Walk w = Enumerate(s,
                       [&](size_t row)
                       {
                           if (row == 1)
                               server.Pause();
                       });
    auto took = std::chrono::steady_clock::now() - start;
    server.Resume();
    EXPECT_LT(w.dns.size(), 2500u);
    EXPECT_EQ(w.end, HRESULT_FROM_WIN32(1460)); // timed out
    EXPECT_LT(took, std::chrono::seconds(8));
    s->Release();
}

TEST(DirectoryFailures, DroppedConnectionEndsTheWalkWithAFailure)
{
    SlapdServer server;
    ASSERT_TRUE(server.Start({UsersLdif(server.Options(), ManyUsers(2500))})) << server.LastError();
    ConfigFile cfg(ConfigFor(server));
    IDirectorySearch* s = nullptr;
    ASSERT_EQ(Open(u"LDAP://EXCH01", u"CORP\\user100000", u"Secret1!", &s), S_OK);
    ASSERT_EQ(SetPrefs(s, 100000000, 30), S_OK);
    Walk w = Enumerate(s,
                       [&](size_t row)
                       {
                           if (row == 1)
                               server.Kill();
                       });
    EXPECT_LT(w.dns.size(), 2500u);
    EXPECT_TRUE(FAILED(w.end)) << std::hex << w.end;
    s->Release();
}
