// Profiles, services and profile sections: what the temporary-profile steps of a scan rely
// on, and names that are data, not paths.
#include "tests/platform/mapi/MapiTestEnv.h"

#include "platform/base/CodePage.h"
#include "platform/base/ComPtr.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

using namespace mapitest;
using winplat::mapi::MapiFaults;

namespace
{

constexpr char kMarker[] = "Existing Provider Marker";

class ProfileTest : public MapiTest
{
protected:
    void SetUp() override
    {
        MapiTest::SetUp();
        ASSERT_EQ(MAPIAdminProfiles(0, &m_admin), S_OK);
    }
    void TearDown() override
    {
        m_admin.Release();
        MapiTest::TearDown();
    }

    std::vector<std::string> ProfileNames()
    {
        CComPtr<IMAPITable> table;
        EXPECT_EQ(m_admin->GetProfileTable(0, &table), S_OK);
        SizedSPropTagArray(1, cols) = {1, {PR_DISPLAY_NAME_A}};
        RowsHolder rows;
        EXPECT_EQ(HrQueryAllRows(table, reinterpret_cast<LPSPropTagArray>(&cols), nullptr, nullptr,
                                 0, &rows.rows),
                  S_OK);
        std::vector<std::string> names;
        for (ULONG i = 0; rows.rows && i < rows.rows->cRows; ++i)
        {
            const SPropValue& v = rows.rows->aRow[i].lpProps[0];
            EXPECT_EQ(v.ulPropTag, PR_DISPLAY_NAME_A);
            names.push_back(v.Value.lpszA);
        }
        return names;
    }

    std::vector<MAPIUID> ServiceUids(IMsgServiceAdmin* services)
    {
        CComPtr<IMAPITable> table;
        EXPECT_EQ(services->GetMsgServiceTable(0, &table), S_OK);
        SizedSPropTagArray(1, cols) = {1, {PR_SERVICE_UID}};
        RowsHolder rows;
        EXPECT_EQ(HrQueryAllRows(table, reinterpret_cast<LPSPropTagArray>(&cols), nullptr, nullptr,
                                 0, &rows.rows),
                  S_OK);
        std::vector<MAPIUID> uids;
        for (ULONG i = 0; rows.rows && i < rows.rows->cRows; ++i)
        {
            LPSPropValue v = PpropFindProp(rows.rows->aRow[i].lpProps, rows.rows->aRow[i].cValues,
                                           PR_SERVICE_UID);
            EXPECT_NE(v, nullptr);
            EXPECT_EQ(v->Value.bin.cb, sizeof(MAPIUID));
            MAPIUID uid;
            std::memcpy(uid.ab, v->Value.bin.lpb, sizeof uid.ab);
            uids.push_back(uid);
        }
        return uids;
    }

    // The text value of PR_BODY_A in a service's section, or the error it gave.
    std::string ReadMarker(IMsgServiceAdmin* services, MAPIUID uid)
    {
        CComPtr<IProfSect> section;
        EXPECT_EQ(
            services->OpenProfileSection(&uid, nullptr, MAPI_MODIFY | MAPI_FORCE_ACCESS, &section),
            S_OK);
        SizedSPropTagArray(1, tags) = {1, {PR_BODY_A}};
        ULONG count = 0;
        BufferHolder values;
        HRESULT hr = section->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &count,
                                       reinterpret_cast<LPSPropValue*>(&values.p));
        auto* v = static_cast<LPSPropValue>(values.p);
        EXPECT_EQ(count, 1u);
        if (hr == MAPI_W_ERRORS_RETURNED && v->ulPropTag == PROP_TAG(PT_ERROR, 0x1000))
            return v->Value.err == MAPI_E_NOT_FOUND ? "<not found>" : "<other error>";
        EXPECT_EQ(hr, S_OK);
        return v->ulPropTag == PR_BODY_A ? v->Value.lpszA : "<wrong type>";
    }

    CComPtr<IProfAdmin> m_admin;
};

TEST_F(ProfileTest, CreateRefusesATakenNameWhateverItsCase)
{
    char name[] = "TempAdmin1";
    ASSERT_EQ(m_admin->CreateProfile(name, nullptr, 0, 0), S_OK);
    EXPECT_EQ(m_admin->CreateProfile(name, nullptr, 0, 0), MAPI_E_NO_ACCESS);
    char other[] = "TEMPADMIN1";
    EXPECT_EQ(m_admin->CreateProfile(other, nullptr, 0, 0), MAPI_E_NO_ACCESS);
    EXPECT_EQ(ProfileNames(), std::vector<std::string>{"TempAdmin1"});
}

