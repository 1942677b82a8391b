// Finds a domain controller for a domain name as a user types it, the way a domain member
// does: its own domain from the platform configuration (NetBIOS or DNS name, either case),
// with the controllers listed there or else found through DNS; any other DNS domain through
// DNS alone.
#pragma once

#include "platform/base/PlatformConfig.h"

#include <random>
#include <string>
#include <string_view>

namespace winplat::ads
{

struct DcLocation
{
    enum class Result
    {
        Found,
        NoSuchDomain, // the name is no domain this computer knows or DNS has heard of
        NotFound,     // a domain, but no controller for it could be found
    };
    Result result = Result::NotFound;
    std::string host;   // the controller's host name, when found
    std::string reason; // why not, when not found
};

class DcLocator final
{
public:
    explicit DcLocator(const PlatformConfig& config);

    // A controller of the named domain.
    [[nodiscard]] DcLocation Find(std::string_view domain) const;
    // A controller of this computer's own domain.
    [[nodiscard]] DcLocation FindOwn() const;

private:
    DcLocation FindThroughDns(const std::string& dnsDomain) const;

    const PlatformConfig& m_config;
    std::string m_netbiosDomain;
    std::string m_dnsDomain;
};

} // namespace winplat::ads
