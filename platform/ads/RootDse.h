// What a server says of itself before anyone binds.
#pragma once

#include <string>
#include <vector>

namespace winplat::ads
{

struct RootDse
{
    std::string defaultNamingContext;
    std::vector<std::string> namingContexts;
    std::vector<std::string> supportedCapabilities;
    std::string subschemaSubentry;

    // Active Directory announces itself through a capability.
    bool IsActiveDirectory() const;
    // defaultNamingContext, else the first naming context, else empty.
    std::string DefaultBase() const;
    // DC=corp,DC=example,DC=test -> corp.example.test
    std::string DnsDomain() const;
};

} // namespace winplat::ads
