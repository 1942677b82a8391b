#include "tests/util/UsersLdif.h"

namespace qmtest
{
namespace
{

std::string Base64(const std::string& data)
{
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < data.size(); i += 3)
    {
        unsigned n = static_cast<unsigned char>(data[i]) << 16 |
                     static_cast<unsigned char>(data[i + 1]) << 8 |
                     static_cast<unsigned char>(data[i + 2]);
        out += alphabet[n >> 18 & 63];
        out += alphabet[n >> 12 & 63];
        out += alphabet[n >> 6 & 63];
        out += alphabet[n & 63];
    }
    if (i < data.size())
    {
        unsigned n = static_cast<unsigned char>(data[i]) << 16;
        if (i + 1 < data.size())
            n |= static_cast<unsigned char>(data[i + 1]) << 8;
        out += alphabet[n >> 18 & 63];
        out += alphabet[n >> 12 & 63];
        out += i + 1 < data.size() ? alphabet[n >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

// The LDIF "SAFE-STRING" rule, plus base64 for a trailing space so that no
// tool trims it.
bool IsSafeLdifValue(const std::string& value)
{
    if (value.empty())
        return true;
    const char first = value.front();
    if (first == ' ' || first == ':' || first == '<' || value.back() == ' ')
        return false;
    for (unsigned char c : value)
    {
        if (c == '\0' || c == '\n' || c == '\r' || c > 127)
            return false;
    }
    return true;
}

} // namespace

std::string LdifLine(const std::string& name, const std::string& value)
{
    if (IsSafeLdifValue(value))
        return name + ": " + value + "\n";
    return name + ":: " + Base64(value) + "\n";
}

std::string EscapeDnValue(const std::string& value)
{
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i)
    {
        const char c = value[i];
        const bool edgeSpace = c == ' ' && (i == 0 || i + 1 == value.size());
        if (c == '\0')
            out += "\\00";
        else if (edgeSpace || (c == '#' && i == 0) || c == '"' || c == '+' || c == ',' ||
                 c == ';' || c == '<' || c == '>' || c == '\\' || c == '=')
        {
            out += '\\';
            out += c;
        }
        else
            out += c;
    }
    return out;
}

std::string UserDn(const SlapdOptions& options, const std::string& cn)
{
    return "cn=" + EscapeDnValue(cn) + ",ou=Users," + options.suffix;
}

std::string UsersLdif(const SlapdOptions& options, const std::vector<DirectoryUser>& users)
{
    std::string ldif;
    for (const auto& user : users)
    {
        ldif += LdifLine("dn", UserDn(options, user.cn));
        ldif += "objectClass: top\nobjectClass: person\nobjectClass: organizationalPerson\n"
                "objectClass: inetOrgPerson\nobjectClass: adUser\n";
        ldif += LdifLine("cn", user.cn);
        ldif += LdifLine("sn", user.cn);
        if (!user.sam.empty())
            ldif += LdifLine("sAMAccountName", user.sam);
        if (user.nickname)
            ldif += LdifLine("mailNickname", *user.nickname);
        if (user.legacyDN)
            ldif += LdifLine("legacyExchangeDN", *user.legacyDN);
        if (user.hidden)
            ldif += LdifLine("msExchHideFromAddressLists", *user.hidden);
        if (!user.objectCategory.empty())
            ldif += LdifLine("objectCategory", user.objectCategory);
        if (!user.password.empty())
            ldif += LdifLine("userPassword", user.password);
        ldif += "\n";
    }
    return ldif;
}

} // namespace qmtest
