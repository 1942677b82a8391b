// The root folder of a store: its properties and its hierarchy table. It holds its store
// open for as long as it lives.
#pragma once

#include "platform/base/ComObject.h"
#include "platform/base/ComPtr.h"
#include "platform/mapi/LiveObject.h"
#include "platform/mapi/MapiFaults.h"
#include "platform/mapi/MapiIids.h"
#include "platform/mapi/SessionContext.h"
#include "platform/mapi/UnsupportedProps.h"

#include <memory>
#include <optional>

namespace winplat::mapi
{

inline constexpr char kFolderInterface[] = "IMAPIFolder";

class Folder final : public ReadOnlyProps<ComObject<IMAPIFolder>, kFolderInterface>
{
public:
    // Public folders when `mailbox` is not set.
    [[nodiscard]] static HRESULT Create(IMsgStore* store, std::shared_ptr<SessionContext> session,
                                        std::shared_ptr<const ExchangeServer> server,
                                        std::optional<MailboxRecord> mailbox,
                                        LPMAPIFOLDER* lppFolder) noexcept;

    // IMAPIProp
    HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) override;
    HRESULT SaveChanges(ULONG ulFlags) override;
    HRESULT GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                     LPSPropValue* lppPropArray) override;
    HRESULT GetPropList(ULONG ulFlags, LPSPropTagArray* lppPropTagArray) override;

    // IMAPIContainer
    HRESULT GetContentsTable(ULONG ulFlags, LPMAPITABLE* lppTable) override;
    HRESULT GetHierarchyTable(ULONG ulFlags, LPMAPITABLE* lppTable) override;
    HRESULT OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                      ULONG* lpulObjType, LPUNKNOWN* lppUnk) override;
    HRESULT SetSearchCriteria(LPSRestriction lpRestriction, LPENTRYLIST lpContainerList,
                              ULONG ulSearchFlags) override;
    HRESULT GetSearchCriteria(ULONG ulFlags, LPSRestriction* lppRestriction,
                              LPENTRYLIST* lppContainerList, ULONG* lpulSearchState) override;

    // IMAPIFolder
    HRESULT CreateMessage(LPCIID lpInterface, ULONG ulFlags, LPMESSAGE* lppMessage) override;
    HRESULT CopyMessages(LPENTRYLIST lpMsgList, LPCIID lpInterface, LPVOID lpDestFolder,
                         ULONG_PTR ulUIParam, LPMAPIPROGRESS lpProgress, ULONG ulFlags) override;
    HRESULT DeleteMessages(LPENTRYLIST lpMsgList, ULONG_PTR ulUIParam, LPMAPIPROGRESS lpProgress,
                           ULONG ulFlags) override;
    HRESULT CreateFolder(ULONG ulFolderType, LPTSTR lpszFolderName, LPTSTR lpszFolderComment,
                         LPCIID lpInterface, ULONG ulFlags, LPMAPIFOLDER* lppFolder) override;
    HRESULT CopyFolder(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                       LPVOID lpDestFolder, LPTSTR lpszNewFolderName, ULONG_PTR ulUIParam,
                       LPMAPIPROGRESS lpProgress, ULONG ulFlags) override;
    HRESULT DeleteFolder(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG_PTR ulUIParam,
                         LPMAPIPROGRESS lpProgress, ULONG ulFlags) override;
    HRESULT SetReadFlags(LPENTRYLIST lpMsgList, ULONG_PTR ulUIParam, LPMAPIPROGRESS lpProgress,
                         ULONG ulFlags) override;
    HRESULT GetMessageStatus(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulFlags,
                             ULONG* lpulMessageStatus) override;
    HRESULT SetMessageStatus(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulNewStatus,
                             ULONG ulNewStatusMask, ULONG* lpulOldStatus) override;
    HRESULT SaveContentsSort(LPSSortOrderSet lpSortCriteria, ULONG ulFlags) override;
    HRESULT EmptyFolder(ULONG_PTR ulUIParam, LPMAPIPROGRESS lpProgress, ULONG ulFlags) override;

protected:
    HRESULT QueryExtra(REFIID riid, void** ppv) override;

private:
    Folder(IMsgStore* store, std::shared_ptr<SessionContext> session,
           std::shared_ptr<const ExchangeServer> server, std::optional<MailboxRecord> mailbox);
    ~Folder() override = default;

    [[nodiscard]] HRESULT Usable() const noexcept;
    std::vector<PropValue> Props() const;

    LiveObject m_live{MapiObject::Folder};
    CComPtr<IMsgStore> m_store;
    std::shared_ptr<SessionContext> m_session;
    std::shared_ptr<const ExchangeServer> m_server;
    std::optional<MailboxRecord> m_mailbox;
};

} // namespace winplat::mapi
