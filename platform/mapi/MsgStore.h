// A mailbox store (or the public folders) of the Exchange service, opened by a session.
// It answers IExchangeManageStore, through which an administrator's store makes entry IDs
// for other mailboxes. It counts as open for its session until its last release.
#pragma once

#include "platform/base/ComObject.h"
#include "platform/mapi/LiveObject.h"
#include "platform/mapi/MapiFaults.h"
#include "platform/mapi/MapiIids.h"
#include "platform/mapi/SessionContext.h"
#include "platform/mapi/StoreEntryId.h"
#include "platform/mapi/UnsupportedProps.h"

#include <memory>
#include <optional>

namespace winplat::mapi
{

inline constexpr char kMsgStoreInterface[] = "IMsgStore";

class MsgStore final
    : public ReadOnlyProps<ComObject<IMsgStore, IExchangeManageStore>, kMsgStoreInterface>
{
public:
    // A mailbox when `mailbox` is set, else the public folders.
    [[nodiscard]] static HRESULT Create(std::shared_ptr<SessionContext> session,
                                        std::shared_ptr<const ExchangeServer> server,
                                        std::optional<MailboxRecord> mailbox, StoreEntryId id,
                                        LPMDB* lppMDB) noexcept;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;

    // IMAPIProp
    HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) override;
    HRESULT SaveChanges(ULONG ulFlags) override;
    HRESULT GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                     LPSPropValue* lppPropArray) override;
    HRESULT GetPropList(ULONG ulFlags, LPSPropTagArray* lppPropTagArray) override;

    // IMsgStore
    HRESULT Advise(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulEventMask,
                   LPMAPIADVISESINK lpAdviseSink, ULONG_PTR* lpulConnection) override;
    HRESULT Unadvise(ULONG_PTR ulConnection) override;
    HRESULT CompareEntryIDs(ULONG cbEntryID1, LPENTRYID lpEntryID1, ULONG cbEntryID2,
                            LPENTRYID lpEntryID2, ULONG ulFlags, ULONG* lpulResult) override;
    HRESULT OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                      ULONG* lpulObjType, LPUNKNOWN* lppUnk) override;
    HRESULT SetReceiveFolder(LPTSTR lpszMessageClass, ULONG ulFlags, ULONG cbEntryID,
                             LPENTRYID lpEntryID) override;
    HRESULT GetReceiveFolder(LPTSTR lpszMessageClass, ULONG ulFlags, ULONG* lpcbEntryID,
                             LPENTRYID* lppEntryID, LPTSTR* lppszExplicitClass) override;
    HRESULT GetReceiveFolderTable(ULONG ulFlags, LPMAPITABLE* lppTable) override;
    HRESULT StoreLogoff(ULONG* lpulFlags) override;
    HRESULT AbortSubmit(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulFlags) override;
    HRESULT GetOutgoingQueue(ULONG ulFlags, LPMAPITABLE* lppTable) override;
    HRESULT SetLockState(LPMESSAGE lpMessage, ULONG ulLockState) override;
    HRESULT FinishedMsg(ULONG ulFlags, ULONG cbEntryID, LPENTRYID lpEntryID) override;
    HRESULT NotifyNewMail(LPNOTIFICATION lpNotification) override;

    // IExchangeManageStore
    HRESULT CreateStoreEntryID(LPSTR lpszMsgStoreDN, LPSTR lpszMailboxDN, ULONG ulFlags,
                               ULONG* lpcbEntryID, LPENTRYID* lppEntryID) override;
    HRESULT EntryIDFromSourceKey(ULONG cFolderKeySize, BYTE* lpFolderSourceKey,
                                 ULONG cMessageKeySize, BYTE* lpMessageSourceKey,
                                 ULONG* lpcbEntryID, LPENTRYID* lppEntryID) override;
    HRESULT GetRights(ULONG cbUserEntryID, LPENTRYID lpUserEntryID, ULONG cbEntryID,
                      LPENTRYID lpEntryID, ULONG* lpulRights) override;
    HRESULT GetMailboxTable(LPSTR lpszServerName, LPMAPITABLE* lppTable, ULONG ulFlags) override;
    HRESULT GetPublicFolderTable(LPSTR lpszServerName, LPMAPITABLE* lppTable,
                                 ULONG ulFlags) override;

protected:
    HRESULT QueryExtra(REFIID riid, void** ppv) override;

private:
    using Base = ComObject<IMsgStore, IExchangeManageStore>;
    MsgStore(std::shared_ptr<SessionContext> session, std::shared_ptr<const ExchangeServer> server,
             std::optional<MailboxRecord> mailbox, StoreEntryId id);
    ~MsgStore() override;

    // MAPI_E_END_OF_SESSION once the store or its session has logged off.
    [[nodiscard]] HRESULT Usable() const noexcept;
    std::vector<PropValue> Props() const;

    LiveObject m_live{MapiObject::MsgStore};
    std::shared_ptr<SessionContext> m_session;
    std::shared_ptr<const ExchangeServer> m_server;
    std::optional<MailboxRecord> m_mailbox;
    StoreEntryId m_id;
    bool m_loggedOff = false;
};

} // namespace winplat::mapi
