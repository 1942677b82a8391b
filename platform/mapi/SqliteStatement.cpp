#include "platform/mapi/SqliteStatement.h"

#include <sqlite3.h>

#include <utility>

namespace winplat::mapi
{

SqliteStatement::SqliteStatement(SqliteStatement&& o) noexcept
    : m_stmt(std::exchange(o.m_stmt, nullptr))
{
}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& o) noexcept
{
    if (this != &o)
    {
        sqlite3_finalize(m_stmt);
        m_stmt = std::exchange(o.m_stmt, nullptr);
    }
    return *this;
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

int SqliteStatement::Prepare(sqlite3* db, std::string_view sql) noexcept
{
    sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
    return sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &m_stmt, nullptr);
}

void SqliteStatement::BindInt(int i, std::int64_t v) noexcept
{
    sqlite3_bind_int64(m_stmt, i, v);
}

void SqliteStatement::BindBlob(int i, const void* p, size_t cb) noexcept
{
    // A zero-length blob stays a blob (not NULL): SQLite needs a non-null pointer for that.
    static const unsigned char empty = 0;
    sqlite3_bind_blob64(m_stmt, i, cb ? p : &empty, cb, SQLITE_TRANSIENT);
}

void SqliteStatement::BindText(int i, std::string_view s) noexcept
{
    sqlite3_bind_text64(m_stmt, i, s.data(), s.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void SqliteStatement::BindNull(int i) noexcept
{
    sqlite3_bind_null(m_stmt, i);
}

int SqliteStatement::Step() noexcept
{
    return sqlite3_step(m_stmt);
}

void SqliteStatement::Reset() noexcept
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

bool SqliteStatement::IsNull(int i) const noexcept
{
    return sqlite3_column_type(m_stmt, i) == SQLITE_NULL;
}

std::int64_t SqliteStatement::Int(int i) const noexcept
{
    return sqlite3_column_int64(m_stmt, i);
}

std::string SqliteStatement::Text(int i) const
{
    const auto* p = sqlite3_column_text(m_stmt, i);
    int n = sqlite3_column_bytes(m_stmt, i);
    return p ? std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(n))
             : std::string();
}

std::string_view SqliteStatement::TextView(int i) const noexcept
{
    const auto* p = sqlite3_column_text(m_stmt, i);
    int n = sqlite3_column_bytes(m_stmt, i);
    return p ? std::string_view(reinterpret_cast<const char*>(p), static_cast<size_t>(n))
             : std::string_view();
}

std::vector<unsigned char> SqliteStatement::Blob(int i) const
{
    size_t cb = 0;
    const auto* p = static_cast<const unsigned char*>(BlobData(i, &cb));
    return std::vector<unsigned char>(p, p + cb);
}

const void* SqliteStatement::BlobData(int i, size_t* cb) const noexcept
{
    const void* p = sqlite3_column_blob(m_stmt, i);
    *cb = static_cast<size_t>(sqlite3_column_bytes(m_stmt, i));
    return p;
}

} // namespace winplat::mapi
