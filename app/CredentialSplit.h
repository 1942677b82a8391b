// How the typed user name DOMAIN\account is taken apart, and where the check binds.
#pragma once

#include "platform/base/CString.h"

// Domain: everything before the first backslash (may be empty); account: everything after it,
// further backslashes included (may be empty). FALSE, with both left empty, when the name is
// empty or has no backslash at all.
BOOL SplitUserName(const CString& strUserName, CString& strDomain, CString& strAccount);

// "LDAP://" and the controller's name, without the two backslashes the lookup puts in front.
CString LdapPathOfController(const CString& strDcName);
