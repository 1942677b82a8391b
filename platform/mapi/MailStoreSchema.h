// The layout of a mail store database: the mailboxes of one organisation and the rows of
// each mailbox's root folder. The Exchange service reads it; generators of test
// organisations write it.
//
// mailbox: one row per mailbox. `dn` is the legacyExchangeDN, compared without regard to
// letter case as Exchange does: through `dn_key`, its lower-case form, which SQLite keeps
// (comparing the long common beginnings of DNs byte by byte is much faster than folding
// case on every comparison). `alias` is the mail nickname by which an account name finds
// its own mailbox. The three result columns say what opening the mailbox, its root folder
// and the root folder's hierarchy table give: 0 for success, else the failure (an HRESULT).
//
// root_folder: the hierarchy rows of a mailbox's root folder, in table order (`position`).
// `ost_id` is PR_OST_OSTID: NULL when the folder has none, else its value (an empty blob is
// a value).
#pragma once

namespace winplat::mapi
{

inline constexpr int kMailStoreSchemaVersion = 1;

inline constexpr const char* kMailStoreSchema = R"(
CREATE TABLE mailbox (
  id INTEGER PRIMARY KEY,
  dn TEXT NOT NULL COLLATE NOCASE,
  dn_key TEXT GENERATED ALWAYS AS (lower(dn)) STORED,
  alias TEXT COLLATE NOCASE,
  display_name TEXT NOT NULL DEFAULT '',
  open_result INTEGER NOT NULL DEFAULT 0,
  root_result INTEGER NOT NULL DEFAULT 0,
  hierarchy_result INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE root_folder (
  mailbox INTEGER NOT NULL REFERENCES mailbox(id),
  position INTEGER NOT NULL,
  display_name TEXT NOT NULL,
  ost_id BLOB,
  instance_key BLOB NOT NULL,
  subfolders INTEGER NOT NULL DEFAULT 1,
  container_flags INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY (mailbox, position)
) WITHOUT ROWID;
PRAGMA user_version = 1;
)";

// Built after a bulk load: building them once is faster than keeping them up row by row.
inline constexpr const char* kMailStoreIndexes = R"(
CREATE UNIQUE INDEX mailbox_dn ON mailbox(dn_key);
CREATE INDEX mailbox_alias ON mailbox(alias);
)";

} // namespace winplat::mapi
