// Entry IDs of the Exchange service's stores: which server, which mailbox, which OPENSTORE_*
// flags. The DNs are kept as the 8-bit text the caller gave.
#pragma once

#include "platform/mapi/MapiDefs.h"

#include <string>
#include <string_view>

namespace winplat::mapi
{

class StoreEntryId
{
public:
    StoreEntryId() = default;
    StoreEntryId(std::string serverDn, std::string mailboxDn, ULONG flags)
        : m_serverDn(std::move(serverDn)), m_mailboxDn(std::move(mailboxDn)), m_flags(flags)
    {
    }

    // False for an ID this service did not make.
    [[nodiscard]] static bool Parse(ULONG cb, const ENTRYID* eid, StoreEntryId* out);
    // Memory from MAPIAllocateBuffer.
    [[nodiscard]] HRESULT Build(ULONG* lpcb, LPENTRYID* lppEntryID) const noexcept;
    std::string Bytes() const;

    // "/cn=Configuration/cn=Servers/cn=NAME/cn=Microsoft Private MDB", with or without an
    // organisation before it: NAME, or empty when the DN has another shape.
    static std::string ServerNameOf(std::string_view serverDn);
    static std::string PrivateMdbDn(std::string_view server);
    static std::string PublicMdbDn(std::string_view server);

    const std::string& ServerDn() const noexcept { return m_serverDn; }
    const std::string& MailboxDn() const noexcept { return m_mailboxDn; }
    ULONG Flags() const noexcept { return m_flags; }
    bool IsPublic() const noexcept { return (m_flags & OPENSTORE_PUBLIC) != 0; }

private:
    std::string m_serverDn;
    std::string m_mailboxDn;
    ULONG m_flags = 0;
};

} // namespace winplat::mapi
