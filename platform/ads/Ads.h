// Directory services: binding to an LDAP directory and searching it.
#pragma once

#include "platform/base/Unknown.h"
#include "platform/base/WinTypes.h"

using ADS_SEARCH_HANDLE = HANDLE;
using PADS_SEARCH_HANDLE = ADS_SEARCH_HANDLE*;
using ADS_BOOLEAN = DWORD;
using ADS_INTEGER = DWORD;
using ADS_LARGE_INTEGER = LONGLONG;
using ADS_DN_STRING = LPWSTR;
using ADS_CASE_EXACT_STRING = LPWSTR;
using ADS_CASE_IGNORE_STRING = LPWSTR;
using ADS_PRINTABLE_STRING = LPWSTR;
using ADS_NUMERIC_STRING = LPWSTR;

enum ADSTYPE : DWORD
{
    ADSTYPE_INVALID = 0,
    ADSTYPE_DN_STRING = 1,
    ADSTYPE_CASE_EXACT_STRING = 2,
    ADSTYPE_CASE_IGNORE_STRING = 3,
    ADSTYPE_PRINTABLE_STRING = 4,
    ADSTYPE_NUMERIC_STRING = 5,
    ADSTYPE_BOOLEAN = 6,
    ADSTYPE_INTEGER = 7,
    ADSTYPE_OCTET_STRING = 8,
    ADSTYPE_UTC_TIME = 9,
    ADSTYPE_LARGE_INTEGER = 10,
};

struct ADS_OCTET_STRING
{
    DWORD dwLength;
    LPBYTE lpValue;
};

struct ADSVALUE
{
    ADSTYPE dwType;
    union
    {
        ADS_DN_STRING DNString;
        ADS_CASE_EXACT_STRING CaseExactString;
        ADS_CASE_IGNORE_STRING CaseIgnoreString;
        ADS_PRINTABLE_STRING PrintableString;
        ADS_NUMERIC_STRING NumericString;
        ADS_BOOLEAN Boolean;
        ADS_INTEGER Integer;
        ADS_OCTET_STRING OctetString;
        ADS_LARGE_INTEGER LargeInteger;
    };
};
using PADSVALUE = ADSVALUE*;

enum ADS_SEARCHPREF : DWORD
{
    ADS_SEARCHPREF_ASYNCHRONOUS = 0,
    ADS_SEARCHPREF_DEREF_ALIASES = 1,
    ADS_SEARCHPREF_SIZE_LIMIT = 2,
    ADS_SEARCHPREF_TIME_LIMIT = 3,
    ADS_SEARCHPREF_ATTRIBTYPES_ONLY = 4,
    ADS_SEARCHPREF_SEARCH_SCOPE = 5,
    ADS_SEARCHPREF_TIMEOUT = 6,
    ADS_SEARCHPREF_PAGESIZE = 7,
    ADS_SEARCHPREF_PAGED_TIME_LIMIT = 8,
    ADS_SEARCHPREF_CHASE_REFERRALS = 9,
    ADS_SEARCHPREF_SORT_ON = 10,
    ADS_SEARCHPREF_CACHE_RESULTS = 11,
};

enum ADS_STATUS : DWORD
{
    ADS_STATUS_S_OK = 0,
    ADS_STATUS_INVALID_SEARCHPREF = 1,
    ADS_STATUS_INVALID_SEARCHPREFVALUE = 2,
};

struct ADS_SEARCHPREF_INFO
{
    ADS_SEARCHPREF dwSearchPref;
    ADSVALUE vValue;
    ADS_STATUS dwStatus;
};
using PADS_SEARCHPREF_INFO = ADS_SEARCHPREF_INFO*;

struct ADS_SEARCH_COLUMN
{
    LPWSTR pszAttrName;
    ADSTYPE dwADsType;
    PADSVALUE pADsValues;
    DWORD dwNumValues;
    HANDLE hReserved;
};
using PADS_SEARCH_COLUMN = ADS_SEARCH_COLUMN*;

enum ADS_SCOPEENUM : DWORD
{
    ADS_SCOPE_BASE = 0,
    ADS_SCOPE_ONELEVEL = 1,
    ADS_SCOPE_SUBTREE = 2,
};

enum ADS_AUTHENTICATION_ENUM : DWORD
{
    ADS_SECURE_AUTHENTICATION = 0x1,
    ADS_USE_ENCRYPTION = 0x2,
    ADS_USE_SSL = 0x2,
};

constexpr HRESULT S_ADS_ERRORSOCCURRED = 0x00005011;
constexpr HRESULT S_ADS_NOMORE_ROWS = 0x00005012;
constexpr HRESULT S_ADS_NOMORE_COLUMNS = 0x00005013;
constexpr HRESULT E_ADS_BAD_PATHNAME = static_cast<HRESULT>(0x80005000);
constexpr HRESULT E_ADS_INVALID_HANDLE = static_cast<HRESULT>(0x80005007);
constexpr HRESULT E_ADS_BAD_PARAMETER = static_cast<HRESULT>(0x80005008);
constexpr HRESULT E_ADS_COLUMN_NOT_SET = static_cast<HRESULT>(0x80005011);

// {109BA8EC-92F0-11D0-A790-00C04FD8D5A8}
inline constexpr IID IID_IDirectorySearch = {
    0x109BA8EC, 0x92F0, 0x11D0, {0xA7, 0x90, 0x00, 0xC0, 0x4F, 0xD8, 0xD5, 0xA8}};

struct IDirectorySearch : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE SetSearchPreference(PADS_SEARCHPREF_INFO pSearchPrefs,
                                                          DWORD dwNumPrefs) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExecuteSearch(LPWSTR pszSearchFilter, LPWSTR* pAttributeNames,
                                                    DWORD dwNumberAttributes,
                                                    PADS_SEARCH_HANDLE phSearchResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFirstRow(ADS_SEARCH_HANDLE hSearchResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNextRow(ADS_SEARCH_HANDLE hSearchResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetColumn(ADS_SEARCH_HANDLE hSearchResult,
                                                LPWSTR szColumnName,
                                                PADS_SEARCH_COLUMN pSearchColumn) = 0;
    virtual HRESULT STDMETHODCALLTYPE FreeColumn(PADS_SEARCH_COLUMN pSearchColumn) = 0;
    virtual HRESULT STDMETHODCALLTYPE CloseSearchHandle(ADS_SEARCH_HANDLE hSearchResult) = 0;

protected:
    ~IDirectorySearch() = default;
};

// Binds to "LDAP://server[:port][/DN]" with the credentials and hands out the interface asked
// for. The password never crosses the network unprotected (see the layer's README).
HRESULT ADsOpenObject(LPCWSTR lpszPathName, LPCWSTR lpszUserName, LPCWSTR lpszPassword,
                      DWORD dwReserved, REFIID riid, void** ppObject) noexcept;