TEST_F(ProfileTest, DeleteRemovesTheProfileAndItsServices)
{
    char name[] = "TempAdmin1";
    ASSERT_EQ(m_admin->CreateProfile(name, nullptr, 0, 0), S_OK);
    {
        CComPtr<IMsgServiceAdmin> services;
        ASSERT_EQ(m_admin->AdminServices(name, nullptr, 0, 0, &services), S_OK);
        char svc[] = "MSEMS";
        ASSERT_EQ(services->CreateMsgService(svc, svc, 0, 0), S_OK);
    }
    ASSERT_EQ(m_admin->DeleteProfile(name, 0), S_OK);
    EXPECT_TRUE(ProfileNames().empty());
    EXPECT_EQ(m_admin->DeleteProfile(name, 0), MAPI_E_NOT_FOUND);
    // A new profile of the same name starts without the old one's services.
    ASSERT_EQ(m_admin->CreateProfile(name, nullptr, 0, 0), S_OK);
    CComPtr<IMsgServiceAdmin> services;
    ASSERT_EQ(m_admin->AdminServices(name, nullptr, 0, 0, &services), S_OK);
    EXPECT_TRUE(ServiceUids(services).empty());
}

TEST_F(ProfileTest, EmptyProfileTableHasNoRows)
{
    CComPtr<IMAPITable> table;
    ASSERT_EQ(m_admin->GetProfileTable(0, &table), S_OK);
    ULONG count = 99;
    ASSERT_EQ(table->GetRowCount(0, &count), S_OK);
    EXPECT_EQ(count, 0u);
    RowsHolder rows;
    ASSERT_EQ(table->QueryRows(1, 0, &rows.rows), S_OK);
    EXPECT_EQ(rows.rows->cRows, 0u);
}

TEST_F(ProfileTest, ProfileAdministrationNeedsTheSubsystemStarted)
{
    MAPIUninitialize();
    CComPtr<IProfAdmin> admin;
    EXPECT_EQ(MAPIAdminProfiles(0, &admin), MAPI_E_NOT_INITIALIZED);
    EXPECT_FALSE(admin);
    ASSERT_EQ(MAPIInitialize(nullptr), S_OK);
    EXPECT_EQ(MAPIAdminProfiles(1, &admin), MAPI_E_UNKNOWN_FLAGS);
}

TEST_F(ProfileTest, AdminServicesOfAMissingProfileGivesNoObject)
{
    char name[] = "nobody";
    CComPtr<IMsgServiceAdmin> services;
    EXPECT_EQ(m_admin->AdminServices(name, nullptr, 0, 0, &services), MAPI_E_NOT_FOUND);
    EXPECT_FALSE(services);
}

// Names are data: each is stored and found exactly as given, and none reaches the file
// system as a path.
struct NameCase
{
    const char* label;
    std::string name;
};

class ProfileNameTest : public ProfileTest, public ::testing::WithParamInterface<NameCase>
{
};

