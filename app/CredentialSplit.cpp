#include "app/CredentialSplit.h"

BOOL SplitUserName(const CString& strUserName, CString& strDomain, CString& strAccount)
{
    strDomain.Empty();
    strAccount.Empty();
    const int nSlash = strUserName.Find(_T('\\'));
    if (nSlash < 0)
        return FALSE;
    strDomain = strUserName.Left(nSlash);
    strAccount = strUserName.Mid(nSlash + 1);
    return TRUE;
}

CString LdapPathOfController(const CString& strDcName)
{
    CString strPath = strDcName;
    strPath.Delete(0, 2);
    strPath.Insert(0, _T("LDAP://"));
    return strPath;
}
