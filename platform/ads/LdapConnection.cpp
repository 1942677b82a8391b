#include "platform/ads/LdapConnection.h"

#include "platform/ads/LdapError.h"

#include <csignal>
#include <ldap.h>
#include <memory>
#include <mutex>
#include <sys/time.h>
#include <vector>

namespace winplat::ads
{

namespace
{

struct MessageFree
{
    void operator()(LDAPMessage* m) const noexcept { ldap_msgfree(m); }
};
using MessagePtr = std::unique_ptr<LDAPMessage, MessageFree>;

std::vector<std::string> Values(LDAP* ld, LDAPMessage* entry, const char* attr)
{
    std::vector<std::string> out;
    berval** vals = ldap_get_values_len(ld, entry, attr);
    if (vals)
    {
        for (berval** v = vals; *v; ++v)
            out.emplace_back((*v)->bv_val, (*v)->bv_len);
        ldap_value_free_len(vals);
    }
    return out;
}

std::string Diagnostic(LDAP* ld)
{
    char* msg = nullptr;
    if (ld && ldap_get_option(ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &msg) == LDAP_OPT_SUCCESS && msg)
    {
        std::string s(msg);
        ldap_memfree(msg);
        return s;
    }
    return {};
}

// A server that drops the connection must end the search with an error, not end the
// process: writes to a closed socket are to fail with EPIPE. Left alone if the program has
// already decided what SIGPIPE does.
void IgnoreBrokenPipes()
{
    static std::once_flag once;
    std::call_once(once,
                   []
                   {
                       struct sigaction current
                       {
                       };
                       if (sigaction(SIGPIPE, nullptr, &current) == 0 &&
                           current.sa_handler == SIG_DFL)
                           std::signal(SIGPIPE, SIG_IGN);
                   });
}

} // namespace

LdapConnection::~LdapConnection()
{
    Close();
}

void LdapConnection::Close() noexcept
{
    if (m_ld)
        ldap_unbind_ext_s(m_ld, nullptr, nullptr);
    m_ld = nullptr;
    m_protected = false;
}

HRESULT LdapConnection::Open(const LdapEndpoint& ep) noexcept
{
    Close();
    IgnoreBrokenPipes();
    m_timeoutSeconds = ep.timeoutSeconds;
    std::string uri = ep.Uri();
    int rc = ldap_initialize(&m_ld, uri.c_str());
    if (rc != LDAP_SUCCESS)
    {
        ReportLdapFailure("ldap_initialize", rc, uri);
        m_ld = nullptr;
        return HResultFromLdap(rc);
    }
    int version = LDAP_VERSION3;
    ldap_set_option(m_ld, LDAP_OPT_PROTOCOL_VERSION, &version);
    ldap_set_option(m_ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    timeval tv{m_timeoutSeconds, 0};
    ldap_set_option(m_ld, LDAP_OPT_NETWORK_TIMEOUT, &tv);
    ldap_set_option(m_ld, LDAP_OPT_TIMEOUT, &tv);

    bool wantTls = ep.ldaps || !ep.cleartextAllowed;
    if (wantTls)
    {
        int demand = LDAP_OPT_X_TLS_DEMAND;
        ldap_set_option(m_ld, LDAP_OPT_X_TLS_REQUIRE_CERT, &demand);
        if (!ep.caFile.empty())
            ldap_set_option(m_ld, LDAP_OPT_X_TLS_CACERTFILE, ep.caFile.c_str());
        int server = 0;
        ldap_set_option(m_ld, LDAP_OPT_X_TLS_NEWCTX, &server);
    }

    rc = ldap_connect(m_ld);
    if (rc != LDAP_SUCCESS)
    {
        ReportLdapFailure("connect", rc, uri + " " + Diagnostic(m_ld));
        Close();
        // A failed TLS handshake on ldaps is a refusal to protect, not a missing server.
        return ep.ldaps && rc == LDAP_CONNECT_ERROR
                   ? HRESULT_FROM_WIN32(ERROR_DS_STRONG_AUTH_REQUIRED)
                   : HRESULT_FROM_WIN32(ERROR_DS_SERVER_DOWN);
    }
    if (ep.ldaps)
    {
        m_protected = true;
    }
    else if (wantTls)
    {
        rc = ldap_start_tls_s(m_ld, nullptr, nullptr);
        if (rc != LDAP_SUCCESS)
        {
            ReportLdapFailure("StartTLS", rc, uri + " " + Diagnostic(m_ld));
            Close();
            return rc == LDAP_SERVER_DOWN || rc == LDAP_TIMEOUT
                       ? HResultFromLdap(rc)
                       : HRESULT_FROM_WIN32(ERROR_DS_STRONG_AUTH_REQUIRED);
        }
        m_protected = true;
    }
    return S_OK;
}

HRESULT LdapConnection::ReadRootDse(RootDse& out) noexcept
{
    if (!m_ld)
        return E_UNEXPECTED;
    try
    {
        char attrs0[] = "defaultNamingContext";
        char attrs1[] = "namingContexts";
        char attrs2[] = "supportedCapabilities";
        char attrs3[] = "subschemaSubentry";
        char* attrs[] = {attrs0, attrs1, attrs2, attrs3, nullptr};
        timeval tv{m_timeoutSeconds, 0};
        LDAPMessage* raw = nullptr;
        int rc = ldap_search_ext_s(m_ld, "", LDAP_SCOPE_BASE, "(objectClass=*)", attrs, 0, nullptr,
                                   nullptr, &tv, 1, &raw);
        MessagePtr res(raw);
        if (rc != LDAP_SUCCESS)
        {
            ReportLdapFailure("root DSE", rc, Diagnostic(m_ld));
            return HResultFromLdap(rc);
        }
        LDAPMessage* entry = ldap_first_entry(m_ld, res.get());
        if (!entry)
            return HRESULT_FROM_WIN32(ERROR_DS_NO_SUCH_OBJECT);
        auto first = [](const std::vector<std::string>& v)
        { return v.empty() ? std::string() : v.front(); };
        out.defaultNamingContext = first(Values(m_ld, entry, "defaultNamingContext"));
        out.namingContexts = Values(m_ld, entry, "namingContexts");
        out.supportedCapabilities = Values(m_ld, entry, "supportedCapabilities");
        out.subschemaSubentry = first(Values(m_ld, entry, "subschemaSubentry"));
        return S_OK;
    }
    catch (...)
    {
        return E_OUTOFMEMORY;
    }
}

HRESULT LdapConnection::SimpleBind(const std::string& dn, const std::string& password) noexcept
{
    if (!m_ld)
        return E_UNEXPECTED;
    // An empty password would be an unauthenticated bind, which some servers answer with
    // success: it must never pass for a login.
    if (dn.empty() || password.empty())
        return HRESULT_FROM_WIN32(ERROR_LOGON_FAILURE);
    berval cred{static_cast<ber_len_t>(password.size()), const_cast<char*>(password.data())};
    int rc = ldap_sasl_bind_s(m_ld, dn.c_str(), LDAP_SASL_SIMPLE, &cred, nullptr, nullptr, nullptr);
    if (rc != LDAP_SUCCESS)
    {
        ReportLdapFailure("bind", rc, Diagnostic(m_ld));
        return HResultFromLdap(rc);
    }
    return S_OK;
}

HRESULT LdapConnection::FindAccountDn(const std::string& base, const std::string& account,
                                      std::string& dn) noexcept
{
    if (!m_ld)
        return E_UNEXPECTED;
    try
    {
        berval in{static_cast<ber_len_t>(account.size()), const_cast<char*>(account.data())};
        berval escaped{};
        if (ldap_bv2escaped_filter_value(&in, &escaped) != 0)
            return E_OUTOFMEMORY;
        std::string filter = "(sAMAccountName=" + std::string(escaped.bv_val, escaped.bv_len) + ")";
        ber_memfree(escaped.bv_val);
        char noAttrs[] = LDAP_NO_ATTRS;
        char* attrs[] = {noAttrs, nullptr};
        timeval tv{m_timeoutSeconds, 0};
        LDAPMessage* raw = nullptr;
        int rc = ldap_search_ext_s(m_ld, base.c_str(), LDAP_SCOPE_SUBTREE, filter.c_str(), attrs, 0,
                                   nullptr, nullptr, &tv, 2, &raw);
        MessagePtr res(raw);
        if (rc != LDAP_SUCCESS && rc != LDAP_SIZELIMIT_EXCEEDED)
        {
            ReportLdapFailure("account lookup", rc, Diagnostic(m_ld));
            return rc == LDAP_SERVER_DOWN || rc == LDAP_TIMEOUT
                       ? HResultFromLdap(rc)
                       : HRESULT_FROM_WIN32(ERROR_LOGON_FAILURE);
        }
        // No entry, or two that share the name: there is nobody to bind as.
        if (ldap_count_entries(m_ld, res.get()) != 1)
            return HRESULT_FROM_WIN32(ERROR_LOGON_FAILURE);
        char* found = ldap_get_dn(m_ld, ldap_first_entry(m_ld, res.get()));
        if (!found)
            return HRESULT_FROM_WIN32(ERROR_LOGON_FAILURE);
        dn = found;
        ldap_memfree(found);
        return S_OK;
    }
    catch (...)
    {
        return E_OUTOFMEMORY;
    }
}

} // namespace winplat::ads
