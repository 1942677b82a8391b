// A logon to the stores of one profile. Opening a mailbox store is refused once the session
// holds its server's limit of stores open at once (MAPI_E_SESSION_LIMIT), as Exchange does,
// so that a store nobody releases is noticed.
#pragma once

#include "platform/base/ComObject.h"
#include "platform/mapi/LiveObject.h"
#include "platform/mapi/MapiFaults.h"
#include "platform/mapi/MapiIids.h"
#include "platform/mapi/Restriction.h"
#include "platform/mapi/SessionContext.h"

#include <memory>

namespace winplat::mapi
{

class Session final : public ComObject<IMAPISession>
{
public:
    // `stores` are the rows of the message stores table.
    [[nodiscard]] static HRESULT Create(std::shared_ptr<SessionContext> context,
                                        std::shared_ptr<const std::vector<Row>> stores,
                                        LPMAPISESSION* lppSession) noexcept;

    HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) override;
    HRESULT GetMsgStoresTable(ULONG ulFlags, LPMAPITABLE* lppTable) override;
    HRESULT OpenMsgStore(ULONG_PTR ulUIParam, ULONG cbEntryID, LPENTRYID lpEntryID,
                         LPCIID lpInterface, ULONG ulFlags, LPMDB* lppMDB) override;
    HRESULT OpenAddressBook(ULONG_PTR ulUIParam, LPCIID lpInterface, ULONG ulFlags,
                            LPADRBOOK* lppAdrBook) override;
    HRESULT OpenProfileSection(LPMAPIUID lpUID, LPCIID lpInterface, ULONG ulFlags,
                               LPPROFSECT* lppProfSect) override;
    HRESULT GetStatusTable(ULONG ulFlags, LPMAPITABLE* lppTable) override;
    HRESULT OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                      ULONG* lpulObjType, LPUNKNOWN* lppUnk) override;
    HRESULT CompareEntryIDs(ULONG cbEntryID1, LPENTRYID lpEntryID1, ULONG cbEntryID2,
                            LPENTRYID lpEntryID2, ULONG ulFlags, ULONG* lpulResult) override;
    HRESULT Advise(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulEventMask,
                   LPMAPIADVISESINK lpAdviseSink, ULONG_PTR* lpulConnection) override;
    HRESULT Unadvise(ULONG_PTR ulConnection) override;
    HRESULT MessageOptions(ULONG_PTR ulUIParam, ULONG ulFlags, LPTSTR lpszAdrType,
                           LPMESSAGE lpMessage) override;
    HRESULT QueryDefaultMessageOpt(LPTSTR lpszAdrType, ULONG ulFlags, ULONG* lpcValues,
                                   LPSPropValue* lppOptions) override;
    HRESULT EnumAdrTypes(ULONG ulFlags, ULONG* lpcAdrTypes, LPTSTR** lpppszAdrTypes) override;
    HRESULT QueryIdentity(ULONG* lpcbEntryID, LPENTRYID* lppEntryID) override;
    HRESULT Logoff(ULONG_PTR ulUIParam, ULONG ulFlags, ULONG ulReserved) override;
    HRESULT SetDefaultStore(ULONG ulFlags, ULONG cbEntryID, LPENTRYID lpEntryID) override;
    HRESULT AdminServices(ULONG ulFlags, LPSERVICEADMIN* lppServiceAdmin) override;
    HRESULT ShowForm(ULONG_PTR ulUIParam, LPMDB lpMsgStore, LPMAPIFOLDER lpParentFolder,
                     LPCIID lpInterface, ULONG ulMessageToken, LPMESSAGE lpMessageSent,
                     ULONG ulFlags, ULONG ulMessageStatus, ULONG ulMessageFlags, ULONG ulAccess,
                     LPSTR lpszMessageClass) override;
    HRESULT PrepareForm(LPCIID lpInterface, LPMESSAGE lpMessage, ULONG* lpulMessageToken) override;

private:
    Session(std::shared_ptr<SessionContext> context,
            std::shared_ptr<const std::vector<Row>> stores);
    ~Session() override;

    LiveObject m_live{MapiObject::Session};
    std::shared_ptr<SessionContext> m_context;
    std::shared_ptr<const std::vector<Row>> m_stores;
};

} // namespace winplat::mapi