TEST_P(ProfileNameTest, IsStoredAndFoundAsItIs)
{
    std::string name = GetParam().name;
    ASSERT_EQ(m_admin->CreateProfile(name.data(), nullptr, 0, 0), S_OK);
    EXPECT_EQ(ProfileNames(), std::vector<std::string>{name});
    {
        CComPtr<IMsgServiceAdmin> services;
        ASSERT_EQ(m_admin->AdminServices(name.data(), nullptr, 0, 0, &services), S_OK);
        char svc[] = "MSEMS";
        ASSERT_EQ(services->CreateMsgService(svc, svc, 0, 0), S_OK);
        EXPECT_EQ(ServiceUids(services).size(), 1u);
    }
    // The same name in UTF-16 with MAPI_UNICODE names the same profile.
    std::u16string wide = winplat::AnsiToWide(name, CP_UTF8);
    EXPECT_EQ(
        m_admin->CreateProfile(reinterpret_cast<LPSTR>(wide.data()), nullptr, 0, MAPI_UNICODE),
        MAPI_E_NO_ACCESS);
    // Only the database lives in the data folder, whatever the name looked like.
    std::set<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(m_env->Dir() + "/data"))
        files.insert(e.path().filename().string());
    for (const std::string& f : files)
        EXPECT_EQ(f.rfind("profiles.db", 0), 0u) << f;
    ASSERT_EQ(m_admin->DeleteProfile(name.data(), 0), S_OK);
    EXPECT_TRUE(ProfileNames().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Names, ProfileNameTest,
    ::testing::Values(NameCase{"Empty", ""}, NameCase{"Plain", "TempAdmin1"},
                      NameCase{"Slashes", "a/b\\c/../d"}, NameCase{"Dots", ".."},
                      NameCase{"PathEscape", "../../../etc/passwd"},
                      NameCase{"Spaces", "  Temp Admin  "},
                      NameCase{"Unicode", "Zoë Ångström 美咲 \xF0\x9F\x98\x80"},
                      NameCase{"SqlQuote", "x'); DROP TABLE profile;--"},
                      NameCase{"VeryLong", std::string(20000, 'n') + "end"}),
    [](const ::testing::TestParamInfo<NameCase>& info) { return info.param.label; });

TEST_F(ProfileTest, ServiceOfAnUnknownKindIsRefused)
{
    char name[] = "P";
    ASSERT_EQ(m_admin->CreateProfile(name, nullptr, 0, 0), S_OK);
    CComPtr<IMsgServiceAdmin> services;
    ASSERT_EQ(m_admin->AdminServices(name, nullptr, 0, 0, &services), S_OK);
    char pst[] = "MSPST MS";
    EXPECT_EQ(services->CreateMsgService(pst, pst, 0, 0), MAPI_E_NOT_FOUND);
    EXPECT_TRUE(ServiceUids(services).empty());
}

TEST_F(ProfileTest, ConfigurationReachesTheServiceSection)
{
    CreateExchangeProfile("P", "EXCH01", "alice");
    char name[] = "P";
    CComPtr<IMsgServiceAdmin> services;
    ASSERT_EQ(m_admin->AdminServices(name, nullptr, 0, 0, &services), S_OK);
    std::vector<MAPIUID> uids = ServiceUids(services);
    ASSERT_EQ(uids.size(), 1u);
    CComPtr<IProfSect> section;
    ASSERT_EQ(services->OpenProfileSection(&uids[0], nullptr, 0, &section), S_OK);
    SizedSPropTagArray(2, tags) = {2, {PR_PROFILE_UNRESOLVED_SERVER, PR_PROFILE_UNRESOLVED_NAME}};
    ULONG count = 0;
    BufferHolder values;
    ASSERT_EQ(section->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &count,
                                reinterpret_cast<LPSPropValue*>(&values.p)),
              S_OK);
    auto* v = static_cast<LPSPropValue>(values.p);
    ASSERT_EQ(count, 2u);
    EXPECT_STREQ(v[0].Value.lpszA, "EXCH01");
    EXPECT_STREQ(v[1].Value.lpszA, "alice");
    // A section opened without MAPI_MODIFY is for reading only.
    SPropValue body{};
    body.ulPropTag = PR_BODY_A;
    char text[] = "x";
    body.Value.lpszA = text;
    EXPECT_EQ(section->SetProps(1, &body, nullptr), MAPI_E_NO_ACCESS);
    EXPECT_EQ(section->SaveChanges(0), MAPI_E_NO_ACCESS);
}

TEST_F(ProfileTest, ConfigureOfAServiceNotInTheProfileFails)
{
    char name[] = "P";
    ASSERT_EQ(m_admin->CreateProfile(name, nullptr, 0, 0), S_OK);
    CComPtr<IMsgServiceAdmin> services;
    ASSERT_EQ(m_admin->AdminServices(name, nullptr, 0, 0, &services), S_OK);
    MAPIUID stranger{};
    std::memset(stranger.ab, 0x5A, sizeof stranger.ab);
    EXPECT_EQ(services->ConfigureMsgService(&stranger, 0, 0, 0, nullptr), MAPI_E_NOT_FOUND);
}

