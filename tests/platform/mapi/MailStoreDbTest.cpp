// The mail store's lookups give the same answers whatever order mailboxes are asked for in:
// in store order (read ahead), backwards, repeated, far apart, or missing.
#include "tests/platform/mapi/MapiTestEnv.h"

#include "platform/mapi/MailStoreDb.h"

#include <memory>

using namespace mapitest;
using winplat::mapi::MailboxRecord;
using winplat::mapi::MailStoreDb;
using winplat::mapi::Row;

namespace
{

constexpr int kMailboxes = 700; // more than the look-ahead of either cursor

std::string Alias(int i)
{
    return "user" + std::to_string(i);
}

class MailStoreDbTest : public MapiTest
{
protected:
    void SetUp() override
    {
        MapiTest::SetUp();
        std::vector<MailboxSpec> boxes;
        for (int i = 1; i <= kMailboxes; ++i)
        {
            MailboxSpec m = Mailbox(Alias(i));
            // Every third mailbox has no folder rows, every seventh has three.
            if (i % 3 == 0)
                m.folders.clear();
            else if (i % 7 == 0)
                m.folders.push_back(FolderSpec{"Views " + std::to_string(i), std::nullopt});
            else
                m.folders = {FolderSpec{"Folder " + std::to_string(i), std::nullopt}};
            boxes.push_back(m);
        }
        m_path = m_env->Dir() + "/store.db";
        WriteMailStore(m_path, boxes);
        ASSERT_EQ(MailStoreDb::Open(m_path, &m_db), S_OK);
    }

    // What mailbox i must give: its id, and its folder names.
    static std::vector<std::string> ExpectedFolders(int i)
    {
        if (i % 3 == 0)
            return {};
        if (i % 7 == 0)
            return {"Top of Information Store", "Finder", "Views " + std::to_string(i)};
        return {"Folder " + std::to_string(i)};
    }

    void Check(int i)
    {
        MailboxRecord r;
        ASSERT_EQ(m_db->FindMailbox(DnOf(Alias(i)), &r), S_OK) << i;
        EXPECT_EQ(r.id, i);
        EXPECT_EQ(r.dnKey, MailStoreDb::KeyOf(DnOf(Alias(i))));
        std::vector<Row> rows;
        ASSERT_EQ(m_db->RootFolderRows(r.id, &rows), S_OK);
        std::vector<std::string> names;
        for (const Row& row : rows)
            names.push_back(Narrow(row.front().WideText()->c_str()));
        EXPECT_EQ(names, ExpectedFolders(i)) << i;
    }

    std::string m_path;
    std::shared_ptr<MailStoreDb> m_db;
};

TEST_F(MailStoreDbTest, InStoreOrder)
{
    for (int i = 1; i <= kMailboxes; ++i)
        Check(i);
}

TEST_F(MailStoreDbTest, InStoreOrderWithGaps)
{
    for (int i = 1; i <= kMailboxes; i += 1 + i % 5)
        Check(i);
}

TEST_F(MailStoreDbTest, BackwardsRepeatedAndFarApart)
{
    for (int i : {5, 5, 4, 600, 2, 300, 301, 301, 700, 1, 699, 40, 39, 41})
        Check(i);
}

TEST_F(MailStoreDbTest, AMissingMailboxLeavesTheNextLookupsRight)
{
    Check(10);
    MailboxRecord r;
    EXPECT_EQ(m_db->FindMailbox(DnOf("nobody"), &r), MAPI_E_NOT_FOUND);
    for (int i = 11; i < 40; ++i)
        Check(i);
    std::vector<Row> rows;
    ASSERT_EQ(m_db->RootFolderRows(kMailboxes + 5, &rows), S_OK);
    EXPECT_TRUE(rows.empty());
    Check(40);
}

TEST_F(MailStoreDbTest, LetterCaseOfTheDnDoesNotMatter)
{
    MailboxRecord r;
    std::string dn = DnOf("USER12");
    ASSERT_EQ(m_db->FindMailbox(dn, &r), S_OK);
    EXPECT_EQ(r.id, 12);
}

} // namespace
