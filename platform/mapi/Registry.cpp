// RegFlushKey: the messaging profiles are the per-user configuration this layer keeps.
#include "platform/base/Registry.h"
#include "platform/mapi/MapiFaults.h"
#include "platform/mapi/ProfileStore.h"

using namespace winplat::mapi;

LONG RegFlushKey(HKEY hKey) noexcept
{
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("RegFlushKey", 0, &hr))
        return static_cast<LONG>(HRESULT_CODE(hr));
    const auto classesRoot = reinterpret_cast<HKEY>(ULONG_PTR{0x80000000u});
    if (hKey == HKEY_LOCAL_MACHINE || hKey == HKEY_USERS || hKey == classesRoot)
        return ERROR_SUCCESS; // nothing of the machine's is kept here
    if (hKey != HKEY_CURRENT_USER)
        return static_cast<LONG>(ERROR_INVALID_HANDLE);
    std::shared_ptr<ProfileStore> store;
    if (FAILED(ProfileStore::Open(&store)) || FAILED(store->Flush()))
        return static_cast<LONG>(ERROR_ACCESS_DENIED);
    return ERROR_SUCCESS;
}
