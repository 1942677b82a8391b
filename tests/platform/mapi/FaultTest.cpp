// The test hooks: a named call made to fail or to give no object at its n-th call, the log
// of calls in order, and the counts of live objects.
#include "tests/platform/mapi/MapiTestEnv.h"

#include "platform/base/ComPtr.h"

using namespace mapitest;
using winplat::mapi::CallRecord;
using winplat::mapi::MapiFaults;
using winplat::mapi::MapiObject;

namespace
{

class FaultTest : public MapiTest
{
protected:
    void SetUp() override
    {
        MapiTest::SetUp();
        ConfigureServer({Mailbox("Administrator"), Mailbox("alice")});
        CreateExchangeProfile("P", "EXCH01", "Administrator");
    }
};

TEST_F(FaultTest, TheNthCallFailsAndTheOthersDoNot)
{
    MapiFaults::Fail("IMAPISession::GetMsgStoresTable", MAPI_E_CALL_FAILED, 2);
    CComPtr<IMAPISession> session;
    ASSERT_EQ(Logon("P", &session), S_OK);
    CComPtr<IMAPITable> table;
    EXPECT_EQ(session->GetMsgStoresTable(0, &table), S_OK);
    EXPECT_EQ(session->GetMsgStoresTable(0, &table), MAPI_E_CALL_FAILED);
    EXPECT_FALSE(table);
    EXPECT_EQ(session->GetMsgStoresTable(0, &table), S_OK);
    EXPECT_TRUE(table);
    EXPECT_EQ(session->Logoff(0, 0, 0), S_OK);
}

TEST_F(FaultTest, NoObjectIsASuccessWithoutAnObject)
{
    MapiFaults::NoObject("MAPILogonEx");
    CComPtr<IMAPISession> session;
    EXPECT_EQ(Logon("P", &session), S_OK);
    EXPECT_FALSE(session);
    EXPECT_EQ(MapiFaults::LiveObjects(MapiObject::Session), 0);
}

TEST_F(FaultTest, ACountOfZeroHitsEveryCallFromTheNthOn)
{
    MapiFaults::Fail("OpenMsgStore", MAPI_E_UNKNOWN_FLAGS, 1, 0);
    CComPtr<IMAPISession> session;
    ASSERT_EQ(Logon("P", &session), S_OK);
    CComPtr<IMsgStore> store;
    BYTE eid[4] = {};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(session->OpenMsgStore(0, sizeof eid, reinterpret_cast<LPENTRYID>(eid), nullptr, 0,
                                        &store),
                  MAPI_E_UNKNOWN_FLAGS);
    MapiFaults::Clear();
    EXPECT_EQ(
        session->OpenMsgStore(0, sizeof eid, reinterpret_cast<LPENTRYID>(eid), nullptr, 0, &store),
        MAPI_E_INVALID_ENTRYID);
}

TEST_F(FaultTest, AQualifiedNameHitsOnlyThatInterface)
{
    MapiFaults::Fail("IMAPIFolder::OpenEntry", MAPI_E_NO_ACCESS, 1, 0);
    CComPtr<IMAPISession> session;
    ASSERT_EQ(Logon("P", &session), S_OK);
    CComPtr<IMAPITable> stores;
    ASSERT_EQ(session->GetMsgStoresTable(0, &stores), S_OK);
    SizedSPropTagArray(2, cols) = {2, {PR_ENTRYID, PR_DEFAULT_STORE}};
    RowsHolder rows;
    ASSERT_EQ(HrQueryAllRows(stores, reinterpret_cast<LPSPropTagArray>(&cols), nullptr, nullptr, 0,
                             &rows.rows),
              S_OK);
    const SBinary& eid = rows.rows->aRow[1].lpProps[0].Value.bin;
    CComPtr<IMsgStore> store;
    ASSERT_EQ(session->OpenMsgStore(0, eid.cb, reinterpret_cast<LPENTRYID>(eid.lpb), nullptr,
                                    MAPI_BEST_ACCESS, &store),
              S_OK);
    // The store's OpenEntry is not the folder's.
    CComPtr<IUnknown> root;
    ULONG type = 0;
    EXPECT_EQ(store->OpenEntry(0, nullptr, nullptr, MAPI_BEST_ACCESS, &type, &root), S_OK);
    EXPECT_EQ(session->Logoff(0, 0, 0), S_OK);
}

TEST_F(FaultTest, QueryInterfaceOfAStoreCanBeDenied)
{
    CComPtr<IMAPISession> session;
    ASSERT_EQ(Logon("P", &session), S_OK);
    CComPtr<IMAPITable> stores;
    ASSERT_EQ(session->GetMsgStoresTable(0, &stores), S_OK);
    SizedSPropTagArray(1, cols) = {1, {PR_ENTRYID}};
    RowsHolder rows;
    ASSERT_EQ(HrQueryAllRows(stores, reinterpret_cast<LPSPropTagArray>(&cols), nullptr, nullptr, 0,
                             &rows.rows),
              S_OK);
    const SBinary& eid = rows.rows->aRow[1].lpProps[0].Value.bin;
    CComPtr<IMsgStore> store;
    ASSERT_EQ(session->OpenMsgStore(0, eid.cb, reinterpret_cast<LPENTRYID>(eid.lpb), nullptr,
                                    MAPI_BEST_ACCESS, &store),
              S_OK);
    // The second question is refused, as a store without the interface would.
    MapiFaults::Fail("IMsgStore::QueryInterface", E_NOINTERFACE, 2);
    CComPtr<IExchangeManageStore> manage;
    EXPECT_EQ(store->QueryInterface(IID_IExchangeManageStore, reinterpret_cast<void**>(&manage)),
              S_OK);
    manage.Release();
    EXPECT_EQ(store->QueryInterface(IID_IExchangeManageStore, reinterpret_cast<void**>(&manage)),
              E_NOINTERFACE);
    EXPECT_FALSE(manage);
    EXPECT_EQ(session->Logoff(0, 0, 0), S_OK);
}

TEST_F(FaultTest, RecordedCallsKeepTheirOrderFlagsAndTargets)
{
    MapiFaults::Record(true);
    {
        CComPtr<IMAPISession> session;
        ASSERT_EQ(Logon("P", &session), S_OK);
        EXPECT_EQ(session->Logoff(0, 0, 0), S_OK);
    }
    CComPtr<IProfAdmin> admin;
    ASSERT_EQ(MAPIAdminProfiles(0, &admin), S_OK);
    char name[] = "P";
    EXPECT_EQ(admin->DeleteProfile(name, 0), S_OK);
    MAPIUninitialize();
    std::vector<CallRecord> calls = MapiFaults::Calls();
    std::vector<std::string> ops;
    for (const CallRecord& c : calls)
        ops.push_back(c.operation);
    EXPECT_EQ(ops,
              (std::vector<std::string>{"MAPILogonEx", "IMAPISession::Logoff", "MAPIAdminProfiles",
                                        "IProfAdmin::DeleteProfile", "MAPIUninitialize"}));
    EXPECT_EQ(calls[0].flags, 0x80000032u);
    EXPECT_EQ(calls[0].detail, "P");
    EXPECT_EQ(calls[3].detail, "P");
    EXPECT_EQ(MapiFaults::CallCount("DeleteProfile"), 1u);
    ASSERT_EQ(MAPIInitialize(nullptr), S_OK);
}

TEST_F(FaultTest, AFaultOnASectionSaveLeavesTheSectionAsItWas)
{
    CComPtr<IProfAdmin> admin;
    ASSERT_EQ(MAPIAdminProfiles(0, &admin), S_OK);
    char name[] = "P";
    CComPtr<IMsgServiceAdmin> services;
    ASSERT_EQ(admin->AdminServices(name, nullptr, 0, 0, &services), S_OK);
    CComPtr<IMAPITable> table;
    ASSERT_EQ(services->GetMsgServiceTable(0, &table), S_OK);
    SizedSPropTagArray(1, cols) = {1, {PR_SERVICE_UID}};
    RowsHolder rows;
    ASSERT_EQ(HrQueryAllRows(table, reinterpret_cast<LPSPropTagArray>(&cols), nullptr, nullptr, 0,
                             &rows.rows),
              S_OK);
    auto* uid = reinterpret_cast<LPMAPIUID>(rows.rows->aRow[0].lpProps[0].Value.bin.lpb);
    CComPtr<IProfSect> section;
    ASSERT_EQ(services->OpenProfileSection(uid, nullptr, MAPI_MODIFY | MAPI_FORCE_ACCESS, &section),
              S_OK);
    SPropValue v{};
    v.ulPropTag = PR_BODY_A;
    char text[] = "marker";
    v.Value.lpszA = text;
    ASSERT_EQ(section->SetProps(1, &v, nullptr), S_OK);
    MapiFaults::Fail("IProfSect::SaveChanges", MAPI_E_DISK_ERROR);
    EXPECT_EQ(section->SaveChanges(0), MAPI_E_DISK_ERROR);
    CComPtr<IProfSect> reader;
    ASSERT_EQ(services->OpenProfileSection(uid, nullptr, 0, &reader), S_OK);
    SizedSPropTagArray(1, tags) = {1, {PR_BODY_A}};
    ULONG count = 0;
    BufferHolder values;
    EXPECT_EQ(reader->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &count,
                               reinterpret_cast<LPSPropValue*>(&values.p)),
              MAPI_W_ERRORS_RETURNED);
    // The pending change is still there for a later save.
    EXPECT_EQ(section->SaveChanges(0), S_OK);
}

} // namespace

namespace
{

TEST_F(FaultTest, PpropFindPropCanBeMadeToFindNothing)
{
    SPropValue props[1]{};
    props[0].ulPropTag = PR_SERVICE_UID;
    MapiFaults::NoObject("PpropFindProp", 2);
    EXPECT_EQ(PpropFindProp(props, 1, PR_SERVICE_UID), &props[0]);
    EXPECT_EQ(PpropFindProp(props, 1, PR_SERVICE_UID), nullptr);
    EXPECT_EQ(PpropFindProp(props, 1, PR_SERVICE_UID), &props[0]);
}

} // namespace
