// The messaging interfaces, each with its documented method order and arguments.
//
// Text arguments: where the call takes a flags word, MAPI_UNICODE in it says the text is
// UTF-16; without it the text is 8-bit in the thread's ANSI code page. Profile and service
// names are declared 8-bit (LPSTR), the form callers use; a caller passing MAPI_UNICODE
// hands UTF-16 text through the same pointer. MAPILogonEx is the other way round: wide
// (LPTSTR) by declaration, 8-bit when MAPI_UNICODE is absent.
#pragma once

#include "platform/base/Unknown.h"
#include "platform/mapi/MapiDefs.h"

// {00020300-0000-0000-C000-000000000046} and its neighbours.
constexpr IID MapiIid(DWORD d1) noexcept
{
    return IID{d1, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}
inline constexpr IID IID_IMAPISession = MapiIid(0x00020300);
inline constexpr IID IID_IMAPITable = MapiIid(0x00020301);
inline constexpr IID IID_IMAPIAdviseSink = MapiIid(0x00020302);
inline constexpr IID IID_IMAPIProp = MapiIid(0x00020303);
inline constexpr IID IID_IProfSect = MapiIid(0x00020304);
inline constexpr IID IID_IMAPIStatus = MapiIid(0x00020305);
inline constexpr IID IID_IMsgStore = MapiIid(0x00020306);
inline constexpr IID IID_IMessage = MapiIid(0x00020307);
inline constexpr IID IID_IAttachment = MapiIid(0x00020308);
inline constexpr IID IID_IAddrBook = MapiIid(0x00020309);
inline constexpr IID IID_IMAPIContainer = MapiIid(0x0002030B);
inline constexpr IID IID_IMAPIFolder = MapiIid(0x0002030C);
inline constexpr IID IID_IProfAdmin = MapiIid(0x0002031C);
inline constexpr IID IID_IMsgServiceAdmin = MapiIid(0x0002031D);
inline constexpr IID IID_IProviderAdmin = MapiIid(0x00020325);
inline constexpr IID IID_IExchangeManageStore = {
    0x559D10B0, 0xA772, 0x11CD, {0x9B, 0xC8, 0x00, 0xAA, 0x00, 0x2F, 0xC4, 0x5A}};

// Interfaces the layer names in signatures but does not provide.
struct IMAPIAdviseSink;
struct IMAPIProgress;
struct IMessage;
struct IAddrBook;
struct IProviderAdmin;
struct NOTIFICATION;
using LPMAPIADVISESINK = IMAPIAdviseSink*;
using LPMAPIPROGRESS = IMAPIProgress*;
using LPMESSAGE = IMessage*;
using LPADRBOOK = IAddrBook*;
using LPPROVIDERADMIN = IProviderAdmin*;
using LPNOTIFICATION = NOTIFICATION*;

struct IMAPITable : public IUnknown
{
    virtual HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) = 0;
    virtual HRESULT Advise(ULONG ulEventMask, LPMAPIADVISESINK lpAdviseSink,
                           ULONG_PTR* lpulConnection) = 0;
    virtual HRESULT Unadvise(ULONG_PTR ulConnection) = 0;
    virtual HRESULT GetStatus(ULONG* lpulTableStatus, ULONG* lpulTableType) = 0;
    virtual HRESULT SetColumns(LPSPropTagArray lpPropTagArray, ULONG ulFlags) = 0;
    virtual HRESULT QueryColumns(ULONG ulFlags, LPSPropTagArray* lpPropTagArray) = 0;
    virtual HRESULT GetRowCount(ULONG ulFlags, ULONG* lpulCount) = 0;
    virtual HRESULT SeekRow(BOOKMARK bkOrigin, LONG lRowCount, LONG* lplRowsSought) = 0;
    virtual HRESULT SeekRowApprox(ULONG ulNumerator, ULONG ulDenominator) = 0;
    virtual HRESULT QueryPosition(ULONG* lpulRow, ULONG* lpulNumerator, ULONG* lpulDenominator) = 0;
    virtual HRESULT FindRow(LPSRestriction lpRestriction, BOOKMARK bkOrigin, ULONG ulFlags) = 0;
    virtual HRESULT Restrict(LPSRestriction lpRestriction, ULONG ulFlags) = 0;
    virtual HRESULT CreateBookmark(BOOKMARK* lpbkPosition) = 0;
    virtual HRESULT FreeBookmark(BOOKMARK bkPosition) = 0;
    virtual HRESULT SortTable(LPSSortOrderSet lpSortCriteria, ULONG ulFlags) = 0;
    virtual HRESULT QuerySortOrder(LPSSortOrderSet* lppSortCriteria) = 0;
    virtual HRESULT QueryRows(LONG lRowCount, ULONG ulFlags, LPSRowSet* lppRows) = 0;
    virtual HRESULT Abort() = 0;
    virtual HRESULT ExpandRow(ULONG cbInstanceKey, LPBYTE pbInstanceKey, ULONG ulRowCount,
                              ULONG ulFlags, LPSRowSet* lppRows, ULONG* lpulMoreRows) = 0;
    virtual HRESULT CollapseRow(ULONG cbInstanceKey, LPBYTE pbInstanceKey, ULONG ulFlags,
                                ULONG* lpulRowCount) = 0;
    virtual HRESULT WaitForCompletion(ULONG ulFlags, ULONG ulTimeout, ULONG* lpulTableStatus) = 0;
    virtual HRESULT GetCollapseState(ULONG ulFlags, ULONG cbInstanceKey, LPBYTE lpbInstanceKey,
                                     ULONG* lpcbCollapseState, LPBYTE* lppbCollapseState) = 0;
    virtual HRESULT SetCollapseState(ULONG ulFlags, ULONG cbCollapseState, LPBYTE pbCollapseState,
                                     BOOKMARK* lpbkLocation) = 0;

protected:
    ~IMAPITable() = default;
};
using LPMAPITABLE = IMAPITable*;

