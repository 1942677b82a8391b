#include "platform/mapi/StoreEntryId.h"

#include "platform/base/PlatformConfig.h"
#include "platform/mapi/MapiApi.h"

#include <cstring>
#include <new>

namespace winplat::mapi
{

namespace
{

// Names the store provider that made the ID.
constexpr BYTE kProvider[16] = {0x57, 0x50, 0x4C, 0x41, 0x54, 0x2D, 0x45, 0x58,
                                0x43, 0x48, 0x2D, 0x53, 0x54, 0x4F, 0x52, 0x45};
constexpr BYTE kVersion = 1;
constexpr size_t kFixed = 4 + sizeof kProvider + 1 + 4;

size_t FindNoCase(std::string_view hay, std::string_view needle, size_t from = 0)
{
    for (size_t i = from; i + needle.size() <= hay.size(); ++i)
    {
        if (EqualsNoCase(hay.substr(i, needle.size()), needle))
            return i;
    }
    return std::string_view::npos;
}

} // namespace

std::string StoreEntryId::Bytes() const
{
    std::string b(kFixed, '\0');
    std::memcpy(&b[4], kProvider, sizeof kProvider);
    b[4 + sizeof kProvider] = static_cast<char>(kVersion);
    for (int k = 0; k < 4; ++k)
        b[4 + sizeof kProvider + 1 + k] = static_cast<char>((m_flags >> (8 * k)) & 0xFF);
    b += m_serverDn;
    b += '\0';
    b += m_mailboxDn;
    b += '\0';
    return b;
}

HRESULT StoreEntryId::Build(ULONG* lpcb, LPENTRYID* lppEntryID) const noexcept
{
    *lpcb = 0;
    *lppEntryID = nullptr;
    try
    {
        std::string b = Bytes();
        LPVOID p = nullptr;
        if (FAILED(MAPIAllocateBuffer(static_cast<ULONG>(b.size()), &p)))
            return MAPI_E_NOT_ENOUGH_MEMORY;
        std::memcpy(p, b.data(), b.size());
        *lpcb = static_cast<ULONG>(b.size());
        *lppEntryID = static_cast<LPENTRYID>(p);
        return S_OK;
    }
    catch (const std::bad_alloc&)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}

bool StoreEntryId::Parse(ULONG cb, const ENTRYID* eid, StoreEntryId* out)
{
    if (eid == nullptr || cb < kFixed + 2)
        return false;
    const auto* b = reinterpret_cast<const char*>(eid);
    if (std::memcmp(b + 4, kProvider, sizeof kProvider) != 0 ||
        static_cast<BYTE>(b[4 + sizeof kProvider]) != kVersion)
        return false;
    ULONG flags = 0;
    for (int k = 0; k < 4; ++k)
        flags |= static_cast<ULONG>(static_cast<BYTE>(b[4 + sizeof kProvider + 1 + k])) << (8 * k);
    std::string_view rest(b + kFixed, cb - kFixed);
    size_t nul = rest.find('\0');
    if (nul == std::string_view::npos || rest.back() != '\0')
        return false;
    std::string_view server = rest.substr(0, nul);
    std::string_view mailbox = rest.substr(nul + 1, rest.size() - nul - 2);
    if (mailbox.find('\0') != std::string_view::npos)
        return false;
    *out = StoreEntryId(std::string(server), std::string(mailbox), flags);
    return true;
}

std::string StoreEntryId::ServerNameOf(std::string_view dn)
{
    constexpr std::string_view servers = "/cn=Configuration/cn=Servers/cn=";
    size_t at = FindNoCase(dn, servers);
    if (at == std::string_view::npos)
        return {};
    std::string_view rest = dn.substr(at + servers.size());
    size_t slash = rest.find('/');
    if (slash == std::string_view::npos || slash == 0)
        return {};
    std::string_view tail = rest.substr(slash);
    if (!EqualsNoCase(tail, "/cn=Microsoft Private MDB") &&
        !EqualsNoCase(tail, "/cn=Microsoft Public MDB"))
        return {};
    return std::string(rest.substr(0, slash));
}

std::string StoreEntryId::PrivateMdbDn(std::string_view server)
{
    return "/cn=Configuration/cn=Servers/cn=" + std::string(server) + "/cn=Microsoft Private MDB";
}

std::string StoreEntryId::PublicMdbDn(std::string_view server)
{
    return "/cn=Configuration/cn=Servers/cn=" + std::string(server) + "/cn=Microsoft Public MDB";
}

} // namespace winplat::mapi
