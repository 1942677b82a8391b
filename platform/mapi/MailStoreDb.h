// Read access to one mail store database (layout in MailStoreSchema.h).
//
// A scan asks for mailbox after mailbox. Mailboxes and their root-folder rows are read with
// cursors that move forward while mailboxes are asked for in store order (as a directory
// listing them in creation order asks for them), so that a large scan reads the store
// sequentially; a mailbox asked for out of order is sought in the DN index.
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
    std::string dnKey; // the DN in lower case, UTF-8
    HRESULT openResult = S_OK;
    HRESULT rootResult = S_OK;
    HRESULT hierarchyResult = S_OK;
    // Filled by ResolveAccount only.
    std::string dn;
    std::string displayName;
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
    [[nodiscard]] HRESULT DisplayName(std::int64_t mailbox, std::string* out) noexcept;
    // The hierarchy rows of the mailbox's root folder, in table order.
    [[nodiscard]] HRESULT RootFolderRows(std::int64_t mailbox, std::vector<Row>* rows) noexcept;

    // The DN index key of a DN: SQLite's lower(), which folds ASCII letters only.
    static std::string KeyOf(std::string_view dn);

private:
    [[nodiscard]] HRESULT SeekMailboxes(std::int64_t from);
    [[nodiscard]] HRESULT StepMailboxes();
    [[nodiscard]] HRESULT FindByKey(const std::string& key, MailboxRecord* out);
    [[nodiscard]] HRESULT SeekFolders(std::int64_t mailbox);
    void ReadFolderRow(Row& row);

    std::mutex m_mutex;
    SqliteDb m_db;
    SqliteStatement m_byAlias;
    SqliteStatement m_byKey;
    SqliteStatement m_displayName;
    SqliteStatement m_mailboxes;
    SqliteStatement m_folders;
    // The mailbox cursor and the row it stands on.
    bool m_mailboxesValid = false;
    bool m_mailboxesAtEnd = false;
    MailboxRecord m_current;
    // The folder cursor: positioned on a row of mailbox m_cursorMailbox, or at the end. The
    // rows of every mailbox below m_cursorNext have been passed.
    bool m_cursorValid = false;
    bool m_cursorAtEnd = false;
    std::int64_t m_cursorNext = 0;
    std::int64_t m_cursorMailbox = 0;
};

} // namespace winplat::mapi
