#include "platform/mapi/SessionContext.h"

#include "platform/base/PlatformConfig.h"
#include "platform/mapi/MapiDefs.h"
#include "platform/mapi/NotSupported.h"
#include "platform/mapi/StoreEntryId.h"

#include <new>

namespace winplat::mapi
{

HRESULT SessionContext::Server(std::string_view name,
                               std::shared_ptr<const ExchangeServer>* out) noexcept
{
    try
    {
        out->reset();
        std::string key = ToLowerAscii(name);
        std::lock_guard lock(m_mutex);
        if (auto it = m_servers.find(key); it != m_servers.end())
        {
            *out = it->second;
            return S_OK;
        }
        std::optional<ExchangeServerSettings> settings = MessagingConfig::Server(name);
        if (!settings)
        {
            LogProblem("Exchange server \"%.*s\" is not in the configuration",
                       static_cast<int>(name.size()), name.data());
            return MAPI_E_NETWORK_ERROR;
        }
        auto server = std::make_shared<ExchangeServer>();
        server->settings = std::move(*settings);
        if (FAILED(MailStoreDb::Open(server->settings.store, &server->db)))
        {
            LogProblem("Exchange server \"%.*s\": its mail store cannot be read",
                       static_cast<int>(name.size()), name.data());
            return MAPI_E_NETWORK_ERROR;
        }
        m_servers.emplace(key, server);
        *out = std::move(server);
        return S_OK;
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

HRESULT SessionContext::ServerOfDn(const std::string& serverDn,
                                   std::shared_ptr<const ExchangeServer>* out) noexcept
{
    try
    {
        {
            std::lock_guard lock(m_mutex);
            if (auto it = m_serversByDn.find(serverDn); it != m_serversByDn.end())
            {
                *out = it->second;
                return S_OK;
            }
        }
        std::string name = StoreEntryId::ServerNameOf(serverDn);
        if (name.empty())
            return MAPI_E_INVALID_ENTRYID;
        if (HRESULT hr = Server(name, out); FAILED(hr))
            return hr;
        std::lock_guard lock(m_mutex);
        m_serversByDn.emplace(serverDn, *out);
        return S_OK;
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

void SessionContext::AddOwnMailbox(const std::string& serverName, const std::string& dn)
{
    std::lock_guard lock(m_mutex);
    m_own.emplace(ToLowerAscii(serverName), ToLowerAscii(dn));
}

bool SessionContext::IsOwnMailbox(const std::string& serverName, const std::string& dn) const
{
    std::lock_guard lock(m_mutex);
    return m_own.count({ToLowerAscii(serverName), ToLowerAscii(dn)}) != 0;
}

} // namespace winplat::mapi
