#include "platform/mapi/Folder.h"

#include "platform/mapi/MemoryTable.h"
#include "platform/mapi/NotSupported.h"
#include "platform/mapi/PropList.h"

#include <new>

namespace winplat::mapi
{

namespace
{

constexpr ULONG kTableFlags =
    MAPI_UNICODE | CONVENIENT_DEPTH | SHOW_SOFT_DELETES | MAPI_DEFERRED_ERRORS;

// The top of a public folder tree, the same on every server.
std::shared_ptr<const std::vector<Row>> PublicRootRows()
{
    static const auto rows = []
    {
        auto r = std::make_shared<std::vector<Row>>();
        LONG key = 0;
        for (const char16_t* name : {u"IPM_SUBTREE", u"NON_IPM_SUBTREE"})
        {
            ++key;
            r->push_back(Row{PropValue::Wide(PR_DISPLAY_NAME_W, name),
                             PropValue::Binary(PR_INSTANCE_KEY, &key, sizeof key),
                             PropValue::Bool(PR_SUBFOLDERS, true),
                             PropValue::Long(PR_CONTAINER_FLAGS, AB_SUBCONTAINERS),
                             PropValue::Long(PR_FOLDER_TYPE, FOLDER_GENERIC)});
        }
        return std::shared_ptr<const std::vector<Row>>(std::move(r));
    }();
    return rows;
}

} // namespace

Folder::Folder(IMsgStore* store, std::shared_ptr<SessionContext> session,
               std::shared_ptr<const ExchangeServer> server, std::optional<MailboxRecord> mailbox)
    : m_store(store), m_session(std::move(session)), m_server(std::move(server)),
      m_mailbox(std::move(mailbox))
{
}

HRESULT Folder::Create(IMsgStore* store, std::shared_ptr<SessionContext> session,
                       std::shared_ptr<const ExchangeServer> server,
                       std::optional<MailboxRecord> mailbox, LPMAPIFOLDER* lppFolder) noexcept
{
    try
    {
        *lppFolder = new Folder(store, std::move(session), std::move(server), std::move(mailbox));
        return S_OK;
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

HRESULT Folder::QueryExtra(REFIID riid, void** ppv)
{
    if (IsEqualIID(riid, IID_IMAPIContainer) || IsEqualIID(riid, IID_IMAPIProp))
    {
        *ppv = static_cast<IMAPIFolder*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT Folder::Usable() const noexcept
{
    return m_session->LoggedOff() ? MAPI_E_END_OF_SESSION : S_OK;
}

std::vector<PropValue> Folder::Props() const
{
    return {
        PropValue::Long(PR_OBJECT_TYPE, MAPI_FOLDER),
        PropValue::Long(PR_FOLDER_TYPE, FOLDER_ROOT),
        PropValue::Wide(PR_DISPLAY_NAME_W, u""),
        PropValue::Bool(PR_SUBFOLDERS, true),
    };
}

HRESULT Folder::GetLastError(HRESULT, ULONG, LPMAPIERROR* lppMAPIError)
{
    return NoExtendedError(lppMAPIError);
}

HRESULT Folder::SaveChanges(ULONG ulFlags)
{
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPIFolder::SaveChanges", ulFlags, &hr))
        return hr;
    return Usable();
}

HRESULT Folder::GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                         LPSPropValue* lppPropArray)
{
    if (lpcValues)
        *lpcValues = 0;
    if (lppPropArray)
        *lppPropArray = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPIFolder::GetProps", ulFlags, &hr))
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

HRESULT Folder::GetPropList(ULONG ulFlags, LPSPropTagArray* lppPropTagArray)
{
    if (lppPropTagArray)
        *lppPropTagArray = nullptr;
    try
    {
        return GetPropListFrom(Props(), ulFlags, lppPropTagArray);
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

HRESULT Folder::GetContentsTable(ULONG ulFlags, LPMAPITABLE* lppTable)
{
    if (lppTable == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lppTable = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPIFolder::GetContentsTable", ulFlags, &hr))
        return hr;
    if (FAILED(hr = Usable()))
        return hr;
    if ((ulFlags & ~kTableFlags) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    // A root folder holds folders, never messages.
    TableOptions options;
    options.unicode = (ulFlags & MAPI_UNICODE) != 0;
    options.columns = {PR_ENTRYID, options.unicode ? PR_DISPLAY_NAME_W : PR_DISPLAY_NAME_A};
    return MemoryTable::Create(std::make_shared<const std::vector<Row>>(), std::move(options),
                               lppTable);
}

HRESULT Folder::GetHierarchyTable(ULONG ulFlags, LPMAPITABLE* lppTable)
{
    if (lppTable == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lppTable = nullptr;
    HRESULT hr = S_OK;
    if (MapiFaults::Hit("IMAPIFolder::GetHierarchyTable", ulFlags, &hr))
        return hr;
    if (FAILED(hr = Usable()))
        return hr;
    if ((ulFlags & ~kTableFlags) != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    try
    {
        std::shared_ptr<const std::vector<Row>> rows;
        if (m_mailbox)
        {
            if (FAILED(m_mailbox->hierarchyResult))
                return m_mailbox->hierarchyResult;
            auto read = std::make_shared<std::vector<Row>>();
            if (HRESULT r = m_server->db->RootFolderRows(m_mailbox->id, read.get()); FAILED(r))
                return r;
            rows = std::move(read);
        }
        else
        {
            rows = PublicRootRows();
        }
        TableOptions options;
        options.unicode = (ulFlags & MAPI_UNICODE) != 0;
        options.binaryLimit = m_server->settings.maxRowBinary;
        options.columns = {options.unicode ? PR_DISPLAY_NAME_W : PR_DISPLAY_NAME_A, PR_INSTANCE_KEY,
                           PR_SUBFOLDERS, PR_CONTAINER_FLAGS, PR_FOLDER_TYPE};
        return MemoryTable::Create(std::move(rows), std::move(options), lppTable);
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

HRESULT Folder::OpenEntry(ULONG, LPENTRYID, LPCIID, ULONG, ULONG* lpulObjType, LPUNKNOWN* lppUnk)
{
    if (lpulObjType)
        *lpulObjType = 0;
    if (lppUnk)
        *lppUnk = nullptr;
    return NotSupported("IMAPIFolder::OpenEntry");
}

HRESULT Folder::SetSearchCriteria(LPSRestriction, LPENTRYLIST, ULONG)
{
    return NotSupported("IMAPIFolder::SetSearchCriteria");
}

HRESULT Folder::GetSearchCriteria(ULONG, LPSRestriction* lppRestriction,
                                  LPENTRYLIST* lppContainerList, ULONG* lpulSearchState)
{
    if (lppRestriction)
        *lppRestriction = nullptr;
    if (lppContainerList)
        *lppContainerList = nullptr;
    if (lpulSearchState)
        *lpulSearchState = 0;
    return NotSupported("IMAPIFolder::GetSearchCriteria");
}

HRESULT Folder::CreateMessage(LPCIID, ULONG, LPMESSAGE* lppMessage)
{
    if (lppMessage)
        *lppMessage = nullptr;
    return NotSupported("IMAPIFolder::CreateMessage");
}

HRESULT Folder::CopyMessages(LPENTRYLIST, LPCIID, LPVOID, ULONG_PTR, LPMAPIPROGRESS, ULONG)
{
    return NotSupported("IMAPIFolder::CopyMessages");
}

HRESULT Folder::DeleteMessages(LPENTRYLIST, ULONG_PTR, LPMAPIPROGRESS, ULONG)
{
    return NotSupported("IMAPIFolder::DeleteMessages");
}

HRESULT Folder::CreateFolder(ULONG, LPTSTR, LPTSTR, LPCIID, ULONG, LPMAPIFOLDER* lppFolder)
{
    if (lppFolder)
        *lppFolder = nullptr;
    return NotSupported("IMAPIFolder::CreateFolder");
}

HRESULT Folder::CopyFolder(ULONG, LPENTRYID, LPCIID, LPVOID, LPTSTR, ULONG_PTR, LPMAPIPROGRESS,
                           ULONG)
{
    return NotSupported("IMAPIFolder::CopyFolder");
}

HRESULT Folder::DeleteFolder(ULONG, LPENTRYID, ULONG_PTR, LPMAPIPROGRESS, ULONG)
{
    return NotSupported("IMAPIFolder::DeleteFolder");
}

HRESULT Folder::SetReadFlags(LPENTRYLIST, ULONG_PTR, LPMAPIPROGRESS, ULONG)
{
    return NotSupported("IMAPIFolder::SetReadFlags");
}

HRESULT Folder::GetMessageStatus(ULONG, LPENTRYID, ULONG, ULONG* lpulMessageStatus)
{
    if (lpulMessageStatus)
        *lpulMessageStatus = 0;
    return NotSupported("IMAPIFolder::GetMessageStatus");
}

HRESULT Folder::SetMessageStatus(ULONG, LPENTRYID, ULONG, ULONG, ULONG* lpulOldStatus)
{
    if (lpulOldStatus)
        *lpulOldStatus = 0;
    return NotSupported("IMAPIFolder::SetMessageStatus");
}

HRESULT Folder::SaveContentsSort(LPSSortOrderSet, ULONG)
{
    return NotSupported("IMAPIFolder::SaveContentsSort");
}

HRESULT Folder::EmptyFolder(ULONG_PTR, LPMAPIPROGRESS, ULONG)
{
    return NotSupported("IMAPIFolder::EmptyFolder");
}

} // namespace winplat::mapi
