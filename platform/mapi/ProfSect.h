// One section of a profile: properties read when it is opened, changed in memory by SetProps
// and DeleteProps, written by SaveChanges in one transaction.
#pragma once

#include "platform/base/ComObject.h"
#include "platform/mapi/LiveObject.h"
#include "platform/mapi/MapiFaults.h"
#include "platform/mapi/MapiIids.h"
#include "platform/mapi/ProfileStore.h"

#include <memory>
#include <set>

namespace winplat::mapi
{

class ProfSect final : public ComObject<IProfSect>
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
    HRESULT OpenProperty(ULONG ulPropTag, LPCIID lpiid, ULONG ulInterfaceOptions, ULONG ulFlags,
                         LPUNKNOWN* lppUnk) override;
    HRESULT SetProps(ULONG cValues, LPSPropValue lpPropArray,
                     LPSPropProblemArray* lppProblems) override;
    HRESULT DeleteProps(LPSPropTagArray lpPropTagArray, LPSPropProblemArray* lppProblems) override;
    HRESULT CopyTo(ULONG ciidExclude, LPCIID rgiidExclude, LPSPropTagArray lpExcludeProps,
                   ULONG_PTR ulUIParam, LPMAPIPROGRESS lpProgress, LPCIID lpInterface,
                   LPVOID lpDestObj, ULONG ulFlags, LPSPropProblemArray* lppProblems) override;
    HRESULT CopyProps(LPSPropTagArray lpIncludeProps, ULONG_PTR ulUIParam,
                      LPMAPIPROGRESS lpProgress, LPCIID lpInterface, LPVOID lpDestObj,
                      ULONG ulFlags, LPSPropProblemArray* lppProblems) override;
    HRESULT GetNamesFromIDs(LPSPropTagArray* lppPropTags, LPGUID lpPropSetGuid, ULONG ulFlags,
                            ULONG* lpcPropNames, LPMAPINAMEID** lpppPropNames) override;
    HRESULT GetIDsFromNames(ULONG cPropNames, LPMAPINAMEID* lppPropNames, ULONG ulFlags,
                            LPSPropTagArray* lppPropTags) override;

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
