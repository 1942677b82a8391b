// LDAP result codes as the HRESULTs a directory client reports.
#pragma once

#include "platform/base/WinTypes.h"

#include <string>

namespace winplat::ads
{

HRESULT HResultFromLdap(int ldapCode) noexcept;

// One line on stderr naming the failing call, its result, and the server's message; the
// directory client's only diagnostics.
void ReportLdapFailure(const char* call, int ldapCode, const std::string& detail);

} // namespace winplat::ads