struct IMAPIProp : public IUnknown
{
    virtual HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) = 0;
    virtual HRESULT SaveChanges(ULONG ulFlags) = 0;
    virtual HRESULT GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                             LPSPropValue* lppPropArray) = 0;
    virtual HRESULT GetPropList(ULONG ulFlags, LPSPropTagArray* lppPropTagArray) = 0;
    virtual HRESULT OpenProperty(ULONG ulPropTag, LPCIID lpiid, ULONG ulInterfaceOptions,
                                 ULONG ulFlags, LPUNKNOWN* lppUnk) = 0;
    virtual HRESULT SetProps(ULONG cValues, LPSPropValue lpPropArray,
                             LPSPropProblemArray* lppProblems) = 0;
    virtual HRESULT DeleteProps(LPSPropTagArray lpPropTagArray,
                                LPSPropProblemArray* lppProblems) = 0;
    virtual HRESULT CopyTo(ULONG ciidExclude, LPCIID rgiidExclude, LPSPropTagArray lpExcludeProps,
                           ULONG_PTR ulUIParam, LPMAPIPROGRESS lpProgress, LPCIID lpInterface,
                           LPVOID lpDestObj, ULONG ulFlags, LPSPropProblemArray* lppProblems) = 0;
    virtual HRESULT CopyProps(LPSPropTagArray lpIncludeProps, ULONG_PTR ulUIParam,
                              LPMAPIPROGRESS lpProgress, LPCIID lpInterface, LPVOID lpDestObj,
                              ULONG ulFlags, LPSPropProblemArray* lppProblems) = 0;
    virtual HRESULT GetNamesFromIDs(LPSPropTagArray* lppPropTags, LPGUID lpPropSetGuid,
                                    ULONG ulFlags, ULONG* lpcPropNames,
                                    LPMAPINAMEID** lpppPropNames) = 0;
    virtual HRESULT GetIDsFromNames(ULONG cPropNames, LPMAPINAMEID* lppPropNames, ULONG ulFlags,
                                    LPSPropTagArray* lppPropTags) = 0;

protected:
    ~IMAPIProp() = default;
};
using LPMAPIPROP = IMAPIProp*;

struct IProfSect : public IMAPIProp
{
protected:
    ~IProfSect() = default;
};
using LPPROFSECT = IProfSect*;

