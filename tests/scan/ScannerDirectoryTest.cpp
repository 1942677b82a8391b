// The scanner's directory step against a real slapd.
#include "scan/MailboxScanner.h"
#include "scan/StopFlag.h"
#include "tests/platform/ads/DirectoryTestSupport.h"
#include "tests/scan/MessageBoxLog.h"

#include <gtest/gtest.h>

using namespace qmtest;

namespace
{

std::vector<std::u16string> FindMailboxes(const std::u16string& user,
                                          const std::u16string& password, BOOL* result = nullptr)
{
    CMailboxScanner scanner;
    scanner.SetCredentials(_T("EXCH01"), CString(user.c_str()), CString(password.c_str()));
    BOOL ok = scanner.FindMailboxes();
    if (result)
        *result = ok;
    std::vector<std::u16string> out;
    for (const CString& dn : scanner.m_arrMailboxes)
        out.push_back(dn.Str());
    return out;
}

} // namespace

TEST(ScannerDirectory, ListsVisibleMailboxesAsTheDirectoryHoldsThem)
{
    std::vector<DirectoryUser> users = {User("admin"), User("alice"), User("bob", "TRUE"),
                                        User("carol", "FALSE"), User("dave")};
    users[4].legacyDN.reset(); // a mail user without an Exchange DN
    DirectoryUser noNick = User("erin");
    noNick.nickname.reset(); // no mail nickname: not a mailbox
    DirectoryUser twin = User("frank");
    twin.legacyDN = users[1].legacyDN; // the same DN twice
    DirectoryUser intl = User("J\xC3\xBCrgen \xE5\xBC\xA0");
    users.push_back(noNick);
    users.push_back(twin);
    users.push_back(intl);

    SlapdServer server;
    ASSERT_TRUE(server.Start({UsersLdif(server.Options(), users)})) << server.LastError();
    ConfigFile cfg(ConfigFor(server));
    MessageBoxLog boxes;
    g_nStopScan = 0;

    BOOL ok = FALSE;
    auto dns = FindMailboxes(u"CORP\\admin", u"Secret1!", &ok);
    EXPECT_TRUE(ok);
    auto dn = [](const DirectoryUser& u) { return winplat::FromUtf8(*u.legacyDN); };
    EXPECT_EQ(dns, (std::vector<std::u16string>{dn(users[0]), dn(users[1]), dn(users[3]),
                                                dn(users[1]), dn(intl)}));
    EXPECT_TRUE(boxes.Boxes().empty());

    dns = FindMailboxes(u"CORP\\admin", u"wrong", &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(dns.empty());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0], (MessageBoxLog::Box{u"Login failed.", MB_ICONERROR}));
}

TEST(ScannerDirectory, EmptyOrganisationSaysSo)
{
    DirectoryUser contactLike = User("room");
    contactLike.nickname.reset();
    SlapdServer server;
    ASSERT_TRUE(server.Start({UsersLdif(server.Options(), {contactLike})})) << server.LastError();
    ConfigFile cfg(ConfigFor(server));
    MessageBoxLog boxes;
    BOOL ok = TRUE;
    EXPECT_TRUE(FindMailboxes(u"CORP\\room", u"Secret1!", &ok).empty());
    EXPECT_FALSE(ok);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0], (MessageBoxLog::Box{u"No mailboxes found.", MB_ICONINFORMATION}));
}

TEST(ScannerDirectory, MoreMailboxesThanTheServerLimitAreAllListed)
{
    auto users = ManyUsers(1500);
    users[7].hidden = "TRUE";
    SlapdServer server;
    ASSERT_TRUE(server.Start({UsersLdif(server.Options(), users)})) << server.LastError();
    ConfigFile cfg(ConfigFor(server));
    MessageBoxLog boxes;
    BOOL ok = FALSE;
    auto dns = FindMailboxes(u"CORP\\user100000", u"Secret1!", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(dns.size(), 1499u);
    EXPECT_TRUE(boxes.Boxes().empty());
}
