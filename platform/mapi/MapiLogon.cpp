// Logon: the profile's Exchange services, resolved through the configuration to their
// servers' mail stores, make a session whose default store is the account's own mailbox.
#include "platform/mapi/MapiApi.h"
#include "platform/mapi/MapiInit.h"
#include "platform/mapi/MsgServiceAdmin.h"
#include "platform/mapi/NotSupported.h"
#include "platform/mapi/ProfileStore.h"
#include "platform/mapi/PropList.h"
#include "platform/mapi/Session.h"
#include "platform/mapi/StoreEntryId.h"

#include "platform/base/PlatformConfig.h"

#include <new>

using namespace winplat::mapi;

namespace
{

constexpr ULONG kLogonFlags =
    MAPI_LOGON_UI | MAPI_NEW_SESSION | MAPI_ALLOW_OTHERS | MAPI_EXPLICIT_PROFILE | MAPI_EXTENDED |
    MAPI_FORCE_DOWNLOAD | MAPI_SERVICE_UI_ALWAYS | MAPI_NO_MAIL | MAPI_NT_SERVICE |
    MAPI_PASSWORD_UI | MAPI_TIMEOUT_SHORT | MAPI_USE_DEFAULT | MAPI_UNICODE;

std::string SectionText(const std::vector<PropValue>& props, ULONG tag)
{
    const PropValue* v = FindById(props, tag);
    if (v == nullptr)
        return {};
    auto wide = v->As(CHANGE_PROP_TYPE(tag, PT_UNICODE), true);
    return wide && wide->WideText() ? WideToUtf8(*wide->WideText()) : std::string();
}

Row StoreRow(const StoreEntryId& id, std::u16string name, bool isDefault, LONG key)
{
    std::string eid = id.Bytes();
    return Row{PropValue::Binary(PR_ENTRYID, eid.data(), eid.size()),
               PropValue::Wide(PR_DISPLAY_NAME_W, std::move(name)),
               PropValue::Bool(PR_DEFAULT_STORE, isDefault),
               PropValue::Binary(PR_INSTANCE_KEY, &key, sizeof key)};
}

// One Exchange service of the profile: its server, its account's mailbox, its store rows.
HRESULT AddExchangeService(SessionContext& context, const std::vector<PropValue>& section,
                           bool first, std::vector<Row>& rows)
{
    std::string server = SectionText(section, PR_PROFILE_UNRESOLVED_SERVER);
    std::string account = SectionText(section, PR_PROFILE_UNRESOLVED_NAME);
    if (server.empty() || account.empty())
    {
        LogProblem("the profile's Exchange service has no server or no mailbox configured");
        return MAPI_E_UNCONFIGURED;
    }
    std::shared_ptr<const ExchangeServer> exchange;
    if (HRESULT hr = context.Server(server, &exchange); FAILED(hr))
        return hr;
    if (FAILED(exchange->settings.logonResult))
        return exchange->settings.logonResult;
    MailboxRecord own;
    if (HRESULT hr = exchange->db->ResolveAccount(account, &own); FAILED(hr))
    {
        LogProblem("Exchange server \"%s\": the name \"%s\" %s", server.c_str(), account.c_str(),
                   hr == MAPI_E_AMBIGUOUS_RECIP ? "names more than one mailbox"
                                                : "names no mailbox");
        return hr == MAPI_E_AMBIGUOUS_RECIP ? hr : MAPI_E_LOGON_FAILED;
    }
    context.AddOwnMailbox(exchange->settings.name, own.dnKey);
    LONG key = static_cast<LONG>(rows.size());
    rows.push_back(StoreRow(StoreEntryId(StoreEntryId::PublicMdbDn(server), {}, OPENSTORE_PUBLIC),
                            u"Public Folders", false, ++key));
    rows.push_back(StoreRow(StoreEntryId(StoreEntryId::PrivateMdbDn(server),
                                         WideToAnsiText(Utf8ToWide(own.dn)), OPENSTORE_HOME_LOGON),
                            u"Mailbox - " + Utf8ToWide(own.displayName), first, ++key));
    return S_OK;
}

HRESULT Logon(const std::u16string& profile, LPMAPISESSION* lppSession)
{
    std::shared_ptr<ProfileStore> store;
    if (HRESULT hr = ProfileStore::Open(&store); FAILED(hr))
        return hr;
    std::int64_t id = 0;
    if (HRESULT hr = store->FindProfile(profile, &id); FAILED(hr))
    {
        if (hr == MAPI_E_NOT_FOUND)
            LogProblem("there is no profile named \"%s\"", WideToUtf8(profile).c_str());
        return hr == MAPI_E_NOT_FOUND ? MAPI_E_LOGON_FAILED : hr;
    }
    std::vector<ProfileStore::Service> services;
    if (HRESULT hr = store->ListServices(id, &services); FAILED(hr))
        return hr;
    auto context = std::make_shared<SessionContext>(profile);
    auto rows = std::make_shared<std::vector<Row>>();
    bool first = true;
    for (const ProfileStore::Service& s : services)
    {
        if (!winplat::EqualsNoCase(s.name, kExchangeService))
            continue;
        std::vector<PropValue> section;
        if (HRESULT hr = store->ReadSection(id, s.uid, &section); FAILED(hr))
            return hr;
        if (HRESULT hr = AddExchangeService(*context, section, first, *rows); FAILED(hr))
            return hr;
        first = false;
    }
    return Session::Create(std::move(context), std::move(rows), lppSession);
}

} // namespace

HRESULT MAPILogonEx(ULONG_PTR, LPTSTR lpszProfileName, LPTSTR, ULONG flFlags,
                    LPMAPISESSION* lppSession) noexcept
{
    if (lppSession == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lppSession = nullptr;
    try
    {
        std::u16string profile = ArgText(lpszProfileName, flFlags);
        HRESULT hr = S_OK;
        if (MapiFaults::Hit("MAPILogonEx", flFlags, &hr, WideToUtf8(profile)))
            return hr;
        if (!IsInitialized())
            return MAPI_E_NOT_INITIALIZED;
        if ((flFlags & ~kLogonFlags) != 0)
            return MAPI_E_UNKNOWN_FLAGS;
        if (lpszProfileName == nullptr)
        {
            // There is no default profile to fall back on, and no dialog to pick one in.
            LogProblem("a logon without a profile name is not supported");
            return MAPI_E_LOGON_FAILED;
        }
        return Logon(profile, lppSession);
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}
