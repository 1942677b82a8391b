#include "platform/mapi/MailStoreDb.h"

#include "platform/mapi/MailStoreSchema.h"
#include "platform/mapi/NotSupported.h"

#include <sqlite3.h>

#include <algorithm>
#include <new>

namespace winplat::mapi
{

namespace
{

// How far ahead the cursors go before they seek instead.
constexpr std::int64_t kFolderReadAhead = 256;
constexpr int kMailboxLookAhead = 16;

constexpr const char* kMailboxColumns =
    "SELECT dn_key, id, open_result, root_result, hierarchy_result FROM mailbox ";

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

// A row of kMailboxColumns.
void ReadMailboxRow(const SqliteStatement& st, MailboxRecord* out)
{
    std::string_view key = st.TextView(0);
    out->dnKey.assign(key.data(), key.size());
    out->id = st.Int(1);
    out->openResult = static_cast<HRESULT>(st.Int(2));
    out->rootResult = static_cast<HRESULT>(st.Int(3));
    out->hierarchyResult = static_cast<HRESULT>(st.Int(4));
}

} // namespace

std::string MailStoreDb::KeyOf(std::string_view dn)
{
    std::string out(dn);
    for (char& c : out)
    {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    }
    return out;
}

HRESULT MailStoreDb::Open(const std::string& path, std::shared_ptr<MailStoreDb>* out) noexcept
{
    return Guarded(
        [&]() -> HRESULT
        {
            out->reset();
            auto db = std::make_shared<MailStoreDb>();
            if (HRESULT hr = db->m_db.Open(path, SqliteDb::Mode::ReadOnly); FAILED(hr))
                return hr;
            sqlite3* h = db->m_db.Handle();
            SqliteStatement version;
            if (int rc = version.Prepare(h, "PRAGMA user_version"); rc != SQLITE_OK)
                return db->m_db.Fail(rc, "read version");
            if (int rc = version.Step(); rc != SQLITE_ROW)
                return db->m_db.Fail(rc, "read version");
            if (version.Int(0) != kMailStoreSchemaVersion)
            {
                LogProblem("%s: not a mail store database of version %d", path.c_str(),
                           kMailStoreSchemaVersion);
                return MAPI_E_CORRUPT_DATA;
            }
            const std::string mailboxes = kMailboxColumns;
            int rc = db->m_byAlias.Prepare(
                h,
                "SELECT dn_key, id, open_result, root_result, hierarchy_result, dn, display_name "
                "FROM mailbox WHERE alias = ?1 OR dn_key = ?2 ORDER BY id LIMIT 2");
            if (rc == SQLITE_OK)
                rc = db->m_byKey.Prepare(h, mailboxes + "WHERE dn_key = ?1");
            if (rc == SQLITE_OK)
                rc = db->m_mailboxes.Prepare(h, mailboxes + "WHERE id >= ?1 ORDER BY id");
            if (rc == SQLITE_OK)
                rc = db->m_displayName.Prepare(h, "SELECT display_name FROM mailbox WHERE id = ?1");
            if (rc == SQLITE_OK)
                rc = db->m_folders.Prepare(
                    h, "SELECT mailbox, display_name, ost_id, instance_key, subfolders, "
                       "container_flags FROM root_folder WHERE mailbox >= ?1 "
                       "ORDER BY mailbox, position");
            if (rc != SQLITE_OK)
                return db->m_db.Fail(rc, "prepare");
            // A session reads the store as it was at logon: one read transaction held for
            // the connection's life spares every query the file locking and the checks for a
            // change. (No memory mapping: a scan reads the file once, and mapped pages would
            // count against the process's memory.)
            if (HRESULT hr = db->m_db.Exec("BEGIN"); FAILED(hr))
                return hr;
            if (int rc2 = version.Prepare(h, "SELECT count(*) FROM sqlite_master");
                rc2 != SQLITE_OK || version.Step() != SQLITE_ROW)
                return db->m_db.Fail(rc2, "start reading");
            *out = std::move(db);
            return S_OK;
        });
}

HRESULT MailStoreDb::SeekMailboxes(std::int64_t from)
{
    m_mailboxes.Reset();
    m_mailboxes.BindInt(1, from);
    m_mailboxesValid = true;
    return StepMailboxes();
}

HRESULT MailStoreDb::StepMailboxes()
{
    int rc = m_mailboxes.Step();
    m_mailboxesAtEnd = rc != SQLITE_ROW;
    if (rc == SQLITE_ROW)
    {
        ReadMailboxRow(m_mailboxes, &m_current);
        return S_OK;
    }
    if (rc == SQLITE_DONE)
        return S_OK;
    m_mailboxesValid = false;
    return m_db.Fail(rc, "read mailboxes");
}

HRESULT MailStoreDb::FindByKey(const std::string& key, MailboxRecord* out)
{
    m_byKey.Reset();
    m_byKey.BindText(1, key);
    int rc = m_byKey.Step();
    HRESULT hr = MAPI_E_NOT_FOUND;
    if (rc == SQLITE_ROW)
    {
        ReadMailboxRow(m_byKey, out);
        hr = S_OK;
    }
    else if (rc != SQLITE_DONE)
    {
        hr = m_db.Fail(rc, "find mailbox");
    }
    m_byKey.Reset();
    return hr;
}

HRESULT MailStoreDb::FindMailbox(std::string_view dn, MailboxRecord* out) noexcept
{
    std::lock_guard lock(m_mutex);
    return Guarded(
        [&]() -> HRESULT
        {
            std::string key = KeyOf(dn);
            // In store order the mailbox is a few rows ahead of the cursor at most.
            const std::int64_t start = m_mailboxesValid && !m_mailboxesAtEnd ? m_current.id : -1;
            for (int k = 0; start >= 0 && k < kMailboxLookAhead && !m_mailboxesAtEnd; ++k)
            {
                if (m_current.dnKey == key)
                {
                    *out = m_current;
                    return StepMailboxes();
                }
                if (HRESULT hr = StepMailboxes(); FAILED(hr))
                    return hr;
            }
            HRESULT hr = FindByKey(key, out);
            if (FAILED(hr) && hr != MAPI_E_NOT_FOUND)
                return hr;
            // Go on after the mailbox found, or from where the cursor stood before the look.
            HRESULT seek =
                SeekMailboxes(SUCCEEDED(hr) ? out->id + 1 : std::max<std::int64_t>(start, 0));
            return FAILED(seek) ? seek : hr;
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
            m_byAlias.BindText(2, KeyOf(name));
            int rc = m_byAlias.Step();
            HRESULT hr = MAPI_E_NOT_FOUND;
            if (rc == SQLITE_ROW)
            {
                ReadMailboxRow(m_byAlias, out);
                out->dn = m_byAlias.Text(5);
                out->displayName = m_byAlias.Text(6);
                hr = S_OK;
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

HRESULT MailStoreDb::DisplayName(std::int64_t mailbox, std::string* out) noexcept
{
    std::lock_guard lock(m_mutex);
    return Guarded(
        [&]() -> HRESULT
        {
            m_displayName.Reset();
            m_displayName.BindInt(1, mailbox);
            int rc = m_displayName.Step();
            HRESULT hr = MAPI_E_NOT_FOUND;
            if (rc == SQLITE_ROW)
            {
                *out = m_displayName.Text(0);
                hr = S_OK;
            }
            else if (rc != SQLITE_DONE)
            {
                hr = m_db.Fail(rc, "read mailbox");
            }
            m_displayName.Reset();
            return hr;
        });
}

HRESULT MailStoreDb::SeekFolders(std::int64_t mailbox)
{
    m_folders.Reset();
    m_folders.BindInt(1, mailbox);
    m_cursorValid = true;
    m_cursorNext = mailbox;
    int rc = m_folders.Step();
    m_cursorAtEnd = rc != SQLITE_ROW;
    if (rc == SQLITE_ROW)
    {
        m_cursorMailbox = m_folders.Int(0);
        return S_OK;
    }
    if (rc == SQLITE_DONE)
        return S_OK;
    m_cursorValid = false;
    return m_db.Fail(rc, "read root folder");
}

void MailStoreDb::ReadFolderRow(Row& row)
{
    row.reserve(6);
    row.push_back(PropValue::Wide(PR_DISPLAY_NAME_W, Utf8ToWide(m_folders.TextView(1))));
    size_t cb = 0;
    if (!m_folders.IsNull(2))
    {
        const void* p = m_folders.BlobData(2, &cb);
        row.push_back(PropValue::Binary(PR_OST_OSTID, p, cb));
    }
    const void* key = m_folders.BlobData(3, &cb);
    row.push_back(PropValue::Binary(PR_INSTANCE_KEY, key, cb));
    row.push_back(PropValue::Bool(PR_SUBFOLDERS, m_folders.Int(4) != 0));
    row.push_back(PropValue::Long(PR_CONTAINER_FLAGS, static_cast<LONG>(m_folders.Int(5))));
    row.push_back(PropValue::Long(PR_FOLDER_TYPE, FOLDER_GENERIC));
}

HRESULT MailStoreDb::RootFolderRows(std::int64_t mailbox, std::vector<Row>* rows) noexcept
{
    std::lock_guard lock(m_mutex);
    return Guarded(
        [&]() -> HRESULT
        {
            rows->clear();
            // Forward from where the cursor stands when the mailbox lies a little ahead of it;
            // anywhere else, seek.
            bool ahead = m_cursorValid && mailbox >= m_cursorNext &&
                         (m_cursorAtEnd || mailbox - m_cursorMailbox <= kFolderReadAhead);
            if (!ahead)
            {
                if (HRESULT hr = SeekFolders(mailbox); FAILED(hr))
                    return hr;
            }
            while (!m_cursorAtEnd && m_cursorMailbox <= mailbox)
            {
                if (m_cursorMailbox == mailbox)
                {
                    rows->emplace_back();
                    ReadFolderRow(rows->back());
                }
                int rc = m_folders.Step();
                if (rc == SQLITE_ROW)
                {
                    m_cursorMailbox = m_folders.Int(0);
                    continue;
                }
                m_cursorAtEnd = true;
                if (rc != SQLITE_DONE)
                {
                    m_cursorValid = false;
                    return m_db.Fail(rc, "read root folder");
                }
            }
            m_cursorNext = mailbox + 1;
            return S_OK;
        });
}

} // namespace winplat::mapi
