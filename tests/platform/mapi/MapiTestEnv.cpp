#include "tests/platform/mapi/MapiTestEnv.h"

#include "platform/base/CodePage.h"
#include "platform/base/ComPtr.h"
#include "platform/mapi/MailStoreSchema.h"

#include <sqlite3.h>

#include <clocale>
#include <cstdlib>
#include <fstream>

namespace mapitest
{

namespace
{

void Exec(sqlite3* db, const char* sql)
{
    char* err = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
}

} // namespace

std::string Narrow(const char16_t* s)
{
    return winplat::WideToAnsi(s ? s : u"", CP_UTF8);
}

std::string DnOf(const std::string& alias)
{
    return "/o=Corp/ou=Exchange Administrative Group (FYDIBOHF23SPDLT)/cn=Recipients/cn=" + alias;
}

MailboxSpec Mailbox(const std::string& alias, std::optional<std::vector<unsigned char>> ostId)
{
    MailboxSpec m;
    m.dn = DnOf(alias);
    m.alias = alias;
    m.displayName = alias;
    m.folders = {FolderSpec{"Top of Information Store", std::move(ostId)},
                 FolderSpec{"Finder", std::nullopt}};
    return m;
}

void WriteMailStore(const std::string& path, const std::vector<MailboxSpec>& mailboxes)
{
    std::remove(path.c_str());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    Exec(db, winplat::mapi::kMailStoreSchema);
    Exec(db, winplat::mapi::kMailStoreIndexes);
    Exec(db, "BEGIN");
    sqlite3_stmt* mb = nullptr;
    sqlite3_stmt* fd = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db,
                                 "INSERT INTO mailbox(id, dn, alias, display_name, open_result, "
                                 "root_result, hierarchy_result) VALUES (?,?,?,?,?,?,?)",
                                 -1, &mb, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_prepare_v2(db,
                                 "INSERT INTO root_folder(mailbox, position, display_name, ost_id, "
                                 "instance_key) VALUES (?,?,?,?,?)",
                                 -1, &fd, nullptr),
              SQLITE_OK);
    int id = 0;
    int key = 0;
    for (const MailboxSpec& m : mailboxes)
    {
        ++id;
        sqlite3_reset(mb);
        sqlite3_bind_int(mb, 1, id);
        sqlite3_bind_text(mb, 2, m.dn.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(mb, 3, m.alias.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(mb, 4, m.displayName.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(mb, 5, m.openResult);
        sqlite3_bind_int64(mb, 6, m.rootResult);
        sqlite3_bind_int64(mb, 7, m.hierarchyResult);
        ASSERT_EQ(sqlite3_step(mb), SQLITE_DONE) << sqlite3_errmsg(db);
        for (size_t pos = 0; pos < m.folders.size(); ++pos)
        {
            const FolderSpec& f = m.folders[pos];
            ++key;
            sqlite3_reset(fd);
            sqlite3_bind_int(fd, 1, id);
            sqlite3_bind_int(fd, 2, static_cast<int>(pos));
            sqlite3_bind_text(fd, 3, f.name.c_str(), -1, SQLITE_TRANSIENT);
            if (f.ostId)
                sqlite3_bind_blob(fd, 4, f.ostId->empty() ? "" : (const char*)f.ostId->data(),
                                  static_cast<int>(f.ostId->size()), SQLITE_TRANSIENT);
            else
                sqlite3_bind_null(fd, 4);
            sqlite3_bind_blob(fd, 5, &key, sizeof key, SQLITE_TRANSIENT);
            ASSERT_EQ(sqlite3_step(fd), SQLITE_DONE) << sqlite3_errmsg(db);
        }
    }
    sqlite3_finalize(mb);
    sqlite3_finalize(fd);
    Exec(db, "COMMIT");
    sqlite3_close(db);
}

MapiEnvironment::MapiEnvironment()
{
    if (const char* old = std::getenv("WINPLAT_CONFIG"))
        m_oldConfig = old;
    Configure("");
}

MapiEnvironment::~MapiEnvironment()
{
    if (m_oldConfig)
        ::setenv("WINPLAT_CONFIG", m_oldConfig->c_str(), 1);
    else
        ::unsetenv("WINPLAT_CONFIG");
}

void MapiEnvironment::Configure(const std::string& extra)
{
    ConfigureRaw("[messaging]\nprofiles = " + ProfileStorePath() + "\n\n" + extra + "\n");
}

void MapiEnvironment::ConfigureRaw(const std::string& text)
{
    // A new file each time, so that the configuration is read again whatever the clock says.
    m_configPath = Dir() + "/config-" + std::to_string(++m_generation) + ".ini";
    std::ofstream f(m_configPath);
    f << text;
    f.close();
    ::setenv("WINPLAT_CONFIG", m_configPath.c_str(), 1);
}

void MapiTest::SetUp()
{
    // Text handed to 8-bit calls is UTF-8 here, so that any name can be written.
    std::setlocale(LC_ALL, "C.UTF-8");
    winplat::mapi::MapiFaults::Clear();
    m_allocationsBefore = winplat::mapi::MapiFaults::LiveAllocations();
    m_env = std::make_unique<MapiEnvironment>();
    ASSERT_EQ(MAPIInitialize(nullptr), S_OK);
}

void MapiTest::TearDown()
{
    winplat::mapi::MapiFaults::Clear();
    MAPIUninitialize();
    EXPECT_EQ(winplat::mapi::MapiFaults::InitCount(), 0);
    EXPECT_EQ(winplat::mapi::MapiFaults::LiveObjects(), 0) << "an object of the layer leaked";
    EXPECT_EQ(winplat::mapi::MapiFaults::LiveAllocations(), m_allocationsBefore)
        << "a buffer of the layer leaked";
    m_env.reset();
}

void MapiTest::CreateExchangeProfile(const std::string& profile, const std::string& server,
                                     const std::string& account)
{
    CComPtr<IProfAdmin> admin;
    ASSERT_EQ(MAPIAdminProfiles(0, &admin), S_OK);
    std::string name = profile;
    ASSERT_EQ(admin->CreateProfile(name.data(), nullptr, 0, 0), S_OK);
    CComPtr<IMsgServiceAdmin> services;
    ASSERT_EQ(admin->AdminServices(name.data(), nullptr, 0, 0, &services), S_OK);
    char service[] = "MSEMS";
    ASSERT_EQ(services->CreateMsgService(service, service, 0, 0), S_OK);
    CComPtr<IMAPITable> table;
    ASSERT_EQ(services->GetMsgServiceTable(0, &table), S_OK);
    SizedSPropTagArray(1, cols) = {1, {PR_SERVICE_UID}};
    RowsHolder rows;
    ASSERT_EQ(HrQueryAllRows(table, reinterpret_cast<LPSPropTagArray>(&cols), nullptr, nullptr, 0,
                             &rows.rows),
              S_OK);
    ASSERT_EQ(rows.rows->cRows, 1u);
    LPSPropValue uid = PpropFindProp(rows.rows->aRow[0].lpProps, 1, PR_SERVICE_UID);
    ASSERT_NE(uid, nullptr);
    std::string srv = server;
    std::string acct = account;
    SPropValue values[2]{};
    values[0].ulPropTag = PR_PROFILE_UNRESOLVED_SERVER;
    values[0].Value.lpszA = srv.data();
    values[1].ulPropTag = PR_PROFILE_UNRESOLVED_NAME;
    values[1].Value.lpszA = acct.data();
    ASSERT_EQ(services->ConfigureMsgService(reinterpret_cast<LPMAPIUID>(uid->Value.bin.lpb), 0, 0,
                                            2, values),
              S_OK);
}

void MapiTest::ConfigureServer(const std::vector<MailboxSpec>& mailboxes,
                               const std::string& settings)
{
    std::string store = m_env->Dir() + "/exch01.db";
    WriteMailStore(store, mailboxes);
    m_env->Configure("[exchange EXCH01]\nstore = " + store + "\n" + settings + "\n");
}

HRESULT MapiTest::Logon(const std::string& profile, LPMAPISESSION* session)
{
    std::u16string wide = winplat::AnsiToWide(profile, CP_UTF8);
    return MAPILogonEx(0, wide.data(), nullptr,
                       MAPI_UNICODE | MAPI_EXTENDED | MAPI_EXPLICIT_PROFILE | MAPI_NEW_SESSION,
                       session);
}

} // namespace mapitest
