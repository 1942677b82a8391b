// The Exchange service: logon through the configuration, the default store, mailboxes opened
// by DN with administrative rights, root folders, hierarchy tables and the per-session limits.
#include "tests/platform/mapi/MapiTestEnv.h"

#include "platform/base/ComPtr.h"

#include <filesystem>
#include <fstream>

using namespace mapitest;
using winplat::mapi::MapiFaults;
using winplat::mapi::MapiObject;

namespace
{

constexpr ULONG kProbeOpenFlags =
    MDB_NO_DIALOG | MAPI_BEST_ACCESS | MDB_TEMPORARY | MDB_NO_MAIL | MDB_ONLINE; // 0x1B1
const std::string kServerDn = "/cn=Configuration/cn=Servers/cn=EXCH01/cn=Microsoft Private MDB";

std::vector<unsigned char> Bytes(size_t n, unsigned char fill = 0xA5)
{
    return std::vector<unsigned char>(n, fill);
}

class ExchangeTest : public MapiTest
{
protected:
    // The organisation most tests use: the administrator and a few users.
    void StandardOrg(const std::string& settings = "")
    {
        MailboxSpec bob = Mailbox("bob");
        bob.folders = {FolderSpec{"Finder", std::nullopt},
                       FolderSpec{"Top of Information Store", Bytes(16)}};
        MailboxSpec locked = Mailbox("locked");
        locked.openResult = MAPI_E_LOGON_FAILED;
        MailboxSpec noRoot = Mailbox("noroot");
        noRoot.rootResult = MAPI_E_NO_ACCESS;
        MailboxSpec noTable = Mailbox("notable");
        noTable.hierarchyResult = MAPI_E_CALL_FAILED;
        ConfigureServer({Mailbox("Administrator"), Mailbox("alice", Bytes(16)), bob, locked, noRoot,
                         noTable, Mailbox("big", Bytes(4096))},
                        settings);
        CreateExchangeProfile("TempAdmin1", "EXCH01", "Administrator");
    }

    void LogonAndOpenDefault()
    {
        ASSERT_EQ(Logon("TempAdmin1", &m_session), S_OK);
        CComPtr<IMAPITable> stores;
        ASSERT_EQ(m_session->GetMsgStoresTable(0, &stores), S_OK);
        SizedSPropTagArray(1, cols) = {1, {PR_ENTRYID}};
        SPropValue isDefault{};
        isDefault.ulPropTag = PR_DEFAULT_STORE;
        isDefault.Value.b = TRUE;
        SRestriction res{};
        res.rt = RES_PROPERTY;
        res.res.resProperty.relop = RELOP_EQ;
        res.res.resProperty.ulPropTag = PR_DEFAULT_STORE;
        res.res.resProperty.lpProp = &isDefault;
        RowsHolder rows;
        ASSERT_EQ(HrQueryAllRows(stores, reinterpret_cast<LPSPropTagArray>(&cols), &res, nullptr, 0,
                                 &rows.rows),
                  S_OK);
        ASSERT_EQ(rows.rows->cRows, 1u);
        const SBinary& eid = rows.rows->aRow[0].lpProps[0].Value.bin;
        ASSERT_EQ(m_session->OpenMsgStore(0, eid.cb, reinterpret_cast<LPENTRYID>(eid.lpb), nullptr,
                                          MDB_ONLINE | MAPI_BEST_ACCESS, &m_adminStore),
                  S_OK);
    }

    // Opens a mailbox the way a probe does; the result of the open.
    HRESULT OpenMailbox(const std::string& dn, LPMDB* store, ULONG flags = kProbeOpenFlags,
                        ULONG entryFlags = OPENSTORE_USE_ADMIN_PRIVILEGE | OPENSTORE_TAKE_OWNERSHIP)
    {
        CComPtr<IExchangeManageStore> manage;
        HRESULT hr = m_adminStore->QueryInterface(IID_IExchangeManageStore,
                                                  reinterpret_cast<void**>(&manage));
        if (FAILED(hr))
            return hr;
        std::string server = kServerDn;
        std::string mailbox = dn;
        ULONG cb = 0;
        LPENTRYID eid = nullptr;
        hr = manage->CreateStoreEntryID(server.data(), mailbox.data(), entryFlags, &cb, &eid);
        if (FAILED(hr))
            return hr;
        hr = m_session->OpenMsgStore(0, cb, eid, nullptr, flags, store);
        MAPIFreeBuffer(eid);
        return hr;
    }

