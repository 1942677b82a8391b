// The scanner's inputs, its directory step against a scripted directory, and the teardown
// of scans that never reached Exchange.
#include "platform/mapi/MapiFaults.h"
#include "scan/MailboxScanner.h"
#include "scan/StopFlag.h"
#include "tests/fakes/FakeDirectory.h"
#include "tests/scan/MessageBoxLog.h"

#include <gtest/gtest.h>

using qmfake::FakeRow;
using qmfake::Log;
using qmfake::Script;
using qmtest::MessageBoxLog;
using winplat::mapi::MapiFaults;

namespace
{

std::vector<std::u16string> Strings(const CStringArray& a)
{
    std::vector<std::u16string> out;
    for (const CString& s : a)
        out.push_back(s.Str());
    return out;
}

class ScannerDirectoryStep : public testing::Test
{
protected:
    void SetUp() override
    {
        qmfake::ResetDirectory();
        MapiFaults::Clear();
        MapiFaults::Record(true);
        g_nStopScan = 0;
    }
    void TearDown() override
    {
        g_nStopScan = 0;
        EXPECT_EQ(Log().liveObjects, 0) << "search object not released";
        EXPECT_EQ(Log().openHandles, 0) << "search handle not closed";
        EXPECT_EQ(Log().openColumns, 0) << "column not freed";
        MapiFaults::Clear();
    }
    // The directory step of one scan over the scripted directory; the scanner is gone when
    // this returns.
    std::vector<std::u16string> Scan()
    {
        CMailboxScanner scanner;
        scanner.SetCredentials(_T("EXCH01"), _T("CORP\\alice"), _T("pa$$ word"));
        scanner.FindMailboxes();
        EXPECT_TRUE(scanner.m_arrOst.IsEmpty() && scanner.m_arrNonOst.IsEmpty() &&
                    scanner.m_arrErrors.IsEmpty());
        return Strings(scanner.m_arrMailboxes);
    }
    MessageBoxLog boxes;
};

} // namespace

struct CredentialCase
{
    const char* name;
    std::u16string user;
    std::u16string mailbox;
};

class SetCredentialsTest : public testing::TestWithParam<CredentialCase>
{
};

TEST_P(SetCredentialsTest, SplitsTheAccountAndKeepsTheRest)
{
    CMailboxScanner scanner;
    EXPECT_EQ(scanner.m_strProfile, _T("TempAdmin1"));
    EXPECT_EQ(scanner.m_strMailbox, _T("Administrator"));
    scanner.SetCredentials(_T(" EXCH01 "), CString(GetParam().user.c_str()), _T(""));
    EXPECT_EQ(scanner.m_strMailbox.Str(), GetParam().mailbox);
    EXPECT_EQ(scanner.m_strUser.Str(), GetParam().user);
    EXPECT_EQ(scanner.m_strServer, _T(" EXCH01 "));
    EXPECT_EQ(scanner.m_strPassword, _T(""));
    EXPECT_EQ(scanner.m_strProfile, _T("TempAdmin1"));
}

INSTANTIATE_TEST_SUITE_P(Names, SetCredentialsTest,
                         testing::Values(CredentialCase{"DomainAccount", u"CORP\\alice", u"alice"},
                                         CredentialCase{"Bare", u"alice", u"alice"},
                                         CredentialCase{"TwoBackslashes", u"CORP\\dept\\alice",
                                                        u"dept\\alice"},
                                         CredentialCase{"DomainOnly", u"CORP\\", u""},
                                         CredentialCase{"Empty", u"", u""}),
                         [](const auto& i) { return i.param.name; });

