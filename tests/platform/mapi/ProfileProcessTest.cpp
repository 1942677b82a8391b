// Profiles seen from other processes: they outlive the program that made them, and two
// programs changing them at once corrupt nothing.
#include "tests/platform/mapi/MapiTestEnv.h"
#include "tests/util/ProcessRunner.h"

#include "platform/base/ComPtr.h"

#include <sqlite3.h>

#include <set>
#include <sstream>
#include <thread>

using namespace mapitest;

namespace
{

class ProfileProcessTest : public MapiTest
{
protected:
    qmtest::ProcessResult Tool(const std::vector<std::string>& args)
    {
        std::vector<std::string> argv{PROFILE_TOOL};
        argv.insert(argv.end(), args.begin(), args.end());
        qmtest::ProcessOptions options;
        options.environment = {"WINPLAT_CONFIG=" + m_env->ConfigPath()};
        options.timeout = std::chrono::seconds(120);
        return qmtest::RunProcess(argv, options);
    }

    static std::vector<std::string> Lines(const std::string& text)
    {
        std::vector<std::string> out;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            out.push_back(line);
        return out;
    }

    std::vector<std::string> OurNames()
    {
        CComPtr<IProfAdmin> admin;
        EXPECT_EQ(MAPIAdminProfiles(0, &admin), S_OK);
        CComPtr<IMAPITable> table;
        EXPECT_EQ(admin->GetProfileTable(0, &table), S_OK);
        SizedSPropTagArray(1, cols) = {1, {PR_DISPLAY_NAME_A}};
        RowsHolder rows;
        EXPECT_EQ(HrQueryAllRows(table, reinterpret_cast<LPSPropTagArray>(&cols), nullptr, nullptr,
                                 0, &rows.rows),
                  S_OK);
        std::vector<std::string> names;
        for (ULONG i = 0; rows.rows && i < rows.rows->cRows; ++i)
            names.push_back(rows.rows->aRow[i].lpProps[0].Value.lpszA);
        return names;
    }
};

TEST_F(ProfileProcessTest, AnotherProcessSeesAProfileWithItsConfiguration)
{
    CreateExchangeProfile("Zoë's scan/2", "EXCH01", "Administrator");
    auto list = Tool({"list"});
    ASSERT_TRUE(list.Succeeded()) << list.Describe();
    EXPECT_EQ(Lines(list.out), std::vector<std::string>{"Zoë's scan/2"});
    auto server = Tool({"server", "Zoë's scan/2"});
    ASSERT_TRUE(server.Succeeded()) << server.Describe();
    EXPECT_EQ(server.out, "EXCH01\n");
}

TEST_F(ProfileProcessTest, AProfileLeftByAProgramThatDiedIsThereForTheNextRun)
{
    auto crash = Tool({"crash", "TempAdmin1"});
    EXPECT_EQ(crash.exitCode, 3) << crash.Describe();
    EXPECT_EQ(OurNames(), std::vector<std::string>{"TempAdmin1"});
    CComPtr<IProfAdmin> admin;
    ASSERT_EQ(MAPIAdminProfiles(0, &admin), S_OK);
    char name[] = "TempAdmin1";
    EXPECT_EQ(admin->CreateProfile(name, nullptr, 0, 0), MAPI_E_NO_ACCESS);
    auto server = Tool({"server", "TempAdmin1"});
    EXPECT_EQ(server.out, "EXCH01\n") << server.Describe();
}

TEST_F(ProfileProcessTest, TwoProgramsChangingProfilesAtOnceCorruptNothing)
{
    constexpr int kCount = 60;
    qmtest::ProcessResult a;
    qmtest::ProcessResult b;
    std::thread ta([&] { a = Tool({"churn", "A", std::to_string(kCount)}); });
    std::thread tb([&] { b = Tool({"churn", "B", std::to_string(kCount)}); });
    ta.join();
    tb.join();
    ASSERT_TRUE(a.Succeeded()) << a.Describe();
    ASSERT_TRUE(b.Succeeded()) << b.Describe();
    // Each shared name was created by exactly one of the two.
    EXPECT_EQ(std::stoi(a.out) + std::stoi(b.out), kCount);
    std::multiset<std::string> names;
    for (const std::string& n : OurNames())
        names.insert(n);
    std::multiset<std::string> expected;
    for (int i = 0; i < kCount; ++i)
    {
        expected.insert("Shared-" + std::to_string(i));
        if (i % 2 == 1)
        {
            expected.insert("A-" + std::to_string(i));
            expected.insert("B-" + std::to_string(i));
        }
    }
    EXPECT_EQ(names, expected);
    // Every profile that is left still has its one configured service.
    for (int i = 1; i < kCount; i += 2)
    {
        auto server = Tool({"server", "A-" + std::to_string(i)});
        EXPECT_EQ(server.out, "EXCH01\n") << server.Describe();
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(
        sqlite3_open_v2(m_env->ProfileStorePath().c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
        SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), "ok");
    sqlite3_finalize(st);
    sqlite3_close(db);
}

} // namespace
