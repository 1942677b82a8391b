#include "platform/ads/LdapError.h"

#include <cstdio>
#include <cstdlib>
#include <ldap.h>

namespace winplat::ads
{

HRESULT HResultFromLdap(int code) noexcept
{
    switch (code)
    {
    case LDAP_SUCCESS:
        return S_OK;
    case LDAP_INVALID_CREDENTIALS:
    case LDAP_INAPPROPRIATE_AUTH:
        return HRESULT_FROM_WIN32(ERROR_LOGON_FAILURE);
    case LDAP_SERVER_DOWN:
    case LDAP_CONNECT_ERROR:
        return HRESULT_FROM_WIN32(ERROR_DS_SERVER_DOWN);
    case LDAP_TIMEOUT:
        return HRESULT_FROM_WIN32(1460); // ERROR_TIMEOUT
    case LDAP_TIMELIMIT_EXCEEDED:
        return HRESULT_FROM_WIN32(ERROR_DS_TIMELIMIT_EXCEEDED);
    case LDAP_SIZELIMIT_EXCEEDED:
        return HRESULT_FROM_WIN32(ERROR_DS_SIZELIMIT_EXCEEDED);
    case LDAP_ADMINLIMIT_EXCEEDED:
        return HRESULT_FROM_WIN32(ERROR_DS_ADMIN_LIMIT_EXCEEDED);
    case LDAP_STRONG_AUTH_REQUIRED:
    case LDAP_CONFIDENTIALITY_REQUIRED:
        return HRESULT_FROM_WIN32(ERROR_DS_STRONG_AUTH_REQUIRED);
    case LDAP_UNWILLING_TO_PERFORM:
        return HRESULT_FROM_WIN32(ERROR_DS_UNWILLING_TO_PERFORM);
    case LDAP_INVALID_DN_SYNTAX:
        return HRESULT_FROM_WIN32(ERROR_DS_INVALID_DN_SYNTAX);
    case LDAP_NO_SUCH_OBJECT:
        return HRESULT_FROM_WIN32(ERROR_DS_NO_SUCH_OBJECT);
    case LDAP_BUSY:
        return HRESULT_FROM_WIN32(ERROR_DS_BUSY);
    case LDAP_UNAVAILABLE:
        return HRESULT_FROM_WIN32(ERROR_DS_UNAVAILABLE);
    case LDAP_FILTER_ERROR:
        return HRESULT_FROM_WIN32(ERROR_DS_FILTER_UNKNOWN);
    case LDAP_ENCODING_ERROR:
    case LDAP_DECODING_ERROR:
        return HRESULT_FROM_WIN32(ERROR_DS_ENCODING_ERROR);
    case LDAP_PROTOCOL_ERROR:
        return HRESULT_FROM_WIN32(ERROR_DS_PROTOCOL_ERROR);
    case LDAP_INSUFFICIENT_ACCESS:
        return E_ACCESSDENIED;
    case LDAP_NO_MEMORY:
        return E_OUTOFMEMORY;
    case LDAP_PARAM_ERROR:
        return E_INVALIDARG;
    default:
        return HRESULT_FROM_WIN32(ERROR_DS_OPERATIONS_ERROR);
    }
}

void ReportLdapFailure(const char* call, int code, const std::string& detail)
{
    // Tests and scripted runs may silence it; a user's terminal keeps it.
    if (const char* quiet = std::getenv("WINPLAT_QUIET"); quiet && *quiet == '1')
        return;
    std::fprintf(stderr, "directory: %s: %s (%d)%s%s\n", call, ldap_err2string(code), code,
                 detail.empty() ? "" : ": ", detail.c_str());
}

} // namespace winplat::ads
