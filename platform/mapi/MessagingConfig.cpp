#include "platform/mapi/MessagingConfig.h"

#include "platform/base/PlatformConfig.h"
#include "platform/mapi/MapiDefs.h"
#include "platform/mapi/NotSupported.h"

#include <cstdlib>
#include <filesystem>

namespace winplat::mapi
{

namespace
{

std::string Resolve(const std::string& path)
{
    if (path.empty() || path.front() == '/')
        return path;
    std::filesystem::path base = std::filesystem::path(PlatformConfig::Path()).parent_path();
    return (base / path).lexically_normal().string();
}

bool ParseBool(std::string_view section, std::string_view key, const std::string& v, bool def)
{
    if (v.empty())
        return def;
    if (EqualsNoCase(v, "yes") || EqualsNoCase(v, "true") || v == "1" || EqualsNoCase(v, "on"))
        return true;
    if (EqualsNoCase(v, "no") || EqualsNoCase(v, "false") || v == "0" || EqualsNoCase(v, "off"))
        return false;
    LogProblem("[%.*s] %.*s = %s is not yes or no; taking %s", static_cast<int>(section.size()),
               section.data(), static_cast<int>(key.size()), key.data(), v.c_str(),
               def ? "yes" : "no");
    return def;
}

std::optional<unsigned long long> ParseNumber(const std::string& v)
{
    if (v.empty())
        return std::nullopt;
    char* end = nullptr;
    unsigned long long n = std::strtoull(v.c_str(), &end, 0);
    if (end == nullptr || *end != '\0' || v.front() == '-')
        return std::nullopt;
    return n;
}

ULONG ParseLimit(std::string_view section, std::string_view key, const std::string& v, ULONG def)
{
    if (v.empty())
        return def;
    auto n = ParseNumber(v);
    if (!n || *n > 0xFFFFFFFFull)
    {
        LogProblem("[%.*s] %.*s = %s is not a number; taking %u", static_cast<int>(section.size()),
                   section.data(), static_cast<int>(key.size()), key.data(), v.c_str(), def);
        return def;
    }
    return static_cast<ULONG>(*n);
}

} // namespace

std::string MessagingConfig::ProfileStorePath()
{
    auto cfg = PlatformConfig::Current();
    if (auto p = cfg->Get("messaging", "profiles"); p && !p->empty())
        return Resolve(*p);
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x == '/')
        return std::string(x) + "/winplat/profiles.db";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.local/share/winplat/profiles.db";
}

std::optional<ExchangeServerSettings> MessagingConfig::Server(std::string_view name)
{
    if (name.empty())
        return std::nullopt;
    auto cfg = PlatformConfig::Current();
    std::string section = "exchange " + std::string(name);
    auto store = cfg->Get(section, "store");
    if (!store)
        return std::nullopt;
    ExchangeServerSettings s;
    s.name = std::string(name);
    s.store = Resolve(*store);
    s.mdbOnlineUnknown = ParseBool(section, "mdb_online_unknown",
                                   cfg->GetOr(section, "mdb_online_unknown", ""), false);
    std::string refuse = cfg->GetOr(section, "refuse_logon", "");
    if (auto n = ParseNumber(refuse); n && *n > 1)
    {
        s.logonResult = static_cast<HRESULT>(static_cast<std::uint32_t>(*n));
        if (SUCCEEDED(s.logonResult))
            s.logonResult = MAPI_E_LOGON_FAILED;
    }
    else if (ParseBool(section, "refuse_logon", refuse, false))
    {
        s.logonResult = MAPI_E_LOGON_FAILED;
    }
    s.maxRowBinary =
        ParseLimit(section, "max_row_binary", cfg->GetOr(section, "max_row_binary", ""), 510);
    s.maxOpenStores =
        ParseLimit(section, "max_open_stores", cfg->GetOr(section, "max_open_stores", ""), 255);
    return s;
}

} // namespace winplat::mapi
