// What the messaging layer reads from the platform configuration.
//
//   [messaging]
//   profiles = PATH        the per-user profile database. Default:
//                          $XDG_DATA_HOME/winplat/profiles.db, else
//                          ~/.local/share/winplat/profiles.db
//
//   [exchange NAME]        one Exchange server, by the name a profile's service gives it
//                          (case-insensitive)
//   store = PATH           the mail store database of the server's organisation (mailboxes by
//                          legacyExchangeDN, their root-folder rows)
//   mdb_online_unknown = yes|no
//                          the server's store provider does not know MDB_ONLINE: an open
//                          asking for it is answered with MAPI_E_UNKNOWN_FLAGS
//   refuse_logon = no|yes|0xHRESULT
//                          every logon to the server fails, with MAPI_E_LOGON_FAILED or the
//                          result given
//   max_row_binary = BYTES a binary value larger than this comes out of a table row as the
//                          error MAPI_E_NOT_ENOUGH_MEMORY (default 510, as Exchange's rows;
//                          0 lifts the limit)
//   max_open_stores = N    mailbox stores one session may hold open at once (default 255)
//
// Relative paths are taken from the folder of the configuration file.
#pragma once

#include "platform/base/WinTypes.h"

#include <optional>
#include <string>
#include <string_view>

namespace winplat::mapi
{

struct ExchangeServerSettings
{
    std::string name; // as the configuration spells it
    std::string store;
    bool mdbOnlineUnknown = false;
    HRESULT logonResult = S_OK; // a failure: every logon is refused with it
    ULONG maxRowBinary = 510;
    ULONG maxOpenStores = 255;
};

class MessagingConfig final
{
public:
    MessagingConfig() = delete;

    static std::string ProfileStorePath();
    // nullopt when the configuration does not know the server.
    static std::optional<ExchangeServerSettings> Server(std::string_view name);
};

} // namespace winplat::mapi
