#include "platform/mapi/ProfileStore.h"

#include "platform/mapi/MessagingConfig.h"
#include "platform/mapi/NotSupported.h"
#include "platform/mapi/SqliteStatement.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <sys/stat.h>

namespace winplat::mapi
{

namespace
{

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS profile (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name BLOB NOT NULL
);
CREATE TABLE IF NOT EXISTS service (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  profile INTEGER NOT NULL REFERENCES profile(id) ON DELETE CASCADE,
  uid BLOB NOT NULL,
  name TEXT NOT NULL,
  display_name BLOB NOT NULL
);
CREATE INDEX IF NOT EXISTS service_profile ON service(profile);
CREATE TABLE IF NOT EXISTS section_prop (
  profile INTEGER NOT NULL REFERENCES profile(id) ON DELETE CASCADE,
  section BLOB NOT NULL,
  prop_id INTEGER NOT NULL,
  prop_type INTEGER NOT NULL,
  value BLOB NOT NULL,
  PRIMARY KEY (profile, section, prop_id)
) WITHOUT ROWID;
)";

// Names are kept as their UTF-16 code units, so that every name comes back as it went in.
std::vector<unsigned char> NameBytes(const std::u16string& s)
{
    std::vector<unsigned char> b;
    b.reserve(s.size() * 2);
    for (char16_t c : s)
    {
        b.push_back(static_cast<unsigned char>(c & 0xFF));
        b.push_back(static_cast<unsigned char>(c >> 8));
    }
    return b;
}

std::u16string NameFrom(const std::vector<unsigned char>& b)
{
    std::u16string s(b.size() / 2, u'\0');
    for (size_t k = 0; k < s.size(); ++k)
        s[k] = static_cast<char16_t>(b[2 * k] | (b[2 * k + 1] << 8));
    return s;
}

MAPIUID NewUid()
{
    static std::mutex mutex;
    static std::random_device device;
    static std::mt19937_64 engine(
        (static_cast<std::uint64_t>(device()) << 32) ^ device() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::lock_guard lock(mutex);
    MAPIUID uid;
    for (int k = 0; k < 2; ++k)
    {
        std::uint64_t r = engine();
        std::memcpy(uid.ab + 8 * k, &r, 8);
    }
    return uid;
}

bool MakeParentDirectory(const std::string& path)
{
    std::filesystem::path dir = std::filesystem::path(path).parent_path();
    if (dir.empty())
        return true;
    std::error_code ec;
    if (std::filesystem::is_directory(dir, ec))
        return true;
    std::filesystem::create_directories(dir, ec);
    if (ec)
        return false;
    // The user's profiles are nobody else's business.
    ::chmod(dir.c_str(), 0700);
    return true;
}

template <typename F> HRESULT Guarded(F&& f) noexcept
{
    try
    {
        return f();
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
    catch (...)
    {
        return MAPI_E_CALL_FAILED;
    }
}

} // namespace

// BEGIN IMMEDIATE takes the write lock at once, so that a check and the change that follows
// it see the same database even with another program writing.
class ProfileStore::Transaction
{
public:
    explicit Transaction(SqliteDb& db) : m_db(db) {}
    ~Transaction()
    {
        if (m_open)
            (void)m_db.Exec("ROLLBACK");
    }
    [[nodiscard]] HRESULT Begin(bool write) noexcept
    {
        HRESULT hr = m_db.Exec(write ? "BEGIN IMMEDIATE" : "BEGIN");
        m_open = SUCCEEDED(hr);
        return hr;
    }
    [[nodiscard]] HRESULT Commit() noexcept
    {
        HRESULT hr = m_db.Exec("COMMIT");
        if (SUCCEEDED(hr))
            m_open = false;
        return hr;
    }

private:
    SqliteDb& m_db;
    bool m_open = false;
};

HRESULT ProfileStore::Open(std::shared_ptr<ProfileStore>* out) noexcept
{
    return Guarded(
        [&]() -> HRESULT
        {
            out->reset();
            std::string path = MessagingConfig::ProfileStorePath();
            if (!MakeParentDirectory(path))
            {
                LogProblem("%s: cannot create the folder of the profile database", path.c_str());
                return MAPI_E_DISK_ERROR;
            }
            auto store = std::make_shared<ProfileStore>();
            if (HRESULT hr = store->m_db.Open(path, SqliteDb::Mode::ReadWriteCreate); FAILED(hr))
                return hr;
            ::chmod(path.c_str(), 0600);
            if (HRESULT hr = store->Init(); FAILED(hr))
                return hr;
            *out = std::move(store);
            return S_OK;
        });
}

HRESULT ProfileStore::Init() noexcept
{
    // WAL lets readers go on while another program writes. Committed changes survive the end
    // of the process at once; Flush makes them safe from a power loss too.
    (void)m_db.Exec("PRAGMA journal_mode=WAL");
    if (HRESULT hr = m_db.Exec("PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON"); FAILED(hr))
        return hr;
    Transaction tx(m_db);
    if (HRESULT hr = tx.Begin(true); FAILED(hr))
        return hr;
    if (HRESULT hr = m_db.Exec(kSchema); FAILED(hr))
        return hr;
    return tx.Commit();
}

HRESULT ProfileStore::FindLocked(const std::u16string& name, std::int64_t* id) noexcept
{
    return Guarded(
        [&]() -> HRESULT
        {
            SqliteStatement st;
            if (int rc = st.Prepare(m_db.Handle(), "SELECT id, name FROM profile ORDER BY id");
                rc != SQLITE_OK)
                return m_db.Fail(rc, "prepare");
            int rc;
            while ((rc = st.Step()) == SQLITE_ROW)
            {
                if (CompareNoCase(NameFrom(st.Blob(1)), name) == 0)
                {
                    *id = st.Int(0);
                    return S_OK;
                }
            }
            return rc == SQLITE_DONE ? MAPI_E_NOT_FOUND : m_db.Fail(rc, "read profiles");
        });
}

HRESULT ProfileStore::CreateProfile(const std::u16string& name) noexcept
{
    std::lock_guard lock(m_mutex);
    return Guarded(
        [&]() -> HRESULT
        {
            Transaction tx(m_db);
            if (HRESULT hr = tx.Begin(true); FAILED(hr))
                return hr;
            std::int64_t id = 0;
            HRESULT hr = FindLocked(name, &id);
            if (SUCCEEDED(hr))
                return MAPI_E_NO_ACCESS;
            if (hr != MAPI_E_NOT_FOUND)
                return hr;
            SqliteStatement st;
            if (int rc = st.Prepare(m_db.Handle(), "INSERT INTO profile(name) VALUES (?1)");
                rc != SQLITE_OK)
                return m_db.Fail(rc, "prepare");
            std::vector<unsigned char> bytes = NameBytes(name);
            st.BindBlob(1, bytes.data(), bytes.size());
            if (int rc = st.Step(); rc != SQLITE_DONE)
                return m_db.Fail(rc, "create profile");
            return tx.Commit();
        });
}

HRESULT ProfileStore::DeleteProfile(const std::u16string& name) noexcept
{
    std::lock_guard lock(m_mutex);
    return Guarded(
        [&]() -> HRESULT
        {
            Transaction tx(m_db);
            if (HRESULT hr = tx.Begin(true); FAILED(hr))
                return hr;
            std::int64_t id = 0;
            if (HRESULT hr = FindLocked(name, &id); FAILED(hr))
                return hr;
            SqliteStatement st;
            if (int rc = st.Prepare(m_db.Handle(), "DELETE FROM profile WHERE id = ?1");
                rc != SQLITE_OK)
                return m_db.Fail(rc, "prepare");
            st.BindInt(1, id);
            if (int rc = st.Step(); rc != SQLITE_DONE)
                return m_db.Fail(rc, "delete profile");
            return tx.Commit();
        });
}

HRESULT ProfileStore::ListProfiles(std::vector<std::u16string>* names) noexcept
{
    std::lock_guard lock(m_mutex);
    return Guarded(
        [&]() -> HRESULT
        {
            names->clear();
            SqliteStatement st;
            if (int rc = st.Prepare(m_db.Handle(), "SELECT name FROM profile ORDER BY id");
                rc != SQLITE_OK)
                return m_db.Fail(rc, "prepare");
            int rc;
            while ((rc = st.Step()) == SQLITE_ROW)
                names->push_back(NameFrom(st.Blob(0)));
            return rc == SQLITE_DONE ? S_OK : m_db.Fail(rc, "read profiles");
        });
}

HRESULT ProfileStore::FindProfile(const std::u16string& name, std::int64_t* id) noexcept
{
    std::lock_guard lock(m_mutex);
    return FindLocked(name, id);
}

HRESULT ProfileStore::BeginInProfile(Transaction& tx, bool write, std::int64_t profile) noexcept
{
    if (HRESULT hr = tx.Begin(write); FAILED(hr))
        return hr;
    SqliteStatement st;
    if (int rc = st.Prepare(m_db.Handle(), "SELECT 1 FROM profile WHERE id = ?1"); rc != SQLITE_OK)
        return m_db.Fail(rc, "prepare");
    st.BindInt(1, profile);
    int rc = st.Step();
    if (rc == SQLITE_ROW)
        return S_OK;
    return rc == SQLITE_DONE ? MAPI_E_NOT_FOUND : m_db.Fail(rc, "read profile");
}

HRESULT ProfileStore::ListServices(std::int64_t profile, std::vector<Service>* out) noexcept
{
    std::lock_guard lock(m_mutex);
    return Guarded(
        [&]() -> HRESULT
        {
            out->clear();
            Transaction tx(m_db);
            if (HRESULT hr = BeginInProfile(tx, false, profile); FAILED(hr))
                return hr;
            SqliteStatement st;
            if (int rc = st.Prepare(m_db.Handle(), "SELECT uid, name, display_name FROM service "
                                                   "WHERE profile = ?1 ORDER BY id");
                rc != SQLITE_OK)
                return m_db.Fail(rc, "prepare");
            st.BindInt(1, profile);
            int rc;
            while ((rc = st.Step()) == SQLITE_ROW)
            {
                Service s{};
                std::vector<unsigned char> uid = st.Blob(0);
                std::memcpy(s.uid.ab, uid.data(), std::min(uid.size(), sizeof s.uid.ab));
                s.name = st.Text(1);
                s.displayName = NameFrom(st.Blob(2));
                out->push_back(std::move(s));
            }
            if (rc != SQLITE_DONE)
                return m_db.Fail(rc, "read services");
            return tx.Commit();
        });
}

HRESULT ProfileStore::CreateService(std::int64_t profile, const std::string& name,
                                    const std::u16string& displayName, MAPIUID* uid) noexcept
{
    std::lock_guard lock(m_mutex);
    return Guarded(
        [&]() -> HRESULT
        {
            Transaction tx(m_db);
            if (HRESULT hr = BeginInProfile(tx, true, profile); FAILED(hr))
                return hr;
            MAPIUID fresh = NewUid();
            SqliteStatement st;
            if (int rc = st.Prepare(m_db.Handle(),
                                    "INSERT INTO service(profile, uid, name, display_name) "
                                    "VALUES (?1, ?2, ?3, ?4)");
                rc != SQLITE_OK)
                return m_db.Fail(rc, "prepare");
            std::vector<unsigned char> display = NameBytes(displayName);
            st.BindInt(1, profile);
            st.BindBlob(2, fresh.ab, sizeof fresh.ab);
            st.BindText(3, name);
            st.BindBlob(4, display.data(), display.size());
            if (int rc = st.Step(); rc != SQLITE_DONE)
                return m_db.Fail(rc, "create service");
            if (HRESULT hr = tx.Commit(); FAILED(hr))
                return hr;
            *uid = fresh;
            return S_OK;
        });
}

HRESULT ProfileStore::DeleteService(std::int64_t profile, const MAPIUID& uid) noexcept
{
    std::lock_guard lock(m_mutex);
    return Guarded(
        [&]() -> HRESULT
        {
            Transaction tx(m_db);
            if (HRESULT hr = tx.Begin(true); FAILED(hr))
                return hr;
            SqliteStatement st;
            if (int rc = st.Prepare(m_db.Handle(),
                                    "DELETE FROM service WHERE profile = ?1 AND uid = ?2");
                rc != SQLITE_OK)
                return m_db.Fail(rc, "prepare");
            st.BindInt(1, profile);
            st.BindBlob(2, uid.ab, sizeof uid.ab);
            if (int rc = st.Step(); rc != SQLITE_DONE)
                return m_db.Fail(rc, "delete service");
            if (sqlite3_changes(m_db.Handle()) == 0)
                return MAPI_E_NOT_FOUND;
            SqliteStatement props;
            if (int rc = props.Prepare(
                    m_db.Handle(), "DELETE FROM section_prop WHERE profile = ?1 AND section = ?2");
                rc != SQLITE_OK)
                return m_db.Fail(rc, "prepare");
            props.BindInt(1, profile);
            props.BindBlob(2, uid.ab, sizeof uid.ab);
            if (int rc = props.Step(); rc != SQLITE_DONE)
                return m_db.Fail(rc, "delete section");
            return tx.Commit();
        });
}

HRESULT ProfileStore::HasService(std::int64_t profile, const MAPIUID& uid) noexcept
{
    std::lock_guard lock(m_mutex);
    return Guarded(
        [&]() -> HRESULT
        {
            SqliteStatement st;
            if (int rc = st.Prepare(m_db.Handle(),
                                    "SELECT 1 FROM service WHERE profile = ?1 AND uid = ?2");
                rc != SQLITE_OK)
                return m_db.Fail(rc, "prepare");
            st.BindInt(1, profile);
            st.BindBlob(2, uid.ab, sizeof uid.ab);
            int rc = st.Step();
            if (rc == SQLITE_ROW)
                return S_OK;
            return rc == SQLITE_DONE ? MAPI_E_NOT_FOUND : m_db.Fail(rc, "read service");
        });
}

HRESULT ProfileStore::ReadSection(std::int64_t profile, const MAPIUID& section,
                                  std::vector<PropValue>* props) noexcept
{
    std::lock_guard lock(m_mutex);
    return Guarded(
        [&]() -> HRESULT
        {
            props->clear();
            Transaction tx(m_db);
            if (HRESULT hr = BeginInProfile(tx, false, profile); FAILED(hr))
                return hr;
            SqliteStatement st;
            if (int rc = st.Prepare(m_db.Handle(),
                                    "SELECT prop_id, prop_type, value FROM section_prop "
                                    "WHERE profile = ?1 AND section = ?2 ORDER BY prop_id");
                rc != SQLITE_OK)
                return m_db.Fail(rc, "prepare");
            st.BindInt(1, profile);
            st.BindBlob(2, section.ab, sizeof section.ab);
            int rc;
            while ((rc = st.Step()) == SQLITE_ROW)
            {
                ULONG tag = PROP_TAG(static_cast<ULONG>(st.Int(1)), static_cast<ULONG>(st.Int(0)));
                size_t cb = 0;
                const void* p = st.BlobData(2, &cb);
                if (auto v = PropValue::Decode(tag, p, cb))
                    props->push_back(std::move(*v));
                else
                    LogProblem("%s: a section value of tag 0x%08X cannot be read; skipped",
                               m_db.Path().c_str(), tag);
            }
            if (rc != SQLITE_DONE)
                return m_db.Fail(rc, "read section");
            return tx.Commit();
        });
}

HRESULT ProfileStore::WriteLocked(std::int64_t profile, const MAPIUID& section,
                                  const std::vector<PropValue>& set,
                                  const std::vector<ULONG>& deleteIds) noexcept
{
    return Guarded(
        [&]() -> HRESULT
        {
            Transaction tx(m_db);
            if (HRESULT hr = BeginInProfile(tx, true, profile); FAILED(hr))
                return hr;
            SqliteStatement del;
            if (int rc = del.Prepare(m_db.Handle(), "DELETE FROM section_prop WHERE profile = ?1 "
                                                    "AND section = ?2 AND prop_id = ?3");
                rc != SQLITE_OK)
                return m_db.Fail(rc, "prepare");
            for (ULONG id : deleteIds)
            {
                del.Reset();
                del.BindInt(1, profile);
                del.BindBlob(2, section.ab, sizeof section.ab);
                del.BindInt(3, id);
                if (int rc = del.Step(); rc != SQLITE_DONE)
                    return m_db.Fail(rc, "delete property");
            }
            SqliteStatement put;
            if (int rc = put.Prepare(m_db.Handle(), "INSERT OR REPLACE INTO section_prop"
                                                    "(profile, section, prop_id, prop_type, value) "
                                                    "VALUES (?1, ?2, ?3, ?4, ?5)");
                rc != SQLITE_OK)
                return m_db.Fail(rc, "prepare");
            for (const PropValue& v : set)
            {
                std::vector<BYTE> bytes = v.Encode();
                put.Reset();
                put.BindInt(1, profile);
                put.BindBlob(2, section.ab, sizeof section.ab);
                put.BindInt(3, v.Id());
                put.BindInt(4, v.Type());
                put.BindBlob(5, bytes.data(), bytes.size());
                if (int rc = put.Step(); rc != SQLITE_DONE)
                    return m_db.Fail(rc, "write property");
            }
            return tx.Commit();
        });
}

HRESULT ProfileStore::WriteSection(std::int64_t profile, const MAPIUID& section,
                                   const std::vector<PropValue>& set,
                                   const std::vector<ULONG>& deleteIds) noexcept
{
    std::lock_guard lock(m_mutex);
    return WriteLocked(profile, section, set, deleteIds);
}

HRESULT ProfileStore::Flush() noexcept
{
    std::lock_guard lock(m_mutex);
    // Moves the log into the database, syncs it and empties the log.
    int rc = sqlite3_wal_checkpoint_v2(m_db.Handle(), nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr,
                                       nullptr);
    if (rc == SQLITE_OK)
        return S_OK;
    return m_db.Fail(rc, "flush");
}

} // namespace winplat::mapi