    // The first two columns of every hierarchy row of the mailbox, walking one row at a time.
    std::vector<std::pair<std::string, SPropValue>> Walk(IMsgStore* store, ULONG tableFlags)
    {
        std::vector<std::pair<std::string, SPropValue>> out;
        ULONG type = 0;
        CComPtr<IUnknown> unk;
        EXPECT_EQ(store->OpenEntry(0, nullptr, nullptr, MAPI_BEST_ACCESS, &type, &unk), S_OK);
        EXPECT_EQ(type, MAPI_FOLDER);
        CComPtr<IMAPIFolder> folder;
        EXPECT_EQ(unk->QueryInterface(IID_IMAPIFolder, reinterpret_cast<void**>(&folder)), S_OK);
        CComPtr<IMAPITable> table;
        EXPECT_EQ(folder->GetHierarchyTable(tableFlags, &table), S_OK);
        if (!table)
            return out;
        SizedSPropTagArray(5, cols) = {
            5,
            {PR_DISPLAY_NAME_W, PR_OST_OSTID, PR_INSTANCE_KEY, PR_SUBFOLDERS, PR_CONTAINER_FLAGS}};
        EXPECT_EQ(table->SetColumns(reinterpret_cast<LPSPropTagArray>(&cols), TBL_BATCH), S_OK);
        EXPECT_EQ(table->SeekRow(BOOKMARK_BEGINNING, 0, nullptr), S_OK);
        for (;;)
        {
            RowsHolder rows;
            EXPECT_EQ(table->QueryRows(1, 0, &rows.rows), S_OK);
            if (!rows.rows || rows.rows->cRows == 0)
                break;
            const SRow& row = rows.rows->aRow[0];
            EXPECT_EQ(row.cValues, 5u);
            SPropValue second = row.lpProps[1];
            second.Value.x = second.ulPropTag == PR_OST_OSTID
                                 ? static_cast<LONG>(second.Value.bin.cb)
                                 : second.Value.err; // keep what outlives the row
            out.emplace_back(Narrow(row.lpProps[0].Value.lpszW), second);
        }
        return out;
    }

    void TearDown() override
    {
        m_adminStore.Release();
        if (m_session)
        {
            EXPECT_EQ(m_session->Logoff(0, 0, 0), S_OK);
        }
        m_session.Release();
        MapiTest::TearDown();
    }

    CComPtr<IMAPISession> m_session;
    CComPtr<IMsgStore> m_adminStore;
};

TEST_F(ExchangeTest, DefaultStoreIsTheAccountsOwnMailbox)
{
    StandardOrg();
    LogonAndOpenDefault();
    SizedSPropTagArray(1, tags) = {1, {PR_DISPLAY_NAME_A}};
    ULONG count = 0;
    BufferHolder values;
    ASSERT_EQ(m_adminStore->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &count,
                                     reinterpret_cast<LPSPropValue*>(&values.p)),
              S_OK);
    EXPECT_STREQ(static_cast<LPSPropValue>(values.p)->Value.lpszA, "Mailbox - Administrator");
}

