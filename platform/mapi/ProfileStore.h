// The user's messaging profiles, kept in an SQLite database so that they outlive the
// process, change atomically and stay whole when several programs change them at once.
//
// A profile name is data: any UTF-16 text, empty or long, slashes and dots included. Two
// names that differ only in letter case name the same profile. Each profile holds its
// services (a UID, the service name, a display name) and its sections: sets of properties
// keyed by a UID, the section of a service having the service's UID.
#pragma once

#include "platform/mapi/MapiDefs.h"
#include "platform/mapi/PropValue.h"
#include "platform/mapi/SqliteDb.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace winplat::mapi
{

class ProfileStore
{
public:
    struct Service
    {
        MAPIUID uid;
        std::string name; // "MSEMS"
        std::u16string displayName;
    };

    // Opens (creating when needed) the database named by the configuration.
    [[nodiscard]] static HRESULT Open(std::shared_ptr<ProfileStore>* out) noexcept;

    // MAPI_E_NO_ACCESS when a profile of that name exists.
    [[nodiscard]] HRESULT CreateProfile(const std::u16string& name) noexcept;
    // MAPI_E_NOT_FOUND when there is none.
    [[nodiscard]] HRESULT DeleteProfile(const std::u16string& name) noexcept;
    [[nodiscard]] HRESULT ListProfiles(std::vector<std::u16string>* names) noexcept;
    // The profile's key, valid until the profile is deleted; MAPI_E_NOT_FOUND when none.
    [[nodiscard]] HRESULT FindProfile(const std::u16string& name, std::int64_t* id) noexcept;

    // The calls below fail with MAPI_E_NOT_FOUND once the profile has been deleted.
    [[nodiscard]] HRESULT ListServices(std::int64_t profile, std::vector<Service>* out) noexcept;
    [[nodiscard]] HRESULT CreateService(std::int64_t profile, const std::string& name,
                                        const std::u16string& displayName, MAPIUID* uid) noexcept;
    [[nodiscard]] HRESULT DeleteService(std::int64_t profile, const MAPIUID& uid) noexcept;
    [[nodiscard]] HRESULT HasService(std::int64_t profile, const MAPIUID& uid) noexcept;
    [[nodiscard]] HRESULT ReadSection(std::int64_t profile, const MAPIUID& section,
                                      std::vector<PropValue>* props) noexcept;
    // Sets and deletes (by property identifier) in one transaction.
    [[nodiscard]] HRESULT WriteSection(std::int64_t profile, const MAPIUID& section,
                                       const std::vector<PropValue>& set,
                                       const std::vector<ULONG>& deleteIds) noexcept;

    // Writes everything committed so far to disk.
    [[nodiscard]] HRESULT Flush() noexcept;

private:
    class Transaction;

    [[nodiscard]] HRESULT Init() noexcept;
    // Begins the transaction; MAPI_E_NOT_FOUND when the profile is not (or no longer) there.
    [[nodiscard]] HRESULT BeginInProfile(Transaction& tx, bool write,
                                         std::int64_t profile) noexcept;
    [[nodiscard]] HRESULT FindLocked(const std::u16string& name, std::int64_t* id) noexcept;
    [[nodiscard]] HRESULT WriteLocked(std::int64_t profile, const MAPIUID& section,
                                      const std::vector<PropValue>& set,
                                      const std::vector<ULONG>& deleteIds) noexcept;

    std::mutex m_mutex;
    SqliteDb m_db;
};

} // namespace winplat::mapi