TEST_F(ScannerDirectoryStep, AsksTheDirectoryExactlyAsTyped)
{
    Script().rows = {FakeRow{u"a", u"/o=Corp/cn=a", std::nullopt}};
    Scan();
    EXPECT_EQ(Log().path, u"LDAP://EXCH01");
    EXPECT_EQ(Log().user, u"CORP\\alice");
    EXPECT_EQ(Log().password, u"pa$$ word");
    EXPECT_EQ(Log().flags, static_cast<DWORD>(ADS_SECURE_AUTHENTICATION));
    EXPECT_EQ(Log().filter, u"(&(mailnickname=*)(objectCategory=person))");
    EXPECT_EQ(Log().attributes, (std::vector<std::u16string>{u"cn", u"legacyExchangeDN",
                                                             u"msExchHideFromAddressLists"}));

    struct Pref
    {
        ADS_SEARCHPREF pref;
        ADSTYPE type;
        DWORD value;
    };
    const Pref expected[] = {{ADS_SEARCHPREF_TIMEOUT, ADSTYPE_INTEGER, 120},
                             {ADS_SEARCHPREF_SEARCH_SCOPE, ADSTYPE_INTEGER, ADS_SCOPE_SUBTREE},
                             {ADS_SEARCHPREF_PAGESIZE, ADSTYPE_INTEGER, 100000000},
                             {ADS_SEARCHPREF_CACHE_RESULTS, ADSTYPE_BOOLEAN, TRUE},
                             {ADS_SEARCHPREF_ASYNCHRONOUS, ADSTYPE_BOOLEAN, TRUE}};
    ASSERT_EQ(Log().prefs.size(), 5u);
    for (size_t i = 0; i < 5; ++i)
    {
        EXPECT_EQ(Log().prefs[i].dwSearchPref, expected[i].pref) << i;
        EXPECT_EQ(Log().prefs[i].vValue.dwType, expected[i].type) << i;
        EXPECT_EQ(Log().prefs[i].vValue.Integer, expected[i].value) << i;
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ScannerDirectoryStep, KeepsVisibleMailboxesInDirectoryOrderUnchanged)
{
    Script().rows = {
        FakeRow{u"Visible", u"/o=Corp/ou=First Group/cn=Recipients/cn=Zed ", std::nullopt},
        FakeRow{u"Hidden", u"/o=Corp/cn=hidden", true},
        FakeRow{u"Shown", u"/O=corp/CN=Shown", false},
        FakeRow{std::nullopt, u"/o=Corp/cn=nocn", false},
        FakeRow{u"No DN", std::nullopt, false},
        FakeRow{u"Dup", u"/o=Corp/cn=dup", std::nullopt},
        FakeRow{u"Dup", u"/o=Corp/cn=dup", false},
        FakeRow{u"Jörg", u"/o=Corp/cn=J\u00f6rg \u5f20", std::nullopt},
    };
    EXPECT_EQ(Scan(), (std::vector<std::u16string>{
                          u"/o=Corp/ou=First Group/cn=Recipients/cn=Zed ", u"/O=corp/CN=Shown",
                          u"/o=Corp/cn=dup", u"/o=Corp/cn=dup", u"/o=Corp/cn=J\u00f6rg \u5f20"}));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ScannerDirectoryStep, EveryMailboxHiddenIsAnEmptyButSuccessfulListing)
{
    Script().rows = {FakeRow{u"a", u"/o=Corp/cn=a", true}, FakeRow{u"b", u"/o=Corp/cn=b", true}};
    CMailboxScanner scanner;
    scanner.SetCredentials(_T("EXCH01"), _T("CORP\\alice"), _T("pw"));
    EXPECT_TRUE(scanner.FindMailboxes());
    EXPECT_TRUE(scanner.m_arrMailboxes.IsEmpty());
    EXPECT_TRUE(boxes.Boxes().empty());
}

struct FailureCase
{
    const char* name;
    std::function<void()> script;
    std::vector<std::string> calls; // what the directory saw, in order
    std::vector<MessageBoxLog::Box> shown;
};

class ScannerDirectoryFailure : public ScannerDirectoryStep,
                                public testing::WithParamInterface<FailureCase>
{
};

TEST_P(ScannerDirectoryFailure, EndsTheRunCleanly)
{
    GetParam().script();
    CMailboxScanner scanner;
    scanner.SetCredentials(_T("EXCH01"), _T("CORP\\alice"), _T("pw"));
    EXPECT_FALSE(scanner.FindMailboxes());
    EXPECT_EQ(Log().calls, GetParam().calls);
    EXPECT_EQ(boxes.Boxes(), GetParam().shown);
}

const std::vector<std::string> kWholeWalk = {"ADsOpenObject", "SetSearchPreference",
                                             "ExecuteSearch", "GetFirstRow",
                                             "GetNextRow",    "CloseSearchHandle"};

INSTANTIATE_TEST_SUITE_P(
    Steps, ScannerDirectoryFailure,
    testing::Values(
        FailureCase{"BindRefused",
                    [] { Script().bindResult = static_cast<HRESULT>(0x8007052E); },
                    {"ADsOpenObject"},
                    {{u"Login failed.", MB_ICONERROR}}},
        FailureCase{"PreferencesPartlyRefused",
                    [] { Script().prefsResult = S_ADS_ERRORSOCCURRED; },
                    {"ADsOpenObject", "SetSearchPreference"},
                    {}},
        FailureCase{"SearchRefused",
                    [] { Script().executeResult = E_ADS_BAD_PARAMETER; },
                    {"ADsOpenObject", "SetSearchPreference", "ExecuteSearch"},
                    {}},
        FailureCase{"NothingMatches",
                    [] {},
                    {"ADsOpenObject", "SetSearchPreference", "ExecuteSearch", "GetFirstRow",
                     "CloseSearchHandle"},
                    {{u"No mailboxes found.", MB_ICONINFORMATION}}},
        FailureCase{
            "FirstRowFails",
            [] { Script().endResult = static_cast<HRESULT>(0x8007203A); },
            {"ADsOpenObject", "SetSearchPreference", "ExecuteSearch", "GetFirstRow",
             "CloseSearchHandle"},
            {{u"The directory search failed; no mailboxes could be listed.", MB_ICONERROR}}},
        FailureCase{"SearchEndsEarly",
                    []
                    {
                        Script().rows = {FakeRow{u"a", u"/o=Corp/cn=a", std::nullopt}};
                        Script().endResult = static_cast<HRESULT>(0x80072023); // size limit
                    },
                    kWholeWalk,
                    {{u"The directory search ended before all mailboxes were listed. The mailbox "
                      u"list is incomplete, so the scan was stopped.",
                      MB_ICONEXCLAMATION}}},
        FailureCase{"StopBeforeBind", [] { g_nStopScan = 1; }, {}, {}},
        FailureCase{"StopAfterBind",
                    [] { Script().afterBind = [] { g_nStopScan = 1; }; },
                    {"ADsOpenObject"},
                    {}},
        FailureCase{"StopAfterSearchStarted",
                    []
                    {
                        Script().rows = {FakeRow{u"a", u"/o=Corp/cn=a", std::nullopt}};
                        Script().afterExecute = [] { g_nStopScan = 1; };
                    },
                    {"ADsOpenObject", "SetSearchPreference", "ExecuteSearch", "CloseSearchHandle"},
                    {}}),
    [](const auto& i) { return i.param.name; });

TEST_F(ScannerDirectoryStep, StopDuringTheWalkKeepsWhatWasReadAndEndsTheRun)
{
    Script().rows = {FakeRow{u"a", u"/o=Corp/cn=a", std::nullopt},
                     FakeRow{u"b", u"/o=Corp/cn=b", std::nullopt},
                     FakeRow{u"c", u"/o=Corp/cn=c", std::nullopt}};
    Script().onRow = [](size_t row)
    {
        if (row == 2)
            g_nStopScan = 1;
    };
    CMailboxScanner scanner;
    scanner.SetCredentials(_T("EXCH01"), _T("CORP\\alice"), _T("pw"));
    EXPECT_TRUE(scanner.FindMailboxes());
    EXPECT_EQ(Strings(scanner.m_arrMailboxes),
              (std::vector<std::u16string>{u"/o=Corp/cn=a", u"/o=Corp/cn=b"}));
    scanner.Run(); // a second look: the run itself ends at once on the raised flag
    EXPECT_EQ(Log().calls.back(), "CloseSearchHandle");
}

TEST_F(ScannerDirectoryStep, TeardownWithoutExchangeOnlyEndsTheMessagingSubsystem)
{
    {
        CMailboxScanner never;
    }
    EXPECT_EQ(MapiFaults::CallCount("MAPIUninitialize"), 1u);

    Script().bindResult = static_cast<HRESULT>(0x8007052E);
    {
        CMailboxScanner scanner;
        scanner.SetCredentials(_T("EXCH01"), _T("CORP\\alice"), _T("pw"));
        scanner.Run();
    }
    EXPECT_EQ(MapiFaults::CallCount("MAPIUninitialize"), 2u);
    EXPECT_EQ(MapiFaults::CallCount("IProfAdmin::DeleteProfile"), 0u);
    EXPECT_EQ(MapiFaults::CallCount("IMAPISession::Logoff"), 0u);
    EXPECT_EQ(MapiFaults::LiveObjects(), 0);
}