// The marker round of the temporary profile: mark the services that exist, add one, find
// the unmarked one, configure it, remove the marks.
TEST_F(ProfileTest, MarkerFindsTheNewServiceAndLeavesNoMark)
{
    char name[] = "P";
    ASSERT_EQ(m_admin->CreateProfile(name, nullptr, 0, 0), S_OK);
    CComPtr<IMsgServiceAdmin> services;
    ASSERT_EQ(m_admin->AdminServices(name, nullptr, 0, 0, &services), S_OK);
    char svc[] = "MSEMS";
    ASSERT_EQ(services->CreateMsgService(svc, svc, 0, 0), S_OK);
    ASSERT_EQ(services->CreateMsgService(svc, svc, 0, 0), S_OK);
    std::vector<MAPIUID> before = ServiceUids(services);
    ASSERT_EQ(before.size(), 2u);

    ULONG problemsSeen = 0;
    auto mark = [&](bool add)
    {
        for (MAPIUID uid : ServiceUids(services))
        {
            CComPtr<IProfSect> section;
            ASSERT_EQ(services->OpenProfileSection(&uid, nullptr, MAPI_MODIFY | MAPI_FORCE_ACCESS,
                                                   &section),
                      S_OK);
            if (add)
            {
                SPropValue v{};
                v.ulPropTag = PR_BODY_A;
                std::string text = kMarker;
                v.Value.lpszA = text.data();
                ASSERT_EQ(section->SetProps(1, &v, nullptr), S_OK);
            }
            else
            {
                SizedSPropTagArray(1, tags) = {1, {PR_BODY_A}};
                LPSPropProblemArray problems = nullptr;
                EXPECT_EQ(section->DeleteProps(reinterpret_cast<LPSPropTagArray>(&tags), &problems),
                          S_OK);
                if (problems != nullptr)
                {
                    EXPECT_EQ(problems->aProblem[0].scode, MAPI_E_NOT_FOUND);
                    problemsSeen += problems->cProblem;
                }
                MAPIFreeBuffer(problems);
            }
            ASSERT_EQ(section->SaveChanges(0), S_OK);
        }
    };
    mark(true);
    ASSERT_EQ(services->CreateMsgService(svc, svc, 0, 0), S_OK);
    std::vector<MAPIUID> after = ServiceUids(services);
    ASSERT_EQ(after.size(), 3u);
    std::vector<MAPIUID> unmarked;
    for (MAPIUID uid : after)
    {
        if (ReadMarker(services, uid) != kMarker)
            unmarked.push_back(uid);
    }
    ASSERT_EQ(unmarked.size(), 1u);
    for (MAPIUID uid : before)
        EXPECT_NE(std::memcmp(uid.ab, unmarked[0].ab, sizeof uid.ab), 0);
    mark(false);
    EXPECT_EQ(problemsSeen, 1u); // only the new service had no mark to delete
    for (MAPIUID uid : after)
        EXPECT_EQ(ReadMarker(services, uid), "<not found>");
}

TEST_F(ProfileTest, SectionChangesAreSeenOnlyAfterSaveChanges)
{
    CreateExchangeProfile("P", "EXCH01", "alice");
    char name[] = "P";
    CComPtr<IMsgServiceAdmin> services;
    ASSERT_EQ(m_admin->AdminServices(name, nullptr, 0, 0, &services), S_OK);
    MAPIUID uid = ServiceUids(services).at(0);
    CComPtr<IProfSect> writer;
    ASSERT_EQ(services->OpenProfileSection(&uid, nullptr, MAPI_MODIFY | MAPI_FORCE_ACCESS, &writer),
              S_OK);
    SPropValue v{};
    v.ulPropTag = PR_BODY_A;
    char text[] = "pending";
    v.Value.lpszA = text;
    ASSERT_EQ(writer->SetProps(1, &v, nullptr), S_OK);
    EXPECT_EQ(ReadMarker(services, uid), "<not found>");
    ASSERT_EQ(writer->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
    EXPECT_EQ(ReadMarker(services, uid), "pending");
}

TEST_F(ProfileTest, SetPropsReportsValuesItCannotKeep)
{
    CreateExchangeProfile("P", "EXCH01", "alice");
    char name[] = "P";
    CComPtr<IMsgServiceAdmin> services;
    ASSERT_EQ(m_admin->AdminServices(name, nullptr, 0, 0, &services), S_OK);
    MAPIUID uid = ServiceUids(services).at(0);
    CComPtr<IProfSect> section;
    ASSERT_EQ(services->OpenProfileSection(&uid, nullptr, MAPI_MODIFY, &section), S_OK);
    SPropValue v[2]{};
    v[0].ulPropTag = PROP_TAG(PT_OBJECT, 0x6700);
    v[1].ulPropTag = PROP_TAG(PT_LONG, 0x6701);
    v[1].Value.l = 42;
    LPSPropProblemArray problems = nullptr;
    ASSERT_EQ(section->SetProps(2, v, &problems), S_OK);
    ASSERT_NE(problems, nullptr);
    EXPECT_EQ(problems->cProblem, 1u);
    EXPECT_EQ(problems->aProblem[0].ulIndex, 0u);
    EXPECT_EQ(problems->aProblem[0].scode, MAPI_E_TYPE_NO_SUPPORT);
    MAPIFreeBuffer(problems);
    ASSERT_EQ(section->SaveChanges(0), S_OK);
    SizedSPropTagArray(1, tags) = {1, {PROP_TAG(PT_LONG, 0x6701)}};
    ULONG count = 0;
    BufferHolder values;
    ASSERT_EQ(section->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &count,
                                reinterpret_cast<LPSPropValue*>(&values.p)),
              S_OK);
    EXPECT_EQ(static_cast<LPSPropValue>(values.p)->Value.l, 42);
}

