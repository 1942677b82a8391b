// One SQLite connection, closed with its owner, with SQLite results mapped to HRESULTs.
#pragma once

#include "platform/base/WinTypes.h"

#include <string>
#include <string_view>

struct sqlite3;

namespace winplat::mapi
{

class SqliteDb
{
public:
    enum class Mode
    {
        ReadOnly,
        ReadWriteCreate,
    };

    SqliteDb() = default;
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;
    ~SqliteDb();

    [[nodiscard]] HRESULT Open(const std::string& path, Mode mode) noexcept;
    sqlite3* Handle() const noexcept { return m_db; }
    const std::string& Path() const noexcept { return m_path; }

    // Runs statements without results.
    [[nodiscard]] HRESULT Exec(std::string_view sql) noexcept;
    // The HRESULT for an SQLite result code, with a line naming the database and the call.
    [[nodiscard]] HRESULT Fail(int rc, const char* what) const noexcept;

private:
    sqlite3* m_db = nullptr;
    std::string m_path;
};

} // namespace winplat::mapi
