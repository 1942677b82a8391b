// Read access to one mail store database (layout in MailStoreSchema.h).
#pragma once

#include "platform/mapi/Restriction.h"
#include "platform/mapi/SqliteDb.h"
#include "platform/mapi/SqliteStatement.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace winplat::mapi
{

struct MailboxRecord
{
    std::int64_t id = 0;
    std::string dn; // UTF-8, as stored
    std::string displayName;
    HRESULT openResult = S_OK;
    HRESULT rootResult = S_OK;
    HRESULT hierarchyResult = S_OK;
};

class MailStoreDb
{
public:
    [[nodiscard]] static HRESULT Open(const std::string& path,
                                      std::shared_ptr<MailStoreDb>* out) noexcept;

    // By legacyExchangeDN, letter case aside; MAPI_E_NOT_FOUND when none.
    [[nodiscard]] HRESULT FindMailbox(std::string_view dn, MailboxRecord* out) noexcept;
    // An account name as a logon gives it: the mail nickname or the DN. MAPI_E_NOT_FOUND,
    // or MAPI_E_AMBIGUOUS_RECIP when it names more than one mailbox.
    [[nodiscard]] HRESULT ResolveAccount(std::string_view name, MailboxRecord* out) noexcept;
    // The hierarchy rows of the mailbox's root folder, in table order.
    [[nodiscard]] HRESULT RootFolderRows(std::int64_t mailbox, std::vector<Row>* rows) noexcept;

private:
    [[nodiscard]] HRESULT ReadMailbox(SqliteStatement& st, MailboxRecord* out);

    std::mutex m_mutex;
    SqliteDb m_db;
    SqliteStatement m_byDn;
    SqliteStatement m_byAlias;
    SqliteStatement m_folders;
};

} // namespace winplat::mapi
