// Asks DNS for the SRV records of one name: through the system's resolver, or straight to
// one named server (UDP, then TCP when the answer does not fit a datagram).
#pragma once

#include "platform/ads/DnsSrvRecord.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace winplat::ads
{

struct DnsServer
{
    std::string host; // name or address, without brackets
    std::uint16_t port = 53;
};

// "host", "host:port", "[v6 address]:port" or a bare IPv6 address.
std::optional<DnsServer> ParseDnsServer(std::string_view text);

class DnsSrvQuery final
{
public:
    // No server: the system's resolver, with its retries cut down to fit the time limit.
    explicit DnsSrvQuery(std::optional<DnsServer> server,
                         std::chrono::milliseconds timeLimit = std::chrono::seconds(4));

    [[nodiscard]] SrvAnswer Query(const std::string& name) const;

private:
    SrvAnswer QuerySystem(const std::string& name) const;
    SrvAnswer QueryServer(const std::string& name) const;

    std::optional<DnsServer> m_server;
    std::chrono::milliseconds m_timeLimit;
};

} // namespace winplat::ads
