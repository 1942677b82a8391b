#include "platform/ads/BindName.h"

namespace winplat::ads
{

namespace
{

bool LooksLikeDn(std::string_view user)
{
    size_t eq = user.find('=');
    size_t bs = user.find('\\');
    size_t at = user.find('@');
    return eq != std::string_view::npos && eq > 0 && (bs == std::string_view::npos || bs > eq) &&
           (at == std::string_view::npos || at > eq);
}

} // namespace

BindPlan PlanBind(std::string_view user, const RootDse& rootDse)
{
    if (user.empty())
        return {};
    if (LooksLikeDn(user))
        return {BindPlan::Kind::Direct, std::string(user)};

    size_t bs = user.find('\\');
    size_t at = user.find('@');
    if (rootDse.IsActiveDirectory())
    {
        if (bs != std::string_view::npos || at != std::string_view::npos)
            return {BindPlan::Kind::Direct, std::string(user)};
        std::string domain = rootDse.DnsDomain();
        if (domain.empty())
            return {};
        return {BindPlan::Kind::Direct, std::string(user) + "@" + domain};
    }

    std::string_view account = user;
    if (bs != std::string_view::npos)
        account = user.substr(bs + 1);
    else if (at != std::string_view::npos)
        account = user.substr(0, at);
    if (account.empty())
        return {};
    return {BindPlan::Kind::LookupAccount, std::string(account)};
}

} // namespace winplat::ads
