// Start and end of the messaging subsystem.
#include "platform/mapi/MapiInit.h"
#include "platform/mapi/MapiApi.h"
#include "platform/mapi/MapiFaults.h"

#include <mutex>

namespace
{

struct InitState
{
    std::mutex mutex;
    long count = 0;
};

InitState& TheInit()
{
    static InitState state;
    return state;
}

constexpr ULONG kKnownInitFlags = MAPI_MULTITHREAD_NOTIFICATIONS | MAPI_NO_COINIT | MAPI_NT_SERVICE;

} // namespace

HRESULT MAPIInitialize(LPVOID lpMapiInit) noexcept
{
    const auto* init = static_cast<const MAPIINIT_0*>(lpMapiInit);
    HRESULT hr = S_OK;
    if (winplat::mapi::MapiFaults::Hit("MAPIInitialize", init ? init->ulFlags : 0, &hr))
        return hr;
    if (init != nullptr && init->ulVersion != MAPI_INIT_VERSION)
        return MAPI_E_VERSION;
    if (init != nullptr && (init->ulFlags & ~kKnownInitFlags) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    InitState& s = TheInit();
    std::lock_guard lock(s.mutex);
    ++s.count;
    return S_OK;
}

void MAPIUninitialize() noexcept
{
    HRESULT ignored = S_OK;
    (void)winplat::mapi::MapiFaults::Hit("MAPIUninitialize", 0, &ignored);
    InitState& s = TheInit();
    std::lock_guard lock(s.mutex);
    // An end without a start is harmless: callers may tear down unconditionally.
    if (s.count > 0)
        --s.count;
}

namespace winplat::mapi
{

bool IsInitialized() noexcept
{
    InitState& s = TheInit();
    std::lock_guard lock(s.mutex);
    return s.count > 0;
}

long MapiFaults::InitCount()
{
    InitState& s = TheInit();
    std::lock_guard lock(s.mutex);
    return s.count;
}

} // namespace winplat::mapi
