// A whole scan from the directory's DNs to the three result lists, over the messaging layer
// and its Exchange service, with the scan on a worker thread as the program runs it.
#include "controls/NewProf.h"
#include "platform/base/Locale.h"
#include "platform/mapi/MapiFaults.h"
#include "platform/win/Automation.h"
#include "scan/MailboxScanner.h"
#include "scan/StopFlag.h"
#include "tests/fakes/FakeDirectory.h"
#include "tests/platform/mapi/MapiTestEnv.h"
#include "tests/platform/win/GuiTest.h"
#include "tests/scan/MessageBoxLog.h"

#include <algorithm>
#include <atomic>
#include <clocale>
#include <gtest/gtest.h>
#include <thread>

using mapitest::DnOf;
using mapitest::FolderSpec;
using mapitest::Mailbox;
using mapitest::MailboxSpec;
using qmfake::FakeRow;
using qmtest::MessageBoxLog;
using winplat::mapi::MapiFaults;
namespace automation = winplat::automation;

namespace
{

using Strings = std::vector<std::u16string>;

struct ScanResult
{
    Strings ost, nonOst, errors;
    Strings profilesDuringScan; // the profiles that existed once Run had returned
};

Strings ToStrings(const CStringArray& a)
{
    Strings out;
    for (const CString& s : a)
        out.push_back(s.Str());
    return out;
}

std::u16string W(const std::string& utf8)
{
    return winplat::FromUtf8(utf8);
}

// Keeps the messaging subsystem started for what a test itself asks of it.
struct MapiStarted
{
    MapiStarted() { EXPECT_EQ(MAPIInitialize(nullptr), S_OK); }
    ~MapiStarted() { MAPIUninitialize(); }
};

Strings ProfileNames()
{
    MapiStarted started;
    Strings names;
    CComPtr<IProfAdmin> admin;
    if (MAPIAdminProfiles(0, &admin) != S_OK)
        return names;
    CComPtr<IMAPITable> table;
    if (admin->GetProfileTable(0, &table) != S_OK)
        return names;
    SizedSPropTagArray(1, cols) = {1, {PR_DISPLAY_NAME_A}};
    LPSRowSet rows = nullptr;
    if (HrQueryAllRows(table, reinterpret_cast<LPSPropTagArray>(&cols), nullptr, nullptr, 0,
                       &rows) == S_OK)
    {
        for (ULONG i = 0; i < rows->cRows; ++i)
            names.push_back(W(rows->aRow[i].lpProps[0].Value.lpszA));
        FreeProws(rows);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void CreateProfile(const char* name)
{
    MapiStarted started;
    CComPtr<IProfAdmin> admin;
    ASSERT_EQ(MAPIAdminProfiles(0, &admin), S_OK);
    std::string n = name;
    ASSERT_EQ(admin->CreateProfile(n.data(), nullptr, 0, 0), S_OK);
}

class ScannerExchange : public testing::Test
{
protected:
    void SetUp() override
    {
        std::setlocale(LC_ALL, "C.UTF-8");
        qmfake::ResetDirectory();
        MapiFaults::Clear();
        g_nStopScan = 0;
        m_allocations = MapiFaults::LiveAllocations();
    }
    void TearDown() override
    {
        automation::SetDialogHandler({});
        g_nStopScan = 0;
        MapiFaults::Clear();
        EXPECT_EQ(MapiFaults::InitCount(), 0);
        EXPECT_EQ(MapiFaults::LiveObjects(), 0) << "a messaging object outlived the scan";
        EXPECT_EQ(MapiFaults::LiveAllocations(), m_allocations) << "a buffer outlived the scan";
    }

    // The directory lists these mailboxes (in this order) and the server holds `store`.
    void Organisation(const Strings& directoryDns, const std::vector<MailboxSpec>& store,
                      const std::string& serverSettings = "")
    {
        for (const auto& dn : directoryDns)
            qmfake::Script().rows.push_back(FakeRow{u"x", dn, std::nullopt});
        std::string path = m_env.Dir() + "/org.sqlite";
        mapitest::WriteMailStore(path, store);
        m_env.Configure("[exchange EXCH01]\nstore = " + path + "\n" + serverSettings);
    }

    // Runs one scan on a worker thread while this thread serves the user interface.
    ScanResult Scan(const std::u16string& user = u"CORP\\Administrator", bool lookAtProfiles = true)
    {
        ScanResult r;
        std::atomic<bool> done{false};
        std::thread worker(
            [&]
            {
                {
                    CMailboxScanner scanner;
                    scanner.SetCredentials(_T("EXCH01"), CString(user.c_str()), _T("Secret1!"));
                    scanner.Run();
                    r.ost = ToStrings(scanner.m_arrOst);
                    r.nonOst = ToStrings(scanner.m_arrNonOst);
                    r.errors = ToStrings(scanner.m_arrErrors);
                    if (lookAtProfiles)
                        r.profilesDuringScan = ProfileNames();
                }
                done = true;
            });
        bool finished = guitest::WaitUntil([&] { return done.load(); }, std::chrono::seconds(60));
        worker.join();
        EXPECT_TRUE(finished);
        return r;
    }

    mapitest::MapiEnvironment m_env;
    MessageBoxLog m_boxes;
    long m_allocations = 0;
};

const std::u16string kAdmin = W(DnOf("Administrator"));

MailboxSpec Folders(const std::string& alias, std::vector<FolderSpec> folders)
{
    MailboxSpec m = Mailbox(alias);
    m.folders = std::move(folders);
    return m;
}

} // namespace

TEST_F(ScannerExchange, SortsEveryKindOfMailboxIntoExactlyOneList)
{
    using Bytes = std::vector<unsigned char>;
    MailboxSpec cannotOpen = Mailbox("locked");
    cannotOpen.openResult = MAPI_E_NO_ACCESS;
    MailboxSpec noRoot = Mailbox("noroot");
    noRoot.rootResult = MAPI_E_NOT_FOUND;
    MailboxSpec noHierarchy = Mailbox("nohier");
    noHierarchy.hierarchyResult = MAPI_E_NO_SUPPORT;
    std::vector<MailboxSpec> store = {
        Mailbox("Administrator", Bytes{1, 2}),
        Mailbox("ost", Bytes{0xAB, 0xCD, 0xEF}),
        Mailbox("plain"),
        Folders("second", {{"Calendar", Bytes{9}}, {"Top of Information Store", Bytes{7}}}),
        Folders("secondplain",
                {{"Calendar", Bytes{9}}, {"Top of Information Store", std::nullopt}}),
        Folders("emptyid", {{"Top of Information Store", Bytes{}}}),
        Folders("manyost", {{"Top of Information Store", Bytes(2000, 0x5A)}}),
        Folders("case", {{"Top of information Store", Bytes{1}}}),
        Folders("space", {{"Top of Information Store ", Bytes{1}}}),
        Folders("nofolders", {}),
        cannotOpen,
        noRoot,
        noHierarchy,
    };
    auto dn = [](const char* alias) { return W(DnOf(alias)); };
    Organisation({dn("ost"), dn("plain"), dn("second"), dn("secondplain"), dn("emptyid"),
                  dn("manyost"), dn("case"), dn("space"), dn("nofolders"), dn("locked"),
                  dn("noroot"), dn("nohier"), u"/o=Corp/cn=Recipients/cn=not-in-the-store",
                  dn("ost")},
                 store);

    ScanResult r = Scan();
    // A PR_OST_OSTID too large for the row still says "has offline stores".
    EXPECT_EQ(r.ost, (Strings{dn("ost"), dn("second"), dn("emptyid"), dn("manyost"), dn("ost")}));
    EXPECT_EQ(r.nonOst, (Strings{dn("plain"), dn("secondplain")}));
    EXPECT_EQ(r.errors, (Strings{dn("case") + u"  -Failed to open folder.",
                                 dn("space") + u"  -Failed to open folder.",
                                 dn("nofolders") + u"  -Failed to open folder.",
                                 dn("locked") + u"  -Login failed.",
                                 dn("noroot") + u"  -Failed to get Root Container",
                                 dn("nohier") + u"  -Failed to get Hierarchy Table",
                                 u"/o=Corp/cn=Recipients/cn=not-in-the-store  -Login failed."}));
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(ScannerExchange, FirstScanCreatesConfiguresAndRemovesItsProfile)
{
    Organisation({W(DnOf("alice"))}, {Mailbox("Administrator"), Mailbox("alice")});
    MapiFaults::Record(true);
    ScanResult r = Scan(u"CORP\\Administrator");
    EXPECT_EQ(r.nonOst, Strings{W(DnOf("alice"))});
    EXPECT_EQ(r.profilesDuringScan, Strings{u"TempAdmin1"});

    // The service got the server and the account, and no section kept the marker.
    auto calls = MapiFaults::Calls();
    auto configure = std::find_if(
        calls.begin(), calls.end(),
        [](const auto& c) { return c.operation == "IMsgServiceAdmin::ConfigureMsgService"; });
    ASSERT_NE(configure, calls.end());
    EXPECT_EQ(MapiFaults::CallCount("IMsgServiceAdmin::CreateMsgService"), 1u);
    EXPECT_EQ(MapiFaults::CallCount("IMAPISession::Logoff"), 1u);

    // Teardown order: logoff, profile deletion, end of the subsystem.
    auto index = [&](const char* op)
    {
        for (size_t i = calls.size(); i-- > 0;)
        {
            if (calls[i].operation == op)
                return i;
        }
        return std::string::npos;
    };
    size_t logoff = index("IMAPISession::Logoff");
    size_t deletion = index("IProfAdmin::DeleteProfile");
    size_t end = index("MAPIUninitialize");
    ASSERT_NE(logoff, std::string::npos);
    ASSERT_NE(deletion, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    EXPECT_LT(logoff, deletion);
    EXPECT_LT(deletion, end);
    EXPECT_EQ(calls[deletion].detail, "TempAdmin1");
    EXPECT_TRUE(ProfileNames().empty());
}

TEST_F(ScannerExchange, ServiceConfigurationReachesTheProfileWithoutTheMarker)
{
    // Look at the profile while the scan holds it: the first message box is raised by a
    // refused logon, after the service step.
    Organisation({W(DnOf("alice"))}, {Mailbox("Administrator"), Mailbox("alice")},
                 "refuse_logon = yes\n");
    struct Seen
    {
        std::string server, account;
        bool marker = false;
        int services = 0;
    } seen;
    automation::SetMessageBoxHandler(
        [&](const automation::MessageBoxRecord&)
        {
            MapiStarted started;
            CComPtr<IProfAdmin> admin;
            if (MAPIAdminProfiles(0, &admin) != S_OK)
                return IDOK;
            char name[] = "TempAdmin1";
            CComPtr<IMsgServiceAdmin> services;
            if (admin->AdminServices(name, nullptr, 0, 0, &services) != S_OK)
                return IDOK;
            CComPtr<IMAPITable> table;
            services->GetMsgServiceTable(0, &table);
            SizedSPropTagArray(1, cols) = {1, {PR_SERVICE_UID}};
            LPSRowSet rows = nullptr;
            if (table && HrQueryAllRows(table, reinterpret_cast<LPSPropTagArray>(&cols), nullptr,
                                        nullptr, 0, &rows) == S_OK)
            {
                seen.services = static_cast<int>(rows->cRows);
                for (ULONG i = 0; i < rows->cRows; ++i)
                {
                    CComPtr<IProfSect> sect;
                    services->OpenProfileSection(
                        reinterpret_cast<LPMAPIUID>(rows->aRow[i].lpProps[0].Value.bin.lpb),
                        nullptr, 0, &sect);
                    if (!sect)
                        continue;
                    SizedSPropTagArray(3, tags) = {
                        3, {PR_PROFILE_UNRESOLVED_SERVER, PR_PROFILE_UNRESOLVED_NAME, PR_BODY_A}};
                    ULONG n = 0;
                    LPSPropValue vals = nullptr;
                    sect->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &n, &vals);
                    if (vals && n == 3)
                    {
                        if (PROP_TYPE(vals[0].ulPropTag) == PT_STRING8)
                            seen.server = vals[0].Value.lpszA;
                        if (PROP_TYPE(vals[1].ulPropTag) == PT_STRING8)
                            seen.account = vals[1].Value.lpszA;
                        seen.marker = PROP_TYPE(vals[2].ulPropTag) == PT_STRING8;
                    }
                    MAPIFreeBuffer(vals);
                }
                FreeProws(rows);
            }
            return IDOK;
        });
    ScanResult r = Scan(u"CORP\\dept\\Administrator");
    automation::SetMessageBoxHandler({});
    EXPECT_EQ(seen.services, 1);
    EXPECT_EQ(seen.server, "EXCH01");
    EXPECT_EQ(seen.account, "dept\\Administrator");
    EXPECT_FALSE(seen.marker);
    EXPECT_TRUE(r.ost.empty() && r.nonOst.empty() && r.errors.empty());
}

TEST_F(ScannerExchange, TakenNameAsksForAnotherUntilOneIsFree)
{
    Organisation({W(DnOf("alice"))}, {Mailbox("Administrator"), Mailbox("alice")});
    CreateProfile("TempAdmin1");
    CreateProfile("Second");
    Strings shown;
    automation::SetDialogHandler(
        [&](HWND dlg, unsigned id)
        {
            if (id != IDD_NEW_PROFILE)
                return;
            HWND edit = automation::FindControl(dlg, IDC_PROFILE_NAME);
            shown.push_back(automation::GetText(edit));
            // The second name is taken too (in other letter case); the third is free.
            automation::SetText(edit, shown.size() == 1 ? u"second" : u"Scan \u00c4/1");
            automation::Click(automation::FindControl(dlg, IDOK));
        });
    ScanResult r = Scan();
    EXPECT_EQ(shown, (Strings{u"TempAdmin1", u"second"}));
    EXPECT_EQ(r.nonOst, Strings{W(DnOf("alice"))});
    EXPECT_EQ(r.profilesDuringScan, (Strings{u"Scan \u00c4/1", u"Second", u"TempAdmin1"}));
    // Only the profile the scan made is gone.
    EXPECT_EQ(ProfileNames(), (Strings{u"Second", u"TempAdmin1"}));
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(ScannerExchange, CancelledNewNameEndsTheScanAndLeavesTheExistingProfile)
{
    Organisation({W(DnOf("alice"))}, {Mailbox("Administrator"), Mailbox("alice")});
    CreateProfile("TempAdmin1");
    automation::SetDialogHandler(
        [](HWND dlg, unsigned id)
        {
            automation::SetText(automation::FindControl(dlg, IDC_PROFILE_NAME), u"Other");
            automation::Click(automation::FindControl(dlg, IDCANCEL));
        });
    ScanResult r = Scan();
    EXPECT_TRUE(r.ost.empty() && r.nonOst.empty() && r.errors.empty());
    EXPECT_EQ(ProfileNames(), Strings{u"TempAdmin1"});
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0],
              (MessageBoxLog::Box{u"Failed to create temporary profile TempAdmin1 for logon.",
                                  MB_ICONERROR}));
}

struct LogonCase
{
    const char* name;
    std::string serverSettings;
    std::function<void()> faults;
    Strings nonOst;
    std::vector<MessageBoxLog::Box> boxes;
};

class ScannerLogon : public ScannerExchange, public testing::WithParamInterface<LogonCase>
{
};

TEST_P(ScannerLogon, EndsOrGoesOnAsTheServerAnswers)
{
    Organisation({W(DnOf("alice"))}, {Mailbox("Administrator"), Mailbox("alice")},
                 GetParam().serverSettings);
    if (GetParam().faults)
        GetParam().faults();
    ScanResult r = Scan();
    EXPECT_EQ(r.nonOst, GetParam().nonOst);
    EXPECT_TRUE(r.ost.empty());
    EXPECT_TRUE(r.errors.empty());
    EXPECT_EQ(m_boxes.Boxes(), GetParam().boxes);
    EXPECT_TRUE(ProfileNames().empty()) << "the scan's profile outlived it";
}

INSTANTIATE_TEST_SUITE_P(
    Server, ScannerLogon,
    testing::Values(
        LogonCase{"LogonRefused",
                  "refuse_logon = yes\n",
                  {},
                  {},
                  {{u"Exchange login failed.", MB_ICONERROR}}},
        // Both the administrator's store and the mailbox open on the second attempt.
        LogonCase{"OnlineFlagUnknown", "mdb_online_unknown = yes\n", {}, {W(DnOf("alice"))}, {}},
        LogonCase{"NoStoresTable",
                  "",
                  [] { MapiFaults::Fail("GetMsgStoresTable", MAPI_E_CALL_FAILED); },
                  {},
                  {{u"Failed to open default message store.", MB_ICONERROR}}},
        LogonCase{"DefaultStoreRefusedTwice",
                  "mdb_online_unknown = yes\n",
                  [] { MapiFaults::Fail("IMAPISession::OpenMsgStore", MAPI_E_CALL_FAILED, 2); },
                  {},
                  {{u"Failed to open default message store.", MB_ICONERROR}}},
        LogonCase{"DefaultStoreFailsOtherwise",
                  "",
                  [] { MapiFaults::Fail("IMAPISession::OpenMsgStore", MAPI_E_NO_ACCESS, 1); },
                  {},
                  {}},
        // The third full read is the store table's (the first two mark and unmark services).
        LogonCase{"NoDefaultStoreRow",
                  "",
                  [] { MapiFaults::Fail("HrQueryAllRows", MAPI_E_NOT_FOUND, 3); },
                  {},
                  {}},
        LogonCase{"ServiceNotAdded",
                  "",
                  [] { MapiFaults::NoObject("IProfAdmin::AdminServices"); },
                  {},
                  {}},
        LogonCase{"NoProfileAdministration",
                  "",
                  [] { MapiFaults::Fail("MAPIAdminProfiles", MAPI_E_CALL_FAILED); },
                  {},
                  {{u"Failed to create temporary profile TempAdmin1 for logon.", MB_ICONERROR}}}),
    [](const auto& i) { return i.param.name; });

TEST_F(ScannerExchange, StopBeforeTheLogonLeavesTheSubsystemUntouched)
{
    Organisation({W(DnOf("alice"))}, {Mailbox("Administrator"), Mailbox("alice")});
    qmfake::Script().onRow = [](size_t) { g_nStopScan = 1; }; // raised during the directory walk
    MapiFaults::Record(true);
    ScanResult r = Scan(u"CORP\\Administrator", false);
    EXPECT_TRUE(r.ost.empty() && r.nonOst.empty() && r.errors.empty());
    EXPECT_EQ(MapiFaults::CallCount("MAPIInitialize"), 0u);
    EXPECT_EQ(MapiFaults::CallCount("MAPIAdminProfiles"), 0u);
    EXPECT_EQ(MapiFaults::CallCount("MAPIUninitialize"), 1u);
}

TEST_F(ScannerExchange, StopBeforeTheFirstProbeProbesNothing)
{
    Organisation({W(DnOf("alice")), W(DnOf("bob"))},
                 {Mailbox("Administrator"), Mailbox("alice"), Mailbox("bob")});
    // Raised while the administrator's store opens, the last step before the probes.
    MapiFaults::OnCall("IMAPISession::OpenMsgStore", [] { g_nStopScan = 1; });
    MapiFaults::Record(true);
    ScanResult r = Scan(u"CORP\\Administrator", false);
    EXPECT_TRUE(r.ost.empty() && r.nonOst.empty() && r.errors.empty());
    EXPECT_EQ(MapiFaults::CallCount("IMAPISession::OpenMsgStore"), 1u);
    EXPECT_EQ(MapiFaults::CallCount("CreateStoreEntryID"), 0u);
    EXPECT_EQ(MapiFaults::CallCount("IProfAdmin::DeleteProfile"), 1u);
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

struct PathCase
{
    const char* name;
    std::string serverSettings;
    std::function<void()> faults;
    Strings nonOst, errors;
    std::vector<MessageBoxLog::Box> boxes;
    Strings profilesAfter;
};

class ScannerFailurePath : public ScannerExchange, public testing::WithParamInterface<PathCase>
{
};

TEST_P(ScannerFailurePath, EndsAsDescribed)
{
    Organisation({W(DnOf("alice"))}, {Mailbox("Administrator"), Mailbox("alice")},
                 GetParam().serverSettings);
    GetParam().faults();
    ScanResult r = Scan(u"CORP\\Administrator", false);
    EXPECT_TRUE(r.ost.empty());
    EXPECT_EQ(r.nonOst, GetParam().nonOst);
    EXPECT_EQ(r.errors, GetParam().errors);
    EXPECT_EQ(m_boxes.Boxes(), GetParam().boxes);
    EXPECT_EQ(ProfileNames(), GetParam().profilesAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ScannerFailurePath,
    testing::Values(
        // Not created and not there: taken as success, then the service step finds no profile.
        PathCase{"ProfileNeitherCreatedNorThere",
                 "",
                 [] { MapiFaults::Fail("IProfAdmin::CreateProfile", MAPI_E_CALL_FAILED); },
                 {},
                 {},
                 {},
                 {}},
        // The new service is not told apart from the old ones: it stays unconfigured, and the
        // logon with it fails.
        PathCase{
            "NewServiceNotFound",
            "",
            [] { MapiFaults::Fail("IMsgServiceAdmin::GetMsgServiceTable", MAPI_E_CALL_FAILED, 2); },
            {},
            {},
            {{u"Exchange login failed.", MB_ICONERROR}},
            {}},
        // A deletion that fails at the teardown is ignored; the profile stays.
        PathCase{"DeletionFails",
                 "",
                 [] { MapiFaults::Fail("IProfAdmin::DeleteProfile", MAPI_E_CALL_FAILED); },
                 {W(DnOf("alice"))},
                 {},
                 {},
                 {u"TempAdmin1"}},
        // The mailbox's second open, without MDB_ONLINE, gives no store.
        PathCase{"MailboxSecondOpenGivesNoStore",
                 "mdb_online_unknown = yes\n",
                 [] { MapiFaults::NoObject("IMAPISession::OpenMsgStore", 4); },
                 {},
                 {W(DnOf("alice")) + u"  -Login failed."},
                 {},
                 {}}),
    [](const auto& i) { return i.param.name; });