struct IMAPIContainer : public IMAPIProp
{
    virtual HRESULT GetContentsTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
    virtual HRESULT GetHierarchyTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
    virtual HRESULT OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                              ULONG ulFlags, ULONG* lpulObjType, LPUNKNOWN* lppUnk) = 0;
    virtual HRESULT SetSearchCriteria(LPSRestriction lpRestriction, LPENTRYLIST lpContainerList,
                                      ULONG ulSearchFlags) = 0;
    virtual HRESULT GetSearchCriteria(ULONG ulFlags, LPSRestriction* lppRestriction,
                                      LPENTRYLIST* lppContainerList, ULONG* lpulSearchState) = 0;

protected:
    ~IMAPIContainer() = default;
};
using LPMAPICONTAINER = IMAPIContainer*;

struct IMAPIFolder;
using LPMAPIFOLDER = IMAPIFolder*;

struct IMAPIFolder : public IMAPIContainer
{
    virtual HRESULT CreateMessage(LPCIID lpInterface, ULONG ulFlags, LPMESSAGE* lppMessage) = 0;
    virtual HRESULT CopyMessages(LPENTRYLIST lpMsgList, LPCIID lpInterface, LPVOID lpDestFolder,
                                 ULONG_PTR ulUIParam, LPMAPIPROGRESS lpProgress, ULONG ulFlags) = 0;
    virtual HRESULT DeleteMessages(LPENTRYLIST lpMsgList, ULONG_PTR ulUIParam,
                                   LPMAPIPROGRESS lpProgress, ULONG ulFlags) = 0;
    virtual HRESULT CreateFolder(ULONG ulFolderType, LPTSTR lpszFolderName,
                                 LPTSTR lpszFolderComment, LPCIID lpInterface, ULONG ulFlags,
                                 LPMAPIFOLDER* lppFolder) = 0;
    virtual HRESULT CopyFolder(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                               LPVOID lpDestFolder, LPTSTR lpszNewFolderName, ULONG_PTR ulUIParam,
                               LPMAPIPROGRESS lpProgress, ULONG ulFlags) = 0;
    virtual HRESULT DeleteFolder(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG_PTR ulUIParam,
                                 LPMAPIPROGRESS lpProgress, ULONG ulFlags) = 0;
    virtual HRESULT SetReadFlags(LPENTRYLIST lpMsgList, ULONG_PTR ulUIParam,
                                 LPMAPIPROGRESS lpProgress, ULONG ulFlags) = 0;
    virtual HRESULT GetMessageStatus(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulFlags,
                                     ULONG* lpulMessageStatus) = 0;
    virtual HRESULT SetMessageStatus(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulNewStatus,
                                     ULONG ulNewStatusMask, ULONG* lpulOldStatus) = 0;
    virtual HRESULT SaveContentsSort(LPSSortOrderSet lpSortCriteria, ULONG ulFlags) = 0;
    virtual HRESULT EmptyFolder(ULONG_PTR ulUIParam, LPMAPIPROGRESS lpProgress, ULONG ulFlags) = 0;

protected:
    ~IMAPIFolder() = default;
};

struct IMsgStore : public IMAPIProp
{
    virtual HRESULT Advise(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulEventMask,
                           LPMAPIADVISESINK lpAdviseSink, ULONG_PTR* lpulConnection) = 0;
    virtual HRESULT Unadvise(ULONG_PTR ulConnection) = 0;
    virtual HRESULT CompareEntryIDs(ULONG cbEntryID1, LPENTRYID lpEntryID1, ULONG cbEntryID2,
                                    LPENTRYID lpEntryID2, ULONG ulFlags, ULONG* lpulResult) = 0;
    virtual HRESULT OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                              ULONG ulFlags, ULONG* lpulObjType, LPUNKNOWN* lppUnk) = 0;
    virtual HRESULT SetReceiveFolder(LPTSTR lpszMessageClass, ULONG ulFlags, ULONG cbEntryID,
                                     LPENTRYID lpEntryID) = 0;
    virtual HRESULT GetReceiveFolder(LPTSTR lpszMessageClass, ULONG ulFlags, ULONG* lpcbEntryID,
                                     LPENTRYID* lppEntryID, LPTSTR* lppszExplicitClass) = 0;
    virtual HRESULT GetReceiveFolderTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
    // The flags word is in and out: the caller's LOGOFF_* request, the provider's answer.
    virtual HRESULT StoreLogoff(ULONG* lpulFlags) = 0;
    virtual HRESULT AbortSubmit(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulFlags) = 0;
    virtual HRESULT GetOutgoingQueue(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
    virtual HRESULT SetLockState(LPMESSAGE lpMessage, ULONG ulLockState) = 0;
    virtual HRESULT FinishedMsg(ULONG ulFlags, ULONG cbEntryID, LPENTRYID lpEntryID) = 0;
    virtual HRESULT NotifyNewMail(LPNOTIFICATION lpNotification) = 0;

protected:
    ~IMsgStore() = default;
};
using LPMDB = IMsgStore*;

