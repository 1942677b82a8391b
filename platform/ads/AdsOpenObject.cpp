#include "platform/ads/Ads.h"
#include "platform/ads/AdsPath.h"
#include "platform/ads/BindName.h"
#include "platform/ads/DirectorySearch.h"
#include "platform/ads/LdapConnection.h"
#include "platform/ads/LdapEndpoint.h"
#include "platform/base/CString.h"
#include "platform/base/PlatformConfig.h"
#include "platform/base/SafePoint.h"

#include <cstdio>

using namespace winplat;
using namespace winplat::ads;

HRESULT ADsOpenObject(LPCWSTR lpszPathName, LPCWSTR lpszUserName, LPCWSTR lpszPassword,
                      DWORD dwReserved, REFIID riid, void** ppObject) noexcept
{
    winplat::SafePoint();
    if (ppObject == nullptr)
        return E_POINTER;
    *ppObject = nullptr;
    if (dwReserved & ~static_cast<DWORD>(ADS_SECURE_AUTHENTICATION | ADS_USE_SSL))
    {
        std::fprintf(stderr, "directory: bind flags 0x%x are not supported\n",
                     static_cast<unsigned>(dwReserved));
        return E_ADS_BAD_PARAMETER;
    }
    if (!IsEqualIID(riid, IID_IDirectorySearch) && !IsEqualIID(riid, IID_IUnknown))
        return E_NOINTERFACE;
    try
    {
        auto path = ParseAdsPath(lpszPathName ? std::u16string_view(lpszPathName) : u"");
        if (!path)
            return E_ADS_BAD_PATHNAME;
        auto config = PlatformConfig::Current();
        auto endpoint = ResolveEndpoint(*path, *config);
        if (!endpoint)
            return E_ADS_BAD_PATHNAME;
        if ((dwReserved & ADS_USE_SSL) && !endpoint->ldaps)
        {
            endpoint->ldaps = true;
            if (!path->port && config->Keys("hosts").empty())
                endpoint->port = 636;
        }

        auto connection = std::make_unique<LdapConnection>();
        HRESULT hr = connection->Open(*endpoint);
        if (FAILED(hr))
            return hr;
        RootDse rootDse;
        hr = connection->ReadRootDse(rootDse);
        if (FAILED(hr))
            return hr;

        std::string user = lpszUserName ? ToUtf8(std::u16string_view(lpszUserName)) : "";
        std::string password = lpszPassword ? ToUtf8(std::u16string_view(lpszPassword)) : "";
        // No credentials of the process stand behind an empty name or password here.
        if (password.empty())
            return HRESULT_FROM_WIN32(ERROR_LOGON_FAILURE);
        BindPlan plan = PlanBind(user, rootDse);
        std::string dn;
        switch (plan.kind)
        {
        case BindPlan::Kind::Refuse:
            return HRESULT_FROM_WIN32(ERROR_LOGON_FAILURE);
        case BindPlan::Kind::Direct:
            dn = plan.name;
            break;
        case BindPlan::Kind::LookupAccount:
            hr = connection->FindAccountDn(rootDse.DefaultBase(), plan.name, dn);
            if (FAILED(hr))
                return hr;
            break;
        }
        hr = connection->SimpleBind(dn, password);
        if (FAILED(hr))
            return hr;

        std::string base = path->dn.empty() ? rootDse.DefaultBase() : path->dn;
        auto* search = new DirectorySearch(std::move(connection), base, rootDse.subschemaSubentry);
        hr = search->QueryInterface(riid, ppObject);
        search->Release();
        return hr;
    }
    catch (...)
    {
        return E_OUTOFMEMORY;
    }
}
