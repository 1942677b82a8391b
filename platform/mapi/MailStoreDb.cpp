#include "platform/mapi/MailStoreDb.h"

#include "platform/mapi/MailStoreSchema.h"
#include "platform/mapi/NotSupported.h"

#include <sqlite3.h>

#include <new>

namespace winplat::mapi
{

namespace
{

constexpr const char* kMailboxColumns =
    "SELECT id, dn, display_name, open_result, root_result, hierarchy_result FROM mailbox ";

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
}

} // namespace

HRESULT MailStoreDb::Open(const std::string& path, std::shared_ptr<MailStoreDb>* out) noexcept
{
    return Guarded(
        [&]() -> HRESULT
        {
            out->reset();
            auto db = std::make_shared<MailStoreDb>();
            if (HRESULT hr = db->m_db.Open(path, SqliteDb::Mode::ReadOnly); FAILED(hr))
                return hr;
            SqliteStatement version;
            if (int rc = version.Prepare(db->m_db.Handle(), "PRAGMA user_version"); rc != SQLITE_OK)
                return db->m_db.Fail(rc, "read version");
            if (int rc = version.Step(); rc != SQLITE_ROW)
                return db->m_db.Fail(rc, "read version");
            if (version.Int(0) != kMailStoreSchemaVersion)
            {
                LogProblem("%s: not a mail store database of version %d", path.c_str(),
                           kMailStoreSchemaVersion);
                return MAPI_E_CORRUPT_DATA;
            }
            std::string byDn = std::string(kMailboxColumns) + "WHERE dn = ?1";
            std::string byAlias =
                std::string(kMailboxColumns) + "WHERE alias = ?1 OR dn = ?1 ORDER BY id LIMIT 2";
            sqlite3* h = db->m_db.Handle();
            int rc = db->m_byDn.Prepare(h, byDn);
            if (rc == SQLITE_OK)
                rc = db->m_byAlias.Prepare(h, byAlias);
            if (rc == SQLITE_OK)
                rc = db->m_folders.Prepare(h,
                                           "SELECT display_name, ost_id, instance_key, subfolders, "
                                           "container_flags FROM root_folder WHERE mailbox = ?1 "
                                           "ORDER BY position");
            if (rc != SQLITE_OK)
                return db->m_db.Fail(rc, "prepare");
            *out = std::move(db);
            return S_OK;
        });
}

HRESULT MailStoreDb::ReadMailbox(SqliteStatement& st, MailboxRecord* out)
{
    out->id = st.Int(0);
    out->dn = st.Text(1);
    out->displayName = st.Text(2);
    out->openResult = static_cast<HRESULT>(st.Int(3));
    out->rootResult = static_cast<HRESULT>(st.Int(4));
    out->hierarchyResult = static_cast<HRESULT>(st.Int(5));
    return S_OK;
}

HRESULT MailStoreDb::FindMailbox(std::string_view dn, MailboxRecord* out) noexcept
{
    std::lock_guard lock(m_mutex);
    return Guarded(
        [&]() -> HRESULT
        {
            m_byDn.Reset();
            m_byDn.BindText(1, dn);
            int rc = m_byDn.Step();
            HRESULT hr = MAPI_E_NOT_FOUND;
            if (rc == SQLITE_ROW)
                hr = ReadMailbox(m_byDn, out);
            else if (rc != SQLITE_DONE)
                hr = m_db.Fail(rc, "find mailbox");
            m_byDn.Reset();
            return hr;
        });
}

HRESULT MailStoreDb::ResolveAccount(std::string_view name, MailboxRecord* out) noexcept
{
    std::lock_guard lock(m_mutex);
    return Guarded(
        [&]() -> HRESULT
        {
            m_byAlias.Reset();
            m_byAlias.BindText(1, name);
            int rc = m_byAlias.Step();
            HRESULT hr = MAPI_E_NOT_FOUND;
            if (rc == SQLITE_ROW)
            {
                hr = ReadMailbox(m_byAlias, out);
                rc = m_byAlias.Step();
                if (rc == SQLITE_ROW)
                    hr = MAPI_E_AMBIGUOUS_RECIP;
                else if (rc != SQLITE_DONE)
                    hr = m_db.Fail(rc, "resolve account");
            }
            else if (rc != SQLITE_DONE)
            {
                hr = m_db.Fail(rc, "resolve account");
            }
            m_byAlias.Reset();
            return hr;
        });
}

HRESULT MailStoreDb::RootFolderRows(std::int64_t mailbox, std::vector<Row>* rows) noexcept
{
    std::lock_guard lock(m_mutex);
    return Guarded(
        [&]() -> HRESULT
        {
            rows->clear();
            m_folders.Reset();
            m_folders.BindInt(1, mailbox);
            int rc;
            while ((rc = m_folders.Step()) == SQLITE_ROW)
            {
                Row row;
                row.reserve(6);
                row.push_back(PropValue::Wide(PR_DISPLAY_NAME_W, Utf8ToWide(m_folders.Text(0))));
                if (!m_folders.IsNull(1))
                {
                    size_t cb = 0;
                    const void* p = m_folders.BlobData(1, &cb);
                    row.push_back(PropValue::Binary(PR_OST_OSTID, p, cb));
                }
                size_t cb = 0;
                const void* key = m_folders.BlobData(2, &cb);
                row.push_back(PropValue::Binary(PR_INSTANCE_KEY, key, cb));
                row.push_back(PropValue::Bool(PR_SUBFOLDERS, m_folders.Int(3) != 0));
                row.push_back(
                    PropValue::Long(PR_CONTAINER_FLAGS, static_cast<LONG>(m_folders.Int(4))));
                row.push_back(PropValue::Long(PR_FOLDER_TYPE, FOLDER_GENERIC));
                rows->push_back(std::move(row));
            }
            HRESULT hr = rc == SQLITE_DONE ? S_OK : m_db.Fail(rc, "read root folder");
            m_folders.Reset();
            return hr;
        });
}

} // namespace winplat::mapi