TEST_F(ExchangeTest, StoresTableWithoutTheRestrictionAlsoListsPublicFolders)
{
    StandardOrg();
    ASSERT_EQ(Logon("TempAdmin1", &m_session), S_OK);
    CComPtr<IMAPITable> stores;
    ASSERT_EQ(m_session->GetMsgStoresTable(0, &stores), S_OK);
    SizedSPropTagArray(2, cols) = {2, {PR_DISPLAY_NAME_A, PR_DEFAULT_STORE}};
    RowsHolder rows;
    ASSERT_EQ(HrQueryAllRows(stores, reinterpret_cast<LPSPropTagArray>(&cols), nullptr, nullptr, 0,
                             &rows.rows),
              S_OK);
    ASSERT_EQ(rows.rows->cRows, 2u);
    // The first row is not the default store: taking it unrestricted would be wrong.
    EXPECT_STREQ(rows.rows->aRow[0].lpProps[0].Value.lpszA, "Public Folders");
    EXPECT_FALSE(rows.rows->aRow[0].lpProps[1].Value.b);
    EXPECT_TRUE(rows.rows->aRow[1].lpProps[1].Value.b);
}

TEST_F(ExchangeTest, MdbOnlineUnknownIsAnsweredWithUnknownFlags)
{
    StandardOrg("mdb_online_unknown = yes");
    ASSERT_EQ(Logon("TempAdmin1", &m_session), S_OK);
    CComPtr<IMAPITable> stores;
    ASSERT_EQ(m_session->GetMsgStoresTable(0, &stores), S_OK);
    SizedSPropTagArray(2, cols) = {2, {PR_ENTRYID, PR_DEFAULT_STORE}};
    RowsHolder rows;
    ASSERT_EQ(HrQueryAllRows(stores, reinterpret_cast<LPSPropTagArray>(&cols), nullptr, nullptr, 0,
                             &rows.rows),
              S_OK);
    const SBinary& eid = rows.rows->aRow[1].lpProps[0].Value.bin;
    CComPtr<IMsgStore> store;
    EXPECT_EQ(m_session->OpenMsgStore(0, eid.cb, reinterpret_cast<LPENTRYID>(eid.lpb), nullptr,
                                      MDB_ONLINE | MAPI_BEST_ACCESS, &store),
              MAPI_E_UNKNOWN_FLAGS);
    EXPECT_FALSE(store);
    ASSERT_EQ(m_session->OpenMsgStore(0, eid.cb, reinterpret_cast<LPENTRYID>(eid.lpb), nullptr,
                                      MAPI_BEST_ACCESS, &m_adminStore),
              S_OK);
    // A mailbox the same way.
    CComPtr<IMsgStore> mailbox;
    EXPECT_EQ(OpenMailbox(DnOf("alice"), &mailbox), MAPI_E_UNKNOWN_FLAGS);
    EXPECT_EQ(OpenMailbox(DnOf("alice"), &mailbox, kProbeOpenFlags & ~MDB_ONLINE), S_OK);
    EXPECT_TRUE(mailbox);
}

struct LogonCase
{
    const char* label;
    std::string settings; // lines of the server's section
    std::string account;  // configured in the profile
    std::string server;   // configured in the profile
    HRESULT expected;
};

class LogonTest : public ExchangeTest, public ::testing::WithParamInterface<LogonCase>
{
};

