#include "platform/ads/AdsPath.h"

#include "platform/base/CString.h"

#include <algorithm>
#include <cctype>

namespace winplat::ads
{

namespace
{

bool IsHostChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
}

} // namespace

std::optional<AdsPath> ParseAdsPath(std::u16string_view path)
{
    constexpr std::u16string_view prefix = u"LDAP://";
    if (path.size() < prefix.size())
        return std::nullopt;
    // The moniker is case-insensitive in practice ("ldap://" works as well).
    for (size_t i = 0; i < prefix.size(); ++i)
    {
        char16_t a = path[i];
        char16_t b = prefix[i];
        if (a >= u'a' && a <= u'z')
            a = static_cast<char16_t>(a - 0x20);
        if (a != b)
            return std::nullopt;
    }
    std::string rest = ToUtf8(path.substr(prefix.size()));
    size_t slash = rest.find('/');
    std::string authority = rest.substr(0, slash);
    AdsPath out;
    if (slash != std::string::npos)
        out.dn = rest.substr(slash + 1);

    size_t colon = authority.rfind(':');
    if (colon != std::string::npos)
    {
        std::string port = authority.substr(colon + 1);
        if (port.empty() || port.size() > 5 ||
            !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        int p = std::stoi(port);
        if (p < 1 || p > 65535)
            return std::nullopt;
        out.port = p;
        authority.resize(colon);
    }
    // A name with '=' is a serverless DN path, which needs a domain locator we do not offer here.
    if (authority.empty() || authority.size() > 253 ||
        !std::all_of(authority.begin(), authority.end(), IsHostChar) || authority.front() == '.' ||
        authority.front() == '-')
        return std::nullopt;
    out.server = std::move(authority);
    return out;
}

} // namespace winplat::ads
