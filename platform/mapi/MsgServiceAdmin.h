// The services of one profile: their table, creation, configuration and sections.
#pragma once

#include "platform/base/ComObject.h"
#include "platform/mapi/LiveObject.h"
#include "platform/mapi/MapiFaults.h"
#include "platform/mapi/MapiIids.h"
#include "platform/mapi/ProfileStore.h"

#include <memory>

namespace winplat::mapi
{

class MsgServiceAdmin final : public ComObject<IMsgServiceAdmin>
{
public:
    [[nodiscard]] static HRESULT Create(std::shared_ptr<ProfileStore> store, std::int64_t profile,
                                        LPSERVICEADMIN* lppServiceAdmin) noexcept;

    HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) override;
    HRESULT GetMsgServiceTable(ULONG ulFlags, LPMAPITABLE* lppTable) override;
    HRESULT CreateMsgService(LPSTR lpszService, LPSTR lpszDisplayName, ULONG_PTR ulUIParam,
                             ULONG ulFlags) override;
    HRESULT DeleteMsgService(LPMAPIUID lpUID) override;
    HRESULT CopyMsgService(LPMAPIUID lpUID, LPSTR lpszDisplayName, LPCIID lpInterfaceToCopy,
                           LPCIID lpInterfaceDst, LPVOID lpObjectDst, ULONG_PTR ulUIParam,
                           ULONG ulFlags) override;
    HRESULT RenameMsgService(LPMAPIUID lpUID, ULONG ulFlags, LPSTR lpszDisplayName) override;
    HRESULT ConfigureMsgService(LPMAPIUID lpUID, ULONG_PTR ulUIParam, ULONG ulFlags, ULONG cValues,
                                LPSPropValue lpProps) override;
    HRESULT OpenProfileSection(LPMAPIUID lpUID, LPCIID lpInterface, ULONG ulFlags,
                               LPPROFSECT* lppProfSect) override;
    HRESULT MsgServiceTransportOrder(ULONG cUID, LPMAPIUID lpUIDList, ULONG ulFlags) override;
    HRESULT AdminProviders(LPMAPIUID lpUID, ULONG ulFlags,
                           LPPROVIDERADMIN* lppProviderAdmin) override;
    HRESULT SetPrimaryIdentity(LPMAPIUID lpUID, ULONG ulFlags) override;
    HRESULT GetProviderTable(ULONG ulFlags, LPMAPITABLE* lppTable) override;

private:
    MsgServiceAdmin(std::shared_ptr<ProfileStore> store, std::int64_t profile);
    ~MsgServiceAdmin() override = default;

    LiveObject m_live{MapiObject::ServiceAdmin};
    std::shared_ptr<ProfileStore> m_store;
    std::int64_t m_profile;
};

// The services this layer provides.
constexpr const char* kExchangeService = "MSEMS";

} // namespace winplat::mapi
