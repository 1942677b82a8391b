#include "platform/mapi/SqliteDb.h"

#include "platform/mapi/MapiDefs.h"
#include "platform/mapi/NotSupported.h"

#include <sqlite3.h>

namespace winplat::mapi
{

SqliteDb::~SqliteDb()
{
    sqlite3_close_v2(m_db);
}

HRESULT SqliteDb::Open(const std::string& path, Mode mode) noexcept
{
    m_path = path;
    int flags = mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY
                                       : (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    // Our own locks guard each connection; SQLite's would only add cost.
    flags |= SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK)
    {
        HRESULT hr = Fail(rc, "open");
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        return hr;
    }
    // Another process may hold the write lock for a moment; wait for it rather than fail.
    sqlite3_busy_timeout(m_db, 15000);
    return S_OK;
}

HRESULT SqliteDb::Exec(std::string_view sql) noexcept
{
    std::string text(sql);
    int rc = sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? S_OK : Fail(rc, "exec");
}

HRESULT SqliteDb::Fail(int rc, const char* what) const noexcept
{
    const char* msg = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
    LogProblem("%s: %s failed: %s", m_path.c_str(), what, msg);
    switch (rc & 0xFF)
    {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return MAPI_E_BUSY;
    case SQLITE_NOMEM:
        return MAPI_E_NOT_ENOUGH_MEMORY;
    case SQLITE_FULL:
        return MAPI_E_NOT_ENOUGH_DISK;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return MAPI_E_CORRUPT_DATA;
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
        return MAPI_E_NO_ACCESS;
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR:
        return MAPI_E_DISK_ERROR;
    case SQLITE_TOOBIG:
        return MAPI_E_TOO_BIG;
    default:
        return MAPI_E_CALL_FAILED;
    }
}

} // namespace winplat::mapi
