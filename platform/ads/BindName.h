// How a user name as typed becomes a simple bind.
#pragma once

#include "platform/ads/RootDse.h"

#include <string>
#include <string_view>

namespace winplat::ads
{

struct BindPlan
{
    enum class Kind
    {
        Direct,        // bind with `name` as it is
        LookupAccount, // find the entry whose sAMAccountName is `name`, bind with its DN
        Refuse,        // nothing to bind with
    };
    Kind kind = Kind::Refuse;
    std::string name;
};

// Active Directory takes a DN, DOMAIN\account and account@domain in a simple bind, but not a
// bare account, which gets the server's own domain. A plain LDAP server only knows DNs.
BindPlan PlanBind(std::string_view user, const RootDse& rootDse);

} // namespace winplat::ads
