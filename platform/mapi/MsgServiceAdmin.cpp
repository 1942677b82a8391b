#include "platform/mapi/MsgServiceAdmin.h"

#include "platform/base/PlatformConfig.h"
#include "platform/mapi/MemoryTable.h"
#include "platform/mapi/NotSupported.h"
#include "platform/mapi/ProfSect.h"
#include "platform/mapi/PropList.h"

#include <new>

namespace winplat::mapi
{

namespace
{

constexpr ULONG SERVICE_NO_PRIMARY_IDENTITY = 0x00000020;
constexpr ULONG kCreateFlags =
    SERVICE_UI_ALWAYS | SERVICE_UI_ALLOWED | SERVICE_NO_PRIMARY_IDENTITY | MAPI_UNICODE;
constexpr ULONG kConfigureFlags =
    SERVICE_UI_ALWAYS | SERVICE_UI_ALLOWED | MSG_SERVICE_UI_READ_ONLY | MAPI_UNICODE;
constexpr ULONG kSectionFlags =
    MAPI_MODIFY | MAPI_FORCE_ACCESS | MAPI_DEFERRED_ERRORS | MAPI_BEST_ACCESS | MAPI_UNICODE;

template <typename F> HRESULT Guarded(F&& f) noexcept
{
    try
    {
        return f();
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

} // namespace

MsgServiceAdmin::MsgServiceAdmin(std::shared_ptr<ProfileStore> store, std::int64_t profile)
    : m_store(std::move(store)), m_profile(profile)
{
}

HRESULT MsgServiceAdmin::Create(std::shared_ptr<ProfileStore> store, std::int64_t profile,
                                LPSERVICEADMIN* lppServiceAdmin) noexcept
{
    return Guarded(
        [&]() -> HRESULT
        {
            *lppServiceAdmin = new MsgServiceAdmin(std::move(store), profile);
            return S_OK;
        });
}

HRESULT MsgServiceAdmin::GetLastError(HRESULT, ULONG, LPMAPIERROR* lppMAPIError)
{
    return NoExtendedError(lppMAPIError);
}

HRESULT MsgServiceAdmin::GetMsgServiceTable(ULONG ulFlags, LPMAPITABLE* lppTable)
{
    if (lppTable == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lppTable = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMsgServiceAdmin::GetMsgServiceTable", ulFlags, &hr))
        return hr;
    if ((ulFlags & ~MAPI_UNICODE) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    return Guarded(
        [&]() -> HRESULT
        {
            std::vector<ProfileStore::Service> services;
            if (HRESULT r = m_store->ListServices(m_profile, &services); FAILED(r))
                return r;
            auto rows = std::make_shared<std::vector<Row>>();
            for (const ProfileStore::Service& s : services)
            {
                rows->push_back(Row{
                    PropValue::Binary(PR_INSTANCE_KEY, s.uid.ab, sizeof s.uid.ab),
                    PropValue::Binary(PR_SERVICE_UID, s.uid.ab, sizeof s.uid.ab),
                    PropValue::Ansi(PR_SERVICE_NAME_A, s.name),
                    PropValue::Wide(PR_DISPLAY_NAME_W, s.displayName),
                    PropValue::Long(PR_RESOURCE_FLAGS, 0),
                });
            }
            const bool unicode = (ulFlags & MAPI_UNICODE) != 0;
            TableOptions options;
            options.unicode = unicode;
            options.columns = {PR_INSTANCE_KEY, PR_SERVICE_UID,
                               unicode ? PR_SERVICE_NAME_W : PR_SERVICE_NAME_A,
                               unicode ? PR_DISPLAY_NAME_W : PR_DISPLAY_NAME_A, PR_RESOURCE_FLAGS};
            return MemoryTable::Create(std::move(rows), std::move(options), lppTable);
        });
}

HRESULT MsgServiceAdmin::CreateMsgService(LPSTR lpszService, LPSTR lpszDisplayName, ULONG_PTR,
                                          ULONG ulFlags)
{
    return Guarded(
        [&]() -> HRESULT
        {
            std::u16string service = ArgText(lpszService, ulFlags);
            HRESULT hr = S_OK;
            if (MapiFaults::Hit("IMsgServiceAdmin::CreateMsgService", ulFlags, &hr,
                                WideToUtf8(service)))
                return hr;
            if (lpszService == nullptr)
                return MAPI_E_INVALID_PARAMETER;
            if ((ulFlags & ~kCreateFlags) != 0)
                return MAPI_E_UNKNOWN_FLAGS;
            if (!EqualsNoCase(WideToUtf8(service), kExchangeService))
            {
                LogProblem("service \"%s\" is not installed", WideToUtf8(service).c_str());
                return MAPI_E_NOT_FOUND;
            }
            std::u16string display =
                lpszDisplayName ? ArgText(lpszDisplayName, ulFlags) : Utf8ToWide(kExchangeService);
            MAPIUID uid{};
            return m_store->CreateService(m_profile, kExchangeService, display, &uid);
        });
}

HRESULT MsgServiceAdmin::DeleteMsgService(LPMAPIUID lpUID)
{
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMsgServiceAdmin::DeleteMsgService", 0, &hr))
        return hr;
    if (lpUID == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    return m_store->DeleteService(m_profile, *lpUID);
}

HRESULT MsgServiceAdmin::CopyMsgService(LPMAPIUID, LPSTR, LPCIID, LPCIID, LPVOID, ULONG_PTR, ULONG)
{
    return NotSupported("IMsgServiceAdmin::CopyMsgService");
}

HRESULT MsgServiceAdmin::RenameMsgService(LPMAPIUID, ULONG, LPSTR)
{
    return NotSupported("IMsgServiceAdmin::RenameMsgService");
}

HRESULT MsgServiceAdmin::ConfigureMsgService(LPMAPIUID lpUID, ULONG_PTR, ULONG ulFlags,
                                             ULONG cValues, LPSPropValue lpProps)
{
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMsgServiceAdmin::ConfigureMsgService", ulFlags, &hr))
        return hr;
    if (lpUID == nullptr || (cValues != 0 && lpProps == nullptr))
        return MAPI_E_INVALID_PARAMETER;
    if ((ulFlags & ~kConfigureFlags) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    return Guarded(
        [&]() -> HRESULT
        {
            if (HRESULT r = m_store->HasService(m_profile, *lpUID); FAILED(r))
                return r;
            std::vector<PropValue> values;
            for (ULONG i = 0; i < cValues; ++i)
            {
                if (PROP_TYPE(lpProps[i].ulPropTag) == PT_ERROR)
                    continue;
                std::optional<PropValue> v = PropValue::From(lpProps[i]);
                if (!v)
                    return MAPI_E_TYPE_NO_SUPPORT;
                values.push_back(std::move(*v));
            }
            if (HRESULT r = m_store->WriteSection(m_profile, *lpUID, values, {}); FAILED(r))
                return r;
            // Without a dialog to ask in, the Exchange service needs both its server and its
            // mailbox from the caller.
            std::vector<PropValue> now;
            if (HRESULT r = m_store->ReadSection(m_profile, *lpUID, &now); FAILED(r))
                return r;
            if (!FindById(now, PR_PROFILE_UNRESOLVED_SERVER) ||
                !FindById(now, PR_PROFILE_UNRESOLVED_NAME))
                return MAPI_E_UNCONFIGURED;
            return S_OK;
        });
}

HRESULT MsgServiceAdmin::OpenProfileSection(LPMAPIUID lpUID, LPCIID lpInterface, ULONG ulFlags,
                                            LPPROFSECT* lppProfSect)
{
    if (lppProfSect == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lppProfSect = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMsgServiceAdmin::OpenProfileSection", ulFlags, &hr))
        return hr;
    if (lpUID == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    if ((ulFlags & ~kSectionFlags) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    if (lpInterface != nullptr && !IsEqualIID(*lpInterface, IID_IProfSect) &&
        !IsEqualIID(*lpInterface, IID_IMAPIProp) && !IsEqualIID(*lpInterface, IID_IUnknown))
        return MAPI_E_INTERFACE_NOT_SUPPORTED;
    bool writable = (ulFlags & (MAPI_MODIFY | MAPI_BEST_ACCESS)) != 0;
    return ProfSect::Open(m_store, m_profile, *lpUID, writable, lppProfSect);
}

HRESULT MsgServiceAdmin::MsgServiceTransportOrder(ULONG, LPMAPIUID, ULONG)
{
    return NotSupported("IMsgServiceAdmin::MsgServiceTransportOrder");
}

HRESULT MsgServiceAdmin::AdminProviders(LPMAPIUID, ULONG, LPPROVIDERADMIN* lppProviderAdmin)
{
    if (lppProviderAdmin)
        *lppProviderAdmin = nullptr;
    return NotSupported("IMsgServiceAdmin::AdminProviders");
}

HRESULT MsgServiceAdmin::SetPrimaryIdentity(LPMAPIUID, ULONG)
{
    return NotSupported("IMsgServiceAdmin::SetPrimaryIdentity");
}

HRESULT MsgServiceAdmin::GetProviderTable(ULONG, LPMAPITABLE* lppTable)
{
    if (lppTable)
        *lppTable = nullptr;
    return NotSupported("IMsgServiceAdmin::GetProviderTable");
}

} // namespace winplat::mapi
