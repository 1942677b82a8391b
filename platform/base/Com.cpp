#include "platform/base/Unknown.h"

namespace
{
thread_local int t_comInits = 0;
}

HRESULT CoInitialize(LPVOID) noexcept
{
    // Nothing to set up underneath; the count keeps the documented S_OK / S_FALSE answers.
    return t_comInits++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() noexcept
{
    if (t_comInits > 0)
        --t_comInits;
}
