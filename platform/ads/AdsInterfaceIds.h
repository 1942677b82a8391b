// Lets the layer's reference-counted objects answer the directory interfaces.
#pragma once

#include "platform/ads/Ads.h"
#include "platform/base/ComObject.h"

namespace winplat
{
template <> struct InterfaceId<IDirectorySearch>
{
    static constexpr const IID& value = IID_IDirectorySearch;
};
} // namespace winplat
