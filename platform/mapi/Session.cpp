#include "platform/mapi/Session.h"

#include "platform/mapi/MemoryTable.h"
#include "platform/mapi/MsgServiceAdmin.h"
#include "platform/mapi/MsgStore.h"
#include "platform/mapi/NotSupported.h"
#include "platform/mapi/ProfileStore.h"
#include "platform/mapi/StoreEntryId.h"

#include <new>

namespace winplat::mapi
{

namespace
{
constexpr ULONG kOpenStoreFlags = MDB_NO_DIALOG | MDB_WRITE | MDB_TEMPORARY | MDB_NO_MAIL |
                                  MDB_ONLINE | MAPI_BEST_ACCESS | MAPI_DEFERRED_ERRORS;
constexpr ULONG kLogoffFlags = MAPI_LOGOFF_SHARED | MAPI_LOGOFF_UI;
} // namespace

Session::Session(std::shared_ptr<SessionContext> context,
                 std::shared_ptr<const std::vector<Row>> stores)
    : m_context(std::move(context)), m_stores(std::move(stores))
{
}

// A session released without Logoff is logged off with its last reference.
Session::~Session()
{
    m_context->LogOff();
}

HRESULT Session::Create(std::shared_ptr<SessionContext> context,
                        std::shared_ptr<const std::vector<Row>> stores,
                        LPMAPISESSION* lppSession) noexcept
{
    try
    {
        *lppSession = new Session(std::move(context), std::move(stores));
        return S_OK;
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

HRESULT Session::GetLastError(HRESULT, ULONG, LPMAPIERROR* lppMAPIError)
{
    return NoExtendedError(lppMAPIError);
}

HRESULT Session::GetMsgStoresTable(ULONG ulFlags, LPMAPITABLE* lppTable)
{
    if (lppTable == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lppTable = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPISession::GetMsgStoresTable", ulFlags, &hr))
        return hr;
    if (m_context->LoggedOff())
        return MAPI_E_END_OF_SESSION;
    if ((ulFlags & ~MAPI_UNICODE) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    try
    {
        TableOptions options;
        options.unicode = (ulFlags & MAPI_UNICODE) != 0;
        options.columns = {PR_ENTRYID, options.unicode ? PR_DISPLAY_NAME_W : PR_DISPLAY_NAME_A,
                           PR_DEFAULT_STORE, PR_MDB_PROVIDER, PR_INSTANCE_KEY};
        return MemoryTable::Create(m_stores, std::move(options), lppTable);
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

HRESULT Session::OpenMsgStore(ULONG_PTR, ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                              ULONG ulFlags, LPMDB* lppMDB)
{
    if (lppMDB == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lppMDB = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPISession::OpenMsgStore", ulFlags, &hr))
        return hr;
    if (m_context->LoggedOff())
        return MAPI_E_END_OF_SESSION;
    try
    {
        StoreEntryId id;
        if (!StoreEntryId::Parse(cbEntryID, lpEntryID, &id))
            return MAPI_E_INVALID_ENTRYID;
        std::shared_ptr<const ExchangeServer> server;
        if (HRESULT r = m_context->ServerOfDn(id.ServerDn(), &server); FAILED(r))
            return r;
        if ((ulFlags & ~kOpenStoreFlags) != 0 ||
            ((ulFlags & MDB_ONLINE) != 0 && server->settings.mdbOnlineUnknown))
            return MAPI_E_UNKNOWN_FLAGS;
        if (lpInterface != nullptr && !IsEqualIID(*lpInterface, IID_IMsgStore) &&
            !IsEqualIID(*lpInterface, IID_IMAPIProp) && !IsEqualIID(*lpInterface, IID_IUnknown))
            return MAPI_E_INTERFACE_NOT_SUPPORTED;
        if (m_context->OpenStores() >= static_cast<long>(server->settings.maxOpenStores))
        {
            if (m_context->FirstRefusal())
                LogProblem("a session holds %ld stores open at once; opening another is "
                           "refused (is a store not released?)",
                           m_context->OpenStores());
            return MAPI_E_SESSION_LIMIT;
        }
        if (id.IsPublic())
            return MsgStore::Create(m_context, server, std::nullopt, id, lppMDB);
        // The DN is 8-bit text in the caller's code page; the store keeps UTF-8.
        std::string dn = AnsiToUtf8Text(id.MailboxDn());
        MailboxRecord mailbox;
        if (HRESULT r = server->db->FindMailbox(dn, &mailbox); FAILED(r))
            return r;
        if ((id.Flags() & OPENSTORE_USE_ADMIN_PRIVILEGE) == 0 &&
            !m_context->IsOwnMailbox(server->settings.name, mailbox.dnKey))
            return MAPI_E_NO_ACCESS;
        if (FAILED(mailbox.openResult))
            return mailbox.openResult;
        return MsgStore::Create(m_context, server, std::move(mailbox), id, lppMDB);
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

HRESULT Session::OpenAddressBook(ULONG_PTR, LPCIID, ULONG, LPADRBOOK* lppAdrBook)
{
    if (lppAdrBook)
        *lppAdrBook = nullptr;
    return NotSupported("IMAPISession::OpenAddressBook");
}

HRESULT Session::OpenProfileSection(LPMAPIUID, LPCIID, ULONG, LPPROFSECT* lppProfSect)
{
    if (lppProfSect)
        *lppProfSect = nullptr;
    return NotSupported("IMAPISession::OpenProfileSection");
}

HRESULT Session::GetStatusTable(ULONG, LPMAPITABLE* lppTable)
{
    if (lppTable)
        *lppTable = nullptr;
    return NotSupported("IMAPISession::GetStatusTable");
}

HRESULT Session::OpenEntry(ULONG, LPENTRYID, LPCIID, ULONG, ULONG* lpulObjType, LPUNKNOWN* lppUnk)
{
    if (lpulObjType)
        *lpulObjType = 0;
    if (lppUnk)
        *lppUnk = nullptr;
    return NotSupported("IMAPISession::OpenEntry");
}

HRESULT Session::CompareEntryIDs(ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG, ULONG* lpulResult)
{
    if (lpulResult)
        *lpulResult = 0;
    return NotSupported("IMAPISession::CompareEntryIDs");
}

HRESULT Session::Advise(ULONG, LPENTRYID, ULONG, LPMAPIADVISESINK, ULONG_PTR* lpulConnection)
{
    if (lpulConnection)
        *lpulConnection = 0;
    return NotSupported("IMAPISession::Advise");
}

HRESULT Session::Unadvise(ULONG_PTR)
{
    return NotSupported("IMAPISession::Unadvise");
}

HRESULT Session::MessageOptions(ULONG_PTR, ULONG, LPTSTR, LPMESSAGE)
{
    return NotSupported("IMAPISession::MessageOptions");
}

HRESULT Session::QueryDefaultMessageOpt(LPTSTR, ULONG, ULONG* lpcValues, LPSPropValue* lppOptions)
{
    if (lpcValues)
        *lpcValues = 0;
    if (lppOptions)
        *lppOptions = nullptr;
    return NotSupported("IMAPISession::QueryDefaultMessageOpt");
}

HRESULT Session::EnumAdrTypes(ULONG, ULONG* lpcAdrTypes, LPTSTR** lpppszAdrTypes)
{
    if (lpcAdrTypes)
        *lpcAdrTypes = 0;
    if (lpppszAdrTypes)
        *lpppszAdrTypes = nullptr;
    return NotSupported("IMAPISession::EnumAdrTypes");
}

HRESULT Session::QueryIdentity(ULONG* lpcbEntryID, LPENTRYID* lppEntryID)
{
    if (lpcbEntryID)
        *lpcbEntryID = 0;
    if (lppEntryID)
        *lppEntryID = nullptr;
    return NotSupported("IMAPISession::QueryIdentity");
}

HRESULT Session::Logoff(ULONG_PTR, ULONG ulFlags, ULONG)
{
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPISession::Logoff", ulFlags, &hr))
        return hr;
    if ((ulFlags & ~kLogoffFlags) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    // Objects of the session stay valid to release; any other call on them now fails.
    m_context->LogOff();
    return S_OK;
}

HRESULT Session::SetDefaultStore(ULONG, ULONG, LPENTRYID)
{
    return NotSupported("IMAPISession::SetDefaultStore");
}

HRESULT Session::AdminServices(ULONG ulFlags, LPSERVICEADMIN* lppServiceAdmin)
{
    if (lppServiceAdmin == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lppServiceAdmin = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPISession::AdminServices", ulFlags, &hr))
        return hr;
    if (m_context->LoggedOff())
        return MAPI_E_END_OF_SESSION;
    if (ulFlags != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    std::shared_ptr<ProfileStore> store;
    if (HRESULT r = ProfileStore::Open(&store); FAILED(r))
        return r;
    std::int64_t id = 0;
    if (HRESULT r = store->FindProfile(m_context->ProfileName(), &id); FAILED(r))
        return r;
    return MsgServiceAdmin::Create(std::move(store), id, lppServiceAdmin);
}

HRESULT Session::ShowForm(ULONG_PTR, LPMDB, LPMAPIFOLDER, LPCIID, ULONG, LPMESSAGE, ULONG, ULONG,
                          ULONG, ULONG, LPSTR)
{
    return NotSupported("IMAPISession::ShowForm");
}

HRESULT Session::PrepareForm(LPCIID, LPMESSAGE, ULONG* lpulMessageToken)
{
    if (lpulMessageToken)
        *lpulMessageToken = 0;
    return NotSupported("IMAPISession::PrepareForm");
}

} // namespace winplat::mapi
