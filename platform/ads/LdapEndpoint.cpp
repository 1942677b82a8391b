#include "platform/ads/LdapEndpoint.h"

#include <algorithm>
#include <arpa/inet.h>

namespace winplat::ads
{

std::string LdapEndpoint::Uri() const
{
    std::string h = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return std::string(ldaps ? "ldaps://" : "ldap://") + h + ":" + std::to_string(port);
}

bool IsLoopbackHost(std::string_view host)
{
    std::string h(host);
    if (EqualsNoCase(h, "localhost"))
        return true;
    in_addr v4{};
    if (inet_pton(AF_INET, h.c_str(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (inet_pton(AF_INET6, h.c_str(), &v6) == 1)
        return IN6_IS_ADDR_LOOPBACK(&v6);
    return false;
}

std::optional<LdapEndpoint> ResolveEndpoint(const AdsPath& path, const PlatformConfig& config)
{
    LdapEndpoint ep;
    ep.host = path.server;
    ep.caFile = config.GetOr("directory", "ca_file", "");
    try
    {
        ep.timeoutSeconds =
            std::clamp(std::stoi(config.GetOr("directory", "timeout_seconds", "120")), 1, 3600);
    }
    catch (...)
    {
        ep.timeoutSeconds = 120;
    }

    bool mapped = false;
    for (const std::string& name : config.Keys("hosts"))
    {
        if (!EqualsNoCase(name, path.server))
            continue;
        std::string target = config.GetOr("hosts", name, "");
        if (target.rfind("ldaps://", 0) == 0)
        {
            ep.ldaps = true;
            target = target.substr(8);
        }
        else if (target.rfind("ldap://", 0) == 0)
        {
            target = target.substr(7);
        }
        while (!target.empty() && target.back() == '/')
            target.pop_back();
        ep.port = ep.ldaps ? 636 : 389;
        std::string portText;
        if (!target.empty() && target.front() == '[')
        {
            size_t close = target.find(']');
            if (close == std::string::npos)
                return std::nullopt;
            if (close + 1 < target.size())
            {
                if (target[close + 1] != ':')
                    return std::nullopt;
                portText = target.substr(close + 2);
            }
            target = target.substr(1, close - 1);
        }
        else if (std::count(target.begin(), target.end(), ':') == 1)
        {
            size_t colon = target.find(':');
            portText = target.substr(colon + 1);
            target.resize(colon);
        }
        if (!portText.empty())
        {
            if (portText.size() > 5 || !std::all_of(portText.begin(), portText.end(),
                                                    [](char c) { return c >= '0' && c <= '9'; }))
                return std::nullopt;
            ep.port = std::stoi(portText);
        }
        if (target.empty() || ep.port < 1 || ep.port > 65535)
            return std::nullopt;
        ep.host = target;
        mapped = true;
        break;
    }
    if (path.port)
        ep.port = *path.port;
    if (!mapped && !path.port)
        ep.port = 389;

    for (const std::string& name : config.GetList("directory", "cleartext"))
    {
        if (EqualsNoCase(name, path.server) && IsLoopbackHost(ep.host))
            ep.cleartextAllowed = true;
    }
    return ep;
}

} // namespace winplat::ads
