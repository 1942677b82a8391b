#include "platform/base/PlatformConfig.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using winplat::PlatformConfig;

TEST(PlatformConfig, ParsesSectionsKeysAndLists)
{
    auto cfg = PlatformConfig::Parse("# machine\n"
                                     "[Machine]\n"
                                     "NetBIOS_Domain = CORP\n"
                                     "domain_controllers = dc01, dc02  dc03\n"
                                     "[exchange   EXCH01]\n"
                                     "store = /tmp/a b.sqlite\n"
                                     "broken line without equals\n"
                                     "; comment\n"
                                     "[hosts]\n"
                                     "EXCH01 = 127.0.0.1:3890\n");
    EXPECT_EQ(cfg.Get("machine", "netbios_domain"), "CORP");
    EXPECT_EQ(cfg.GetList("MACHINE", "domain_controllers"),
              (std::vector<std::string>{"dc01", "dc02", "dc03"}));
    EXPECT_EQ(cfg.Get("exchange exch01", "store"), "/tmp/a b.sqlite");
    EXPECT_EQ(cfg.Keys("hosts"), std::vector<std::string>{"EXCH01"});
    EXPECT_FALSE(cfg.Get("hosts", "missing").has_value());
    EXPECT_EQ(cfg.GetOr("nowhere", "x", "dflt"), "dflt");
}

TEST(PlatformConfig, FollowsTheFileNamedByTheEnvironment)
{
    char dir[] = "/tmp/winplat-config-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string path = std::string(dir) + "/config.ini";
    setenv("WINPLAT_CONFIG", path.c_str(), 1);

    EXPECT_FALSE(PlatformConfig::Current()->Get("hosts", "a").has_value()); // no file yet
    std::ofstream(path) << "[hosts]\na = 1\n";
    EXPECT_EQ(PlatformConfig::Current()->Get("hosts", "a"), "1");
    std::ofstream(path) << "[hosts]\na = 22\n"; // a change of size is seen at once
    EXPECT_EQ(PlatformConfig::Current()->Get("hosts", "a"), "22");

    unsetenv("WINPLAT_CONFIG");
    std::remove(path.c_str());
    rmdir(dir);
}
