#include "platform/mapi/ProfAdmin.h"

#include "platform/mapi/MapiApi.h"
#include "platform/mapi/MapiInit.h"
#include "platform/mapi/MemoryTable.h"
#include "platform/mapi/MsgServiceAdmin.h"
#include "platform/mapi/NotSupported.h"

#include <new>

namespace winplat::mapi
{

namespace
{

constexpr ULONG MAPI_DEFAULT_SERVICES = 0x00000001;
constexpr ULONG MAPI_DIALOG = 0x00000008;
constexpr ULONG kCreateFlags = MAPI_DEFAULT_SERVICES | MAPI_DIALOG | MAPI_UNICODE;
constexpr ULONG kAdminServicesFlags = MAPI_DIALOG | MAPI_UNICODE;

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

ProfAdmin::ProfAdmin(std::shared_ptr<ProfileStore> store) : m_store(std::move(store)) {}

HRESULT ProfAdmin::Create(std::shared_ptr<ProfileStore> store, LPPROFADMIN* lppProfAdmin) noexcept
{
    return Guarded(
        [&]() -> HRESULT
        {
            *lppProfAdmin = new ProfAdmin(std::move(store));
            return S_OK;
        });
}

HRESULT ProfAdmin::GetLastError(HRESULT, ULONG, LPMAPIERROR* lppMAPIError)
{
    return NoExtendedError(lppMAPIError);
}

HRESULT ProfAdmin::GetProfileTable(ULONG ulFlags, LPMAPITABLE* lppTable)
{
    if (lppTable == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lppTable = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IProfAdmin::GetProfileTable", ulFlags, &hr))
        return hr;
    if ((ulFlags & ~MAPI_UNICODE) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    return Guarded(
        [&]() -> HRESULT
        {
            std::vector<std::u16string> names;
            if (HRESULT r = m_store->ListProfiles(&names); FAILED(r))
                return r;
            auto rows = std::make_shared<std::vector<Row>>();
            LONG key = 0;
            for (std::u16string& name : names)
            {
                ++key;
                rows->push_back(Row{PropValue::Wide(PR_DISPLAY_NAME_W, std::move(name)),
                                    PropValue::Bool(PR_DEFAULT_PROFILE, false),
                                    PropValue::Binary(PR_INSTANCE_KEY, &key, sizeof key)});
            }
            const bool unicode = (ulFlags & MAPI_UNICODE) != 0;
            TableOptions options;
            options.unicode = unicode;
            options.columns = {unicode ? PR_DISPLAY_NAME_W : PR_DISPLAY_NAME_A, PR_DEFAULT_PROFILE,
                               PR_INSTANCE_KEY};
            return MemoryTable::Create(std::move(rows), std::move(options), lppTable);
        });
}

HRESULT ProfAdmin::CreateProfile(LPSTR lpszProfileName, LPSTR, ULONG_PTR, ULONG ulFlags)
{
    return Guarded(
        [&]() -> HRESULT
        {
            std::u16string name = ArgText(lpszProfileName, ulFlags);
            HRESULT hr = S_OK;
            if (MapiFaults::Hit("IProfAdmin::CreateProfile", ulFlags, &hr, WideToUtf8(name)))
                return hr;
            if (lpszProfileName == nullptr)
                return MAPI_E_INVALID_PARAMETER;
            if ((ulFlags & ~kCreateFlags) != 0)
                return MAPI_E_UNKNOWN_FLAGS;
            return m_store->CreateProfile(name);
        });
}

HRESULT ProfAdmin::DeleteProfile(LPSTR lpszProfileName, ULONG ulFlags)
{
    return Guarded(
        [&]() -> HRESULT
        {
            std::u16string name = ArgText(lpszProfileName, ulFlags);
            HRESULT hr = S_OK;
            if (MapiFaults::Hit("IProfAdmin::DeleteProfile", ulFlags, &hr, WideToUtf8(name)))
                return hr;
            if (lpszProfileName == nullptr)
                return MAPI_E_INVALID_PARAMETER;
            if ((ulFlags & ~MAPI_UNICODE) != 0)
                return MAPI_E_UNKNOWN_FLAGS;
            return m_store->DeleteProfile(name);
        });
}

HRESULT ProfAdmin::ChangeProfilePassword(LPSTR, LPSTR, LPSTR, ULONG)
{
    return NotSupported("IProfAdmin::ChangeProfilePassword");
}

HRESULT ProfAdmin::CopyProfile(LPSTR, LPSTR, LPSTR, ULONG_PTR, ULONG)
{
    return NotSupported("IProfAdmin::CopyProfile");
}

HRESULT ProfAdmin::RenameProfile(LPSTR, LPSTR, LPSTR, ULONG_PTR, ULONG)
{
    return NotSupported("IProfAdmin::RenameProfile");
}

HRESULT ProfAdmin::SetDefaultProfile(LPSTR, ULONG)
{
    return NotSupported("IProfAdmin::SetDefaultProfile");
}

HRESULT ProfAdmin::AdminServices(LPSTR lpszProfileName, LPSTR, ULONG_PTR, ULONG ulFlags,
                                 LPSERVICEADMIN* lppServiceAdmin)
{
    if (lppServiceAdmin == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lppServiceAdmin = nullptr;
    return Guarded(
        [&]() -> HRESULT
        {
            std::u16string name = ArgText(lpszProfileName, ulFlags);
            HRESULT hr = S_OK;
            if (MapiFaults::Hit("IProfAdmin::AdminServices", ulFlags, &hr, WideToUtf8(name)))
                return hr;
            if (lpszProfileName == nullptr)
                return MAPI_E_INVALID_PARAMETER;
            if ((ulFlags & ~kAdminServicesFlags) != 0)
                return MAPI_E_UNKNOWN_FLAGS;
            std::int64_t id = 0;
            if (HRESULT r = m_store->FindProfile(name, &id); FAILED(r))
                return r;
            return MsgServiceAdmin::Create(m_store, id, lppServiceAdmin);
        });
}

} // namespace winplat::mapi

using namespace winplat::mapi;

HRESULT MAPIAdminProfiles(ULONG ulFlags, LPPROFADMIN* lppProfAdmin) noexcept
{
    if (lppProfAdmin == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lppProfAdmin = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("MAPIAdminProfiles", ulFlags, &hr))
        return hr;
    if (!IsInitialized())
        return MAPI_E_NOT_INITIALIZED;
    if (ulFlags != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    std::shared_ptr<ProfileStore> store;
    if (HRESULT r = ProfileStore::Open(&store); FAILED(r))
        return r;
    return ProfAdmin::Create(std::move(store), lppProfAdmin);
}
