// A private slapd plus a platform configuration that points server names at it.
#pragma once

#include "platform/ads/Ads.h"
#include "tests/util/SlapdServer.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace qmtest
{

// Writes the configuration file and points WINPLAT_CONFIG at it for the test's lifetime.
class ConfigFile
{
public:
    explicit ConfigFile(const std::string& text)
    {
        char dir[] = "/tmp/qm-config-XXXXXX";
        if (mkdtemp(dir))
            m_dir = dir;
        m_path = m_dir + "/config.ini";
        Write(text);
        setenv("WINPLAT_CONFIG", m_path.c_str(), 1);
    }
    ~ConfigFile()
    {
        unsetenv("WINPLAT_CONFIG");
        std::remove(m_path.c_str());
        std::remove(m_dir.c_str());
    }
    ConfigFile(const ConfigFile&) = delete;
    ConfigFile& operator=(const ConfigFile&) = delete;
    void Write(const std::string& text)
    {
        // A new file each time, so the layer sees the change even within one clock tick.
        std::string tmp = m_path + ".new";
        std::ofstream(tmp) << text << "\n# " << ++m_generation << "\n";
        std::rename(tmp.c_str(), m_path.c_str());
    }

private:
    std::string m_dir;
    std::string m_path;
    int m_generation = 0;
};

// EXCH01 (and DC01) lead to the server over StartTLS, trusting its CA.
inline std::string ConfigFor(const SlapdServer& s, const std::string& extra = "")
{
    return "[hosts]\nEXCH01 = " + s.Host() + ":" + std::to_string(s.Port()) +
           "\nDC01 = " + s.Host() + ":" + std::to_string(s.Port()) +
           "\n[directory]\nca_file = " + s.CaFile() + "\ntimeout_seconds = 10\n" + extra;
}

inline DirectoryUser User(const std::string& cn, std::optional<std::string> hidden = std::nullopt)
{
    DirectoryUser u;
    u.cn = cn;
    u.sam = cn;
    u.nickname = cn;
    u.legacyDN =
        "/o=Corp/ou=Exchange Administrative Group (FYDIBOHF23SPDLT)/cn=Recipients/cn=" + cn;
    u.hidden = std::move(hidden);
    return u;
}

inline std::vector<DirectoryUser> ManyUsers(int n)
{
    std::vector<DirectoryUser> users;
    for (int i = 0; i < n; ++i)
        users.push_back(User("user" + std::to_string(100000 + i)));
    return users;
}

} // namespace qmtest
