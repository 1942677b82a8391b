// The Verify button of the main dialog against a private directory: which message the user gets
// for each kind of user name and password, and that nothing reaches the network when the name
// cannot be taken apart or the domain is unknown.
#include "app/KorvathDlg.h"
#include "platform/win/Automation.h"
#include "tests/platform/ads/DirectoryTestSupport.h"
#include "tests/platform/win/GuiTest.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace automation = winplat::automation;
using namespace qmtest;

namespace
{

constexpr unsigned kError = MB_ICONERROR;
constexpr unsigned kInformation = MB_ICONINFORMATION;

// The domain of this computer, with DC01 as its controller. Domains it does not know go to a
// DNS server where nothing listens, so that no lookup leaves the machine.
const std::string kMachine = "[machine]\nnetbios_domain = CORP\ndns_domain = corp.example.test\n"
                             "domain_controllers = DC01\ndns_server = 127.0.0.1:1\n";

struct Box
{
    std::u16string text;
    std::u16string caption;
    unsigned type = 0;
    bool waitCursor = false; // the wait cursor was up while the box was shown
};

struct Outcome
{
    std::vector<Box> boxes;
    std::u16string userAfter;
    std::u16string passwordAfter;
};

bool WaitCursorShown()
{
    const QCursor* cursor = QApplication::overrideCursor();
    return cursor != nullptr && cursor->shape() == Qt::WaitCursor;
}

// Runs the main dialog, types the user name and password, and clicks Verify `clicks` times.
Outcome Verify(const std::u16string& user, const std::u16string& password, int clicks = 1)
{
    Outcome out;
    automation::SetMessageBoxHandler(
        [&out](const automation::MessageBoxRecord& r)
        {
            out.boxes.push_back({r.text, r.caption, r.type, WaitCursorShown()});
            return IDOK;
        });
    CKorvathDlg dlg;
    automation::SetDialogHandler(
        [&](HWND h, unsigned id)
        {
            if (id != IDD_MAIN)
                return;
            automation::SetText(GetDlgItem(h, IDC_USERNAME), user);
            automation::SetText(GetDlgItem(h, IDC_PASSWORD), password);
            for (int i = 0; i < clicks; ++i)
            {
                const size_t before = out.boxes.size();
                EXPECT_TRUE(automation::Click(GetDlgItem(h, IDC_VERIFY)));
                EXPECT_TRUE(guitest::WaitUntil([&] { return out.boxes.size() > before; }));
            }
            // Whatever a click set off has run by now: a second box would be recorded.
            for (int i = 0; i < 3; ++i)
                QCoreApplication::processEvents();
            out.userAfter = automation::GetText(GetDlgItem(h, IDC_USERNAME));
            out.passwordAfter = automation::GetText(GetDlgItem(h, IDC_PASSWORD));
            automation::Click(GetDlgItem(h, IDCANCEL));
        });
    dlg.DoModal();
    automation::SetDialogHandler({});
    automation::SetMessageBoxHandler({});
    return out;
}

void ExpectOneBox(const Outcome& out, const std::u16string& user, const std::u16string& password,
                  const std::u16string& text, unsigned icon)
{
    ASSERT_EQ(out.boxes.size(), 1u);
    const Box& box = out.boxes.front();
    EXPECT_EQ(winplat::ToUtf8(box.text), winplat::ToUtf8(text));
    EXPECT_EQ(box.type & MB_ICONMASK, icon);
    EXPECT_EQ(box.type & MB_TYPEMASK, static_cast<unsigned>(MB_OK));
    EXPECT_EQ(box.caption, std::u16string(AfxGetAppName()));
    EXPECT_EQ(out.userAfter, user);
    EXPECT_EQ(out.passwordAfter, password);
}

// A listening socket that accepts nothing: afterwards it tells whether anyone connected.
class Listener
{
public:
    Listener()
    {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (m_fd < 0 || bind(m_fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
            listen(m_fd, 8) != 0 || getsockname(m_fd, reinterpret_cast<sockaddr*>(&addr), &len))
            return;
        fcntl(m_fd, F_SETFL, O_NONBLOCK);
        m_port = ntohs(addr.sin_port);
    }
    ~Listener()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;
    int Port() const { return m_port; }
    // The kernel completes a connection without accept(), so a pending one is seen here.
    bool Connected()
    {
        const int client = accept(m_fd, nullptr, nullptr);
        if (client < 0)
            return false;
        close(client);
        return true;
    }

private:
    int m_fd = -1;
    int m_port = 0;
};

struct Case
{
    const char* name;
    std::u16string user;
    std::u16string password;
    std::u16string text;
    unsigned icon;
};

// A failing row is named, not dumped as bytes.
void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

std::string CaseName(const testing::TestParamInfo<Case>& info)
{
    return info.param.name;
}

// ---- No directory behind DC01: only a socket that records connections ----

class VerifyOffline : public testing::TestWithParam<Case>
{
protected:
    void SetUp() override
    {
        setenv("WINPLAT_QUIET", "1", 1);
        ASSERT_NE(m_listener.Port(), 0);
    }
    void TearDown() override { unsetenv("WINPLAT_QUIET"); }
    Listener m_listener;
    ConfigFile m_config{"[hosts]\nDC01 = 127.0.0.1:" + std::to_string(m_listener.Port()) +
                        "\n[directory]\ntimeout_seconds = 2\n" + kMachine};
};

TEST_P(VerifyOffline, RefusedWithoutContactingTheController)
{
    const Case& c = GetParam();
    const Outcome out = Verify(c.user, c.password);
    ExpectOneBox(out, c.user, c.password, c.text, c.icon);
    EXPECT_FALSE(m_listener.Connected());
}

INSTANTIATE_TEST_SUITE_P(
    Names, VerifyOffline,
    testing::Values(
        Case{"EmptyUserName", u"", u"Secret1!", u"Invalid credentials.", kError},
        Case{"BareAccount", u"alice", u"Secret1!", u"Invalid credentials.", kError},
        Case{"AddressWithAt", u"alice@corp.example.test", u"Secret1!", u"Invalid credentials.",
             kError},
        Case{"ForwardSlash", u"CORP/alice", u"Secret1!", u"Invalid credentials.", kError},
        Case{"UnknownNetBiosDomain", u"OTHER\\alice", u"Secret1!", u"Invalid domain name.", kError},
        Case{"UnknownDnsDomain", u"other.example.test\\alice", u"Secret1!", u"Invalid domain name.",
             kError},
        Case{"EmptyDomain", u"\\alice", u"Secret1!", u"Invalid domain name.", kError},
        // The domain is what comes before the first backslash, not the last.
        Case{"DomainBeforeFirstBackslashOnly", u"OTHER\\CORP\\alice", u"Secret1!",
             u"Invalid domain name.", kError}),
    CaseName);

// No wait cursor while nothing is looked up; it stays up through the failure message once the
// lookup has begun.
TEST_F(VerifyOffline, WaitCursorOnlyOnceTheLookupBegins)
{
    Outcome out = Verify(u"alice", u"x");
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_FALSE(out.boxes[0].waitCursor);
    out = Verify(u"OTHER\\alice", u"x");
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_TRUE(out.boxes[0].waitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// ---- A private directory behind DC01 ----

const SlapdOptions kOptions;
const std::string kSmithDn = UserDn(kOptions, "Smith, John"); // has a backslash in it

class VerifyAgainstDirectory : public testing::TestWithParam<Case>
{
protected:
    static void SetUpTestSuite()
    {
        s_server = new SlapdServer(kOptions);
        std::vector<DirectoryUser> users = {
            User("alice"),
            DirectoryUser("Smith, John", "jsmith"),
            DirectoryUser("bob", "bob", "bob", std::nullopt, std::nullopt, " two  words "),
        };
        ASSERT_TRUE(s_server->Start({UsersLdif(s_server->Options(), users)}))
            << s_server->LastError();
    }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }
    void SetUp() override
    {
        ASSERT_NE(s_server, nullptr);
        ASSERT_NE(s_server->Pid(), 0);
        setenv("WINPLAT_QUIET", "1", 1);
        m_config = std::make_unique<ConfigFile>(ConfigFor(*s_server, kMachine));
    }
    void TearDown() override
    {
        m_config.reset();
        unsetenv("WINPLAT_QUIET");
    }
    static inline SlapdServer* s_server = nullptr;
    std::unique_ptr<ConfigFile> m_config;
};

TEST_P(VerifyAgainstDirectory, ShowsOneMessage)
{
    const Case& c = GetParam();
    ExpectOneBox(Verify(c.user, c.password), c.user, c.password, c.text, c.icon);
}

INSTANTIATE_TEST_SUITE_P(
    Credentials, VerifyAgainstDirectory,
    testing::Values(
        Case{"NetBiosDomain", u"CORP\\alice", u"Secret1!", u"Credentials verified.", kInformation},
        Case{"DnsDomain", u"corp.example.test\\alice", u"Secret1!", u"Credentials verified.",
             kInformation},
        Case{"WrongPassword", u"CORP\\alice", u"secret1!", u"Invalid credentials.", kError},
        Case{"UnknownAccount", u"CORP\\mallory", u"Secret1!", u"Invalid credentials.", kError},
        Case{"EmptyPassword", u"CORP\\alice", u"", u"Invalid credentials.", kError},
        Case{"EmptyAccount", u"CORP\\", u"Secret1!", u"Invalid credentials.", kError},
        // Everything after the first backslash is the account, its own backslashes included:
        // here a DN with an escaped comma, which binds only when passed whole and without the
        // domain in front.
        Case{"AccountWithBackslashes", u"CORP\\" + winplat::FromUtf8(kSmithDn), u"Secret1!",
             u"Credentials verified.", kInformation},
        // The password goes to the bind as typed, spaces included.
        Case{"PasswordWithSpaces", u"CORP\\bob", u" two  words ", u"Credentials verified.",
             kInformation},
        Case{"PasswordTrimmed", u"CORP\\bob", u"two  words", u"Invalid credentials.", kError}),
    CaseName);

// Every click checks again: a failure does not stick, a success is not remembered.
TEST_F(VerifyAgainstDirectory, EachClickChecksAgain)
{
    const Outcome right = Verify(u"CORP\\alice", u"Secret1!", 3);
    ASSERT_EQ(right.boxes.size(), 3u);
    for (const Box& box : right.boxes)
    {
        EXPECT_EQ(box.text, u"Credentials verified.");
        EXPECT_FALSE(box.waitCursor); // shown after the check has returned
    }

    s_server->Stop();
    const Outcome gone = Verify(u"CORP\\alice", u"Secret1!");
    ASSERT_TRUE(s_server->Restart()) << s_server->LastError();
    ExpectOneBox(gone, u"CORP\\alice", u"Secret1!", u"Invalid credentials.", kError);
    EXPECT_TRUE(gone.boxes[0].waitCursor);
}

} // namespace
