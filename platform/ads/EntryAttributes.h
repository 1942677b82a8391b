// The attributes of one search entry, read from the message once and looked up by name.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

typedef struct ldap LDAP;
typedef struct ldapmsg LDAPMessage;
struct berval;

namespace winplat::ads
{

class EntryAttributes final
{
public:
    EntryAttributes() = default;
    ~EntryAttributes() { Clear(); }
    EntryAttributes(const EntryAttributes&) = delete;
    EntryAttributes& operator=(const EntryAttributes&) = delete;

    void Load(LDAP* ld, LDAPMessage* entry);
    void Clear() noexcept;
    bool IsLoaded() const noexcept { return m_loaded; }
    // The values of the attribute whose type (options such as ";binary" aside) matches the
    // name case-insensitively; null when the entry has none.
    berval** Find(std::string_view name) const noexcept;

private:
    std::vector<std::pair<std::string, berval**>> m_attributes;
    bool m_loaded = false;
};

} // namespace winplat::ads
