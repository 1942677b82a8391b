#include "platform/base/PlatformConfig.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <sys/stat.h>

namespace winplat
{

namespace
{

std::string_view TrimView(std::string_view s)
{
    const char* ws = " \t\r\n";
    size_t b = s.find_first_not_of(ws);
    if (b == std::string_view::npos)
        return {};
    size_t e = s.find_last_not_of(ws);
    return s.substr(b, e - b + 1);
}

struct CacheKey
{
    std::string path;
    long long mtimeNs = -1;
    long long size = -1;
    bool operator==(const CacheKey&) const = default;
};

} // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) noexcept
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y)
                      {
                          return std::tolower(static_cast<unsigned char>(x)) ==
                                 std::tolower(static_cast<unsigned char>(y));
                      });
}

std::string ToLowerAscii(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string PlatformConfig::Path()
{
    if (const char* p = std::getenv("WINPLAT_CONFIG"); p && *p)
        return p;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x)
        return std::string(x) + "/winplat/config.ini";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/") + "/.config/winplat/config.ini";
}

PlatformConfig PlatformConfig::Parse(std::string_view text)
{
    PlatformConfig cfg;
    std::string section;
    std::istringstream in{std::string(text)};
    std::string raw;
    while (std::getline(in, raw))
    {
        std::string_view line = TrimView(raw);
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line.front() == '[' && line.back() == ']')
        {
            // "[exchange  EXCH01]" and "[exchange EXCH01]" name the same section.
            std::string name;
            bool space = false;
            for (char c : TrimView(line.substr(1, line.size() - 2)))
            {
                if (c == ' ' || c == '\t')
                {
                    space = true;
                    continue;
                }
                if (space && !name.empty())
                    name += ' ';
                space = false;
                name += c;
            }
            section = ToLowerAscii(name);
            cfg.m_sections[section];
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        cfg.m_sections[section].push_back({std::string(TrimView(line.substr(0, eq))),
                                           std::string(TrimView(line.substr(eq + 1)))});
    }
    return cfg;
}

std::shared_ptr<const PlatformConfig> PlatformConfig::Current()
{
    static std::mutex mutex;
    static CacheKey cachedKey;
    static std::shared_ptr<const PlatformConfig> cached;

    CacheKey key{Path()};
    struct stat st
    {
    };
    if (::stat(key.path.c_str(), &st) == 0)
    {
        key.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
        key.size = static_cast<long long>(st.st_size);
    }
    std::lock_guard lock(mutex);
    if (cached && key == cachedKey)
        return cached;
    std::string text;
    if (key.size >= 0)
    {
        std::ifstream f(key.path, std::ios::binary);
        std::ostringstream ss;
        ss << f.rdbuf();
        text = ss.str();
    }
    cached = std::make_shared<const PlatformConfig>(Parse(text));
    cachedKey = key;
    return cached;
}

std::optional<std::string> PlatformConfig::Get(std::string_view section, std::string_view key) const
{
    auto it = m_sections.find(ToLowerAscii(section));
    if (it == m_sections.end())
        return std::nullopt;
    for (const Entry& e : it->second)
    {
        if (EqualsNoCase(e.key, key))
            return e.value;
    }
    return std::nullopt;
}

std::string PlatformConfig::GetOr(std::string_view section, std::string_view key,
                                  std::string_view def) const
{
    auto v = Get(section, key);
    return v ? *v : std::string(def);
}

std::vector<std::string> PlatformConfig::GetList(std::string_view section,
                                                 std::string_view key) const
{
    std::vector<std::string> out;
    std::string cur;
    for (char c : GetOr(section, key, ""))
    {
        if (c == ',' || c == ' ' || c == '\t')
        {
            if (!cur.empty())
                out.push_back(std::move(cur));
            cur.clear();
        }
        else
        {
            cur += c;
        }
    }
    if (!cur.empty())
        out.push_back(std::move(cur));
    return out;
}

std::vector<std::string> PlatformConfig::Keys(std::string_view section) const
{
    std::vector<std::string> out;
    auto it = m_sections.find(ToLowerAscii(section));
    if (it != m_sections.end())
    {
        for (const Entry& e : it->second)
            out.push_back(e.key);
    }
    return out;
}

} // namespace winplat
