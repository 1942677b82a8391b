// What a session's objects share: the servers reached so far, the count of open mailbox
// stores, whether the session has logged off, and its table of message stores.
#pragma once

#include "platform/mapi/MailStoreDb.h"
#include "platform/mapi/MessagingConfig.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace winplat::mapi
{

struct ExchangeServer
{
    ExchangeServerSettings settings;
    std::shared_ptr<MailStoreDb> db;
};

class SessionContext
{
public:
    explicit SessionContext(std::u16string profileName) : m_profileName(std::move(profileName)) {}

    // The server a profile or an entry ID names, its mail store opened on first use.
    // MAPI_E_NETWORK_ERROR when the configuration does not know it or its store cannot be read.
    [[nodiscard]] HRESULT Server(std::string_view name,
                                 std::shared_ptr<const ExchangeServer>* out) noexcept;
    // The same for the server DN of a store entry ID; MAPI_E_INVALID_ENTRYID when the DN
    // names no server. Remembered per DN: every mailbox of a scan names the same one.
    [[nodiscard]] HRESULT ServerOfDn(const std::string& serverDn,
                                     std::shared_ptr<const ExchangeServer>* out) noexcept;

    // Mailboxes the session's own accounts may open without administrative rights.
    void AddOwnMailbox(const std::string& serverName, const std::string& dn);
    bool IsOwnMailbox(const std::string& serverName, const std::string& dn) const;

    bool LoggedOff() const noexcept { return m_loggedOff.load(); }
    void LogOff() noexcept { m_loggedOff.store(true); }

    long OpenStores() const noexcept { return m_openStores.load(); }
    void StoreOpened() noexcept { m_openStores.fetch_add(1); }
    void StoreClosed() noexcept { m_openStores.fetch_sub(1); }
    // True the first time only, so that a refused open is reported once per session.
    bool FirstRefusal() noexcept { return !m_refusedOnce.exchange(true); }

    const std::u16string& ProfileName() const noexcept { return m_profileName; }

private:
    mutable std::mutex m_mutex;
    std::map<std::string, std::shared_ptr<const ExchangeServer>> m_servers; // by lower-case name
    std::map<std::string, std::shared_ptr<const ExchangeServer>> m_serversByDn;
    std::set<std::pair<std::string, std::string>> m_own; // lower-case
    std::atomic<bool> m_loggedOff{false};
    std::atomic<long> m_openStores{0};
    std::atomic<bool> m_refusedOnce{false};
    std::u16string m_profileName;
};

} // namespace winplat::mapi
