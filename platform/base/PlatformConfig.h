// What a machine joined to a domain would know: the file named by WINPLAT_CONFIG, else
// $XDG_CONFIG_HOME/winplat/config.ini, else ~/.config/winplat/config.ini.
//
//   [machine]      netbios_domain, dns_domain, domain_controllers, dns_server
//   [hosts]        NAME = host:port | ldap://host:port | ldaps://host:port
//   [directory]    ca_file, cleartext (names allowed a cleartext bind on loopback),
//                  max_page_size
//   [exchange NAME] settings of one Exchange server
//
// Section and key names are case-insensitive; lines starting with # or ; are comments.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace winplat
{

class PlatformConfig final
{
public:
    // The configuration as the file holds it now; read again when the file changes.
    static std::shared_ptr<const PlatformConfig> Current();
    static std::string Path();
    static PlatformConfig Parse(std::string_view text);

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    std::string GetOr(std::string_view section, std::string_view key, std::string_view def) const;
    // Whitespace- or comma-separated list.
    std::vector<std::string> GetList(std::string_view section, std::string_view key) const;
    // Keys of a section, in file order, as written.
    std::vector<std::string> Keys(std::string_view section) const;

private:
    struct Entry
    {
        std::string key;
        std::string value;
    };
    std::map<std::string, std::vector<Entry>> m_sections; // by lower-case section name
};

bool EqualsNoCase(std::string_view a, std::string_view b) noexcept;
std::string ToLowerAscii(std::string_view s);

} // namespace winplat
