#include "platform/ads/DcLocator.h"

#include "platform/ads/DnsSrvQuery.h"
#include "platform/ads/DnsSrvRecord.h"

namespace winplat::ads
{

namespace
{

DcLocation NotFound(std::string reason)
{
    return {DcLocation::Result::NotFound, {}, std::move(reason)};
}

DcLocation NoSuchDomain(std::string reason)
{
    return {DcLocation::Result::NoSuchDomain, {}, std::move(reason)};
}

std::mt19937& Random()
{
    thread_local std::mt19937 random{std::random_device{}()};
    return random;
}

} // namespace

DcLocator::DcLocator(const PlatformConfig& config)
    : m_config(config), m_netbiosDomain(config.GetOr("machine", "netbios_domain", "")),
      m_dnsDomain(config.GetOr("machine", "dns_domain", ""))
{
}

DcLocation DcLocator::Find(std::string_view domain) const
{
    if (domain.empty())
        return NoSuchDomain("no domain name given");

    bool own = (!m_netbiosDomain.empty() && EqualsNoCase(domain, m_netbiosDomain)) ||
               (!m_dnsDomain.empty() && IsDnsName(domain) &&
                CanonicalDnsName(domain) == CanonicalDnsName(m_dnsDomain));
    if (own)
        return FindOwn();

    // Only the configuration knows NetBIOS names; a DNS name may be any domain DNS knows.
    if (domain.find('.') == std::string_view::npos)
        return NoSuchDomain("not this computer's domain, and not a DNS name");
    if (!IsDnsName(domain))
        return NoSuchDomain("not a valid DNS name");
    return FindThroughDns(CanonicalDnsName(domain));
}

DcLocation DcLocator::FindOwn() const
{
    // The first controller listed is the one that answers, as a domain member's locator
    // would have cached it.
    std::vector<std::string> listed = m_config.GetList("machine", "domain_controllers");
    if (!listed.empty())
        return {DcLocation::Result::Found, listed.front(), {}};
    if (m_dnsDomain.empty())
        return NotFound("the configuration names neither controllers nor a DNS domain");
    if (!IsDnsName(m_dnsDomain))
        return NotFound("the configured DNS domain is not a valid DNS name");
    return FindThroughDns(CanonicalDnsName(m_dnsDomain));
}

DcLocation DcLocator::FindThroughDns(const std::string& dnsDomain) const
{
    std::optional<DnsServer> server;
    if (auto text = m_config.Get("machine", "dns_server"); text && !text->empty())
    {
        server = ParseDnsServer(*text);
        // Falling back to the system's resolver would ask somebody the user did not name.
        if (!server)
            return NotFound("dns_server \"" + *text + "\" is not host or host:port");
    }

    const std::string name = "_ldap._tcp.dc._msdcs." + dnsDomain;
    SrvAnswer answer = DnsSrvQuery(server).Query(name);
    switch (answer.outcome)
    {
    case SrvAnswer::Outcome::NoSuchName:
        return NoSuchDomain("DNS knows no " + name);
    case SrvAnswer::Outcome::NoRecords:
        return NotFound("DNS has no SRV records for " + name);
    case SrvAnswer::Outcome::Failed:
        return NotFound("DNS lookup of " + name + " failed: " + answer.detail);
    case SrvAnswer::Outcome::Records:
        break;
    }

    for (SrvRecord& record : OrderSrvRecords(std::move(answer.records), Random()))
    {
        // The name goes into a directory path; anything but a host name is not used.
        if (IsDnsName(record.target))
            return {DcLocation::Result::Found, record.target, {}};
    }
    return NotFound("no controller offered for " + name);
}

} // namespace winplat::ads
