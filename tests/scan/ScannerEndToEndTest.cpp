// One scan of a generated organisation, from a real slapd through the messaging layer to the
// three lists, compared in full with what the generator says a correct scan gives.
#include "platform/mapi/MapiFaults.h"
#include "scan/MailboxScanner.h"
#include "scan/StopFlag.h"
#include "tests/platform/ads/DirectoryTestSupport.h"
#include "tests/scan/MessageBoxLog.h"
#include "tests/util/TempDir.h"
#include "tools/orggen/OrgGenerator.h"

#include <clocale>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace qmtest;

namespace
{

std::vector<std::string> Utf8(const CStringArray& a)
{
    std::vector<std::string> out;
    for (const CString& s : a)
        out.push_back(winplat::ToUtf8(s));
    return out;
}

} // namespace

TEST(ScannerEndToEnd, GeneratedOrganisationGivesExactlyTheExpectedLists)
{
    std::setlocale(LC_ALL, "C.UTF-8");
    TempDir dir("scan-e2e");
    orggen::OrgSpec spec;
    spec.mailboxes = 700; // more than the directory's size limit and the session's store limit
    spec.contacts = 1;
    orggen::OrgGenerator generator(spec);
    std::string ldif = dir.Path() + "/org.ldif", store = dir.Path() + "/org.sqlite";
    ASSERT_EQ(generator.Write(ldif, store, dir.Path() + "/expected.txt"), "");

    SlapdServer server;
    ASSERT_TRUE(server.Start({ReadWholeFile(ldif)})) << server.LastError();
    ConfigFile cfg(ConfigFor(server, "[messaging]\nprofiles = " + dir.Path() +
                                         "/profiles.db\n[exchange EXCH01]\nstore = " + store +
                                         "\n"));
    MessageBoxLog boxes;
    g_nStopScan = 0;
    {
        CMailboxScanner scanner;
        scanner.SetCredentials(_T("EXCH01"), _T("CORP\\Administrator"), _T("Secret1!"));
        scanner.Run();
        const orggen::ExpectedLists& expected = generator.Expected();
        EXPECT_EQ(Utf8(scanner.m_arrOst), expected.ost);
        EXPECT_EQ(Utf8(scanner.m_arrNonOst), expected.nonOst);
        EXPECT_EQ(Utf8(scanner.m_arrErrors), expected.errors);
        EXPECT_GT(expected.ost.size(), 100u);
        EXPECT_GT(expected.errors.size(), 10u);
    }
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(winplat::mapi::MapiFaults::LiveObjects(), 0);
}