// Asked of a store with QueryInterface.
struct IExchangeManageStore : public IUnknown
{
    virtual HRESULT CreateStoreEntryID(LPSTR lpszMsgStoreDN, LPSTR lpszMailboxDN, ULONG ulFlags,
                                       ULONG* lpcbEntryID, LPENTRYID* lppEntryID) = 0;
    virtual HRESULT EntryIDFromSourceKey(ULONG cFolderKeySize, BYTE* lpFolderSourceKey,
                                         ULONG cMessageKeySize, BYTE* lpMessageSourceKey,
                                         ULONG* lpcbEntryID, LPENTRYID* lppEntryID) = 0;
    virtual HRESULT GetRights(ULONG cbUserEntryID, LPENTRYID lpUserEntryID, ULONG cbEntryID,
                              LPENTRYID lpEntryID, ULONG* lpulRights) = 0;
    virtual HRESULT GetMailboxTable(LPSTR lpszServerName, LPMAPITABLE* lppTable, ULONG ulFlags) = 0;
    virtual HRESULT GetPublicFolderTable(LPSTR lpszServerName, LPMAPITABLE* lppTable,
                                         ULONG ulFlags) = 0;

protected:
    ~IExchangeManageStore() = default;
};
using LPEXCHANGEMANAGESTORE = IExchangeManageStore*;

struct IMsgServiceAdmin : public IUnknown
{
    virtual HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) = 0;
    virtual HRESULT GetMsgServiceTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
    virtual HRESULT CreateMsgService(LPSTR lpszService, LPSTR lpszDisplayName, ULONG_PTR ulUIParam,
                                     ULONG ulFlags) = 0;
    virtual HRESULT DeleteMsgService(LPMAPIUID lpUID) = 0;
    virtual HRESULT CopyMsgService(LPMAPIUID lpUID, LPSTR lpszDisplayName, LPCIID lpInterfaceToCopy,
                                   LPCIID lpInterfaceDst, LPVOID lpObjectDst, ULONG_PTR ulUIParam,
                                   ULONG ulFlags) = 0;
    virtual HRESULT RenameMsgService(LPMAPIUID lpUID, ULONG ulFlags, LPSTR lpszDisplayName) = 0;
    virtual HRESULT ConfigureMsgService(LPMAPIUID lpUID, ULONG_PTR ulUIParam, ULONG ulFlags,
                                        ULONG cValues, LPSPropValue lpProps) = 0;
    virtual HRESULT OpenProfileSection(LPMAPIUID lpUID, LPCIID lpInterface, ULONG ulFlags,
                                       LPPROFSECT* lppProfSect) = 0;
    virtual HRESULT MsgServiceTransportOrder(ULONG cUID, LPMAPIUID lpUIDList, ULONG ulFlags) = 0;
    virtual HRESULT AdminProviders(LPMAPIUID lpUID, ULONG ulFlags,
                                   LPPROVIDERADMIN* lppProviderAdmin) = 0;
    virtual HRESULT SetPrimaryIdentity(LPMAPIUID lpUID, ULONG ulFlags) = 0;
    virtual HRESULT GetProviderTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;

protected:
    ~IMsgServiceAdmin() = default;
};
using LPSERVICEADMIN = IMsgServiceAdmin*;

