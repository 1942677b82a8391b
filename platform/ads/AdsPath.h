// "LDAP://server[:port][/DN]" taken apart.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace winplat::ads
{

struct AdsPath
{
    std::string server; // as typed, UTF-8
    std::optional<int> port;
    std::string dn; // empty: the server's default naming context
};

// Empty, serverless or malformed paths give nothing.
std::optional<AdsPath> ParseAdsPath(std::u16string_view path);

} // namespace winplat::ads
