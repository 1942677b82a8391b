// Administration of the user's profiles.
#pragma once

#include "platform/base/ComObject.h"
#include "platform/mapi/LiveObject.h"
#include "platform/mapi/MapiFaults.h"
#include "platform/mapi/MapiIids.h"
#include "platform/mapi/ProfileStore.h"

#include <memory>

namespace winplat::mapi
{

class ProfAdmin final : public ComObject<IProfAdmin>
{
public:
    [[nodiscard]] static HRESULT Create(std::shared_ptr<ProfileStore> store,
                                        LPPROFADMIN* lppProfAdmin) noexcept;

    HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) override;
    HRESULT GetProfileTable(ULONG ulFlags, LPMAPITABLE* lppTable) override;
    HRESULT CreateProfile(LPSTR lpszProfileName, LPSTR lpszPassword, ULONG_PTR ulUIParam,
                          ULONG ulFlags) override;
    HRESULT DeleteProfile(LPSTR lpszProfileName, ULONG ulFlags) override;
    HRESULT ChangeProfilePassword(LPSTR lpszProfileName, LPSTR lpszOldPassword,
                                  LPSTR lpszNewPassword, ULONG ulFlags) override;
    HRESULT CopyProfile(LPSTR lpszOldProfileName, LPSTR lpszOldPassword, LPSTR lpszNewProfileName,
                        ULONG_PTR ulUIParam, ULONG ulFlags) override;
    HRESULT RenameProfile(LPSTR lpszOldProfileName, LPSTR lpszOldPassword, LPSTR lpszNewProfileName,
                          ULONG_PTR ulUIParam, ULONG ulFlags) override;
    HRESULT SetDefaultProfile(LPSTR lpszProfileName, ULONG ulFlags) override;
    HRESULT AdminServices(LPSTR lpszProfileName, LPSTR lpszPassword, ULONG_PTR ulUIParam,
                          ULONG ulFlags, LPSERVICEADMIN* lppServiceAdmin) override;

private:
    explicit ProfAdmin(std::shared_ptr<ProfileStore> store);
    ~ProfAdmin() override = default;

    LiveObject m_live{MapiObject::ProfAdmin};
    std::shared_ptr<ProfileStore> m_store;
};

} // namespace winplat::mapi