struct IProfAdmin : public IUnknown
{
    virtual HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) = 0;
    virtual HRESULT GetProfileTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
    virtual HRESULT CreateProfile(LPSTR lpszProfileName, LPSTR lpszPassword, ULONG_PTR ulUIParam,
                                  ULONG ulFlags) = 0;
    virtual HRESULT DeleteProfile(LPSTR lpszProfileName, ULONG ulFlags) = 0;
    virtual HRESULT ChangeProfilePassword(LPSTR lpszProfileName, LPSTR lpszOldPassword,
                                          LPSTR lpszNewPassword, ULONG ulFlags) = 0;
    virtual HRESULT CopyProfile(LPSTR lpszOldProfileName, LPSTR lpszOldPassword,
                                LPSTR lpszNewProfileName, ULONG_PTR ulUIParam, ULONG ulFlags) = 0;
    virtual HRESULT RenameProfile(LPSTR lpszOldProfileName, LPSTR lpszOldPassword,
                                  LPSTR lpszNewProfileName, ULONG_PTR ulUIParam, ULONG ulFlags) = 0;
    virtual HRESULT SetDefaultProfile(LPSTR lpszProfileName, ULONG ulFlags) = 0;
    virtual HRESULT AdminServices(LPSTR lpszProfileName, LPSTR lpszPassword, ULONG_PTR ulUIParam,
                                  ULONG ulFlags, LPSERVICEADMIN* lppServiceAdmin) = 0;

protected:
    ~IProfAdmin() = default;
};
using LPPROFADMIN = IProfAdmin*;

struct IMAPISession : public IUnknown
{
    virtual HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) = 0;
    virtual HRESULT GetMsgStoresTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
    virtual HRESULT OpenMsgStore(ULONG_PTR ulUIParam, ULONG cbEntryID, LPENTRYID lpEntryID,
                                 LPCIID lpInterface, ULONG ulFlags, LPMDB* lppMDB) = 0;
    virtual HRESULT OpenAddressBook(ULONG_PTR ulUIParam, LPCIID lpInterface, ULONG ulFlags,
                                    LPADRBOOK* lppAdrBook) = 0;
    virtual HRESULT OpenProfileSection(LPMAPIUID lpUID, LPCIID lpInterface, ULONG ulFlags,
                                       LPPROFSECT* lppProfSect) = 0;
    virtual HRESULT GetStatusTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
    virtual HRESULT OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                              ULONG ulFlags, ULONG* lpulObjType, LPUNKNOWN* lppUnk) = 0;
    virtual HRESULT CompareEntryIDs(ULONG cbEntryID1, LPENTRYID lpEntryID1, ULONG cbEntryID2,
                                    LPENTRYID lpEntryID2, ULONG ulFlags, ULONG* lpulResult) = 0;
    virtual HRESULT Advise(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulEventMask,
                           LPMAPIADVISESINK lpAdviseSink, ULONG_PTR* lpulConnection) = 0;
    virtual HRESULT Unadvise(ULONG_PTR ulConnection) = 0;
    virtual HRESULT MessageOptions(ULONG_PTR ulUIParam, ULONG ulFlags, LPTSTR lpszAdrType,
                                   LPMESSAGE lpMessage) = 0;
    virtual HRESULT QueryDefaultMessageOpt(LPTSTR lpszAdrType, ULONG ulFlags, ULONG* lpcValues,
                                           LPSPropValue* lppOptions) = 0;
    virtual HRESULT EnumAdrTypes(ULONG ulFlags, ULONG* lpcAdrTypes, LPTSTR** lpppszAdrTypes) = 0;
    virtual HRESULT QueryIdentity(ULONG* lpcbEntryID, LPENTRYID* lppEntryID) = 0;
    virtual HRESULT Logoff(ULONG_PTR ulUIParam, ULONG ulFlags, ULONG ulReserved) = 0;
    virtual HRESULT SetDefaultStore(ULONG ulFlags, ULONG cbEntryID, LPENTRYID lpEntryID) = 0;
    virtual HRESULT AdminServices(ULONG ulFlags, LPSERVICEADMIN* lppServiceAdmin) = 0;
    virtual HRESULT ShowForm(ULONG_PTR ulUIParam, LPMDB lpMsgStore, LPMAPIFOLDER lpParentFolder,
                             LPCIID lpInterface, ULONG ulMessageToken, LPMESSAGE lpMessageSent,
                             ULONG ulFlags, ULONG ulMessageStatus, ULONG ulMessageFlags,
                             ULONG ulAccess, LPSTR lpszMessageClass) = 0;
    virtual HRESULT PrepareForm(LPCIID lpInterface, LPMESSAGE lpMessage,
                                ULONG* lpulMessageToken) = 0;

protected:
    ~IMAPISession() = default;
};
using LPMAPISESSION = IMAPISession*;
