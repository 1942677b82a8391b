// One prepared SQLite statement, finalised with its owner.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace winplat::mapi
{

class SqliteStatement
{
public:
    SqliteStatement() = default;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    SqliteStatement(SqliteStatement&& o) noexcept;
    SqliteStatement& operator=(SqliteStatement&& o) noexcept;
    ~SqliteStatement();

    // SQLite's result code.
    int Prepare(sqlite3* db, std::string_view sql) noexcept;
    bool IsPrepared() const noexcept { return m_stmt != nullptr; }

    // Parameters count from 1.
    void BindInt(int i, std::int64_t v) noexcept;
    void BindBlob(int i, const void* p, size_t cb) noexcept;
    void BindText(int i, std::string_view s) noexcept;
    void BindNull(int i) noexcept;
    // SQLITE_ROW, SQLITE_DONE or an error.
    int Step() noexcept;
    void Reset() noexcept;

    // Columns count from 0.
    bool IsNull(int i) const noexcept;
    std::int64_t Int(int i) const noexcept;
    std::string Text(int i) const;
    // Valid until the next Step or Reset.
    std::string_view TextView(int i) const noexcept;
    std::vector<unsigned char> Blob(int i) const;
    const void* BlobData(int i, size_t* cb) const noexcept;

private:
    sqlite3_stmt* m_stmt = nullptr;
};

} // namespace winplat::mapi