TEST_P(LogonTest, GivesTheResultOfTheServer)
{
    const LogonCase& c = GetParam();
    MailboxSpec twin = Mailbox("DUP");
    twin.dn = DnOf("dup-twin");
    ConfigureServer({Mailbox("Administrator"), Mailbox("admin2"), Mailbox("dup"), twin},
                    c.settings);
    CreateExchangeProfile("P", c.server, c.account);
    CComPtr<IMAPISession> session;
    EXPECT_EQ(Logon("P", &session), c.expected);
    EXPECT_EQ(static_cast<bool>(session), SUCCEEDED(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Servers, LogonTest,
    ::testing::Values(
        LogonCase{"Accepted", "", "Administrator", "EXCH01", S_OK},
        LogonCase{"ServerNameCaseIgnored", "", "administrator", "exch01", S_OK},
        LogonCase{"AccountByDn", "", DnOf("admin2"), "EXCH01", S_OK},
        LogonCase{"Refused", "refuse_logon = yes", "Administrator", "EXCH01", MAPI_E_LOGON_FAILED},
        LogonCase{"RefusedWithResult", "refuse_logon = 0x80040115", "Administrator", "EXCH01",
                  MAPI_E_NETWORK_ERROR},
        LogonCase{"UnknownServer", "", "Administrator", "EXCH99", MAPI_E_NETWORK_ERROR},
        LogonCase{"UnknownAccount", "", "mallory", "EXCH01", MAPI_E_LOGON_FAILED},
        LogonCase{"AmbiguousAccount", "", "dup", "EXCH01", MAPI_E_AMBIGUOUS_RECIP}),
    [](const ::testing::TestParamInfo<LogonCase>& info) { return info.param.label; });

TEST_F(ExchangeTest, LogonNeedsAnExistingProfileAndAStartedSubsystem)
{
    StandardOrg();
    CComPtr<IMAPISession> session;
    EXPECT_EQ(Logon("NoSuchProfile", &session), MAPI_E_LOGON_FAILED);
    MAPIUninitialize();
    EXPECT_EQ(Logon("TempAdmin1", &session), MAPI_E_NOT_INITIALIZED);
    EXPECT_FALSE(session);
    ASSERT_EQ(MAPIInitialize(nullptr), S_OK);
}

TEST_F(ExchangeTest, AProfileWithoutServicesHasNoDefaultStore)
{
    ConfigureServer({Mailbox("Administrator")});
    CComPtr<IProfAdmin> admin;
    ASSERT_EQ(MAPIAdminProfiles(0, &admin), S_OK);
    char name[] = "Empty";
    ASSERT_EQ(admin->CreateProfile(name, nullptr, 0, 0), S_OK);
    ASSERT_EQ(Logon("Empty", &m_session), S_OK);
    CComPtr<IMAPITable> stores;
    ASSERT_EQ(m_session->GetMsgStoresTable(0, &stores), S_OK);
    ULONG count = 9;
    ASSERT_EQ(stores->GetRowCount(0, &count), S_OK);
    EXPECT_EQ(count, 0u);
}

TEST_F(ExchangeTest, MailboxesOpenByDnWithAdministrativeRights)
{
    StandardOrg();
    LogonAndOpenDefault();
    CComPtr<IMsgStore> alice;
    ASSERT_EQ(OpenMailbox(DnOf("alice"), &alice), S_OK);
    // The DN is compared as Exchange does, without regard to letter case.
    CComPtr<IMsgStore> upper;
    EXPECT_EQ(OpenMailbox(DnOf("ALICE"), &upper), S_OK);
    // Without the administrative flag only the account's own mailbox opens.
    CComPtr<IMsgStore> plain;
    EXPECT_EQ(OpenMailbox(DnOf("alice"), &plain, kProbeOpenFlags, 0), MAPI_E_NO_ACCESS);
    EXPECT_EQ(OpenMailbox(DnOf("Administrator"), &plain, kProbeOpenFlags, 0), S_OK);
}

// A store and its root folder are read-only: the property methods they lack fail as
// unsupported and leave no object or array behind.
TEST_F(ExchangeTest, StoresAndFoldersRefuseChangesAndPropertyObjects)
{
    StandardOrg();
    LogonAndOpenDefault();
    CComPtr<IMsgStore> alice;
    ASSERT_EQ(OpenMailbox(DnOf("alice"), &alice), S_OK);
    ULONG type = 0;
    CComPtr<IUnknown> unk;
    ASSERT_EQ(alice->OpenEntry(0, nullptr, nullptr, MAPI_BEST_ACCESS, &type, &unk), S_OK);
    CComPtr<IMAPIFolder> root;
    ASSERT_EQ(unk->QueryInterface(IID_IMAPIFolder, reinterpret_cast<void**>(&root)), S_OK);
    for (IMAPIProp* prop :
         {static_cast<IMAPIProp*>(alice.Get()), static_cast<IMAPIProp*>(root.Get())})
    {
        auto* junkProblems = reinterpret_cast<LPSPropProblemArray>(1);
        LPSPropProblemArray problems = junkProblems;
        EXPECT_EQ(prop->SetProps(0, nullptr, &problems), MAPI_E_NO_SUPPORT);
        EXPECT_EQ(problems, nullptr);
        problems = junkProblems;
        EXPECT_EQ(prop->DeleteProps(nullptr, &problems), MAPI_E_NO_SUPPORT);
        EXPECT_EQ(problems, nullptr);
        problems = junkProblems;
        EXPECT_EQ(prop->CopyTo(0, nullptr, nullptr, 0, nullptr, nullptr, nullptr, 0, &problems),
                  MAPI_E_NO_SUPPORT);
        EXPECT_EQ(problems, nullptr);
        LPUNKNOWN obj = reinterpret_cast<LPUNKNOWN>(1);
        EXPECT_EQ(prop->OpenProperty(0, nullptr, 0, 0, &obj), MAPI_E_NO_SUPPORT);
        EXPECT_EQ(obj, nullptr);
        ULONG count = 7;
        LPMAPINAMEID* names = reinterpret_cast<LPMAPINAMEID*>(1);
        EXPECT_EQ(prop->GetNamesFromIDs(nullptr, nullptr, 0, &count, &names), MAPI_E_NO_SUPPORT);
        EXPECT_EQ(count, 0u);
        EXPECT_EQ(names, nullptr);
    }
}

struct OpenCase
{
    const char* label;
    std::string alias;
    HRESULT open;      // of OpenMsgStore
    HRESULT root;      // of OpenEntry of the root folder
    HRESULT hierarchy; // of GetHierarchyTable
};

class MailboxOpenTest : public ExchangeTest, public ::testing::WithParamInterface<OpenCase>
{
};

TEST_P(MailboxOpenTest, EachStepGivesTheMailboxsResult)
{
    const OpenCase& c = GetParam();
    StandardOrg();
    LogonAndOpenDefault();
    CComPtr<IMsgStore> store;
    ASSERT_EQ(OpenMailbox(DnOf(c.alias), &store), c.open);
    EXPECT_EQ(static_cast<bool>(store), SUCCEEDED(c.open));
    if (!store)
        return;
    ULONG type = 0;
    CComPtr<IUnknown> unk;
    ASSERT_EQ(store->OpenEntry(0, nullptr, nullptr, MAPI_BEST_ACCESS, &type, &unk), c.root);
    EXPECT_EQ(static_cast<bool>(unk), SUCCEEDED(c.root));
    if (!unk)
        return;
    CComPtr<IMAPIFolder> folder;
    ASSERT_EQ(unk->QueryInterface(IID_IMAPIFolder, reinterpret_cast<void**>(&folder)), S_OK);
    CComPtr<IMAPITable> table;
    EXPECT_EQ(folder->GetHierarchyTable(MAPI_UNICODE, &table), c.hierarchy);
    EXPECT_EQ(static_cast<bool>(table), SUCCEEDED(c.hierarchy));
}

INSTANTIATE_TEST_SUITE_P(
    Mailboxes, MailboxOpenTest,
    ::testing::Values(OpenCase{"Healthy", "alice", S_OK, S_OK, S_OK},
                      OpenCase{"NoSuchMailbox", "nobody", MAPI_E_NOT_FOUND, S_OK, S_OK},
                      OpenCase{"CannotOpen", "locked", MAPI_E_LOGON_FAILED, S_OK, S_OK},
                      OpenCase{"NoRootFolder", "noroot", S_OK, MAPI_E_NO_ACCESS, S_OK},
                      OpenCase{"NoHierarchyTable", "notable", S_OK, S_OK, MAPI_E_CALL_FAILED}),
    [](const ::testing::TestParamInfo<OpenCase>& info) { return info.param.label; });

TEST_F(ExchangeTest, HierarchyRowsComeInTableOrderWithOstIdOrAnError)
{
    StandardOrg();
    LogonAndOpenDefault();
    CComPtr<IMsgStore> bob;
    ASSERT_EQ(OpenMailbox(DnOf("bob"), &bob), S_OK);
    auto rows = Walk(bob, MAPI_UNICODE);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].first, "Finder");
    EXPECT_EQ(rows[0].second.ulPropTag, PROP_TAG(PT_ERROR, 0x7C04));
    EXPECT_EQ(rows[0].second.Value.err, MAPI_E_NOT_FOUND);
    EXPECT_EQ(rows[1].first, "Top of Information Store");
    EXPECT_EQ(rows[1].second.ulPropTag, PR_OST_OSTID);
    EXPECT_EQ(rows[1].second.Value.x, 16);
}