TEST_F(ProfileTest, SaveChangesAfterTheProfileWasDeletedFails)
{
    CreateExchangeProfile("P", "EXCH01", "alice");
    char name[] = "P";
    CComPtr<IMsgServiceAdmin> services;
    ASSERT_EQ(m_admin->AdminServices(name, nullptr, 0, 0, &services), S_OK);
    MAPIUID uid = ServiceUids(services).at(0);
    CComPtr<IProfSect> section;
    ASSERT_EQ(services->OpenProfileSection(&uid, nullptr, MAPI_MODIFY, &section), S_OK);
    ASSERT_EQ(m_admin->DeleteProfile(name, 0), S_OK);
    SPropValue v{};
    v.ulPropTag = PR_BODY_A;
    char text[] = "late";
    v.Value.lpszA = text;
    ASSERT_EQ(section->SetProps(1, &v, nullptr), S_OK);
    EXPECT_EQ(section->SaveChanges(0), MAPI_E_OBJECT_DELETED);
    // Nothing came back to life under that name.
    EXPECT_TRUE(ProfileNames().empty());
}

TEST_F(ProfileTest, RegFlushKeyWritesTheProfilesToDisk)
{
    char name[] = "Kept";
    ASSERT_EQ(m_admin->CreateProfile(name, nullptr, 0, 0), S_OK);
    EXPECT_EQ(RegFlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(RegFlushKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    // After the flush the database file alone holds the profile: its log is emptied.
    std::error_code ec;
    auto wal = std::filesystem::file_size(m_env->ProfileStorePath() + "-wal", ec);
    EXPECT_TRUE(ec || wal == 0) << wal;
    EXPECT_EQ(RegFlushKey(reinterpret_cast<HKEY>(ULONG_PTR{0x1234})), LONG{ERROR_INVALID_HANDLE});
}

TEST_F(ProfileTest, AnUnusableProfileFolderIsReportedNotCrashedOn)
{
    m_admin.Release();
    m_env->ConfigureRaw("[messaging]\nprofiles = /proc/no-such-place/profiles.db\n");
    CComPtr<IProfAdmin> admin;
    EXPECT_EQ(MAPIAdminProfiles(0, &admin), MAPI_E_DISK_ERROR);
    EXPECT_FALSE(admin);
}

} // namespace

namespace
{

// A profile database that is not one is reported and left exactly as it was.
TEST_F(ProfileTest, AForeignFileWhereTheProfilesLiveIsNeitherUsedNorOverwritten)
{
    m_admin.Release();
    std::string path = m_env->Dir() + "/not-a-database";
    std::string garbage(4096, 'x');
    {
        std::ofstream f(path, std::ios::binary);
        f << garbage;
    }
    m_env->ConfigureRaw("[messaging]\nprofiles = " + path + "\n");
    CComPtr<IProfAdmin> admin;
    EXPECT_EQ(MAPIAdminProfiles(0, &admin), MAPI_E_CORRUPT_DATA);
    EXPECT_FALSE(admin);
    std::ifstream f(path, std::ios::binary);
    std::string now((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(now, garbage);
}

} // namespace
