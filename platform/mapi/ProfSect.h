// One section of a profile: properties read when it is opened, changed in memory by SetProps
// and DeleteProps, written by SaveChanges in one transaction.
#pragma once

#include "platform/base/ComObject.h"
#include "platform/mapi/LiveObject.h"
#include "platform/mapi/MapiFaults.h"
#include "platform/mapi/MapiIids.h"
#include "platform/mapi/ProfileStore.h"
#include "platform/mapi/UnsupportedProps.h"

#include <memory>
#include <set>

namespace winplat::mapi
{

inline constexpr char kProfSectInterface[] = "IProfSect";

class ProfSect final : public UnsupportedProps<ComObject<IProfSect>, kProfSectInterface>
{
public:
    [[nodiscard]] static HRESULT Open(std::shared_ptr<ProfileStore> store, std::int64_t profile,
                                      const MAPIUID& section, bool writable,
                                      LPPROFSECT* lppProfSect) noexcept;

    HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) override;
    HRESULT SaveChanges(ULONG ulFlags) override;
    HRESULT GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                     LPSPropValue* lppPropArray) override;
    HRESULT GetPropList(ULONG ulFlags, LPSPropTagArray* lppPropTagArray) override;
    HRESULT SetProps(ULONG cValues, LPSPropValue lpPropArray,
                     LPSPropProblemArray* lppProblems) override;
    HRESULT DeleteProps(LPSPropTagArray lpPropTagArray, LPSPropProblemArray* lppProblems) override;

protected:
    HRESULT QueryExtra(REFIID riid, void** ppv) override;

private:
    ProfSect(std::shared_ptr<ProfileStore> store, std::int64_t profile, const MAPIUID& section,
             bool writable);
    ~ProfSect() override = default;

    LiveObject m_live{MapiObject::ProfSect};
    std::shared_ptr<ProfileStore> m_store;
    std::int64_t m_profile;
    MAPIUID m_section;
    bool m_writable;
    std::vector<PropValue> m_props; // what the section holds, pending changes applied
    std::vector<PropValue> m_pendingSet;
    std::set<ULONG> m_pendingDelete; // property identifiers
};

} // namespace winplat::mapi
