// Which IID each interface answers to, for the layer's reference-counted objects.
#pragma once

#include "platform/base/ComObject.h"
#include "platform/mapi/MapiInterfaces.h"

namespace winplat
{
template <> struct InterfaceId<IMAPITable>
{
    static constexpr IID value = IID_IMAPITable;
};
template <> struct InterfaceId<IMAPIProp>
{
    static constexpr IID value = IID_IMAPIProp;
};
template <> struct InterfaceId<IProfSect>
{
    static constexpr IID value = IID_IProfSect;
};
template <> struct InterfaceId<IMAPIContainer>
{
    static constexpr IID value = IID_IMAPIContainer;
};
template <> struct InterfaceId<IMAPIFolder>
{
    static constexpr IID value = IID_IMAPIFolder;
};
template <> struct InterfaceId<IMsgStore>
{
    static constexpr IID value = IID_IMsgStore;
};
template <> struct InterfaceId<IExchangeManageStore>
{
    static constexpr IID value = IID_IExchangeManageStore;
};
template <> struct InterfaceId<IMsgServiceAdmin>
{
    static constexpr IID value = IID_IMsgServiceAdmin;
};
template <> struct InterfaceId<IProfAdmin>
{
    static constexpr IID value = IID_IProfAdmin;
};
template <> struct InterfaceId<IMAPISession>
{
    static constexpr IID value = IID_IMAPISession;
};
} // namespace winplat
