// One connection to a directory server: connect, protect, learn the root DSE, bind, unbind.
#pragma once

#include "platform/ads/LdapEndpoint.h"
#include "platform/ads/RootDse.h"
#include "platform/base/WinTypes.h"

#include <string>

typedef struct ldap LDAP;

namespace winplat::ads
{

class LdapConnection final
{
public:
    LdapConnection() = default;
    ~LdapConnection();
    LdapConnection(const LdapConnection&) = delete;
    LdapConnection& operator=(const LdapConnection&) = delete;

    // Connects and protects the connection (ldaps, else StartTLS) unless the endpoint allows
    // cleartext. A connection that cannot be protected is closed before anything is sent on it.
    [[nodiscard]] HRESULT Open(const LdapEndpoint& endpoint) noexcept;
    [[nodiscard]] HRESULT ReadRootDse(RootDse& out) noexcept;
    [[nodiscard]] HRESULT SimpleBind(const std::string& dn, const std::string& password) noexcept;
    // The DN of the one entry below base whose sAMAccountName is account.
    [[nodiscard]] HRESULT FindAccountDn(const std::string& base, const std::string& account,
                                        std::string& dn) noexcept;

    LDAP* Handle() const noexcept { return m_ld; }
    int TimeoutSeconds() const noexcept { return m_timeoutSeconds; }
    bool IsProtected() const noexcept { return m_protected; }

private:
    void Close() noexcept;
    LDAP* m_ld = nullptr;
    int m_timeoutSeconds = 120;
    bool m_protected = false;
};

} // namespace winplat::ads
