// The value type of each attribute, from the server's subschema.
#pragma once

#include "platform/ads/Ads.h"

#include <map>
#include <string>
#include <string_view>

typedef struct ldap LDAP;

namespace winplat::ads
{

class AttributeSchema final
{
public:
    // Reads attributeTypes from the subschema entry. Without one the schema stays empty and
    // types are guessed from the values.
    void Load(LDAP* ld, const std::string& subschemaDn, int timeoutSeconds) noexcept;
    // Adds one "( oid NAME 'x' SYNTAX ... )" description; used by Load.
    void AddDescription(std::string_view description);

    bool IsLoaded() const noexcept { return !m_byName.empty(); }
    // ADSTYPE_INVALID when the attribute is unknown.
    ADSTYPE TypeOf(std::string_view attribute) const;

private:
    struct Attribute
    {
        std::string syntax;
        std::string sup;
    };
    std::map<std::string, Attribute> m_byName; // lower-case names and OIDs
};

ADSTYPE AdsTypeForSyntax(std::string_view syntaxOid);

} // namespace winplat::ads