// The largest binary a table row holds, and one byte more.
struct LimitCase
{
    const char* label;
    std::string settings;
    size_t ostIdBytes;
    bool fits;
};

class RowLimitTest : public ExchangeTest, public ::testing::WithParamInterface<LimitCase>
{
};

TEST_P(RowLimitTest, TooLargeBinaryIsAnErrorValueUnderItsIdentifier)
{
    const LimitCase& c = GetParam();
    ConfigureServer({Mailbox("Administrator"), Mailbox("many", Bytes(c.ostIdBytes))}, c.settings);
    CreateExchangeProfile("TempAdmin1", "EXCH01", "Administrator");
    LogonAndOpenDefault();
    CComPtr<IMsgStore> store;
    ASSERT_EQ(OpenMailbox(DnOf("many"), &store), S_OK);
    auto rows = Walk(store, MAPI_UNICODE);
    ASSERT_FALSE(rows.empty());
    if (c.fits)
    {
        EXPECT_EQ(rows[0].second.ulPropTag, PR_OST_OSTID);
        EXPECT_EQ(static_cast<size_t>(rows[0].second.Value.x), c.ostIdBytes);
    }
    else
    {
        EXPECT_EQ(rows[0].second.ulPropTag, 0x7C04000Au);
        EXPECT_EQ(rows[0].second.Value.err, MAPI_E_NOT_ENOUGH_MEMORY);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, RowLimitTest,
    ::testing::Values(LimitCase{"DefaultLimitHolds", "", 510, true},
                      LimitCase{"DefaultLimitExceeded", "", 511, false},
                      LimitCase{"Empty", "", 0, true},
                      LimitCase{"ConfiguredLimitHolds", "max_row_binary = 32", 32, true},
                      LimitCase{"ConfiguredLimitExceeded", "max_row_binary = 32", 33, false},
                      LimitCase{"NoLimit", "max_row_binary = 0", 100000, true}),
    [](const ::testing::TestParamInfo<LimitCase>& info) { return info.param.label; });

TEST_F(ExchangeTest, HierarchyTableTextFollowsTheUnicodeFlag)
{
    MailboxSpec m = Mailbox("zoe");
    m.folders = {FolderSpec{"Boîte de réception", std::nullopt},
                 FolderSpec{"Top of Information Store", std::nullopt}};
    ConfigureServer({Mailbox("Administrator"), m});
    CreateExchangeProfile("TempAdmin1", "EXCH01", "Administrator");
    LogonAndOpenDefault();
    CComPtr<IMsgStore> store;
    ASSERT_EQ(OpenMailbox(DnOf("zoe"), &store), S_OK);
    CComPtr<IUnknown> unk;
    ULONG type = 0;
    ASSERT_EQ(store->OpenEntry(0, nullptr, nullptr, MAPI_BEST_ACCESS, &type, &unk), S_OK);
    CComPtr<IMAPIFolder> folder;
    ASSERT_EQ(unk->QueryInterface(IID_IMAPIFolder, reinterpret_cast<void**>(&folder)), S_OK);
    for (ULONG flags : {ULONG{0}, MAPI_UNICODE})
    {
        CComPtr<IMAPITable> table;
        ASSERT_EQ(folder->GetHierarchyTable(flags, &table), S_OK);
        RowsHolder rows;
        ASSERT_EQ(table->QueryRows(1, 0, &rows.rows), S_OK);
        ASSERT_EQ(rows.rows->cRows, 1u);
        const SPropValue& name = rows.rows->aRow[0].lpProps[0];
        if (flags & MAPI_UNICODE)
        {
            ASSERT_EQ(name.ulPropTag, PR_DISPLAY_NAME_W);
            EXPECT_EQ(Narrow(name.Value.lpszW), "Boîte de réception");
        }
        else
        {
            ASSERT_EQ(name.ulPropTag, PR_DISPLAY_NAME_A);
            EXPECT_STREQ(name.Value.lpszA, "Boîte de réception");
        }
    }
}

TEST_F(ExchangeTest, SessionRefusesMoreThan255OpenStores)
{
    std::vector<MailboxSpec> boxes{Mailbox("Administrator")};
    for (int i = 0; i < 260; ++i)
        boxes.push_back(Mailbox("user" + std::to_string(i)));
    ConfigureServer(boxes);
    CreateExchangeProfile("TempAdmin1", "EXCH01", "Administrator");
    LogonAndOpenDefault();
    std::vector<CComPtr<IMsgStore>> open;
    for (int i = 0; i < 254; ++i) // with the default store, 255
    {
        CComPtr<IMsgStore> s;
        ASSERT_EQ(OpenMailbox(DnOf("user" + std::to_string(i)), &s), S_OK) << i;
        open.push_back(s);
    }
    CComPtr<IMsgStore> refused;
    EXPECT_EQ(OpenMailbox(DnOf("user254"), &refused), MAPI_E_SESSION_LIMIT);
    EXPECT_FALSE(refused);
    // StoreLogoff alone frees nothing: only the release does.
    ULONG flags = LOGOFF_NO_WAIT;
    ASSERT_EQ(open.back()->StoreLogoff(&flags), S_OK);
    EXPECT_EQ(OpenMailbox(DnOf("user254"), &refused), MAPI_E_SESSION_LIMIT);
    // A root folder still held keeps its store open after the store itself is released.
    CComPtr<IUnknown> root;
    ULONG type = 0;
    ASSERT_EQ(open.front()->OpenEntry(0, nullptr, nullptr, MAPI_BEST_ACCESS, &type, &root), S_OK);
    open.front().Release();
    EXPECT_EQ(OpenMailbox(DnOf("user254"), &refused), MAPI_E_SESSION_LIMIT);
    root.Release();
    EXPECT_EQ(OpenMailbox(DnOf("user254"), &refused), S_OK);
}

TEST_F(ExchangeTest, ConfiguredStoreLimitApplies)
{
    ConfigureServer({Mailbox("Administrator"), Mailbox("a"), Mailbox("b")}, "max_open_stores = 2");
    CreateExchangeProfile("TempAdmin1", "EXCH01", "Administrator");
    LogonAndOpenDefault();
    CComPtr<IMsgStore> a;
    CComPtr<IMsgStore> b;
    ASSERT_EQ(OpenMailbox(DnOf("a"), &a), S_OK);
    EXPECT_EQ(OpenMailbox(DnOf("b"), &b), MAPI_E_SESSION_LIMIT);
}

TEST_F(ExchangeTest, AfterLogoffTheSessionsObjectsRefuseWork)
{
    StandardOrg();
    LogonAndOpenDefault();
    CComPtr<IMsgStore> alice;
    ASSERT_EQ(OpenMailbox(DnOf("alice"), &alice), S_OK);
    ASSERT_EQ(m_session->Logoff(0, 0, 0), S_OK);
    CComPtr<IUnknown> root;
    ULONG type = 0;
    EXPECT_EQ(alice->OpenEntry(0, nullptr, nullptr, MAPI_BEST_ACCESS, &type, &root),
              MAPI_E_END_OF_SESSION);
    CComPtr<IMAPITable> stores;
    EXPECT_EQ(m_session->GetMsgStoresTable(0, &stores), MAPI_E_END_OF_SESSION);
    // Releasing them still works and frees everything (checked at the end of the test).
}

TEST_F(ExchangeTest, EntryIdsAreCheckedWhenTheStoreOpens)
{
    StandardOrg();
    LogonAndOpenDefault();
    CComPtr<IExchangeManageStore> manage;
    ASSERT_EQ(
        m_adminStore->QueryInterface(IID_IExchangeManageStore, reinterpret_cast<void**>(&manage)),
        S_OK);
    std::string server = kServerDn;
    ULONG cb = 0;
    LPENTRYID eid = nullptr;
    // No mailbox DN: only a public-folder entry ID may lack it.
    EXPECT_EQ(manage->CreateStoreEntryID(server.data(), nullptr, 0x9, &cb, &eid),
              MAPI_E_INVALID_PARAMETER);
    char empty[] = "";
    ASSERT_EQ(manage->CreateStoreEntryID(server.data(), empty, 0xB, &cb, &eid), S_OK);
    CComPtr<IMsgStore> pub;
    EXPECT_EQ(m_session->OpenMsgStore(0, cb, eid, nullptr, kProbeOpenFlags, &pub), S_OK);
    MAPIFreeBuffer(eid);
    // Another server's DN, and bytes that are no entry ID at all.
    std::string other = "/cn=Configuration/cn=Servers/cn=EXCH99/cn=Microsoft Private MDB";
    std::string dn = DnOf("alice");
    ASSERT_EQ(manage->CreateStoreEntryID(other.data(), dn.data(), 0x9, &cb, &eid), S_OK);
    CComPtr<IMsgStore> s;
    EXPECT_EQ(m_session->OpenMsgStore(0, cb, eid, nullptr, kProbeOpenFlags, &s),
              MAPI_E_NETWORK_ERROR);
    MAPIFreeBuffer(eid);
    BYTE junk[40] = {};
    EXPECT_EQ(m_session->OpenMsgStore(0, sizeof junk, reinterpret_cast<LPENTRYID>(junk), nullptr,
                                      kProbeOpenFlags, &s),
              MAPI_E_INVALID_ENTRYID);
    EXPECT_FALSE(s);
}

TEST_F(ExchangeTest, ObjectsAreCountedWhileAlive)
{
    StandardOrg();
    LogonAndOpenDefault();
    EXPECT_EQ(MapiFaults::LiveObjects(MapiObject::Session), 1);
    EXPECT_EQ(MapiFaults::LiveObjects(MapiObject::MsgStore), 1);
    {
        CComPtr<IMsgStore> alice;
        ASSERT_EQ(OpenMailbox(DnOf("alice"), &alice), S_OK);
        EXPECT_EQ(MapiFaults::LiveObjects(MapiObject::MsgStore), 2);
        auto rows = Walk(alice, MAPI_UNICODE);
        EXPECT_EQ(rows.size(), 2u);
    }
    EXPECT_EQ(MapiFaults::LiveObjects(MapiObject::MsgStore), 1);
    EXPECT_EQ(MapiFaults::LiveObjects(MapiObject::Folder), 0);
    EXPECT_EQ(MapiFaults::LiveObjects(MapiObject::Table), 0);
}

} // namespace

namespace
{

TEST_F(ExchangeTest, AMailStoreThatIsNoDatabaseRefusesTheLogon)
{
    std::string store = m_env->Dir() + "/broken.db";
    {
        std::ofstream f(store, std::ios::binary);
        f << std::string(2048, '\x7f');
    }
    m_env->Configure("[exchange EXCH01]\nstore = " + store + "\n");
    CreateExchangeProfile("TempAdmin1", "EXCH01", "Administrator");
    CComPtr<IMAPISession> session;
    EXPECT_EQ(Logon("TempAdmin1", &session), MAPI_E_NETWORK_ERROR);
    EXPECT_FALSE(session);
    m_env->Configure("[exchange EXCH01]\nstore = " + m_env->Dir() + "/missing.db\n");
    EXPECT_EQ(Logon("TempAdmin1", &session), MAPI_E_NETWORK_ERROR);
    // The missing file was not created by looking for it.
    EXPECT_FALSE(std::filesystem::exists(m_env->Dir() + "/missing.db"));
}

} // namespace
