// Where a server name leads: the platform configuration's [hosts] map, else DNS.
#pragma once

#include "platform/ads/AdsPath.h"
#include "platform/base/PlatformConfig.h"

#include <string>

namespace winplat::ads
{

struct LdapEndpoint
{
    std::string host;
    int port = 389;
    bool ldaps = false;
    // A cleartext bind is allowed only on loopback and only for names the configuration lists.
    bool cleartextAllowed = false;
    std::string caFile;
    int timeoutSeconds = 120;

    std::string Uri() const;
};

std::optional<LdapEndpoint> ResolveEndpoint(const AdsPath& path, const PlatformConfig& config);
bool IsLoopbackHost(std::string_view host);

} // namespace winplat::ads
