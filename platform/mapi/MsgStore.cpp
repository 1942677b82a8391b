#include "platform/mapi/MsgStore.h"

#include "platform/base/ComPtr.h"
#include "platform/base/PlatformConfig.h"
#include "platform/mapi/Folder.h"
#include "platform/mapi/NotSupported.h"
#include "platform/mapi/PropList.h"

#include <new>

namespace winplat::mapi
{

namespace
{

constexpr ULONG kOpenEntryFlags =
    MAPI_MODIFY | MAPI_BEST_ACCESS | MAPI_DEFERRED_ERRORS | SHOW_SOFT_DELETES | MAPI_NO_CACHE;
constexpr ULONG kEntryIdFlags = OPENSTORE_USE_ADMIN_PRIVILEGE | OPENSTORE_PUBLIC |
                                OPENSTORE_HOME_LOGON | OPENSTORE_TAKE_OWNERSHIP |
                                OPENSTORE_OVERRIDE_HOME_MDB;

// Names the provider of private and of public stores.
constexpr BYTE kPrivateProvider[16] = {0x57, 0x50, 0x4C, 0x41, 0x54, 0x2D, 0x50, 0x52,
                                       0x49, 0x56, 0x41, 0x54, 0x45, 0x2D, 0x4D, 0x44};
constexpr BYTE kPublicProvider[16] = {0x57, 0x50, 0x4C, 0x41, 0x54, 0x2D, 0x50, 0x55,
                                      0x42, 0x4C, 0x49, 0x43, 0x2D, 0x4D, 0x44, 0x42};

} // namespace

MsgStore::MsgStore(std::shared_ptr<SessionContext> session,
                   std::shared_ptr<const ExchangeServer> server,
                   std::optional<MailboxRecord> mailbox, StoreEntryId id)
    : m_session(std::move(session)), m_server(std::move(server)), m_mailbox(std::move(mailbox)),
      m_id(std::move(id))
{
    m_session->StoreOpened();
}

MsgStore::~MsgStore()
{
    m_session->StoreClosed();
}

HRESULT MsgStore::Create(std::shared_ptr<SessionContext> session,
                         std::shared_ptr<const ExchangeServer> server,
                         std::optional<MailboxRecord> mailbox, StoreEntryId id,
                         LPMDB* lppMDB) noexcept
{
    try
    {
        *lppMDB =
            new MsgStore(std::move(session), std::move(server), std::move(mailbox), std::move(id));
        return S_OK;
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

HRESULT MsgStore::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMsgStore::QueryInterface", 0, &hr))
        return hr;
    return Base::QueryInterface(riid, ppv);
}

HRESULT MsgStore::QueryExtra(REFIID riid, void** ppv)
{
    if (IsEqualIID(riid, IID_IMAPIProp))
    {
        *ppv = static_cast<IMAPIProp*>(static_cast<IMsgStore*>(this));
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT MsgStore::Usable() const noexcept
{
    return m_loggedOff || m_session->LoggedOff() ? MAPI_E_END_OF_SESSION : S_OK;
}

std::vector<PropValue> MsgStore::Props() const
{
    std::string eid = m_id.Bytes();
    std::u16string name = u"Public Folders";
    if (m_mailbox)
    {
        std::string display;
        (void)m_server->db->DisplayName(m_mailbox->id, &display);
        name = u"Mailbox - " + Utf8ToWide(display);
    }
    const BYTE* provider = m_mailbox ? kPrivateProvider : kPublicProvider;
    return {
        PropValue::Binary(PR_ENTRYID, eid.data(), eid.size()),
        PropValue::Binary(PR_RECORD_KEY, eid.data(), eid.size()),
        PropValue::Long(PR_OBJECT_TYPE, MAPI_STORE),
        PropValue::Wide(PR_DISPLAY_NAME_W, std::move(name)),
        PropValue::Binary(PR_MDB_PROVIDER, provider, 16),
    };
}

HRESULT MsgStore::GetLastError(HRESULT, ULONG, LPMAPIERROR* lppMAPIError)
{
    return NoExtendedError(lppMAPIError);
}

HRESULT MsgStore::SaveChanges(ULONG ulFlags)
{
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMsgStore::SaveChanges", ulFlags, &hr))
        return hr;
    return Usable(); // nothing of a store can be changed here, so nothing is pending
}

HRESULT MsgStore::GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                           LPSPropValue* lppPropArray)
{
    if (lpcValues)
        *lpcValues = 0;
    if (lppPropArray)
        *lppPropArray = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMsgStore::GetProps", ulFlags, &hr))
        return hr;
    if (FAILED(hr = Usable()))
        return hr;
    try
    {
        return GetPropsFrom(Props(), lpPropTagArray, ulFlags, lpcValues, lppPropArray);
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

HRESULT MsgStore::GetPropList(ULONG ulFlags, LPSPropTagArray* lppPropTagArray)
{
    if (lppPropTagArray)
        *lppPropTagArray = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMsgStore::GetPropList", ulFlags, &hr))
        return hr;
    try
    {
        return GetPropListFrom(Props(), ulFlags, lppPropTagArray);
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

HRESULT MsgStore::Advise(ULONG, LPENTRYID, ULONG, LPMAPIADVISESINK, ULONG_PTR* lpulConnection)
{
    if (lpulConnection)
        *lpulConnection = 0;
    return NotSupported("IMsgStore::Advise");
}

HRESULT MsgStore::Unadvise(ULONG_PTR)
{
    return NotSupported("IMsgStore::Unadvise");
}

HRESULT MsgStore::CompareEntryIDs(ULONG cbEntryID1, LPENTRYID lpEntryID1, ULONG cbEntryID2,
                                  LPENTRYID lpEntryID2, ULONG, ULONG* lpulResult)
{
    if (lpulResult == nullptr || lpEntryID1 == nullptr || lpEntryID2 == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    StoreEntryId a;
    StoreEntryId b;
    if (!StoreEntryId::Parse(cbEntryID1, lpEntryID1, &a) ||
        !StoreEntryId::Parse(cbEntryID2, lpEntryID2, &b))
        return MAPI_E_UNKNOWN_ENTRYID;
    *lpulResult = EqualsNoCase(StoreEntryId::ServerNameOf(a.ServerDn()),
                               StoreEntryId::ServerNameOf(b.ServerDn())) &&
                  EqualsNoCase(a.MailboxDn(), b.MailboxDn()) && a.IsPublic() == b.IsPublic();
    return S_OK;
}

HRESULT MsgStore::OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                            ULONG* lpulObjType, LPUNKNOWN* lppUnk)
{
    if (lpulObjType)
        *lpulObjType = 0;
    if (lppUnk == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lppUnk = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMsgStore::OpenEntry", ulFlags, &hr))
        return hr;
    if (FAILED(hr = Usable()))
        return hr;
    if ((ulFlags & ~kOpenEntryFlags) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    // Only the root folder (no entry ID) is reachable: a probe needs nothing below it.
    if (cbEntryID != 0 || lpEntryID != nullptr)
        return NotSupported("IMsgStore::OpenEntry of an entry below the root folder");
    if (lpInterface != nullptr && !IsEqualIID(*lpInterface, IID_IMAPIFolder) &&
        !IsEqualIID(*lpInterface, IID_IMAPIContainer) && !IsEqualIID(*lpInterface, IID_IMAPIProp) &&
        !IsEqualIID(*lpInterface, IID_IUnknown))
        return MAPI_E_INTERFACE_NOT_SUPPORTED;
    if (m_mailbox && FAILED(m_mailbox->rootResult))
        return m_mailbox->rootResult;
    LPMAPIFOLDER folder = nullptr;
    if (HRESULT r = Folder::Create(this, m_session, m_server, m_mailbox, &folder); FAILED(r))
        return r;
    *lppUnk = folder;
    if (lpulObjType)
        *lpulObjType = MAPI_FOLDER;
    return S_OK;
}

HRESULT MsgStore::SetReceiveFolder(LPTSTR, ULONG, ULONG, LPENTRYID)
{
    return NotSupported("IMsgStore::SetReceiveFolder");
}

HRESULT MsgStore::GetReceiveFolder(LPTSTR, ULONG, ULONG* lpcbEntryID, LPENTRYID* lppEntryID,
                                   LPTSTR* lppszExplicitClass)
{
    if (lpcbEntryID)
        *lpcbEntryID = 0;
    if (lppEntryID)
        *lppEntryID = nullptr;
    if (lppszExplicitClass)
        *lppszExplicitClass = nullptr;
    return NotSupported("IMsgStore::GetReceiveFolder");
}

HRESULT MsgStore::GetReceiveFolderTable(ULONG, LPMAPITABLE* lppTable)
{
    if (lppTable)
        *lppTable = nullptr;
    return NotSupported("IMsgStore::GetReceiveFolderTable");
}

HRESULT MsgStore::StoreLogoff(ULONG* lpulFlags)
{
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMsgStore::StoreLogoff", lpulFlags ? *lpulFlags : 0, &hr))
        return hr;
    if (lpulFlags == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    m_loggedOff = true;
    // Nothing is queued in a store opened only to be read: no activity to report.
    *lpulFlags = 0;
    return S_OK;
}

HRESULT MsgStore::AbortSubmit(ULONG, LPENTRYID, ULONG)
{
    return NotSupported("IMsgStore::AbortSubmit");
}

HRESULT MsgStore::GetOutgoingQueue(ULONG, LPMAPITABLE* lppTable)
{
    if (lppTable)
        *lppTable = nullptr;
    return NotSupported("IMsgStore::GetOutgoingQueue");
}

HRESULT MsgStore::SetLockState(LPMESSAGE, ULONG)
{
    return NotSupported("IMsgStore::SetLockState");
}

HRESULT MsgStore::FinishedMsg(ULONG, ULONG, LPENTRYID)
{
    return NotSupported("IMsgStore::FinishedMsg");
}

HRESULT MsgStore::NotifyNewMail(LPNOTIFICATION)
{
    return NotSupported("IMsgStore::NotifyNewMail");
}

HRESULT MsgStore::CreateStoreEntryID(LPSTR lpszMsgStoreDN, LPSTR lpszMailboxDN, ULONG ulFlags,
                                     ULONG* lpcbEntryID, LPENTRYID* lppEntryID)
{
    if (lpcbEntryID)
        *lpcbEntryID = 0;
    if (lppEntryID)
        *lppEntryID = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IExchangeManageStore::CreateStoreEntryID", ulFlags, &hr,
                        lpszMailboxDN ? lpszMailboxDN : ""))
        return hr;
    if (lpcbEntryID == nullptr || lppEntryID == nullptr || lpszMsgStoreDN == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    if ((ulFlags & ~kEntryIdFlags) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    // A mailbox store needs its mailbox; the public folders need none.
    bool noMailbox = lpszMailboxDN == nullptr || *lpszMailboxDN == '\0';
    if (noMailbox && (ulFlags & OPENSTORE_PUBLIC) == 0)
        return MAPI_E_INVALID_PARAMETER;
    if (FAILED(hr = Usable()))
        return hr;
    try
    {
        // Made without asking the server, as Exchange does: whether the mailbox exists is
        // found when the store is opened.
        StoreEntryId id(lpszMsgStoreDN, noMailbox ? std::string() : std::string(lpszMailboxDN),
                        ulFlags);
        return id.Build(lpcbEntryID, lppEntryID);
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

HRESULT MsgStore::EntryIDFromSourceKey(ULONG, BYTE*, ULONG, BYTE*, ULONG* lpcbEntryID,
                                       LPENTRYID* lppEntryID)
{
    if (lpcbEntryID)
        *lpcbEntryID = 0;
    if (lppEntryID)
        *lppEntryID = nullptr;
    return NotSupported("IExchangeManageStore::EntryIDFromSourceKey");
}

HRESULT MsgStore::GetRights(ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG* lpulRights)
{
    if (lpulRights)
        *lpulRights = 0;
    return NotSupported("IExchangeManageStore::GetRights");
}

HRESULT MsgStore::GetMailboxTable(LPSTR, LPMAPITABLE* lppTable, ULONG)
{
    if (lppTable)
        *lppTable = nullptr;
    return NotSupported("IExchangeManageStore::GetMailboxTable");
}

HRESULT MsgStore::GetPublicFolderTable(LPSTR, LPMAPITABLE* lppTable, ULONG)
{
    if (lppTable)
        *lppTable = nullptr;
    return NotSupported("IExchangeManageStore::GetPublicFolderTable");
}

} // namespace winplat::mapi
