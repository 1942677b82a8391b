#include "platform/ads/RootDse.h"

#include "platform/base/PlatformConfig.h"

#include <sstream>

namespace winplat::ads
{

bool RootDse::IsActiveDirectory() const
{
    for (const std::string& cap : supportedCapabilities)
    {
        if (cap == "1.2.840.113556.1.4.800")
            return true;
    }
    return false;
}

std::string RootDse::DefaultBase() const
{
    if (!defaultNamingContext.empty())
        return defaultNamingContext;
    return namingContexts.empty() ? std::string() : namingContexts.front();
}

std::string RootDse::DnsDomain() const
{
    std::string domain;
    std::istringstream in(DefaultBase());
    std::string rdn;
    while (std::getline(in, rdn, ','))
    {
        size_t b = rdn.find_first_not_of(' ');
        if (b == std::string::npos)
            continue;
        rdn = rdn.substr(b);
        if (rdn.size() > 3 && EqualsNoCase(rdn.substr(0, 3), "dc="))
        {
            if (!domain.empty())
                domain += '.';
            domain += rdn.substr(3);
        }
    }
    return domain;
}

} // namespace winplat::ads
