#include "platform/ads/AttributeSchema.h"

#include "platform/ads/LdapError.h"
#include "platform/base/PlatformConfig.h"

#include <ldap.h>
#include <ldap_schema.h>

namespace winplat::ads
{

ADSTYPE AdsTypeForSyntax(std::string_view oid)
{
    constexpr std::string_view prefix = "1.3.6.1.4.1.1466.115.121.1.";
    if (oid.substr(0, prefix.size()) == prefix)
    {
        std::string_view n = oid.substr(prefix.size());
        if (n == "7")
            return ADSTYPE_BOOLEAN;
        if (n == "27")
            return ADSTYPE_INTEGER;
        if (n == "12")
            return ADSTYPE_DN_STRING;
        if (n == "40" || n == "5" || n == "28" || n == "8")
            return ADSTYPE_OCTET_STRING;
        if (n == "36")
            return ADSTYPE_NUMERIC_STRING;
        if (n == "44")
            return ADSTYPE_PRINTABLE_STRING;
        if (n == "24" || n == "53")
            return ADSTYPE_UTC_TIME;
        if (n == "26")
            return ADSTYPE_CASE_EXACT_STRING;
    }
    // Active Directory's own syntaxes for large integers and security descriptors.
    if (oid == "1.2.840.113556.1.4.906")
        return ADSTYPE_LARGE_INTEGER;
    if (oid == "1.2.840.113556.1.4.907")
        return ADSTYPE_OCTET_STRING;
    return ADSTYPE_CASE_IGNORE_STRING;
}

void AttributeSchema::AddDescription(std::string_view description)
{
    std::string text(description);
    int code = 0;
    const char* err = nullptr;
    LDAPAttributeType* at =
        ldap_str2attributetype(text.c_str(), &code, &err, LDAP_SCHEMA_ALLOW_ALL);
    if (!at)
        return;
    Attribute a{at->at_syntax_oid ? at->at_syntax_oid : "",
                at->at_sup_oid ? ToLowerAscii(at->at_sup_oid) : ""};
    if (at->at_oid)
        m_byName[ToLowerAscii(at->at_oid)] = a;
    for (char** n = at->at_names; n && *n; ++n)
        m_byName[ToLowerAscii(*n)] = a;
    ldap_attributetype_free(at);
}

void AttributeSchema::Load(LDAP* ld, const std::string& subschemaDn, int timeoutSeconds) noexcept
{
    if (!ld || subschemaDn.empty())
        return;
    try
    {
        char name[] = "attributeTypes";
        char* attrs[] = {name, nullptr};
        timeval tv{timeoutSeconds, 0};
        LDAPMessage* res = nullptr;
        int rc = ldap_search_ext_s(ld, subschemaDn.c_str(), LDAP_SCOPE_BASE, "(objectClass=*)",
                                   attrs, 0, nullptr, nullptr, &tv, 1, &res);
        if (rc == LDAP_SUCCESS)
        {
            if (LDAPMessage* e = ldap_first_entry(ld, res))
            {
                if (berval** vals = ldap_get_values_len(ld, e, "attributeTypes"))
                {
                    for (berval** v = vals; *v; ++v)
                        AddDescription(std::string_view((*v)->bv_val, (*v)->bv_len));
                    ldap_value_free_len(vals);
                }
            }
        }
        else
        {
            ReportLdapFailure("schema", rc, subschemaDn);
        }
        ldap_msgfree(res);
    }
    catch (...)
    {
        m_byName.clear();
    }
}

ADSTYPE AttributeSchema::TypeOf(std::string_view attribute) const
{
    std::string key = ToLowerAscii(attribute);
    // Follow SUP until a syntax turns up; the depth bound guards against a looping schema.
    for (int depth = 0; depth < 16; ++depth)
    {
        auto it = m_byName.find(key);
        if (it == m_byName.end())
            return ADSTYPE_INVALID;
        if (!it->second.syntax.empty())
            return AdsTypeForSyntax(it->second.syntax);
        if (it->second.sup.empty())
            return ADSTYPE_CASE_IGNORE_STRING;
        key = it->second.sup;
    }
    return ADSTYPE_CASE_IGNORE_STRING;
}

} // namespace winplat::ads
