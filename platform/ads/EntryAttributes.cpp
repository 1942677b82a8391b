#include "platform/ads/EntryAttributes.h"

#include "platform/base/PlatformConfig.h"

#include <ldap.h>

namespace winplat::ads
{

void EntryAttributes::Load(LDAP* ld, LDAPMessage* entry)
{
    Clear();
    m_loaded = true;
    BerElement* ber = nullptr;
    for (char* a = ldap_first_attribute(ld, entry, &ber); a;
         a = ldap_next_attribute(ld, entry, ber))
    {
        std::string name(a);
        berval** values = ldap_get_values_len(ld, entry, a);
        ldap_memfree(a);
        if (!values)
            continue;
        try
        {
            m_attributes.emplace_back(name.substr(0, name.find(';')), values);
        }
        catch (...)
        {
            ldap_value_free_len(values);
            throw;
        }
    }
    if (ber)
        ber_free(ber, 0);
}

void EntryAttributes::Clear() noexcept
{
    for (auto& [name, values] : m_attributes)
        ldap_value_free_len(values);
    m_attributes.clear();
    m_loaded = false;
}

berval** EntryAttributes::Find(std::string_view name) const noexcept
{
    for (const auto& [type, values] : m_attributes)
    {
        if (EqualsNoCase(type, name))
            return values;
    }
    return nullptr;
}

} // namespace winplat::ads
